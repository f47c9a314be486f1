// Triggers and agents: a trigger (TActionsActivator) decides when something
// happens to its window, each of its agents (TActionActivator) which action of
// the same window extender runs, and which of its operations.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "uEAGeneralClasses.h"

namespace vpw {

// Keys: NAME, AGENT (repeatable; an agent's parameter string, built with the
// trigger's default agent class).
class TActionsActivator : public TAbstractParamsItem,
                          public virtual ISlave,
                          public virtual IOwner,
                          public virtual IActionActivatorOwner,
                          public virtual IMessageHandler,
                          public virtual IWindowPart,
                          public virtual ITrigger {
public:
    static constexpr char DEFAULT_NAME_PREFIX[] = "ActionsActivator";

    bool QueryInterface(const TGUID& iid, void** out) override;

    void Initialize() override;
    void ParseParam(const std::string& key, const std::string& value) override;
    // Runs every agent; concrete triggers call it when their event happens.
    virtual void Fire();
    void SetOwner(IOwner* owner) override;
    void ReleaseOwner() override;
    // The trigger becomes a message handler before its agents.
    void AttachWindow() override;
    // The agents leave first, then the trigger.
    void DetachWindow() override;
    bool BeforeMessage(TMessage& message) override { return false; }
    void AfterMessage(TMessage& message, bool handled) override {}
    void ReleaseSlave(ISlave* slave) override {}

    // ISlave
    void Connect() override;
    void Disconnect() override;
    void SetName(const std::string& name) override { name_ = name; }

    // IWindowPartOwner: agents reach the window through their trigger.
    IPtr<IWindowHandler> GetWindowHandler() override;

    IPtr<IActionActivators> GetAgents() { return IPtr<IActionActivators>(agents_.get()); }
    const std::string& GetDefaultAgentClass() const { return defaultAgentClass_; }

protected:
    ~TActionsActivator() override = default;
    void SetDefaultAgentClass(const std::string& className) { defaultAgentClass_ = className; }
    // The attached window, or 0.
    HWND Window();
    // Calls `step` for every agent in list order; a failing agent does not
    // stop the others.
    template <class Step>
    void ForEachAgent(Step step) {
        IPtr<TActionActivators> agents = agents_;
        if (!agents) return;
        int count = agents->Count();
        for (int i = 0; i < count; ++i) {
            try {
                if (IPtr<IAgent> agent = agents->GetActionActivator(i)) step(agent);
            } catch (...) {
            }
        }
    }

private:
    IPtr<IActionsActivatorOwner> owner_;
    IPtr<TActionActivators> agents_;
    std::string defaultAgentClass_;
};

// Keys: NAME, ACTIONNAME, OPERATIONNAME, ACTIONKIND ("concrete" in any case
// runs the named operation, anything else the action's next one).
class TActionActivator : public TAbstractParamsItem,
                         public virtual IObserver,
                         public virtual ISlave,
                         public virtual IWindowPart,
                         public virtual IAgent {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    void ParseParam(const std::string& key, const std::string& value) override;
    void SetOwner(IOwner* owner) override;
    void ReleaseOwner() override;
    // Subscribes to the action's publisher.
    void Connect() override;
    void Disconnect() override;
    void AttachWindow() override;
    void DetachWindow() override;
    void Execute() override;
    void Update(IPublisher* publisher) override {}
    bool Unsubscribed(IPublisher* publisher) override { return false; }

    // IAgent
    std::string GetActionName() override { return actionName_; }
    std::uint8_t GetActionKind() override { return concrete_; }
    std::string GetOperationName() override { return operationName_; }

    // ISlave
    void SetName(const std::string& name) override { name_ = name; }

    bool GetAttached() const { return attached_ != 0; }

protected:
    ~TActionActivator() override = default;

    IPtr<IActionActivatorOwner> Owner() { return owner_; }
    // The window handler through the owner; none without one.
    IPtr<IWindowHandler> WindowHandler();
    // The agent's action in the same window extender, found by name.
    IPtr<IAction> FindAction();

private:
    IPtr<IActionActivatorOwner> owner_;
    std::string actionName_;
    std::uint8_t concrete_ = 0;
    std::string operationName_;
    std::uint8_t attached_ = 0;
};

}  // namespace vpw
