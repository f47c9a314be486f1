// Hosts that do hostile things with their windows' chains and their thread,
// met by the events that change an extender, with every action that hides,
// moves or reorders a window: the real control center with a test build of
// the hook library that carries a freed-memory watch and shows its records,
// the test program's windows in another process, real clicks.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "EndToEndSupport.h"

using namespace vpw;
using namespace vpw::test;

namespace {

enum class THost { Forward, Swallow, Answer, Cut, Resubclass, Busy, Waits };
enum class TEvent { Reload, Restart, Quit };  // in the order a program meets them
enum class TAction { Tray, Edge, Rollup, OnTop, RunMode };

const char* Name(THost h) {
    static const char* names[] = {"forward", "swallow", "answer", "cut", "resubclass", "busy", "waits"};
    return names[static_cast<int>(h)];
}
const char* Name(TEvent e) {
    static const char* names[] = {"a reload", "a restarted control center", "a quit"};
    return names[static_cast<int>(e)];
}
const char* Name(TAction a) {
    static const char* names[] = {"tray", "edge", "roll-up", "stay on top", "run mode"};
    return names[static_cast<int>(a)];
}

// One window class and rule per action; the windows open in this order.
struct TActionRule {
    TAction action;
    const char* windowClass;
    const char* rule;
};
const TActionRule kActionRules[] = {
    {TAction::Tray, "VPW_HH_Tray", "E2E Hostile Tray"},
    {TAction::Edge, "VPW_HH_Edge", "E2E Hostile Edge"},
    {TAction::Rollup, "VPW_HH_Rollup", "E2E Hostile Rollup"},
    {TAction::OnTop, "VPW_HH_OnTop", "E2E Hostile OnTop"},
    {TAction::RunMode, "VPW_HH_RunMode", "E2E Hostile RunMode"},
};

std::string Enabled(const char* element, const char* name, const char* type, const TParamsXml& more = {},
                    const std::string& content = {}) {
    TParamsXml params{{"enabled", "yes"}, {"save_current_operation", "no"}};
    params.insert(params.end(), more.begin(), more.end());
    return ItemXml(element, name, type, params, content);
}

std::string MinimiseTo(const char* action) {
    return ItemXml("trigger", "MinimizeEvent", "SCMINIMIZEMESSAGETRIGGER", {{"enabled", "yes"}},
                   AgentsXml(ItemXml("agent", "MinimizeEventAgent", "MESSAGEAGENT",
                                     {{"enabled", "yes"}, {"action_name", action}, {"action_kind", "next"}})));
}

std::string CaptionButton(const char* agent) {
    return ItemXml("trigger", "CaptionButtons", "CAPTIONBUTTONTRIGGER", {{"enabled", "yes"}},
                   AgentsXml(ItemXml("agent", agent, "CAPTIONBUTTONAGENT", {{"enabled", "yes"}})));
}

// Over the template: its actions that toggle save nothing, so that a new
// extender starts from the window as it finds it.
std::string HostileConfig() {
    std::string off = Enabled("action", "StayOnTopForCaptionButton", "STAYONTOPACTION") +
                      Enabled("action", "WindowRollupForCaptionButton", "WINDOWROLLUPACTION") +
                      Enabled("action", "MinToTrayForMinimizeEvent", "MINTOTRAYACTION") +
                      Enabled("action", "MinToEdgeForMinimizeEvent", "MINTOEDGEACTION");
    std::string runMode =
        off + Enabled("action", "RunModeForCreateMessage", "RUNMODEACTION", {{"run_mode", "maximize"}});
    return RulesConfig({{kActionRules[0].rule, kActionRules[0].windowClass, off, MinimiseTo("MinToTrayForMinimizeEvent")},
                        {kActionRules[1].rule, kActionRules[1].windowClass, off, MinimiseTo("MinToEdgeForMinimizeEvent")},
                        {kActionRules[2].rule, kActionRules[2].windowClass, off, CaptionButton("WindowRollupCaptionButton")},
                        {kActionRules[3].rule, kActionRules[3].windowClass, off, CaptionButton("StayOnTopCaptionButton")},
                        {kActionRules[4].rule, kActionRules[4].windowClass, runMode, ""}});
}

std::string WatchedLibraryDir() { return Bin() + "watched\\"; }

struct TRow {
    THost host;
    TEvent event;
    TAction action;
};

HWND IconWindow() {
    HWND icon = FindWindowA(kIconWindowClass, nullptr);
    return icon && IsWindowVisible(icon) ? icon : nullptr;
}

// The action run as a user runs it; false when the window does not show it.
bool Apply(TAction action, HWND window) {
    if (action == TAction::RunMode) return true;  // at every attach the window lets through (see below)
    SetForegroundWindow(window);
    WaitUntil([&] { return GetForegroundWindow() == window; }, 1000);
    switch (action) {
    case TAction::Tray:
        Minimise(window);
        return WaitUntil([&] { return !IsWindowVisible(window) && HasTrayIcon(window); }, 5000);
    case TAction::Edge:
        Minimise(window);
        return WaitUntil([&] { return !IsWindowVisible(window) && IconWindow(); }, 5000);
    case TAction::Rollup:
        Sleep(200);
        Click(Center(ExpectedButton(window)));
        return WaitUntil([&] { return RolledUp(window); }, 5000);
    case TAction::OnTop:
        Sleep(200);
        Click(Center(ExpectedButton(window)));
        return WaitUntil([&] { return Topmost(window); }, 5000);
    default:
        return false;
    }
}

// One program of one behaviour with a window per action, against one
// control center from first attach to its quit.
class THostileRun {
public:
    explicit THostileRun(THost host) : host_(host), system_(Bin(), HostileConfig(), WatchedLibraryDir()) {
        for (const TActionRule& r : kActionRules) DeleteRuleState(r.rule);
    }
    ~THostileRun() {
        for (const auto& [action, window] : windows_)
            if (IsWindow(window)) PostMessageA(window, WM_CLOSE, 0, 0);
        if (target_) target_->Wait(5000);
        system_.StopCenter();
        for (const TActionRule& r : kActionRules) DeleteRuleState(r.rule);
    }

    // False when something did not come up; Failure() says what.
    bool Start() {
        if (!system_.Copied()) return Fail(system_.CopyFailure());
        std::string failed;
        if (!system_.StartCenter(&failed)) return Fail(failed);
        std::vector<std::string> args{"hostile", Name(host_)};
        for (const TActionRule& r : kActionRules) {
            args.push_back(r.windowClass);
            args.push_back(std::string("E2E hostile ") + Name(host_) + " " + Name(r.action));
        }
        target_ = StartTarget(ModuleDir(), args);
        if (!target_->Started()) return Fail("the test program did not start");
        for (const TActionRule& r : kActionRules) {
            HWND window = WaitForWindow(r.windowClass, nullptr);
            if (!window) return Fail(std::string("no window of class ") + r.windowClass + " in 10 s");
            windows_[r.action] = window;
        }
        if (!WaitUntil([&] { return AllExtendedAnew(); }, 10000)) return Fail("not every window extended in 10 s");
        Sleep(300);  // the run mode's maximise, the layers the program puts on top
        handles_ = QueryTarget(First(), kQueryLibraryHandles);
        if (QueryTarget(First(), kQueryStartWatch) != 1) return Fail("the freed-memory watch did not start");
        return true;
    }
    const std::string& Failure() const { return failure_; }

    HWND Window(TAction action) { return windows_[action]; }

    // The program's part after the actions and before the event.
    void BeforeEvent() {
        if (host_ == THost::Cut) {
            for (const auto& [action, window] : windows_) EXPECT_EQ(QueryTarget(window, kQueryRemoveOwnSubclass), 1);
        }
        if (host_ == THost::Busy) MakeTargetBusy(First(), 300);
    }

    void Meet(TEvent event) {
        switch (event) {
        case TEvent::Reload:
            system_.WriteConfig(HostileConfig());
            EXPECT_EQ(SendCommand(CMD_RELOAD_CONFIG, {}, nullptr, 2000), CMD_REPLY_DONE);
            EXPECT_TRUE(WaitUntil([&] { return AllExtendedAnew(); }, 10000)) << "attached again";
            Sleep(300);
            break;
        case TEvent::Restart:
            EXPECT_EQ(system_.StopCenter(), 0u);
            EXPECT_TRUE(system_.StartCenter());
            EXPECT_TRUE(WaitUntil([&] { return AllExtendedAnew(); }, 10000)) << "attached again";
            Sleep(300);
            break;
        case TEvent::Quit:
            EXPECT_EQ(system_.StopCenter(), 0u);
            EXPECT_TRUE(WaitUntil([&] { return NoneExtended(); }, 10000)) << "every extender gone";
            break;
        }
    }

    // Shown, not rolled up, where it was, not topmost, no icon of it left.
    // A window that the run mode maximised is restored by its button first:
    // its place is where that puts it.
    void ExpectBack(TAction action) {
        HWND window = windows_[action];
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) && !IsIconic(window); }, 5000)) << "shown";
        if (IsZoomed(window)) {
            SetForegroundWindow(window);
            Sleep(200);
            Click(SystemButton(window, HTMAXBUTTON));
            EXPECT_TRUE(WaitUntil([&] { return !IsZoomed(window); }, 3000)) << "restored";
        }
        EXPECT_TRUE(WaitUntil([&] { return QueryTarget(window, kQueryInPlace) == 1; }, 3000))
            << "in its place, full size";
        EXPECT_FALSE(Topmost(window));
        EXPECT_TRUE(WaitUntil([&] { return !HasTrayIcon(window); }, 3000)) << "no tray icon";
        EXPECT_TRUE(WaitUntil([&] { return !IconWindow(); }, 3000)) << "no icon window";
    }

    // One send of the test message to each window runs each of the
    // program's procedures once.
    void ExpectOneRunPerSend() {
        for (const auto& [action, window] : windows_) {
            SCOPED_TRACE(Name(action));
            ++number_;
            SendMessageTimeoutA(window, kTestMessage, number_, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
            EXPECT_EQ(QueryTarget(window, kQueryTestRuns, static_cast<LPARAM>(number_)), 1);
        }
    }

    // The blocks the library freed on the program's thread since the last
    // look: none written to.
    void ExpectNoFreedMemoryWritten(bool again) {
        EXPECT_EQ(QueryTarget(First(), kQueryStopWatch), 0) << "freed blocks written to";
        if (again) {
            EXPECT_EQ(QueryTarget(First(), kQueryStartWatch), 1);
        }
    }

    // After the quit: the library holds nothing for the windows, and no
    // more GDI objects, icons and menus than with its extenders attached.
    void ExpectNothingLeft() {
        for (const auto& [action, window] : windows_) {
            SCOPED_TRACE(Name(action));
            EXPECT_EQ(QueryTarget(window, kQueryLibraryRecords), 0) << "extenders, listings, rule texts";
        }
        EXPECT_LE(QueryTarget(First(), kQueryLibraryHandles), handles_) << "GDI objects, icons and menus";
    }

    // The program still closes its windows and ends well.
    void ExpectClosesWell() {
        for (const auto& [action, window] : windows_) PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(target_->Wait(10000), 0u);
    }

private:
    HWND First() { return windows_.begin()->second; }
    bool Fail(std::string what) {
        failure_ = std::move(what);
        return false;
    }

    // Every window has an extender, none the one it had at the last look.
    bool AllExtendedAnew() {
        for (const auto& [action, window] : windows_) {
            LRESULT id = QueryTarget(window, kQueryExtended);
            if (id <= 0 || id == extenders_[action]) return false;
        }
        for (const auto& [action, window] : windows_) extenders_[action] = QueryTarget(window, kQueryExtended);
        return true;
    }
    bool NoneExtended() {
        return std::all_of(windows_.begin(), windows_.end(),
                           [](const auto& w) { return QueryTarget(w.second, kQueryExtended) == 0; });
    }

    THost host_;
    TSystemFolder system_;
    std::unique_ptr<ChildProcess> target_;
    std::map<TAction, HWND> windows_;
    std::map<TAction, LRESULT> extenders_;
    LRESULT handles_ = 0;
    WPARAM number_ = 0;
    std::string failure_;
};

// Every behaviour meets every event, and every action, at least once; the
// actions are spread so that each also meets each event.
const TRow kRows[] = {
    {THost::Forward, TEvent::Reload, TAction::Tray},       {THost::Forward, TEvent::Reload, TAction::Rollup},
    {THost::Forward, TEvent::Restart, TAction::Edge},      {THost::Forward, TEvent::Restart, TAction::OnTop},
    {THost::Forward, TEvent::Quit, TAction::RunMode},      {THost::Forward, TEvent::Quit, TAction::Tray},

    {THost::Swallow, TEvent::Reload, TAction::Edge},       {THost::Swallow, TEvent::Reload, TAction::OnTop},
    {THost::Swallow, TEvent::Restart, TAction::Rollup},    {THost::Swallow, TEvent::Restart, TAction::RunMode},
    {THost::Swallow, TEvent::Quit, TAction::Tray},         {THost::Swallow, TEvent::Quit, TAction::Edge},

    {THost::Answer, TEvent::Reload, TAction::Rollup},      {THost::Answer, TEvent::Reload, TAction::RunMode},
    {THost::Answer, TEvent::Restart, TAction::Tray},       {THost::Answer, TEvent::Restart, TAction::OnTop},
    {THost::Answer, TEvent::Quit, TAction::Edge},          {THost::Answer, TEvent::Quit, TAction::Rollup},

    {THost::Cut, TEvent::Reload, TAction::OnTop},          {THost::Cut, TEvent::Reload, TAction::Tray},
    {THost::Cut, TEvent::Restart, TAction::RunMode},       {THost::Cut, TEvent::Restart, TAction::Edge},
    {THost::Cut, TEvent::Quit, TAction::Rollup},           {THost::Cut, TEvent::Quit, TAction::Tray},

    {THost::Resubclass, TEvent::Reload, TAction::RunMode}, {THost::Resubclass, TEvent::Reload, TAction::Edge},
    {THost::Resubclass, TEvent::Restart, TAction::Tray},   {THost::Resubclass, TEvent::Restart, TAction::Rollup},
    {THost::Resubclass, TEvent::Quit, TAction::OnTop},     {THost::Resubclass, TEvent::Quit, TAction::Edge},

    {THost::Busy, TEvent::Reload, TAction::Tray},          {THost::Busy, TEvent::Reload, TAction::OnTop},
    {THost::Busy, TEvent::Restart, TAction::Edge},         {THost::Busy, TEvent::Restart, TAction::RunMode},
    {THost::Busy, TEvent::Quit, TAction::Rollup},          {THost::Busy, TEvent::Quit, TAction::Tray},

    {THost::Waits, TEvent::Reload, TAction::Edge},         {THost::Waits, TEvent::Reload, TAction::Rollup},
    {THost::Waits, TEvent::Restart, TAction::OnTop},       {THost::Waits, TEvent::Restart, TAction::Tray},
    {THost::Waits, TEvent::Quit, TAction::RunMode},        {THost::Waits, TEvent::Quit, TAction::Edge},
};

// Each behaviour's rows in one program: its actions, then its event, in the
// order reload, restart, quit; after each event the same invariants.
TEST(HostileHosts, EveryWindowComesBackWholeWhateverItsHostDoesWithItsChainAndThread) {
    std::vector<THost> hosts;
    for (const TRow& row : kRows)
        if (std::find(hosts.begin(), hosts.end(), row.host) == hosts.end()) hosts.push_back(row.host);
    for (THost host : hosts) {
        SCOPED_TRACE(std::string("host: ") + Name(host));
        THostileRun run(host);
        ASSERT_TRUE(run.Start()) << run.Failure();
        for (TEvent event : {TEvent::Reload, TEvent::Restart, TEvent::Quit}) {
            std::vector<TAction> actions;
            for (const TRow& row : kRows)
                if (row.host == host && row.event == event) actions.push_back(row.action);
            if (actions.empty()) continue;
            SCOPED_TRACE(std::string("event: ") + Name(event));
            for (TAction action : actions) EXPECT_TRUE(Apply(action, run.Window(action))) << Name(action);
            run.BeforeEvent();
            run.Meet(event);
            for (TAction action : actions) {
                SCOPED_TRACE(std::string("action: ") + Name(action));
                run.ExpectBack(action);
            }
            run.ExpectOneRunPerSend();
            run.ExpectNoFreedMemoryWritten(event != TEvent::Quit);
        }
        run.ExpectNothingLeft();
        run.ExpectClosesWell();
    }
}

}  // namespace
