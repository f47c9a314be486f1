// The mouse resting over a window that is not the active one applies an
// action's operation as a temporary hover effect; leaving the window or
// activating it takes the effect back. Optional delays before the hover and
// before the leave, and a poll of the mouse position while hovered.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "EARoutines.h"
#include "uEAActivators.h"
#include "uWexlTimers.h"

namespace vpw {

// Hover applies the agent's own operation when it is concrete, else the
// action's next one; Leave puts the action's current operation back.
class TMouseHoverAgent : public TActionActivator, public virtual IMouseHoverAgent {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    void Hover() override;
    void Leave() override;

protected:
    ~TMouseHoverAgent() override = default;
};

enum class THoverState : std::uint8_t { Idle = 0, HoverPending = 1, Hovered = 2, LeavePending = 3 };

enum class THoverEvent : std::uint8_t {
    MouseSeen = 0,
    Hover = 1,
    MouseGone = 2,
    Leave = 3,
    HoverLagElapsed = 4,
    LeaveLagElapsed = 5,
    MouseCheck = 6,
    Activated = 7,
};

// Keys: HOVER_LAG_ENABLED, HOVER_LAG_INTERVAL, LEAVE_LAG_ENABLED,
// LEAVE_LAG_INTERVAL (milliseconds; a delay counts only when enabled and
// its interval is a positive number).
class TMouseHoverTrigger : public TActionsActivator {
public:
    static constexpr int MOUSE_CHECK_INTERVAL = 100;

    void Initialize() override;
    void ParseParam(const std::string& key, const std::string& value) override;
    // Activation ends or cancels a hover.
    bool BeforeMessage(TMessage& message) override;
    // Mouse movement over the frame, or the window moving, may start one.
    void AfterMessage(TMessage& message, bool handled) override;

    void HandleEvent(THoverEvent event);
    void HoverAgents();
    void LeaveAgents();

    THoverState GetState() const { return state_; }
    int GetHoverLag() const { return LagOf(hoverLagEnabled_, hoverLagInterval_); }
    int GetLeaveLag() const { return LagOf(leaveLagEnabled_, leaveLagInterval_); }

protected:
    ~TMouseHoverTrigger() override;

private:
    using TTimerPtr = std::unique_ptr<TTimer>;

    static int LagOf(bool enabled, int interval) { return enabled && interval > 0 ? interval : 0; }

    void OnIdle(THoverEvent event);
    void OnHoverPending(THoverEvent event);
    void OnHovered(THoverEvent event);
    void OnLeavePending(THoverEvent event);

    void PrepareHoverLagTimer();
    void PrepareLeaveLagTimer();
    void PrepareMouseCheckTimer();
    void FreeHoverLagTimer();
    void FreeLeaveLagTimer();
    void FreeMouseCheckTimer();
    // Creates the timer on first use, then restarts its countdown.
    void RestartTimer(TTimerPtr& timer, int interval, THoverEvent tick);
    static void StopTimer(const TTimerPtr& timer);

    bool MouseIsOver();
    // Runs `step`; a failure goes to the log as this operation's.
    template <class Step>
    static void Guarded(const char* operation, Step step) {
        try {
            step();
        } catch (...) {
            DebugOut(std::string("TMouseHoverTrigger.") + operation + ": Err = " + CurrentExceptionMessage());
        }
    }

    THoverState state_ = THoverState::Idle;
    bool hoverLagEnabled_ = false;
    int hoverLagInterval_ = 0;
    TTimerPtr hoverLagTimer_;
    bool leaveLagEnabled_ = false;
    int leaveLagInterval_ = 0;
    TTimerPtr leaveLagTimer_;
    TTimerPtr mouseCheckTimer_;
};

}  // namespace vpw
