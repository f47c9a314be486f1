// Triggers that fire when the hooked window receives a message: creation (or
// the library's attach notice), destruction, the minimise and default system
// commands, activation and deactivation. A trigger may wait a delay and then
// fires only when its validity test still holds.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "uEAActivators.h"
#include "uWexlTimers.h"

namespace vpw {

// Keys: LAG_ENABLED ("yes" in any case), LAG_INTERVAL (milliseconds). A
// delay that is not a positive number means none.
class TMessageTrigger : public TActionsActivator {
public:
    void Initialize() override;
    void ParseParam(const std::string& key, const std::string& value) override;
    // Runs the agents at once, or (with a delay) once a full delay after the
    // last call, when IsTriggerValid holds then.
    void Fire() override;
    // A pending delayed firing dies with the window.
    void DetachWindow() override;
    virtual bool IsTriggerValid() { return true; }

    bool GetLagEnabled() const { return lagEnabled_; }
    int GetLagInterval() const { return lagInterval_; }
    bool LagPending() const { return lagTimer_ && lagTimer_->Enabled(); }

protected:
    ~TMessageTrigger() override;
    // The agents now, whatever the delay.
    void FireNow() { TActionsActivator::Fire(); }

private:
    void PrepareLagTimer();
    void LagTimerNotify();
    void FreeLagTimer();

    bool lagEnabled_ = false;
    int lagInterval_ = 0;
    std::unique_ptr<TTimer> lagTimer_;  // made on the window's thread by the first delayed firing
};

// The agent class of every message trigger; no behaviour of its own.
class TMessageActionActivator : public TActionActivator, public virtual IMessageAgent {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

protected:
    ~TMessageActionActivator() override = default;
};

// WM_CREATE, or the notice the extender sends once it is attached.
class TWMCreateMessageTrigger : public TMessageTrigger {
public:
    void AfterMessage(TMessage& message, bool handled) override;

protected:
    ~TWMCreateMessageTrigger() override = default;
};

// Fires once per attachment, while the window still exists: before the
// window's own procedure sees WM_DESTROY, or at a detachment from a window
// that lives on. No delay: a timer would die with the extender.
class TWMDestroyMessageTrigger : public TMessageTrigger {
public:
    void Fire() override;
    void AttachWindow() override;
    void DetachWindow() override;
    bool BeforeMessage(TMessage& message) override;

protected:
    ~TWMDestroyMessageTrigger() override = default;

private:
    void FireOnce();

    bool fired_ = false;
};

// A double click on the title bar runs the agents instead of the system's
// maximise or restore; so does WM_SYSCOMMAND with SC_DEFAULT.
class TSCDefaultMessageTrigger : public TMessageTrigger {
public:
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message, bool handled) override;

protected:
    ~TSCDefaultMessageTrigger() override = default;
};

// WM_SYSCOMMAND with exactly SC_MINIMIZE, after the window handled it.
class TSCMinimizeMessageTrigger : public TMessageTrigger {
public:
    void AfterMessage(TMessage& message, bool handled) override;

protected:
    ~TSCMinimizeMessageTrigger() override = default;
};

// WM_ACTIVATE with WA_ACTIVE or WA_CLICKACTIVE; after a delay only while the
// window is still the foreground window.
class TWMActivateWindowMessageTrigger : public TMessageTrigger {
public:
    void AfterMessage(TMessage& message, bool handled) override;
    bool IsTriggerValid() override;

protected:
    ~TWMActivateWindowMessageTrigger() override = default;
};

// WM_ACTIVATE with WA_INACTIVE; after a delay only while the window is still
// not the foreground window.
class TWMInActivateWindowMessageTrigger : public TMessageTrigger {
public:
    void AfterMessage(TMessage& message, bool handled) override;
    bool IsTriggerValid() override;

protected:
    ~TWMInActivateWindowMessageTrigger() override = default;
};

// The delay in milliseconds; 0 for any text that is not a whole decimal
// number in range.
int ParseLagInterval(const std::string& value);

}  // namespace vpw
