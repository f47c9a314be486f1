// The mouse hover trigger on a real window that is not the active one: when
// it hovers and leaves, its delays, what ends a hover, and what its agents
// apply. The mouse is the real cursor.
#include <gtest/gtest.h>

#include "RulePartsTestSupport.h"
#include "uEAMouseHoverTrigger.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

const POINT kAway{1000, 740};

using TApplied = std::vector<std::string>;

// A small window away from the rule's window that holds the activation.
HWND OtherWindow() {
    static HWND other = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VPW_HoverTestOther";
        RegisterClassA(&wc);
        return CreateWindowExA(0, "VPW_HoverTestOther", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 450, 160, 100,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }();
    return other;
}

void ActivateOther() {
    SetCursorPos(kAway.x, kAway.y);
    SetForegroundWindow(OtherWindow());
    Pump(30);
}

POINT TitleBar(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
}

// The cursor onto the title bar, and the move message that it gives.
void MouseOnto(HWND window) {
    POINT p = TitleBar(window);
    SetCursorPos(p.x, p.y);
    SendMessageA(window, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(p.x, p.y));
}

void MouseAway() { SetCursorPos(kAway.x, kAway.y); }

std::string HoverRule(const std::string& triggerParams, const std::string& agentParams = "\\ACTIONNAME=Rec") {
    return "\\WINDOWRULENAME=RulePartsTest Hover\\ACTION=RECORDINGACTION{\\NAME=Rec}\\TRIGGER=MOUSEHOVETRIGGER{" +
           triggerParams + "\\AGENT={\\NAME=A" + agentParams + "}}";
}

TMouseHoverTrigger* HoverTrigger(const TAttachedRule& rule) {
    return dynamic_cast<TMouseHoverTrigger*>(rule.Trigger(0).get());
}

TEST(MouseHoverTrigger, WithoutADelayHoversAtOnceAndLeavesSoonAfterTheMouse) {
    // Delays that are off, zero, negative or unreadable are no delays.
    const char* cases[] = {
        "",
        "\\HOVER_LAG_INTERVAL=500\\LEAVE_LAG_INTERVAL=500",
        "\\HOVER_LAG_ENABLED=yes\\HOVER_LAG_INTERVAL=0\\LEAVE_LAG_ENABLED=yes\\LEAVE_LAG_INTERVAL=0",
        "\\HOVER_LAG_ENABLED=yes\\HOVER_LAG_INTERVAL=-500\\LEAVE_LAG_ENABLED=YES\\LEAVE_LAG_INTERVAL=-1",
        "\\HOVER_LAG_ENABLED=yes\\HOVER_LAG_INTERVAL=500ms\\LEAVE_LAG_ENABLED=yes\\LEAVE_LAG_INTERVAL=99999999999",
    };
    for (const char* params : cases) {
        SCOPED_TRACE(params);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), HoverRule(params));
        TMouseHoverTrigger* trigger = HoverTrigger(rule);
        ASSERT_NE(trigger, nullptr);
        ActivateOther();
        TRecordingAction::Applied().clear();

        MouseOnto(window.Get());
        EXPECT_EQ(TRecordingAction::Applied(), TApplied{"SECOND"});
        EXPECT_EQ(trigger->GetState(), THoverState::Hovered);
        Pump(250);  // the poll finds the mouse still there
        EXPECT_EQ(trigger->GetState(), THoverState::Hovered);

        DWORD left = GetTickCount();
        MouseAway();
        EXPECT_TRUE(PumpUntil([] { return TRecordingAction::Applied().size() == 2; }, 2000));
        EXPECT_LT(GetTickCount() - left, 1000u);
        EXPECT_EQ(TRecordingAction::Applied(), (TApplied{"SECOND", "FIRST"}));
        EXPECT_EQ(trigger->GetState(), THoverState::Idle);
    }
}

TEST(MouseHoverTrigger, NoHoverForTheActiveWindowNorForAMoveWithoutTheMouse) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), HoverRule(""));
    TMouseHoverTrigger* trigger = HoverTrigger(rule);
    ASSERT_NE(trigger, nullptr);
    TRecordingAction::Applied().clear();

    SetForegroundWindow(window.Get());
    Pump(30);
    MouseOnto(window.Get());
    Pump(150);
    EXPECT_EQ(trigger->GetState(), THoverState::Idle);

    // A program moving the window while the mouse is elsewhere.
    ActivateOther();
    SetWindowPos(window.Get(), nullptr, 44, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(150);
    EXPECT_EQ(trigger->GetState(), THoverState::Idle);
    EXPECT_TRUE(TRecordingAction::Applied().empty());

    // Moved under the resting mouse, it does hover.
    POINT p = TitleBar(window.Get());
    SetCursorPos(p.x, p.y + 10);
    SetWindowPos(window.Get(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(TRecordingAction::Applied(), TApplied{"SECOND"});
    MouseAway();
    EXPECT_TRUE(PumpUntil([] { return TRecordingAction::Applied().size() == 2; }, 2000));
}

TEST(MouseHoverTrigger, DelaysHoldTheHoverAndTheLeave) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), HoverRule("\\HOVER_LAG_ENABLED=yes\\HOVER_LAG_INTERVAL=500"
                                               "\\LEAVE_LAG_ENABLED=yes\\LEAVE_LAG_INTERVAL=500"));
    TMouseHoverTrigger* trigger = HoverTrigger(rule);
    ASSERT_NE(trigger, nullptr);
    ActivateOther();
    TRecordingAction::Applied().clear();

    // A brief pass does nothing.
    MouseOnto(window.Get());
    EXPECT_EQ(trigger->GetState(), THoverState::HoverPending);
    Pump(150);
    MouseAway();
    Pump(800);
    EXPECT_TRUE(TRecordingAction::Applied().empty());
    EXPECT_EQ(trigger->GetState(), THoverState::Idle);

    // Resting hovers once the delay is over; more movement does not restart it.
    DWORD start = GetTickCount();
    MouseOnto(window.Get());
    Pump(200);
    MouseOnto(window.Get());
    EXPECT_TRUE(PumpUntil([] { return !TRecordingAction::Applied().empty(); }, 3000));
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 450u);
    EXPECT_LT(took, 1500u);
    EXPECT_EQ(trigger->GetState(), THoverState::Hovered);

    // Leaving and coming back within the delay keeps the hover.
    MouseAway();
    EXPECT_TRUE(PumpUntil([&] { return trigger->GetState() == THoverState::LeavePending; }, 1000));
    MouseOnto(window.Get());
    Pump(800);
    EXPECT_EQ(trigger->GetState(), THoverState::Hovered);
    EXPECT_EQ(TRecordingAction::Applied(), TApplied{"SECOND"});

    // Leaving for good leaves once the delay is over.
    start = GetTickCount();
    MouseAway();
    EXPECT_TRUE(PumpUntil([] { return TRecordingAction::Applied().size() == 2; }, 3000));
    EXPECT_GE(GetTickCount() - start, 450u);
    EXPECT_EQ(trigger->GetState(), THoverState::Idle);
}

TEST(MouseHoverTrigger, ActivationEndsAHoverAtOnceOrCancelsAPendingOne) {
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        bool ends;
    } cases[] = {
        {"WA_ACTIVE", WM_ACTIVATE, WA_ACTIVE, true},
        {"WA_CLICKACTIVE", WM_ACTIVATE, WA_CLICKACTIVE, true},
        {"the program activated", WM_ACTIVATEAPP, TRUE, true},
        {"activated while minimised", WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), false},
        {"WA_INACTIVE", WM_ACTIVATE, WA_INACTIVE, false},
        {"the program deactivated", WM_ACTIVATEAPP, FALSE, false},
    };
    for (bool delayed : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (delayed ? ", hover pending" : ", hovered"));
            TTargetWindow window;
            TAttachedRule rule(window.Get(),
                               HoverRule(delayed ? "\\HOVER_LAG_ENABLED=yes\\HOVER_LAG_INTERVAL=400" : ""));
            TMouseHoverTrigger* trigger = HoverTrigger(rule);
            ASSERT_NE(trigger, nullptr);
            ActivateOther();
            TRecordingAction::Applied().clear();
            MouseOnto(window.Get());
            THoverState before = trigger->GetState();
            ASSERT_EQ(before, delayed ? THoverState::HoverPending : THoverState::Hovered);

            // Straight to the trigger: the default procedure would really
            // activate the window on some of these.
            TMessage message{c.message, c.wParam, 0, 0};
            EXPECT_FALSE(trigger->BeforeMessage(message));
            if (c.ends) {
                EXPECT_EQ(trigger->GetState(), THoverState::Idle);
                EXPECT_EQ(TRecordingAction::Applied(), delayed ? TApplied{} : (TApplied{"SECOND", "FIRST"}));
            } else {
                EXPECT_EQ(trigger->GetState(), before);
            }
            MouseAway();
        }
    }
}

TEST(MouseHoverTrigger, AgentsApplyTheirOperationOrTheActionsNextAndLeaveBackToTheCurrent) {
    struct Case {
        const char* agent;
        TApplied applied;
    } cases[] = {
        {"\\ACTIONNAME=Rec", {"SECOND", "FIRST"}},
        {"\\ACTIONNAME=Rec\\ACTIONKIND=concrete\\OPERATIONNAME=FIRST", {"FIRST", "FIRST"}},
        {"\\ACTIONNAME=Rec\\ACTIONKIND=Concrete\\OPERATIONNAME=OTHER", {"OTHER", "FIRST"}},
        {"\\ACTIONNAME=Missing", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.agent);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), HoverRule("", c.agent));
        TMouseHoverTrigger* trigger = HoverTrigger(rule);
        ASSERT_NE(trigger, nullptr);
        TRecordingAction::Applied().clear();
        trigger->HoverAgents();
        if (IPtr<IAction> action = rule.Action("Rec")) {
            EXPECT_EQ(CurrentName(action.get()), "FIRST");
        }
        trigger->LeaveAgents();
        EXPECT_EQ(TRecordingAction::Applied(), c.applied);
    }
}

TEST(MouseHoverTrigger, ReleasedWhileHoveredNoTickComesLater) {
    int before = TDebugInterfacedObject::LiveObjects();
    {
        TTargetWindow window;
        TAttachedRule rule(window.Get(), HoverRule("\\LEAVE_LAG_ENABLED=yes\\LEAVE_LAG_INTERVAL=100"));
        ActivateOther();
        TRecordingAction::Applied().clear();
        MouseOnto(window.Get());
        ASSERT_EQ(HoverTrigger(rule)->GetState(), THoverState::Hovered);
    }
    EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), before);
    MouseAway();
    Pump(400);
    EXPECT_EQ(TRecordingAction::Applied(), TApplied{"SECOND"});
}

TEST(MouseHoverTrigger, AStayOnTopThatAHoverChangedIsPutBackOnDetach) {
    enum TOnTop { No, ByTheAction, ByTheProgram };
    struct Case {
        const char* what;
        TOnTop before;
    } cases[] = {{"a hover put it on top", No},
                 {"a hover took it off the top where the action had put it", ByTheAction},
                 {"a hover took it off the top where its program had put it", ByTheProgram}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), "\\WINDOWRULENAME=RulePartsTest Hover\\ACTION=STAYONTOPACTION{\\NAME=Top}"
                                         "\\TRIGGER=MOUSEHOVETRIGGER{\\AGENT={\\NAME=A\\ACTIONNAME=Top}}");
        IPtr<IAction> action = rule.Action("Top");
        ASSERT_TRUE(action);
        if (c.before == ByTheAction) {
            ASSERT_TRUE(action->ExecuteOperation("STAYONTOPON"));
        } else if (c.before == ByTheProgram) {
            SetWindowPos(window.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        ActivateOther();
        MouseOnto(window.Get());
        ASSERT_EQ(HoverTrigger(rule)->GetState(), THoverState::Hovered);
        EXPECT_EQ(window.Topmost(), c.before == No);
        EXPECT_EQ(CurrentName(action.get()), c.before != No ? "STAYONTOPON" : "STAYONTOPOFF");
        // Only its program's own choice outlives the rule.
        rule.Release();
        EXPECT_EQ(window.Topmost(), c.before == ByTheProgram);
        MouseAway();
        Pump(300);
        EXPECT_EQ(window.Topmost(), c.before == ByTheProgram);
    }
}

}  // namespace
