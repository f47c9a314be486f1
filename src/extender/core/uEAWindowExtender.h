// One window extender per attached window: built from the window's rule
// text, it holds the rule's actions and triggers, subclasses the window and
// fans every message out to the handlers they register.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "uEAGeneralClasses.h"
#include "uHooks.h"

namespace vpw {

class TMessageHandlers : public TAbstractCollection, public virtual IMessageHandlers {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    IPtr<IMessageHandler> GetMessageHandler(const Variant& index) override {
        return LookupAs<IMessageHandler>(index);
    }
    void Add(IMessageHandler* handler) override { AddGenerated(handler); }
    // Removes the last entry that is this very handler.
    bool RemoveHandler(IMessageHandler* handler) { return RemoveReference(handler, true); }
};

class TWindowExtenders : public TAbstractCollection, public virtual IWindowExtenders {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    IPtr<IWindowExtender> GetWindowExtender(const Variant& index) override {
        return LookupAs<IWindowExtender>(index);
    }
    void Add(IWindowExtender* extender) override { AddNamed(extender); }
};

// Keys: WINDOWRULENAME, ACTION and TRIGGER (item descriptors, repeatable).
class TWindowExtender : public TAbstractParamsItem,
                        public virtual IActionsActivatorOwner,
                        public virtual IActionOwner,
                        public virtual IWindowHandler,
                        public virtual IWindowExtender,
                        public TWindowProcTarget {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    void Initialize() override;
    void ParseParam(const std::string& key, const std::string& value) override;

    // ISlave
    void SetOwner(IOwner* owner) override;
    void ReleaseOwner() override;
    void Connect() override;
    void Disconnect() override;
    void SetName(const std::string& name) override { name_ = name; }

    // IWindowExtender
    HWND GetWindow() override { return window_; }
    void AttachWindow(HWND window) override;
    void DetachWindow() override;

    // IWindowHandler
    void AddMessageHandler(IMessageHandler* handler) override;
    void RemoveMessageHandler(IMessageHandler* handler) override;
    IPtr<IActions> GetActions() override { return IPtr<IActions>(actions_.get()); }
    std::string GetWindowCaption() override;
    std::string GetWindowRuleName() override { return ruleName_; }
    bool IsWindowBeingDestroyed() override { return destroying_; }
    // The hook procedure saw the window go.
    void SetWindowBeingDestroyed() { destroying_ = true; }
    void LetGo() override;

    // IWindowPartOwner, IOwner
    IPtr<IWindowHandler> GetWindowHandler() override { return IPtr<IWindowHandler>(this); }
    void ReleaseSlave(ISlave* slave) override {}

    // The subclass procedure, on the window's thread.
    void WindowProc(TMessage& message) override;

    IPtr<IActionsActivators> GetTriggers() { return IPtr<IActionsActivators>(triggers_.get()); }
    IPtr<IMessageHandlers> GetMessageHandlers() { return IPtr<IMessageHandlers>(handlers_.get()); }
    bool Subclassed() const { return hook_ != nullptr; }
    bool ReceivesMessages() const { return hook_ && hook_->Receiving(); }
    // Its procedure is the window's: every message comes to it first.
    bool FirstInChain() const { return hook_ && hook_->FirstInChain(); }

protected:
    ~TWindowExtender() override;

private:
    // Attaches the parts in order, counting them; false when a detach came
    // in meanwhile.
    bool AttachParts(TAbstractCollection* parts, int& attached, unsigned detaches);
    // Detaches the first `attached` parts.
    static void DetachParts(TAbstractCollection* parts, int attached);

    IPtr<TActions> actions_;
    IPtr<TActionsActivators> triggers_;
    IPtr<TMessageHandlers> handlers_;
    IPtr<IWindowExtenderOwner> owner_;
    // Looked up from every thread of the process (FindExtender).
    std::atomic<HWND> window_{nullptr};
    bool destroying_ = false;
    unsigned detaches_ = 0;  // how often DetachWindow ran
    int attachedActions_ = 0, attachedTriggers_ = 0;  // since the last detach
    TWHook* hook_ = nullptr;  // owned
    std::string ruleName_;
};

// Registers "WINDOWEXTENDER".
void RegisterEAWindowExtenderClasses();

}  // namespace vpw
