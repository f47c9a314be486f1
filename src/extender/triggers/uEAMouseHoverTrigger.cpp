#include "uEAMouseHoverTrigger.h"

#include "EARoutines.h"
#include "EAWinFuncs.h"
#include "Routines.h"
#include "uEAMessageActivators.h"

namespace vpw {

// ------------------------------------------------------- TMouseHoverAgent

bool TMouseHoverAgent::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<IMouseHoverAgent>(this, iid, out)) return true;
    return TActionActivator::QueryInterface(iid, out);
}

void TMouseHoverAgent::Hover() {
    try {
        IPtr<IAction> action = FindAction();
        if (!action) return;
        std::string operation;
        if (GetActionKind() == 1) {
            operation = GetOperationName();
        } else if (IPtr<IOperation> next = action->GetNextOperation()) {
            operation = next->GetName();
        }
        action->ApplyHoverEffect(operation);
    } catch (...) {
    }
}

void TMouseHoverAgent::Leave() {
    try {
        if (IPtr<IAction> action = FindAction()) action->RemoveHoverEffect();
    } catch (...) {
    }
}

// ----------------------------------------------------- TMouseHoverTrigger

TMouseHoverTrigger::~TMouseHoverTrigger() {
    FreeHoverLagTimer();
    FreeLeaveLagTimer();
    FreeMouseCheckTimer();
}

void TMouseHoverTrigger::Initialize() {
    TActionsActivator::Initialize();
    SetDefaultAgentClass("MOUSEHOVERAGENT");
    state_ = THoverState::Idle;
}

void TMouseHoverTrigger::ParseParam(const std::string& key, const std::string& value) {
    Guarded("ParseParam", [&] {
        TActionsActivator::ParseParam(key, value);
        if (key == "HOVER_LAG_ENABLED")
            hoverLagEnabled_ = IsYes(value);
        else if (key == "HOVER_LAG_INTERVAL")
            hoverLagInterval_ = ParseLagInterval(value);
        else if (key == "LEAVE_LAG_ENABLED")
            leaveLagEnabled_ = IsYes(value);
        else if (key == "LEAVE_LAG_INTERVAL")
            leaveLagInterval_ = ParseLagInterval(value);
    });
}

bool TMouseHoverTrigger::BeforeMessage(TMessage& message) {
    Guarded("BeforeMessage", [&] {
        // The whole wParam: a WM_ACTIVATE of a minimised window is no activation.
        bool activated =
            (message.Msg == WM_ACTIVATE && (message.WParam == WA_ACTIVE || message.WParam == WA_CLICKACTIVE)) ||
            (message.Msg == WM_ACTIVATEAPP && message.WParam != 0);
        if (activated) HandleEvent(THoverEvent::Activated);
    });
    return false;
}

void TMouseHoverTrigger::AfterMessage(TMessage& message, bool handled) {
    Guarded("AfterMessage", [&] {
        if (message.Msg == WM_MOVE || message.Msg == WM_NCMOUSEMOVE) HandleEvent(THoverEvent::MouseSeen);
    });
}

void TMouseHoverTrigger::HandleEvent(THoverEvent event) {
    Guarded("HandleEvent", [&] {
        switch (state_) {
        case THoverState::Idle:
            OnIdle(event);
            break;
        case THoverState::HoverPending:
            OnHoverPending(event);
            break;
        case THoverState::Hovered:
            OnHovered(event);
            break;
        case THoverState::LeavePending:
            OnLeavePending(event);
            break;
        }
    });
}

void TMouseHoverTrigger::OnIdle(THoverEvent event) {
    if (event != THoverEvent::MouseSeen) return;
    // The active window never hovers; nor does one that only moved while the
    // mouse was elsewhere (a program or a placement restore moving it).
    HWND window = Window();
    if (IsForegroundWindow(window) || !MouseIsOver()) return;
    state_ = THoverState::HoverPending;
    if (GetHoverLag() > 0)
        PrepareHoverLagTimer();
    else
        HandleEvent(THoverEvent::Hover);
}

void TMouseHoverTrigger::OnHoverPending(THoverEvent event) {
    switch (event) {
    case THoverEvent::Hover:
        HoverAgents();
        state_ = THoverState::Hovered;
        // A detach during the hover left nothing to watch.
        if (Window()) PrepareMouseCheckTimer();
        break;
    case THoverEvent::HoverLagElapsed:
        StopTimer(hoverLagTimer_);
        if (MouseIsOver())
            HandleEvent(THoverEvent::Hover);
        else
            state_ = THoverState::Idle;
        break;
    case THoverEvent::Activated:
        StopTimer(hoverLagTimer_);
        state_ = THoverState::Idle;
        break;
    default:
        break;
    }
}

void TMouseHoverTrigger::OnHovered(THoverEvent event) {
    switch (event) {
    case THoverEvent::MouseCheck:
        if (MouseIsOver()) {
            PrepareMouseCheckTimer();
        } else {
            StopTimer(mouseCheckTimer_);
            HandleEvent(THoverEvent::MouseGone);
        }
        break;
    case THoverEvent::MouseGone:
        state_ = THoverState::LeavePending;
        if (GetLeaveLag() > 0)
            PrepareLeaveLagTimer();
        else
            HandleEvent(THoverEvent::Leave);
        break;
    case THoverEvent::Activated:
        StopTimer(mouseCheckTimer_);
        state_ = THoverState::Idle;
        LeaveAgents();
        break;
    default:
        break;
    }
}

void TMouseHoverTrigger::OnLeavePending(THoverEvent event) {
    switch (event) {
    case THoverEvent::Leave:
        state_ = THoverState::Idle;
        LeaveAgents();
        break;
    case THoverEvent::LeaveLagElapsed:
        StopTimer(leaveLagTimer_);
        if (MouseIsOver()) {
            state_ = THoverState::Hovered;
            PrepareMouseCheckTimer();
        } else {
            HandleEvent(THoverEvent::Leave);
        }
        break;
    case THoverEvent::Activated:
        StopTimer(leaveLagTimer_);
        state_ = THoverState::Idle;
        LeaveAgents();
        break;
    default:
        break;
    }
}

void TMouseHoverTrigger::HoverAgents() {
    ForEachAgent([](const IPtr<IAgent>& agent) {
        if (IPtr<IMouseHoverAgent> hover = Supports<IMouseHoverAgent>(agent)) hover->Hover();
    });
}

void TMouseHoverTrigger::LeaveAgents() {
    ForEachAgent([](const IPtr<IAgent>& agent) {
        if (IPtr<IMouseHoverAgent> hover = Supports<IMouseHoverAgent>(agent)) hover->Leave();
    });
}

void TMouseHoverTrigger::RestartTimer(TTimerPtr& timer, int interval, THoverEvent tick) {
    if (!timer) {
        timer = std::make_unique<TTimer>();
        timer->SetOnTimer([this, tick](TTimer*) {
            // The trigger stays alive for the whole tick, whatever its agents do.
            IPtr<TMouseHoverTrigger> self(this);
            HandleEvent(tick);
        });
    }
    timer->SetEnabled(false);
    timer->SetInterval(interval);
    timer->SetEnabled(true);
}

void TMouseHoverTrigger::StopTimer(const TTimerPtr& timer) {
    if (timer) timer->SetEnabled(false);
}

void TMouseHoverTrigger::PrepareHoverLagTimer() {
    Guarded("PrepareHoverLagTimer", [&] { RestartTimer(hoverLagTimer_, GetHoverLag(), THoverEvent::HoverLagElapsed); });
}

void TMouseHoverTrigger::PrepareLeaveLagTimer() {
    Guarded("PrepareLeaveLagTimer", [&] { RestartTimer(leaveLagTimer_, GetLeaveLag(), THoverEvent::LeaveLagElapsed); });
}

void TMouseHoverTrigger::PrepareMouseCheckTimer() {
    Guarded("PrepareMouseCheckTimer",
            [&] { RestartTimer(mouseCheckTimer_, MOUSE_CHECK_INTERVAL, THoverEvent::MouseCheck); });
}

void TMouseHoverTrigger::FreeHoverLagTimer() {
    Guarded("FreeHoverLagTimer", [&] { hoverLagTimer_.reset(); });
}

void TMouseHoverTrigger::FreeLeaveLagTimer() {
    Guarded("FreeLeaveLagTimer", [&] { leaveLagTimer_.reset(); });
}

void TMouseHoverTrigger::FreeMouseCheckTimer() {
    Guarded("FreeMouseCheckTimer", [&] { mouseCheckTimer_.reset(); });
}

bool TMouseHoverTrigger::MouseIsOver() {
    HWND window = Window();
    return window && IsMouseOverWindow(window);
}

}  // namespace vpw
