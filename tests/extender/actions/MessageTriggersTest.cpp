// Window-message triggers on a real subclassed window: which message fires
// which trigger, what the window's own procedure still sees, the delay with
// its validity test, and the destroy trigger's one firing per attachment.
#include <gtest/gtest.h>

#include "RulePartsTestSupport.h"
#include "uEAMessageActivators.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

// A rule with the recording action and one trigger whose agent runs FIRST.
std::string TriggerRule(const std::string& trigger, const std::string& params = {}) {
    return "\\WINDOWRULENAME=Messages\\ACTION=RECORDINGACTION{\\NAME=Rec}\\TRIGGER=" + trigger + "{" + params +
           "\\AGENT={\\NAME=A\\ACTIONNAME=Rec\\ACTIONKIND=concrete\\OPERATIONNAME=FIRST}}";
}

int Firings() { return static_cast<int>(TRecordingAction::Applied().size()); }

TEST(MessageTrigger, EachTriggerFiresOnItsMessageWithExactlyItsParameter) {
    struct Case {
        const char* trigger;
        UINT message;
        WPARAM wParam;
        int firings;
        bool windowSeesIt;
    } cases[] = {
        {"WMCREATEMESSAGETRIGGER", WM_CREATE, 0, 1, true},
        {"SCMINIMIZEMESSAGETRIGGER", WM_SYSCOMMAND, SC_MINIMIZE, 1, true},
        {"SCMINIMIZEMESSAGETRIGGER", WM_SYSCOMMAND, SC_MINIMIZE | 2, 0, true},
        {"SCMINIMIZEMESSAGETRIGGER", WM_SYSCOMMAND, SC_MAXIMIZE, 0, true},
        {"SCDEFAULTMESSAGETRIGGER", WM_NCLBUTTONDBLCLK, HTCAPTION, 1, false},
        {"SCDEFAULTMESSAGETRIGGER", WM_NCLBUTTONDBLCLK, HTCLIENT, 0, true},
        {"SCDEFAULTMESSAGETRIGGER", WM_SYSCOMMAND, SC_DEFAULT, 1, true},
        {"SCDEFAULTMESSAGETRIGGER", WM_SYSCOMMAND, SC_DEFAULT | 1, 0, true},
        {"WMACTIVATEWINDOWMESSAGETRIGGER", WM_ACTIVATE, WA_ACTIVE, 1, true},
        {"WMACTIVATEWINDOWMESSAGETRIGGER", WM_ACTIVATE, WA_CLICKACTIVE, 1, true},
        {"WMACTIVATEWINDOWMESSAGETRIGGER", WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0, true},
        {"WMACTIVATEWINDOWMESSAGETRIGGER", WM_ACTIVATE, WA_INACTIVE, 0, true},
        {"WMINACTIVATEWINDOWMESSAGETRIGGER", WM_ACTIVATE, WA_INACTIVE, 1, true},
        {"WMINACTIVATEWINDOWMESSAGETRIGGER", WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0, true},
        {"WMINACTIVATEWINDOWMESSAGETRIGGER", WM_ACTIVATE, WA_ACTIVE, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.trigger) + " message " + std::to_string(c.message) + " wParam " +
                     std::to_string(c.wParam));
        TTargetWindow window;
        TAttachedRule rule(window.Get(), TriggerRule(c.trigger));
        window.Reset();
        TRecordingAction::Applied().clear();
        SendMessageA(window.Get(), c.message, c.wParam, 0);
        EXPECT_EQ(Firings(), c.firings);
        EXPECT_EQ(window.Count(c.message), c.windowSeesIt ? 1 : 0);
    }
}

TEST(MessageTrigger, CreateTriggerFiresWhenTheExtenderAttaches) {
    TTargetWindow window;
    TRecordingAction::Applied().clear();
    TAttachedRule rule(window.Get(), TriggerRule("WMCREATEMESSAGETRIGGER"));
    EXPECT_EQ(TRecordingAction::Applied(), std::vector<std::string>{"FIRST"});
    IPtr<IMessageAgent> agent = Supports<IMessageAgent>(
        dynamic_cast<TActionsActivator*>(rule.Trigger(0).get())->GetAgents()->GetActionActivator(0));
    EXPECT_TRUE(agent);
}

TEST(MessageTrigger, DelayKeysAndWhatTheyMean) {
    struct Case {
        const char* params;
        bool delayed;
    } cases[] = {
        {"\\LAG_ENABLED=yes\\LAG_INTERVAL=150", true},
        {"\\LAG_ENABLED=YES\\LAG_INTERVAL=150", true},
        {"\\LAG_ENABLED=yes\\LAG_INTERVAL=0", false},
        {"\\LAG_ENABLED=yes\\LAG_INTERVAL=-150", false},
        {"\\LAG_ENABLED=yes\\LAG_INTERVAL=+150", true},
        {"\\LAG_ENABLED=yes\\LAG_INTERVAL=+-150", false},
        {"\\LAG_ENABLED=yes\\LAG_INTERVAL=abc", false},
        {"\\LAG_ENABLED=yes\\LAG_INTERVAL=150ms", false},
        {"\\LAG_ENABLED=yes\\LAG_INTERVAL=99999999999", false},
        {"\\LAG_ENABLED=yes", false},
        {"\\LAG_INTERVAL=150", false},
        {"\\LAG_ENABLED=no\\LAG_INTERVAL=150", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.params);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), TriggerRule("SCMINIMIZEMESSAGETRIGGER", c.params));
        TRecordingAction::Applied().clear();
        SendMessageA(window.Get(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_EQ(Firings(), c.delayed ? 0 : 1);
        if (c.delayed) {
            EXPECT_TRUE(PumpUntil([] { return Firings() == 1; }, 3000));
        }
    }
}

TEST(MessageTrigger, MessagesWithinTheDelayGiveOneFiringAFullDelayAfterTheLast) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), TriggerRule("SCMINIMIZEMESSAGETRIGGER", "\\LAG_ENABLED=yes\\LAG_INTERVAL=400"));
    TRecordingAction::Applied().clear();
    DWORD start = GetTickCount();
    DWORD last = start;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) Pump(100);
        last = GetTickCount();
        SendMessageA(window.Get(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
    ASSERT_TRUE(PumpUntil([] { return Firings() > 0; }, 5000));
    DWORD fired = GetTickCount();
    EXPECT_GE(fired - last, 350u);
    EXPECT_GE(fired - start, 500u);
    Pump(900);
    EXPECT_EQ(Firings(), 1);
}

TEST(MessageTrigger, ActivationTriggersWithADelayFireOnlyWhileTheirTestHolds) {
    struct Case {
        const char* trigger;
        WPARAM wParam;
        bool foregroundAtTheEnd;
        int firings;
    } cases[] = {
        {"WMACTIVATEWINDOWMESSAGETRIGGER", WA_ACTIVE, true, 1},
        {"WMACTIVATEWINDOWMESSAGETRIGGER", WA_ACTIVE, false, 0},
        {"WMINACTIVATEWINDOWMESSAGETRIGGER", WA_INACTIVE, false, 1},
        {"WMINACTIVATEWINDOWMESSAGETRIGGER", WA_INACTIVE, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.trigger) + (c.foregroundAtTheEnd ? " foreground" : " background"));
        TTargetWindow other(WS_OVERLAPPEDWINDOW, 0, 200, 150);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), TriggerRule(c.trigger, "\\LAG_ENABLED=yes\\LAG_INTERVAL=300"));
        TRecordingAction::Applied().clear();
        SendMessageA(window.Get(), WM_ACTIVATE, c.wParam, 0);
        SetForegroundWindow(c.foregroundAtTheEnd ? window.Get() : other.Get());
        ASSERT_TRUE(PumpUntil([&] { return (GetForegroundWindow() == window.Get()) == c.foregroundAtTheEnd; }, 2000));
        auto* trigger = dynamic_cast<TMessageTrigger*>(rule.Trigger(0).get());
        ASSERT_NE(trigger, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return !trigger->LagPending(); }, 3000));
        EXPECT_EQ(Firings(), c.firings);
    }
}

// Runs its one operation inside a message loop of its own, as a modal box does.
class TModalAction : public TAction {
public:
    static int& Runs() {
        static int runs = 0;
        return runs;
    }
    void CreateOperations() override {
        AddOperation("\\NAME=MODAL");
        SetCurrentOperation("MODAL");
    }
    bool ApplyOperation(const std::string&) override {
        ++Runs();
        Pump(700);
        return true;
    }
};

TEST(MessageTrigger, ADelayedFiringRunsOnceEvenWhenAnAgentWaitsInAMessageLoop) {
    RegisterEAItemClass(ItemClassOf<TModalAction>(), "MODALTESTACTION");
    TTargetWindow window;
    TAttachedRule rule(window.Get(),
                       "\\WINDOWRULENAME=Modal\\ACTION=MODALTESTACTION{\\NAME=M}"
                       "\\TRIGGER=SCMINIMIZEMESSAGETRIGGER{\\LAG_ENABLED=yes\\LAG_INTERVAL=100"
                       "\\AGENT={\\NAME=A\\ACTIONNAME=M\\ACTIONKIND=concrete\\OPERATIONNAME=MODAL}}");
    TModalAction::Runs() = 0;
    SendMessageA(window.Get(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(PumpUntil([] { return TModalAction::Runs() > 0; }, 3000));
    Pump(1000);
    EXPECT_EQ(TModalAction::Runs(), 1);
}

TEST(MessageTrigger, DetachingDropsAPendingDelayedFiring) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), TriggerRule("SCMINIMIZEMESSAGETRIGGER", "\\LAG_ENABLED=yes\\LAG_INTERVAL=200"));
    TRecordingAction::Applied().clear();
    SendMessageA(window.Get(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    rule.Extender()->DetachWindow();
    Pump(600);
    EXPECT_EQ(Firings(), 0);
}

int g_firingsAtDestroy = -1;

LRESULT CALLBACK DestroyProbeProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) g_firingsAtDestroy = Firings();
    return DefWindowProcA(w, m, wp, lp);
}

TEST(WMDestroyMessageTrigger, FiresOncePerAttachmentWhileTheWindowExists) {
    const std::string ruleData = TriggerRule("WMDESTROYMESSAGETRIGGER", "\\LAG_ENABLED=yes\\LAG_INTERVAL=500");

    // Detached from a window that lives on: once, at the detachment, at once.
    {
        TTargetWindow window;
        TAttachedRule rule(window.Get(), ruleData);
        TRecordingAction::Applied().clear();
        rule.Extender()->DetachWindow();
        EXPECT_EQ(Firings(), 1);
        rule.Release();  // detaches once more
        EXPECT_EQ(Firings(), 1);
        TAttachedRule again(window.Get(), ruleData);
        again.Release();
        EXPECT_EQ(Firings(), 2);
    }

    // Destroyed: once, before the window's procedure sees WM_DESTROY.
    WNDCLASSA wc{};
    wc.lpfnWndProc = &DestroyProbeProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VPW_DestroyProbe";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    TAttachedRule rule(window, ruleData);
    TRecordingAction::Applied().clear();
    DestroyWindow(window);
    EXPECT_EQ(g_firingsAtDestroy, 1);
    EXPECT_EQ(Firings(), 1);
    rule.Release();
    EXPECT_EQ(Firings(), 1);
}

}  // namespace
