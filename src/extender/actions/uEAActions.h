// What a rule does to its window: actions own a fixed list of named
// operations, remember the current one (the window's state) and the next one
// (what a toggle runs), apply them to the window, tell their observers after
// every change and can keep the current operation in the registry.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "uEAGeneralClasses.h"
#include "uEAObservers.h"
#include "uEAOperations.h"

namespace vpw {

// The running state of every rule lives in a subkey of this one named after
// the rule; an action keeps its current operation there as
// <action name>_CurrentOperation.
inline constexpr char WINDOW_RULES_REGISTRY_KEY[] = "SOFTWARE\\Velvic Tools\\Velvic Plimsy Windows\\WindowRules\\";
inline constexpr char CURRENT_OPERATION_VALUE_SUFFIX[] = "_CurrentOperation";

// A placement read from a window that an action hid for a while (in the
// tray, at the screen edge), turned into the one it shows when it comes back
// with `showState` (1 minimised: a restore; 2 maximised; else normal).
void PlacementAfterHiding(WINDOWPLACEMENT& placement, int showState);
// Takes back a hiding of `window` by an action (`hidden`): shows it in
// `showState`, or, when it is dying and stays hidden (its placement is still
// saved as it would come back), shows only its program's owner window. True
// when it was shown.
bool TakeBackHiding(HWND window, bool& hidden, int showState, bool dying);

// Keys: NAME, SAVECURRENTOPERATION ("yes" in any case saves).
class TAction : public TAbstractParamsItem,
                public virtual ISlave,
                public virtual IPublisherOwner,
                public virtual IOwner,
                public virtual IWindowPart,
                public virtual IAction {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    void Initialize() override;
    void ParseParam(const std::string& key, const std::string& value) override;
    // Adds the operations and sets the current and next one.
    virtual void CreateOperations() = 0;
    // Current := the named operation, next := the one after it (wrapping);
    // both none for a name the action lacks.
    virtual void SetCurrentOperation(const std::string& name);
    // Does the work on the window; true when done.
    virtual bool ApplyOperation(const std::string& name);
    void SetOwner(IOwner* owner) override;
    void ReleaseOwner() override;
    // Puts a saved operation back on the window.
    void AttachWindow() override;
    // Saves the current operation when asked to.
    void DetachWindow() override;
    IPtr<IOperation> GetNextOperation() override { return next_; }
    bool ExecuteOperation(const std::string& name) override;
    bool ExecuteNextOperation() override;

    // IAction
    IPtr<IOperations> GetOperations() override { return IPtr<IOperations>(operations_.get()); }
    IPtr<IPublisher> GetPublisher() override;
    IPtr<IOperation> GetCurrentOperation() override { return current_; }
    bool ApplyHoverEffect(const std::string& name) override;
    bool RemoveHoverEffect() override;

    // ISlave
    void Connect() override {}
    void Disconnect() override {}
    void SetName(const std::string& name) override { name_ = name; }

    // IOwner (of the publisher)
    void ReleaseSlave(ISlave* slave) override {}

    void NotifyObservers();
    // The saved operation name of this action under its rule; empty when none.
    std::string LoadCurrentOperation();
    void SaveCurrentOperationToRegistry();

    bool GetSaveCurrentOperation() const { return saveCurrentOperation_; }
    const std::string& GetHoverEffect() const { return hoverEffect_; }

protected:
    ~TAction() override = default;

    // The owner's window handler; none without an owner.
    IPtr<IWindowHandler> WindowHandler();
    // The attached window, or 0.
    HWND Window();
    // The window is being destroyed: its program may have freed what its
    // procedure uses, so a detach sends it nothing.
    bool WindowBeingDestroyed();
    // Builds an operation from its parameter string and adds it.
    void AddOperation(const std::string& paramString);
    // Sets both operations directly (the stay-on-top watch).
    void SetOperations(const std::string& currentName, const std::string& nextName);

    // Runs host code on the attached window: `call(window)`. The host may
    // handle the call's messages by waiting on another thread and so take
    // the control center's detach. Such a detach leaves the window to this
    // call, which, once the host returned, takes back what the action did
    // and answers false: the caller then touches nothing more of the
    // attachment. False without a window. Callers hold the action.
    template <class Call>
    bool CallHost(Call&& call) {
        HWND window = Window();
        if (!window) return false;
        ++hostCalls_;
        try {
            call(window);
        } catch (...) {
            EndHostCall(window);
            throw;
        }
        return EndHostCall(window);
    }
    // What a detach undoes on the window, so that it is as it would be
    // without the action (shown, unrolled, not on top by the library's
    // doing). Also after the detach, so with the window given. A dying
    // window is sent nothing.
    virtual void TakeBack(HWND window, bool dying) {}
    // The detach's part: takes back now, or leaves it to the host call
    // under way.
    void TakeBackAtDetach();

    // The registry key of the owner's rule; empty without an owner.
    std::string RuleKeyPath();

private:
    // What one of the action's entry points was asked to do.
    struct TRequest {
        enum class TKind { Execute, ApplyHover, RemoveHover } kind;
        std::string name;
    };

    // False, after taking back, when a detach came during the call.
    bool EndHostCall(HWND window) noexcept;
    // Runs a request now, or, asked from inside a call of this action into
    // host code (the host re-entering it: its own minimise inside the hiding,
    // a timer in a modal loop), once that has returned: the action's state
    // never changes under its own feet. False when only kept for later.
    bool Request(TRequest request);
    bool Perform(const TRequest& request);
    // The requests kept meanwhile, in order; a few rounds at most, so that a
    // host answering every step with another cannot keep it going.
    void RunKeptRequests();
    // ApplyOperation, counted as running meanwhile.
    bool ApplyWhileRunning(const std::string& name);
    bool ExecuteNow(const std::string& name);
    bool ApplyHoverNow(const std::string& name);
    bool RemoveHoverNow();

    int hostCalls_ = 0;
    // Operations of this action under way on the stack, a take-back included.
    int running_ = 0;
    bool runningKept_ = false;
    std::vector<TRequest> kept_;
    // The detach took the action's work back: nothing more is done.
    bool leaving_ = false;
    bool dyingAtDetach_ = false;
    IPtr<IActionOwner> owner_;
    IPtr<TPublisher> publisher_;
    IPtr<IOperation> next_;
    IPtr<IOperation> current_;
    std::string hoverEffect_;
    IPtr<TOperations> operations_;
    bool saveCurrentOperation_ = false;
};

// An action that also sees the window's messages while attached.
class TMessageHandlerAction : public TAction, public virtual IMessageHandler {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    void AttachWindow() override;
    void DetachWindow() override;
    bool BeforeMessage(TMessage& message) override { return false; }
    void AfterMessage(TMessage& message, bool handled) override {}

protected:
    ~TMessageHandlerAction() override = default;
};

// An action whose operation runs once per attachment.
class TSingleCallAction : public TAction {
public:
    void Initialize() override;
    // Its one operation is no state of the window: replaying a saved one at
    // every attachment would run it (close the window) without its trigger.
    void AttachWindow() override {}

protected:
    ~TSingleCallAction() override = default;
    // True once: the caller is the one call that may act.
    bool Disarm();
    bool Armed() const { return armed_; }

private:
    bool armed_ = false;
};

// Operations STAYONTOPON (next at creation) and STAYONTOPOFF (current).
class TStayOnTopAction : public TMessageHandlerAction {
public:
    void CreateOperations() override;
    bool ApplyOperation(const std::string& name) override;
    // Notes the topmost state the window has from its program.
    void AttachWindow() override;
    // Takes back the topmost state the library gave the window (a click, a
    // hover, a saved operation), unless the window is going.
    void DetachWindow() override;
    // Follows topmost changes that others make.
    void AfterMessage(TMessage& message, bool handled) override;

protected:
    ~TStayOnTopAction() override = default;
    // Puts back the topmost state the window's program gave it.
    void TakeBack(HWND window, bool dying) override;

private:
    bool applying_ = false;
    // The window's topmost state as others than this action left it.
    bool programTopmost_ = false;
    // The window's present topmost state is this action's doing.
    bool topmostByAction_ = false;
};

// Operation CLOSEWINDOW: posts WM_CLOSE once.
class TCloseWindowAction : public TSingleCallAction {
public:
    void CreateOperations() override;
    bool ApplyOperation(const std::string& name) override;

protected:
    ~TCloseWindowAction() override = default;
};

// Key RUNMODE ("minimize", "maximize", anything else restores); operation
// RUNMODE posts the system command once.
class TRunModeAction : public TSingleCallAction {
public:
    void ParseParam(const std::string& key, const std::string& value) override;
    void CreateOperations() override;
    bool ApplyOperation(const std::string& name) override;

    UINT GetCommand() const { return command_; }

protected:
    ~TRunModeAction() override = default;

private:
    UINT command_ = 0;
};

}  // namespace vpw
