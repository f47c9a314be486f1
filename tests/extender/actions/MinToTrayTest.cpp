// Minimise to the tray on a real window with the shell's real notification
// area: the icon's clicks, its menu, shell restarts, permanent icons and
// what is left behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AppConsts.h"
#include "RulePartsTestSupport.h"
#include "WinTestSupport.h"
#include "WinHandles.h"
#include "uEAMinToTrayAction.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

std::string TrayRule(const std::string& extraKeys = {}) {
    return "\\WINDOWRULENAME=UT Tray\\ACTION=MINTOTRAYACTION{\\NAME=Tray\\SAVECURRENTOPERATION=no" + extraKeys + "\\}";
}

void DeleteIcon(HWND window, UINT id) {
    for (HWND owner : TrayIconWindowsOf(window)) {
        NOTIFYICONDATAA data{};
        data.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data.hWnd = owner;
        data.uID = id;
        Shell_NotifyIconA(NIM_DELETE, &data);
    }
}

// What the shell sends when the user clicks the icon: to the window that owns it.
void ClickIcon(HWND window, UINT id, UINT mouseMessage) {
    for (HWND owner : TrayIconWindowsOf(window))
        if (IconOf(owner, id)) SendMessageA(owner, WM_TRAYICONNOTIFY, id, mouseMessage);
    Pump(30);
}

TMinToTrayAction* TrayAction(const TAttachedRule& rule, const std::string& name = "Tray") {
    return rule.ActionAs<TMinToTrayAction>(name);
}

TEST(MinToTrayAction, GoesToTheTrayAndALeftClickBringsItBackInItsFormerState) {
    struct Case {
        const char* what;
        int showCommand;
        bool zoomedAfter;
    } cases[] = {{"normal", SW_SHOWNORMAL, false},
                 {"maximised stays maximised", SW_SHOWMAXIMIZED, true},
                 {"minimised comes back restored", SW_SHOWMINIMIZED, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), TrayRule());
        TMinToTrayAction* action = TrayAction(rule);
        ASSERT_NE(action, nullptr);
        ShowWindow(window.Get(), c.showCommand);
        Pump(20);
        EXPECT_EQ(NextName(action), "MINTOTRAYON");
        EXPECT_FALSE(IconExists(window.Get(), action->GetIconId()));

        ASSERT_TRUE(action->ExecuteNextOperation());
        EXPECT_FALSE(IsWindowVisible(window.Get()));
        EXPECT_TRUE(IconExists(window.Get(), action->GetIconId()));
        EXPECT_EQ(CurrentName(action), "MINTOTRAYON");

        ClickIcon(window.Get(), action->GetIconId(), WM_LBUTTONDOWN);
        EXPECT_TRUE(IsWindowVisible(window.Get()));
        EXPECT_FALSE(IsIconic(window.Get()));
        EXPECT_EQ(IsZoomed(window.Get()) != FALSE, c.zoomedAfter);
        EXPECT_FALSE(IconExists(window.Get(), action->GetIconId()));
        EXPECT_EQ(CurrentName(action), "MINTOTRAYOFF");
        EXPECT_EQ(window.Count(WM_TRAYICONNOTIFY), 0) << "the icon's messages are the action's own";
    }
}

TEST(MinToTrayAction, RestoringAShownWindowChangesNothingAndOtherNamesFail) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), TrayRule());
    TMinToTrayAction* action = TrayAction(rule);
    ASSERT_NE(action, nullptr);
    ShowWindow(window.Get(), SW_SHOWMAXIMIZED);
    EXPECT_TRUE(action->ExecuteOperation("MINTOTRAYOFF"));
    EXPECT_TRUE(IsZoomed(window.Get()));
    EXPECT_FALSE(action->ExecuteOperation("MINTOEDGEON"));
    EXPECT_FALSE(IconExists(window.Get(), action->GetIconId()));
}

TEST(MinToTrayAction, TwoActionsHaveTheirOwnIconsAndForeignIdsReachTheWindow) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), "\\WINDOWRULENAME=UT Tray\\ACTION=MINTOTRAYACTION{\\NAME=One\\}"
                                     "\\ACTION=MINTOTRAYACTION{\\NAME=Two\\}");
    TMinToTrayAction* one = TrayAction(rule, "One");
    TMinToTrayAction* two = TrayAction(rule, "Two");
    ASSERT_TRUE(one && two);
    EXPECT_NE(one->GetIconId(), two->GetIconId());

    UINT foreign = one->GetIconId() + two->GetIconId() + 100;
    SendMessageA(window.Get(), WM_TRAYICONNOTIFY, foreign, WM_LBUTTONDOWN);
    EXPECT_EQ(window.Count(WM_TRAYICONNOTIFY), 1);
    SendMessageA(window.Get(), WM_TRAYICONNOTIFY, one->GetIconId(), WM_MOUSEMOVE);
    EXPECT_EQ(window.Count(WM_TRAYICONNOTIFY), 1);
    EXPECT_TRUE(IsWindowVisible(window.Get()));
}

TEST(MinToTrayAction, ActionsBuiltOnSeveralThreadsAtOnceHaveTheirOwnIds) {
    constexpr int kThreads = 4, kEach = 300;
    std::vector<std::vector<UINT>> ids(kThreads);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            ++ready;
            while (ready < kThreads) {
            }
            for (int i = 0; i < kEach; ++i) ids[t].push_back(NewItem<TMinToTrayAction>("\\NAME=Id")->GetIconId());
        });
    for (auto& t : threads) t.join();
    std::vector<UINT> all;
    for (auto& v : ids) all.insert(all.end(), v.begin(), v.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}

TEST(MinToTrayAction, TheShellsRestartBringsTheIconBack) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), TrayRule());
    TMinToTrayAction* action = TrayAction(rule);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->ExecuteNextOperation());
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");

    DeleteIcon(window.Get(), action->GetIconId());
    ASSERT_FALSE(IconExists(window.Get(), action->GetIconId()));
    SendMessageA(window.Get(), taskbarCreated, 0, 0);
    EXPECT_TRUE(IconExists(window.Get(), action->GetIconId()));
    EXPECT_FALSE(IsWindowVisible(window.Get()));

    // Announced while the shell still has the icon: it is still ours to remove.
    SendMessageA(window.Get(), taskbarCreated, 0, 0);
    EXPECT_TRUE(action->GetIconShown());

    // Heard by the icon's own window alone, as when the host cut the library
    // out of its window's chain.
    DeleteIcon(window.Get(), action->GetIconId());
    for (HWND owner : TrayIconWindowsOf(window.Get())) SendMessageA(owner, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconExists(window.Get(), action->GetIconId())) << "added again by the icon's window";
    ClickIcon(window.Get(), action->GetIconId(), WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window.Get()));
    EXPECT_FALSE(IconExists(window.Get(), action->GetIconId()));
}

TEST(MinToTrayAction, APermanentIconFollowsTheWindowButStaysWhileInTheTray) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), TrayRule("\\PERMANENTTRAYICON=Yes"));
    TMinToTrayAction* action = TrayAction(rule);
    ASSERT_NE(action, nullptr);
    UINT id = action->GetIconId();
    EXPECT_TRUE(IconExists(window.Get(), id)) << "added for the visible window at attachment";

    // A left click on it sends the window to the tray, the next one back.
    ClickIcon(window.Get(), id, WM_LBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(window.Get()));
    EXPECT_TRUE(IconExists(window.Get(), id)) << "hiding to the tray keeps the icon";
    ClickIcon(window.Get(), id, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window.Get()));
    EXPECT_TRUE(IconExists(window.Get(), id)) << "coming back keeps the icon";

    // Hidden by someone else: no icon; shown again: the icon is back.
    ShowWindow(window.Get(), SW_HIDE);
    EXPECT_FALSE(IconExists(window.Get(), id));
    ShowWindow(window.Get(), SW_SHOW);
    EXPECT_TRUE(IconExists(window.Get(), id));

    rule.Release();
    EXPECT_FALSE(IconExists(window.Get(), id)) << "no icon outlives the attachment";
}

TEST(MinToTrayAction, DetachingWhileInTheTrayShowsTheWindowAgain) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), TrayRule());
    TMinToTrayAction* action = TrayAction(rule);
    ASSERT_NE(action, nullptr);
    UINT id = action->GetIconId();
    ASSERT_TRUE(action->ExecuteNextOperation());
    ASSERT_FALSE(IsWindowVisible(window.Get()));
    rule.Release();
    EXPECT_TRUE(IsWindowVisible(window.Get()));
    EXPECT_FALSE(IconExists(window.Get(), id));
}

TEST(MinToTrayAction, MenuCaptionsReplaceTheDefaultsByNameInAnyCase) {
    struct Case {
        const char* keys;
        const char* restore;
        const char* close;
    } cases[] = {
        {"", "Restore Window", "Close Window"},
        {"\\CONTEXTMENUCAPTIONS={restorewindow=Wiederherstellen;CLOSEWINDOW=Schliessen}", "Wiederherstellen",
         "Schliessen"},
        {"\\CONTEXTMENUCAPTIONS=RestoreWindow=Back", "Back", "Close Window"},
        {"\\CONTEXTMENUCAPTIONS=CloseWindow=Shut;CloseWindow=Second", "Restore Window", "Shut"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        IPtr<TMinToTrayAction> action = NewItem<TMinToTrayAction>(std::string("\\NAME=Menu") + c.keys);
        EXPECT_EQ(action->MenuCaption("RestoreWindow"), c.restore);
        EXPECT_EQ(action->MenuCaption("CloseWindow"), c.close);
    }
}

// The open tray menu of this process: its item texts, then a real click on
// the item `choose` (or, when it is -1, beside the menu).
struct TMenuPick {
    std::vector<std::string> items;
    bool found = false;
    std::function<void()> whileOpen;  // runs before the click

    void Run(int choose) {
        DWORD start = GetTickCount();
        HWND popup = nullptr;
        while (!popup && GetTickCount() - start < 5000) {
            std::vector<HWND> menus = TopLevelWindows("#32768", GetCurrentProcessId(), true);
            popup = menus.empty() ? nullptr : menus.front();
            if (!popup) Sleep(20);
        }
        if (!popup) return;
        found = true;
        if (whileOpen) whileOpen();
        auto menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
        int n = menu ? GetMenuItemCount(menu) : 0;
        for (int i = 0; i < n; ++i) {
            char text[128] = {};
            GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            items.push_back(text);
        }
        // The items share the menu window's height evenly.
        RECT r{};
        GetWindowRect(popup, &r);
        POINT at{r.right + 60, r.bottom + 60};
        if (choose >= 0 && n > 0)
            at = POINT{(r.left + r.right) / 2, r.top + (r.bottom - r.top) * (2 * choose + 1) / (2 * n)};
        SetCursorPos(at.x, at.y);
        Sleep(50);
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    }
};

TEST(MinToTrayAction, TheMenuShowsTheCaptionsAndItsChoiceNeverReachesTheHost) {
    struct Case {
        const char* what;
        int choose;
        bool visibleAfter;
        int closes;
    } cases[] = {{"Restore Window", 0, true, 0}, {"Close Window", 1, true, 1}, {"a click elsewhere", -1, false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), TrayRule("\\CONTEXTMENUCAPTIONS={RestoreWindow=Back;CloseWindow=Away}"));
        TMinToTrayAction* action = TrayAction(rule);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->ExecuteNextOperation());
        Pump(50);
        window.Reset();

        TMenuPick pick;
        std::thread picker([&] { pick.Run(c.choose); });
        ClickIcon(window.Get(), action->GetIconId(), WM_RBUTTONDOWN);  // returns when the menu closed
        picker.join();
        Pump(50);
        ASSERT_TRUE(pick.found);
        EXPECT_EQ(pick.items, (std::vector<std::string>{"Back", "Away"}));
        EXPECT_EQ(IsWindowVisible(window.Get()) != FALSE, c.visibleAfter);
        EXPECT_EQ(IconExists(window.Get(), action->GetIconId()), !c.visibleAfter);
        EXPECT_EQ(window.Count(WM_CLOSE), c.closes);
        EXPECT_EQ(window.Count(WM_COMMAND), 0);
        if (!c.visibleAfter) ClickIcon(window.Get(), action->GetIconId(), WM_LBUTTONDOWN);
    }
}

TEST(MinToTrayAction, TheMenusChoiceStillReachesTheWindowAfterADetach) {
    struct Case {
        const char* what;
        int choose;
        int closes;
    } cases[] = {{"Close Window", 1, 1}, {"Restore Window", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window;
        auto rule = std::make_unique<TAttachedRule>(window.Get(), TrayRule());
        TMinToTrayAction* action = TrayAction(*rule);
        ASSERT_NE(action, nullptr);
        UINT id = action->GetIconId();
        ASSERT_TRUE(action->ExecuteNextOperation());
        Pump(50);
        window.Reset();
        TThreadCall detach([&] { rule->Release(); });

        TMenuPick pick;
        pick.whileOpen = [&] { detach.Run(); };
        std::thread picker([&] { pick.Run(c.choose); });
        ClickIcon(window.Get(), id, WM_RBUTTONDOWN);
        picker.join();
        Pump(50);
        ASSERT_TRUE(pick.found);
        EXPECT_TRUE(IsWindowVisible(window.Get()));
        EXPECT_FALSE(IconExists(window.Get(), id));
        EXPECT_EQ(window.Count(WM_CLOSE), c.closes);
    }
}

TEST(MinToTrayAction, TwentyRoundTripsLeaveNothingBehind) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), TrayRule());
    TMinToTrayAction* action = TrayAction(rule);
    ASSERT_NE(action, nullptr);
    THandleCounts before = LiveHandleCounts();
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(action->ExecuteNextOperation());
        ASSERT_TRUE(IconExists(window.Get(), action->GetIconId()));
        ClickIcon(window.Get(), action->GetIconId(), WM_LBUTTONDOWN);
        ASSERT_TRUE(IsWindowVisible(window.Get()));
    }
    THandleCounts after = LiveHandleCounts();
    EXPECT_FALSE(IconExists(window.Get(), action->GetIconId()));
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.icons, before.icons);
    EXPECT_EQ(after.menus, before.menus);
}

}  // namespace
