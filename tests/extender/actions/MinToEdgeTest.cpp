// Minimise to the screen edge on a real window: the icon window, real clicks
// and drags on it, and the icon position kept under the rule's key.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "AppConsts.h"
#include "FreedMemoryWatch.h"
#include "RegistryRoutines.h"
#include "RulePartsTestSupport.h"
#include "WinTestSupport.h"
#include "WinHandles.h"
#include "uEAMinToEdgeAction.h"
#include "uEmbededApplication.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

constexpr char kRule[] = "UT Edge";

std::string RuleKey() { return std::string(WINDOW_RULES_REGISTRY_KEY) + kRule; }

std::string EdgeRule(const std::string& extraKeys = {}) {
    return std::string("\\WINDOWRULENAME=") + kRule + "\\ACTION=MINTOEDGEACTION{\\NAME=Edge\\SAVECURRENTOPERATION=no" +
           extraKeys + "\\}";
}

void StorePosition(const char* left, const char* top) {
    RegDeleteKeyA(HKEY_CURRENT_USER, RuleKey().c_str());
    if (left) WriteRegString(HKEY_CURRENT_USER, RuleKey(), ICON_WINDOW_LEFT_VALUE, left);
    if (top) WriteRegString(HKEY_CURRENT_USER, RuleKey(), ICON_WINDOW_TOP_VALUE, top);
}

std::string Stored(const char* name) {
    std::string value = "<none>";
    ReadRegString(HKEY_CURRENT_USER, RuleKey(), name, value);
    return value;
}

TMinToEdgeAction* EdgeAction(const TAttachedRule& rule) { return rule.ActionAs<TMinToEdgeAction>("Edge"); }

// A real press at `from`, moved in steps to `to`, and released there. The
// input comes from another thread: this one owns the icon window and runs
// the system's move loop while the button is down. `midway` runs on the
// input's thread halfway through the move.
void Drag(POINT from, POINT to, const std::function<void()>& midway = {}) {
    std::atomic<bool> done{false};
    std::thread hand([&] {
        SetCursorPos(from.x, from.y);
        Sleep(50);
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        Sleep(100);
        for (int step = 1; step <= 8; ++step) {
            SetCursorPos(from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8);
            SendMouse(MOUSEEVENTF_MOVE);
            Sleep(30);
            if (step == 4 && midway) midway();
        }
        SendMouse(MOUSEEVENTF_LEFTUP);
        Sleep(50);
        done = true;
    });
    while (!done) Pump(10);
    hand.join();
    Pump(100);
    SetCursorPos(700, 700);
}

void ClickAt(POINT at) { Drag(at, at); }

POINT CenterOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(MinToEdgeAction, AClickOnTheIconWindowBringsTheWindowBackInItsFormerState) {
    struct Case {
        const char* what;
        int showCommand;
        bool zoomedAfter;
    } cases[] = {{"normal", SW_SHOWNORMAL, false},
                 {"maximised stays maximised", SW_SHOWMAXIMIZED, true},
                 {"minimised comes back restored", SW_SHOWMINIMIZED, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StorePosition(nullptr, nullptr);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), EdgeRule());
        TMinToEdgeAction* action = EdgeAction(rule);
        ASSERT_NE(action, nullptr);
        ShowWindow(window.Get(), c.showCommand);
        Pump(20);

        ASSERT_TRUE(action->ExecuteNextOperation());
        EXPECT_EQ(CurrentName(action), "MINTOEDGEON");
        EXPECT_FALSE(IsWindowVisible(window.Get()));
        ASSERT_NE(action->GetIconWindow(), nullptr);
        HWND icon = action->GetIconWindow()->Handle();
        Pump(30);
        EXPECT_TRUE(IsWindowVisible(icon));
        EXPECT_TRUE(GetWindowLongA(icon, GWL_EXSTYLE) & WS_EX_TOPMOST);
        RECT r{};
        GetWindowRect(icon, &r);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSMICON) + 6);
        EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSMICON) + 6);
        char cls[64] = {};
        GetClassNameA(icon, cls, sizeof cls);
        EXPECT_STREQ(cls, ICON_WINDOW_CLASS_NAME);

        // A press and release in place: the move loop may keep the release.
        ClickAt(CenterOf(icon));
        EXPECT_TRUE(IsWindowVisible(window.Get()));
        EXPECT_FALSE(IsIconic(window.Get()));
        EXPECT_EQ(IsZoomed(window.Get()) != FALSE, c.zoomedAfter);
        EXPECT_EQ(CurrentName(action), "MINTOEDGEOFF");
        EXPECT_EQ(action->GetIconWindow(), nullptr);
        Pump(50);
        EXPECT_FALSE(IsWindow(icon)) << "destroyed once its click was handled";
    }
}

TEST(MinToEdgeAction, TheLargeIconGivesTheLargerWindow) {
    struct Case {
        const char* value;
        bool large;
    } cases[] = {{"yes", true}, {"YES", true}, {"Yes", true}, {"no", false}, {"", false}, {"1", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), EdgeRule(std::string("\\USELARGEICON=") + c.value));
        TMinToEdgeAction* action = EdgeAction(rule);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->ExecuteOperation("MINTOEDGEON"));
        ASSERT_NE(action->GetIconWindow(), nullptr);
        RECT r{};
        GetWindowRect(action->GetIconWindow()->Handle(), &r);
        EXPECT_EQ(r.right - r.left, GetSystemMetrics(c.large ? SM_CXICON : SM_CXSMICON) + 6);
        EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(c.large ? SM_CYICON : SM_CYSMICON) + 6);
    }
}

TEST(MinToEdgeAction, OnlyItsOwnOperationsAndOneIconWindowAtATime) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), EdgeRule());
    TMinToEdgeAction* action = EdgeAction(rule);
    ASSERT_NE(action, nullptr);
    ShowWindow(window.Get(), SW_SHOWMAXIMIZED);
    EXPECT_TRUE(action->ExecuteOperation("MINTOEDGEOFF"));
    EXPECT_TRUE(IsZoomed(window.Get()));
    EXPECT_FALSE(action->ExecuteOperation("MINTOTRAYON"));
    EXPECT_TRUE(IsWindowVisible(window.Get()));

    int before = TIconWnd::LiveCount();
    ASSERT_TRUE(action->ExecuteOperation("MINTOEDGEON"));
    TIconWnd* first = action->GetIconWindow();
    EXPECT_TRUE(action->ExecuteOperation("MINTOEDGEON"));
    EXPECT_EQ(action->GetIconWindow(), first);
    EXPECT_EQ(TIconWnd::LiveCount(), before + 1);
    EXPECT_TRUE(action->ExecuteOperation("MINTOEDGEOFF"));
    EXPECT_TRUE(IsZoomed(window.Get()));
    EXPECT_EQ(TIconWnd::LiveCount(), before);
}

TEST(MinToEdgeAction, StoredPositionsAreReadUntilTheFirstBadValue) {
    struct Case {
        const char* what;
        const char* left;
        const char* top;
        int iconLeft, iconTop;  // as read
        int placedLeft, placedTop;
    } cases[] = {
        {"nothing stored", nullptr, nullptr, 0, 0, 0, 0},
        {"a place on the screen", "200", "150", 200, 150, 200, 150},
        {"partly left of and above the screen", "-5", "-3", -5, -3, -5, -3},
        {"a left that is no number stops the reading", "abc", "150", 0, 0, 0, 0},
        {"a top that is no number keeps the left", "200", "x1", 200, 0, 200, 0},
        {"outside every monitor: the corner", "5000", "4000", 5000, 4000, 0, 0},
        {"at the integer limit: the corner", "2147483647", "2147483647", 2147483647, 2147483647, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StorePosition(c.left, c.top);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), EdgeRule());
        TMinToEdgeAction* action = EdgeAction(rule);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->GetIconLeft(), c.iconLeft);
        EXPECT_EQ(action->GetIconTop(), c.iconTop);
        ASSERT_TRUE(action->ExecuteOperation("MINTOEDGEON"));
        RECT r{};
        GetWindowRect(action->GetIconWindow()->Handle(), &r);
        EXPECT_EQ(r.left, c.placedLeft);
        EXPECT_EQ(r.top, c.placedTop);
        rule.Release();
        EXPECT_TRUE(IsWindowVisible(window.Get())) << "detaching at the edge brings the window back";
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, RuleKey().c_str());
}

TEST(MinToEdgeAction, ADraggedIconWindowKeepsItsPlaceForTheNextTime) {
    StorePosition(nullptr, nullptr);
    TTargetWindow window;
    {
        TAttachedRule rule(window.Get(), EdgeRule());
        TMinToEdgeAction* action = EdgeAction(rule);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->ExecuteOperation("MINTOEDGEON"));
        HWND icon = action->GetIconWindow()->Handle();
        Pump(30);
        POINT from = CenterOf(icon);
        Drag(from, POINT{from.x + 150, from.y + 100});
        RECT r{};
        GetWindowRect(icon, &r);
        EXPECT_EQ(r.left, 150);
        EXPECT_EQ(r.top, 100);
        EXPECT_FALSE(IsWindowVisible(window.Get())) << "a drag is no click";
        EXPECT_TRUE(IsWindowVisible(icon));

        ClickAt(CenterOf(icon));
        EXPECT_TRUE(IsWindowVisible(window.Get()));
        EXPECT_EQ(action->GetIconLeft(), 150);
        EXPECT_EQ(action->GetIconTop(), 100);

        // Again in the same attachment: there.
        ASSERT_TRUE(action->ExecuteOperation("MINTOEDGEON"));
        GetWindowRect(action->GetIconWindow()->Handle(), &r);
        EXPECT_EQ(r.left, 150);
        EXPECT_EQ(r.top, 100);
    }
    EXPECT_EQ(Stored(ICON_WINDOW_LEFT_VALUE), "150");
    EXPECT_EQ(Stored(ICON_WINDOW_TOP_VALUE), "100");

    // And at the next attachment.
    TAttachedRule again(window.Get(), EdgeRule());
    TMinToEdgeAction* action = EdgeAction(again);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->ExecuteOperation("MINTOEDGEON"));
    RECT r{};
    GetWindowRect(action->GetIconWindow()->Handle(), &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 100);
    again.Release();
    RegDeleteKeyA(HKEY_CURRENT_USER, RuleKey().c_str());
}

TEST(MinToEdgeAction, TwentyRoundTripsLeaveNothingBehind) {
    StorePosition(nullptr, nullptr);
    TTargetWindow window;
    TAttachedRule rule(window.Get(), EdgeRule());
    TMinToEdgeAction* action = EdgeAction(rule);
    ASSERT_NE(action, nullptr);
    THandleCounts before = LiveHandleCounts();
    int iconWindows = TIconWnd::LiveCount();
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(action->ExecuteNextOperation());
        ASSERT_NE(action->GetIconWindow(), nullptr);
        HWND icon = action->GetIconWindow()->Handle();
        Pump(20);
        ClickAt(CenterOf(icon));
        ASSERT_TRUE(IsWindowVisible(window.Get())) << i;
    }
    Pump(50);
    THandleCounts after = LiveHandleCounts();
    EXPECT_EQ(TIconWnd::LiveCount(), iconWindows);
    EXPECT_EQ(FindWindowA(ICON_WINDOW_CLASS_NAME, nullptr), nullptr);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.icons, before.icons);
    EXPECT_EQ(after.menus, before.menus);
    RegDeleteKeyA(HKEY_CURRENT_USER, RuleKey().c_str());
}

// A shown top-level window that its program may destroy.
HWND ClosableWindow() {
    return CreateWindowExA(0, "STATIC", "Edge host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 200, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

std::atomic<bool> g_closeFromTimer{false};
HWND g_timerCloses = nullptr;
void CALLBACK CloseFromTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (!g_closeFromTimer) return;
    KillTimer(nullptr, id);
    DestroyWindow(g_timerCloses);
}

// The extender's release during a drag of the icon window, from each of
// the ways it arrives: the window's action and with it the icon window's
// owner are gone while the icon window's move loop still runs.
TEST(MinToEdgeAction, ADetachDuringADragOfTheIconWindowLeavesNothingBehind) {
    enum class TArrival { DetachMessage, PostedClose, Timer };
    struct Case {
        const char* what;
        TArrival arrival;
    } cases[] = {{"the detach message (the rules reloaded, the control center quitting)", TArrival::DetachMessage},
                 {"the program posts WM_CLOSE to its hidden window", TArrival::PostedClose},
                 {"the program destroys its hidden window from a timer", TArrival::Timer}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StorePosition(nullptr, nullptr);
        int iconWindows = TIconWnd::LiveCount();
        bool destroys = c.arrival != TArrival::DetachMessage;
        std::unique_ptr<TTargetWindow> kept;
        HWND host = nullptr;
        if (destroys) {
            host = ClosableWindow();
        } else {
            kept = std::make_unique<TTargetWindow>();
            host = kept->Get();
        }
        ASSERT_NE(host, nullptr);
        Pump(30);
        CreateEmbededApplication();
        EmbededApplication()->ApplyWindowRuleData(host, EdgeRule());
        HWND icon = nullptr;
        {
            IPtr<IWindowHandler> handler = Supports<IWindowHandler>(EmbededApplication()->FindExtender(host));
            ASSERT_TRUE(handler);
            IPtr<IAction> action = handler->GetActions()->GetAction("Edge");
            ASSERT_TRUE(action && action->ExecuteOperation("MINTOEDGEON"));
            icon = dynamic_cast<TMinToEdgeAction*>(action.get())->GetIconWindow()->Handle();
        }  // the library holds the action alone
        ASSERT_FALSE(IsWindowVisible(host));
        Pump(30);

        DWORD owner = GetCurrentThreadId();
        bool inMoveLoop = false;
        g_closeFromTimer = false;
        g_timerCloses = host;
        UINT_PTR timer = c.arrival == TArrival::Timer ? SetTimer(nullptr, 0, 10, &CloseFromTimer) : 0;
        int writtenAfterFree = 0;
        {
            TFreedMemoryWatch watch;
            POINT from = CenterOf(icon);
            Drag(from, POINT{from.x + 120, from.y + 80}, [&] {
                GUITHREADINFO info{};
                info.cbSize = sizeof info;
                inMoveLoop = GetGUIThreadInfo(owner, &info) && (info.flags & GUI_INMOVESIZE) &&
                             info.hwndMoveSize == icon;
                if (c.arrival == TArrival::DetachMessage)
                    SendNotifyMessageA(host, WM_DETACHEXTENDER, 0, 0);
                else if (c.arrival == TArrival::PostedClose)
                    PostMessageA(host, WM_CLOSE, 0, 0);
                else
                    g_closeFromTimer = true;
                Sleep(150);
            });
            writtenAfterFree = watch.Stop();
        }
        if (timer) KillTimer(nullptr, timer);
        EXPECT_TRUE(inMoveLoop) << "the detach came while the icon window was being dragged";
        EXPECT_EQ(writtenAfterFree, 0) << "memory written after it was freed";
        EXPECT_EQ(EmbededApplication()->ExtenderCount(), 0);
        if (destroys)
            EXPECT_FALSE(IsWindow(host));
        else
            EXPECT_TRUE(IsWindowVisible(host)) << "the window came back";
        Pump(50);
        EXPECT_FALSE(IsWindow(icon));
        EXPECT_EQ(FindWindowA(ICON_WINDOW_CLASS_NAME, nullptr), nullptr);
        EXPECT_EQ(TIconWnd::LiveCount(), iconWindows);
        FreeEmbededApplication();
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, RuleKey().c_str());
}

// A thread that destroys its window at the edge and ends at once never
// handles the message its icon window was let go of with.
TEST(MinToEdgeAction, IconWindowsOfThreadsThatEndedAreFreed) {
    StorePosition(nullptr, nullptr);
    int iconWindows = TIconWnd::LiveCount();
    CreateEmbededApplication();
    for (int i = 0; i < 3; ++i) {
        std::thread program([] {
            HWND host = ClosableWindow();
            EmbededApplication()->ApplyWindowRuleData(host, EdgeRule());
            {
                IPtr<IWindowHandler> handler = Supports<IWindowHandler>(EmbededApplication()->FindExtender(host));
                IPtr<IAction> action = handler ? handler->GetActions()->GetAction("Edge") : nullptr;
                if (action) action->ExecuteOperation("MINTOEDGEON");
            }
            // The program's other window has the focus, so the end of the
            // thread tells the icon window nothing.
            HWND other = ClosableWindow();
            SetForegroundWindow(other);
            DestroyWindow(host);
        });
        program.join();
    }
    EXPECT_EQ(EmbededApplication()->ExtenderCount(), 0);
    // The host goes on with its other windows.
    TTargetWindow window;
    {
        TAttachedRule rule(window.Get(), EdgeRule());
        ASSERT_TRUE(EdgeAction(rule)->ExecuteOperation("MINTOEDGEON"));
    }
    Pump(50);
    EXPECT_EQ(TIconWnd::LiveCount(), iconWindows);
    FreeEmbededApplication();
    RegDeleteKeyA(HKEY_CURRENT_USER, RuleKey().c_str());
}

}  // namespace
