#include "uEAMessageActivators.h"

#include "AppConsts.h"
#include "EARoutines.h"
#include "EAWinFuncs.h"
#include "Routines.h"

namespace vpw {

int ParseLagInterval(const std::string& value) {
    int interval = 0;
    return ParseInteger(value, interval) ? interval : 0;
}

// --------------------------------------------------------- TMessageTrigger

TMessageTrigger::~TMessageTrigger() { FreeLagTimer(); }

void TMessageTrigger::Initialize() {
    TActionsActivator::Initialize();
    SetDefaultAgentClass("MESSAGEAGENT");
}

void TMessageTrigger::ParseParam(const std::string& key, const std::string& value) {
    try {
        TActionsActivator::ParseParam(key, value);
        if (key == "LAG_ENABLED")
            lagEnabled_ = IsYes(value);
        else if (key == "LAG_INTERVAL")
            lagInterval_ = ParseLagInterval(value);
    } catch (...) {
        DebugOut("TMessageTrigger.ParseParam: Err = " + CurrentExceptionMessage());
    }
}

void TMessageTrigger::Fire() {
    try {
        if (lagEnabled_ && lagInterval_ > 0)
            PrepareLagTimer();
        else
            FireNow();
    } catch (...) {
    }
}

void TMessageTrigger::DetachWindow() {
    FreeLagTimer();
    TActionsActivator::DetachWindow();
}

void TMessageTrigger::PrepareLagTimer() {
    try {
        if (!lagTimer_) {
            lagTimer_ = std::make_unique<TTimer>();
            lagTimer_->SetOnTimer([this](TTimer*) { LagTimerNotify(); });
        }
        // A new matching message starts the delay again.
        lagTimer_->SetEnabled(false);
        lagTimer_->SetInterval(lagInterval_);
        lagTimer_->SetEnabled(true);
    } catch (...) {
        DebugOut("TMessageTrigger.PrepareLagTimer: Err = " + CurrentExceptionMessage());
    }
}

void TMessageTrigger::LagTimerNotify() {
    IPtr<IInterface> self(static_cast<ITrigger*>(this));  // an agent may release the extender
    try {
        // Off before the agents run: one that opens a modal box must not see
        // the timer fire again inside it.
        if (lagTimer_) lagTimer_->SetEnabled(false);
        if (IsTriggerValid()) FireNow();
    } catch (...) {
        DebugOut("TMessageTrigger.LagTimerNotify: Err = " + CurrentExceptionMessage());
    }
}

void TMessageTrigger::FreeLagTimer() {
    try {
        lagTimer_.reset();
    } catch (...) {
        DebugOut("TMessageTrigger.FreeLagTimer: Err = " + CurrentExceptionMessage());
    }
}

// ------------------------------------------------- TMessageActionActivator

bool TMessageActionActivator::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<IMessageAgent>(this, iid, out)) return true;
    return TActionActivator::QueryInterface(iid, out);
}

// ------------------------------------------------- TWMCreateMessageTrigger

void TWMCreateMessageTrigger::AfterMessage(TMessage& message, bool handled) {
    try {
        if (message.Msg == WM_CREATE || message.Msg == WM_EXTENDERATTACHED) Fire();
    } catch (...) {
        DebugOut("TWMCreateMessageTrigger.AfterMessage: Err = " + CurrentExceptionMessage());
    }
}

// ------------------------------------------------ TWMDestroyMessageTrigger

void TWMDestroyMessageTrigger::Fire() { FireNow(); }

void TWMDestroyMessageTrigger::AttachWindow() {
    fired_ = false;
    TMessageTrigger::AttachWindow();
}

void TWMDestroyMessageTrigger::FireOnce() {
    if (fired_) return;
    HWND window = Window();
    if (!window || !IsWindow(window)) return;
    fired_ = true;
    Fire();
}

bool TWMDestroyMessageTrigger::BeforeMessage(TMessage& message) {
    try {
        if (message.Msg == WM_DESTROY) FireOnce();
    } catch (...) {
        DebugOut("TWMDestroyMessageTrigger.BeforeMessage: Err = " + CurrentExceptionMessage());
    }
    return false;
}

void TWMDestroyMessageTrigger::DetachWindow() {
    try {
        FireOnce();
    } catch (...) {
        DebugOut("TWMDestroyMessageTrigger.DetachWindow: Err = " + CurrentExceptionMessage());
    }
    TMessageTrigger::DetachWindow();
}

// ------------------------------------------------ TSCDefaultMessageTrigger

bool TSCDefaultMessageTrigger::BeforeMessage(TMessage& message) {
    try {
        if (message.Msg == WM_NCLBUTTONDBLCLK && message.WParam == HTCAPTION) {
            Fire();
            return true;  // the window's own procedure would maximise or restore
        }
    } catch (...) {
        DebugOut("TSCDefaultMessageTrigger.BeforeMessage: Err = " + CurrentExceptionMessage());
    }
    return false;
}

void TSCDefaultMessageTrigger::AfterMessage(TMessage& message, bool handled) {
    try {
        if (message.Msg == WM_SYSCOMMAND && message.WParam == SC_DEFAULT) Fire();
    } catch (...) {
        DebugOut("TSCDefaultMessageTrigger.AfterMessage: Err = " + CurrentExceptionMessage());
    }
}

// ----------------------------------------------- TSCMinimizeMessageTrigger

void TSCMinimizeMessageTrigger::AfterMessage(TMessage& message, bool handled) {
    try {
        if (message.Msg == WM_SYSCOMMAND && message.WParam == SC_MINIMIZE) Fire();
    } catch (...) {
        DebugOut("TSCMinimizeMessageTrigger.AfterMessage: Err = " + CurrentExceptionMessage());
    }
}

// ----------------------------------------- TWMActivateWindowMessageTrigger

void TWMActivateWindowMessageTrigger::AfterMessage(TMessage& message, bool handled) {
    try {
        if (message.Msg == WM_ACTIVATE && (message.WParam == WA_ACTIVE || message.WParam == WA_CLICKACTIVE)) Fire();
    } catch (...) {
        DebugOut("TWMActivateWindowMessageTrigger.AfterMessage: Err = " + CurrentExceptionMessage());
    }
}

bool TWMActivateWindowMessageTrigger::IsTriggerValid() {
    try {
        HWND window = Window();
        return window && IsForegroundWindow(window);
    } catch (...) {
        DebugOut("TWMActivateWindowMessageTrigger.IsTriggerValid: Err = " + CurrentExceptionMessage());
        return false;
    }
}

// --------------------------------------- TWMInActivateWindowMessageTrigger

void TWMInActivateWindowMessageTrigger::AfterMessage(TMessage& message, bool handled) {
    try {
        if (message.Msg == WM_ACTIVATE && message.WParam == WA_INACTIVE) Fire();
    } catch (...) {
        DebugOut("TWMInActivateWindowMessageTrigger.AfterMessage: Err = " + CurrentExceptionMessage());
    }
}

bool TWMInActivateWindowMessageTrigger::IsTriggerValid() {
    try {
        HWND window = Window();
        return window && !IsForegroundWindow(window);
    } catch (...) {
        DebugOut("TWMInActivateWindowMessageTrigger.IsTriggerValid: Err = " + CurrentExceptionMessage());
        return false;
    }
}

}  // namespace vpw
