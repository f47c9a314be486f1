// Minimising to the tray and to the screen edge end to end: the real control
// center and hook library, the test program's window in another process,
// the shell's real notification area, real clicks and drags.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "EndToEndSupport.h"
#include "RegistryRoutines.h"
#include "extender/MessageBoxProbe.h"

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kTrayClass[] = "VPW_E2E_Tray";
constexpr char kEdgeClass[] = "VPW_E2E_Edge";
constexpr char kTrayAction[] = "MinToTrayForMinimizeEvent";
constexpr char kEdgeAction[] = "MinToEdgeForMinimizeEvent";

// The template's minimise trigger runs `minimiseAction`; the close question
// is on, to show that closing from the tray menu does not ask.
std::string MinimiseConfig(const std::string& rule, const char* windowClass, const std::string& minimiseAction,
                           const TParamsXml& trayParams = {}, const TParamsXml& edgeParams = {}) {
    TParamsXml tray{{"enabled", "yes"}}, edge{{"enabled", "yes"}};
    tray.insert(tray.end(), trayParams.begin(), trayParams.end());
    edge.insert(edge.end(), edgeParams.begin(), edgeParams.end());
    std::string actions = ItemXml("action", kTrayAction, "MINTOTRAYACTION", tray) +
                          ItemXml("action", kEdgeAction, "MINTOEDGEACTION", edge) +
                          ItemXml("action", "CloseQuery", "CLOSEQUERYACTION", {{"enabled", "yes"}});
    std::string triggers =
        ItemXml("trigger", "MinimizeEvent", "SCMINIMIZEMESSAGETRIGGER", {{"enabled", "yes"}},
                AgentsXml(ItemXml("agent", "MinimizeEventAgent", "MESSAGEAGENT",
                                  {{"enabled", "yes"}, {"action_name", minimiseAction}, {"action_kind", "next"}})));
    return RulesConfig({{rule, windowClass, actions, triggers}});
}

HWND StartAttached(std::unique_ptr<ChildProcess>& target, const char* windowClass, const char* caption) {
    target = StartTarget(ModuleDir(), {"open", windowClass, caption});
    HWND window = WaitForWindow(windowClass, caption);
    if (!window || !WaitUntil([&] { return QueryTarget(window, kQueryAttached) >= 1; }, 10000)) return nullptr;
    Sleep(300);
    return window;
}

// ----------------------------------------------------------------- the tray

// The tips the shell's tray shows for its icons, read out of the shell's
// tool-tip controls (their texts live in the shell's memory).
std::vector<std::string> TrayTips() {
    std::vector<std::string> tips;
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    DWORD process = 0;
    if (!tray) return tips;
    GetWindowThreadProcessId(tray, &process);
    HANDLE shell = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    if (!shell) return tips;
    constexpr SIZE_T kText = 256;
    auto* remote = static_cast<BYTE*>(
        VirtualAllocEx(shell, nullptr, sizeof(TTTOOLINFOA) + kText, MEM_COMMIT, PAGE_READWRITE));
    for (HWND tip : TopLevelWindows(TOOLTIPS_CLASSA, process)) {
        int count = static_cast<int>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; remote && i < count; ++i) {
            TTTOOLINFOA info{};
            info.cbSize = sizeof info;
            info.lpszText = reinterpret_cast<LPSTR>(remote + sizeof info);
            char text[kText] = {};
            WriteProcessMemory(shell, remote, &info, sizeof info, nullptr);
            WriteProcessMemory(shell, remote + sizeof info, text, kText, nullptr);
            if (!SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(remote))) continue;
            ReadProcessMemory(shell, remote + sizeof info, text, kText - 1, nullptr);
            tips.push_back(text);
        }
    }
    if (remote) VirtualFreeEx(shell, remote, 0, MEM_RELEASE);
    CloseHandle(shell);
    return tips;
}

bool TrayShowsTip(const std::string& tip) {
    return WaitUntil(
        [&] {
            for (const std::string& t : TrayTips())
                if (t == tip) return true;
            return false;
        },
        3000);
}

void RightClick(POINT at) {
    SetCursorPos(at.x, at.y);
    Sleep(50);
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
    Sleep(50);
}

// The open popup menu of that program.
HWND OpenMenuOf(DWORD process) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            std::vector<HWND> menus = TopLevelWindows("#32768", process, true);
            found = menus.empty() ? nullptr : menus.front();
            return found != nullptr;
        },
        5000);
    return found;
}

// The middle of item `index` of `count` in an open menu window.
POINT MenuItem(HWND menu, int index, int count) {
    RECT r{};
    GetWindowRect(menu, &r);
    return POINT{(r.left + r.right) / 2, r.top + (r.bottom - r.top) * (2 * index + 1) / (2 * count)};
}

// The control center quits while `window` is in the tray: the window is
// shown, its icon goes, and the program still closes when asked.
void ExpectQuitBringsBackFromTheTray(TSystemFolder& system, ChildProcess& target, HWND window) {
    EXPECT_EQ(system.StopCenter(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return !HasTrayIcon(window); }, 5000));
    EXPECT_EQ(QueryTarget(window, kQueryPostClose), 1);
    EXPECT_EQ(target.Wait(10000), 0u);
}

TEST(EndToEnd, MinimisedToTheTrayTheIconBringsTheWindowBackAndItsMenuClosesIt) {
    const std::string rule = "E2E Tray";
    TSystemFolder system(Bin(), MinimiseConfig(rule, kTrayClass, kTrayAction));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    std::unique_ptr<ChildProcess> target;
    HWND window = StartAttached(target, kTrayClass, "E2E tray");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(HasTrayIcon(window));

    // The minimise button: hidden, and an icon in the tray.
    Minimise(window);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window) && HasTrayIcon(window); }, 5000));

    // The caption changes while in the tray: the tip follows.
    EXPECT_TRUE(TrayShowsTip("E2E tray")) << ::testing::PrintToString(TrayTips());
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("E2E tray renamed"), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    EXPECT_TRUE(TrayShowsTip("E2E tray renamed")) << ::testing::PrintToString(TrayTips());

    // A left click on the icon: back, and the icon gone.
    POINT icon{};
    ASSERT_TRUE(FindTrayIcon(window, icon));
    Click(icon);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) && !IsIconic(window); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return !HasTrayIcon(window); }, 5000));

    // The shell restarts: the icon comes back.
    Minimise(window);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window) && HasTrayIcon(window); }, 5000));
    UINT id = TrayIcons(window).front();
    NOTIFYICONDATAA data = TrayIconData(window, id);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return HasTrayIcon(window); }, 5000));
    EXPECT_FALSE(IsWindowVisible(window));

    // A right click opens the menu; "Close Window" ends the program without
    // the close question.
    ASSERT_TRUE(FindTrayIcon(window, icon));
    RightClick(icon);
    HWND menu = OpenMenuOf(target->Id());
    ASSERT_NE(menu, nullptr);
    Sleep(200);
    Click(MenuItem(menu, 1, 2));
    EXPECT_EQ(target->Wait(10000), 0u);
    EXPECT_EQ(FindMessageBox(window), nullptr);
    EXPECT_FALSE(HasTrayIcon(window));
    EXPECT_EQ(system.StopCenter(), 0u);
    DeleteRuleState(rule);
}

TEST(EndToEnd, APermanentTrayIconSurvivesARoundTripAndQuittingTheControlCenterShowsTheWindow) {
    const std::string rule = "E2E Permanent Tray";
    TSystemFolder system(Bin(), MinimiseConfig(rule, kTrayClass, kTrayAction, {{"permanent_tray_icon", "yes"}}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    std::unique_ptr<ChildProcess> target;
    HWND window = StartAttached(target, kTrayClass, "E2E permanent");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return HasTrayIcon(window); }, 5000)) << "the visible window has its icon";

    Minimise(window);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }, 5000));
    EXPECT_TRUE(HasTrayIcon(window));
    POINT icon{};
    ASSERT_TRUE(FindTrayIcon(window, icon));
    Click(icon);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window); }, 5000));
    Sleep(300);
    EXPECT_TRUE(HasTrayIcon(window)) << "the permanent icon stays";

    // A left click on it now sends the window to the tray (a click, not the
    // second half of a double click).
    Sleep(GetDoubleClickTime() + 100);
    ASSERT_TRUE(FindTrayIcon(window, icon));
    Click(icon);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }, 5000));
    EXPECT_TRUE(HasTrayIcon(window));

    // The control center quits while the window is in the tray: it is shown
    // again and its icon goes.
    ExpectQuitBringsBackFromTheTray(system, *target, window);
    DeleteRuleState(rule);
}

TEST(EndToEnd, AWindowInTheTrayComesBackWhenTheControlCenterEndsThoughItsHostBrokeTheChain) {
    // The program subclasses its window, the extender subclasses it on top,
    // and the program then writes back its original procedure: the
    // extender's procedure is out of the chain. Then the control center
    // ends while the program's thread may be busy with other work.
    enum class TEnd { Quit, SessionEnd };
    struct Case {
        const char* what;
        TEnd end;
        DWORD busy;
    } cases[] = {{"a quit, the program idle", TEnd::Quit, 0},
                 {"a quit, the program busy for 300 ms", TEnd::Quit, 300},
                 {"the session's end, the program busy for 300 ms", TEnd::SessionEnd, 300}};
    const std::string rule = "E2E Tray Broken Chain";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSystemFolder system(Bin(), MinimiseConfig(rule, kTrayClass, kTrayAction));
        ASSERT_TRUE(system.Copied());
        ASSERT_TRUE(system.StartCenter());
        auto target = StartTarget(ModuleDir(), {"open", std::string("^") + kTrayClass, "E2E broken chain"});
        HWND window = WaitForWindow(kTrayClass, "E2E broken chain");
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return QueryTarget(window, kQueryAttached) >= 1; }, 10000));
        Sleep(300);

        Minimise(window);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window) && HasTrayIcon(window); }, 5000));
        ASSERT_EQ(QueryTarget(window, kQueryRemoveOwnSubclass), 1);
        EXPECT_EQ(QueryTarget(window, kQuerySubclassed), 0) << "the program's own procedure is back";

        if (c.busy) MakeTargetBusy(window, c.busy);
        if (c.end == TEnd::SessionEnd) {
            HWND handler = FindWindowA("VPW_CommandCenterHandlerWindow", nullptr);
            ASSERT_NE(handler, nullptr);
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(handler, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer);
            SendMessageTimeoutA(handler, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, &answer);
        }
        ExpectQuitBringsBackFromTheTray(system, *target, window);
    }
    DeleteRuleState(rule);
}

// ------------------------------------------------------------ the screen edge

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// A real press, a move in steps and a release; `midway` runs halfway
// through the move.
void Drag(POINT from, POINT to, const std::function<void()>& midway = {}) {
    SetCursorPos(from.x, from.y);
    Sleep(50);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Sleep(150);
    for (int step = 1; step <= 8; ++step) {
        SetCursorPos(from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8);
        SendMouse(MOUSEEVENTF_MOVE);
        Sleep(40);
        if (step == 4 && midway) midway();
    }
    SendMouse(MOUSEEVENTF_LEFTUP);
    Sleep(100);
    SetCursorPos(kOutOfTheWay.x, kOutOfTheWay.y);
}

HWND WaitForIconWindow() {
    HWND icon = nullptr;
    WaitUntil(
        [&] {
            icon = FindWindowA(kIconWindowClass, nullptr);
            return icon && IsWindowVisible(icon);
        },
        5000);
    return icon;
}

std::string StoredIconPosition(const std::string& rule) {
    std::string left = "<none>", top = "<none>";
    ReadRegString(HKEY_CURRENT_USER, kWindowRulesKey + rule, "MinToEdge_IconWndLeft", left);
    ReadRegString(HKEY_CURRENT_USER, kWindowRulesKey + rule, "MinToEdge_IconWndTop", top);
    return left + "," + top;
}

TEST(EndToEnd, MinimisedToTheEdgeTheIconWindowCanBeDraggedAndBringsTheWindowBack) {
    const std::string rule = "E2E Edge";
    DeleteRuleState(rule);
    TSystemFolder system(Bin(), MinimiseConfig(rule, kEdgeClass, kEdgeAction));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    std::unique_ptr<ChildProcess> target;
    HWND window = StartAttached(target, kEdgeClass, "E2E edge");
    ASSERT_NE(window, nullptr);

    Minimise(window);
    HWND icon = WaitForIconWindow();
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongA(icon, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r = WindowRect(icon);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSMICON) + 6);
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSMICON) + 6);

    // Dragged: it moves, and the window stays away.
    Drag(Center(r), POINT{Center(r).x + 300, Center(r).y + 200});
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(icon).left == 300 && WindowRect(icon).top == 200; }, 3000))
        << WindowRect(icon).left << "," << WindowRect(icon).top;
    EXPECT_FALSE(IsWindowVisible(window));

    // Clicked: the window is back and the icon window gone.
    Click(Center(WindowRect(icon)));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) && !IsIconic(window); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(icon); }, 5000));

    // The place is the rule's once the program has closed.
    EXPECT_EQ(QueryTarget(window, kQueryPostClose), 1);
    EXPECT_EQ(target->Wait(10000), 0u);
    EXPECT_EQ(StoredIconPosition(rule), "300,200");

    // The next window of the rule finds its icon window there.
    window = StartAttached(target, kEdgeClass, "E2E edge again");
    ASSERT_NE(window, nullptr);
    Minimise(window);
    icon = WaitForIconWindow();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(WindowRect(icon).left, 300);
    EXPECT_EQ(WindowRect(icon).top, 200);
    Click(Center(WindowRect(icon)));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window); }, 5000));
    EXPECT_EQ(QueryTarget(window, kQueryPostClose), 1);
    EXPECT_EQ(target->Wait(10000), 0u);
    EXPECT_EQ(system.StopCenter(), 0u);
    DeleteRuleState(rule);
}

TEST(EndToEnd, TheLargeIconGivesTheLargerIconWindow) {
    const std::string rule = "E2E Edge Large";
    DeleteRuleState(rule);
    TSystemFolder system(Bin(), MinimiseConfig(rule, kEdgeClass, kEdgeAction, {}, {{"use_large_icon", "yes"}}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    std::unique_ptr<ChildProcess> target;
    HWND window = StartAttached(target, kEdgeClass, "E2E edge large");
    ASSERT_NE(window, nullptr);
    Minimise(window);
    HWND icon = WaitForIconWindow();
    ASSERT_NE(icon, nullptr);
    RECT r = WindowRect(icon);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXICON) + 6);
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYICON) + 6);
    Click(Center(r));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window); }, 5000));
    EXPECT_EQ(QueryTarget(window, kQueryPostClose), 1);
    EXPECT_EQ(target->Wait(10000), 0u);
    EXPECT_EQ(system.StopCenter(), 0u);
    DeleteRuleState(rule);
}

// While the icon window is being dragged, the program's extender goes: the
// rules are saved again, the control center quits, or the program closes
// its hidden window. The program lives on, its window comes back (or is
// gone, when closed), and no icon window stays.
TEST(EndToEnd, ADetachDuringADragOfTheIconWindowLeavesTheProgramWellAndNoIconWindow) {
    enum class TDetach { RulesSaved, CenterQuits, WindowClosed };
    struct Case {
        const char* what;
        TDetach detach;
    } cases[] = {{"the rules saved again", TDetach::RulesSaved},
                 {"the control center quits", TDetach::CenterQuits},
                 {"the program closes its hidden window", TDetach::WindowClosed}};
    const std::string rule = "E2E Edge Drag";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteRuleState(rule);
        std::string config = MinimiseConfig(rule, kEdgeClass, kEdgeAction);
        TSystemFolder system(Bin(), config);
        ASSERT_TRUE(system.Copied());
        ASSERT_TRUE(system.StartCenter());
        // A second window keeps the program running when the first one closes.
        auto target = StartTarget(ModuleDir(), {"open", "VPW_E2E_Other", "E2E edge drag other", kEdgeClass,
                                                "E2E edge drag"});
        HWND other = WaitForWindow("VPW_E2E_Other", "E2E edge drag other");
        HWND window = WaitForWindow(kEdgeClass, "E2E edge drag");
        ASSERT_TRUE(other && window);
        ASSERT_TRUE(WaitUntil([&] { return QueryTarget(window, kQueryAttached) >= 1; }, 10000));
        Sleep(300);
        SetForegroundWindow(window);
        Minimise(window);
        HWND icon = WaitForIconWindow();
        ASSERT_NE(icon, nullptr);

        DWORD iconThread = GetWindowThreadProcessId(icon, nullptr);
        bool inMoveLoop = false;
        POINT from = Center(WindowRect(icon));
        Drag(from, POINT{from.x + 200, from.y + 150}, [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            inMoveLoop = GetGUIThreadInfo(iconThread, &info) && (info.flags & GUI_INMOVESIZE);
            if (c.detach == TDetach::RulesSaved) {
                system.WriteConfig(config);
                SendCommand(CMD_RELOAD_CONFIG, {}, nullptr, 2000);
            } else if (c.detach == TDetach::CenterQuits) {
                SendCommand(CMD_STOP_CONTROL_CENTER, {}, nullptr, 2000);
            } else {
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
            Sleep(300);
        });
        EXPECT_TRUE(inMoveLoop) << "the detach came during the drag";
        if (c.detach == TDetach::WindowClosed)
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5000));
        else
            EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window); }, 5000)) << "the window came back";
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(icon); }, 5000));
        EXPECT_EQ(FindWindowA(kIconWindowClass, nullptr), nullptr);
        EXPECT_EQ(target->Wait(0), STILL_ACTIVE);
        EXPECT_GE(QueryTarget(other, kQueryAttached), 0) << "the program still answers";
        for (HWND w : {other, window})
            if (IsWindow(w)) PostMessageA(w, WM_CLOSE, 0, 0);
        EXPECT_EQ(target->Wait(10000), 0u);
        system.StopCenter();
    }
    DeleteRuleState(rule);
}

// ------------------------------------------------------------- round trips

TEST(EndToEnd, TwentyRoundTripsOfEachLeaveNoIconOrIconWindowBehind) {
    const std::string trayRule = "E2E Tray Trips", edgeRule = "E2E Edge Trips";
    DeleteRuleState(edgeRule);
    std::string config = MinimiseConfig(trayRule, kTrayClass, kTrayAction);
    std::string edge = MinimiseConfig(edgeRule, kEdgeClass, kEdgeAction);
    // Both rules in one file.
    config.insert(config.find("</content></window_rules>"),
                  edge.substr(edge.find("<window_rule "), edge.find("</content></window_rules>") - edge.find("<window_rule ")));
    TSystemFolder system(Bin(), config);
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    auto target = StartTarget(ModuleDir(), {"open", kTrayClass, "E2E tray trips", kEdgeClass, "E2E edge trips"});
    HWND tray = WaitForWindow(kTrayClass, "E2E tray trips");
    HWND edgeWindow = WaitForWindow(kEdgeClass, "E2E edge trips");
    ASSERT_TRUE(tray && edgeWindow);
    ASSERT_TRUE(WaitUntil([&] { return QueryTarget(tray, kQueryAttached) >= 1; }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return QueryTarget(edgeWindow, kQueryAttached) >= 1; }, 10000));
    Sleep(300);
    LRESULT handles = QueryTarget(tray, kQueryLibraryHandles);
    EXPECT_GE(handles, 0);

    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        SetForegroundWindow(tray);
        Minimise(tray);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(tray) && HasTrayIcon(tray); }, 5000));
        POINT icon{};
        ASSERT_TRUE(FindTrayIcon(tray, icon));
        Click(icon);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(tray) && !HasTrayIcon(tray); }, 5000));

        SetForegroundWindow(edgeWindow);
        Minimise(edgeWindow);
        HWND iconWindow = WaitForIconWindow();
        ASSERT_NE(iconWindow, nullptr);
        Click(Center(WindowRect(iconWindow)));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(edgeWindow) && !IsWindow(iconWindow); }, 5000));
    }
    EXPECT_FALSE(HasTrayIcon(tray));
    EXPECT_EQ(FindWindowA(kIconWindowClass, nullptr), nullptr);
    EXPECT_EQ(QueryTarget(tray, kQueryLibraryHandles), handles) << "GDI objects, icons and menus of the library";
    PostMessageA(tray, WM_CLOSE, 0, 0);
    PostMessageA(edgeWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(target->Wait(10000), 0u);
    EXPECT_EQ(system.StopCenter(), 0u);
    DeleteRuleState(trayRule);
    DeleteRuleState(edgeRule);
}

// ------------------------------------------------- however the control center ends

// A window that an action hid keeps a way back whatever its host did with
// its chain and however the control center ended: it comes back once its
// thread runs again, or else its icon still brings it back.
TEST(EndToEnd, AHiddenWindowKeepsAWayBackHoweverTheControlCenterEnds) {
    enum class TChain { Forwards, CutOut };  // the program's own subclass under the extender's, or written back
    enum class TEnd { QuitWhileHung, Killed };
    struct Case {
        const char* what;
        bool edge;
        TChain chain;
        TEnd end;
    } cases[] = {
        {"tray, library cut out, quit while the program hangs past the wait", false, TChain::CutOut, TEnd::QuitWhileHung},
        {"edge, library cut out, quit while the program hangs past the wait", true, TChain::CutOut, TEnd::QuitWhileHung},
        {"tray, program forwards, control center killed", false, TChain::Forwards, TEnd::Killed},
        {"tray, library cut out, control center killed", false, TChain::CutOut, TEnd::Killed},
        {"edge, program forwards, control center killed", true, TChain::Forwards, TEnd::Killed},
        {"edge, library cut out, control center killed", true, TChain::CutOut, TEnd::Killed},
    };
    const std::string rule = "E2E Way Back";
    constexpr DWORD kQuitWait = 5000;  // what the control center's end waits for the windows at most
    constexpr DWORD kHang = kQuitWait + 2000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const char* cls = c.edge ? kEdgeClass : kTrayClass;
        TSystemFolder system(Bin(), MinimiseConfig(rule, cls, c.edge ? kEdgeAction : kTrayAction));
        ASSERT_TRUE(system.Copied());
        ASSERT_TRUE(system.StartCenter());
        auto target = StartTarget(ModuleDir(), {"open", std::string("^") + cls, "E2E way back"});
        HWND window = WaitForWindow(cls, "E2E way back");
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return QueryTarget(window, kQueryAttached) >= 1; }, 10000));
        Sleep(300);

        Minimise(window);
        HWND iconWindow = nullptr;
        if (c.edge) {
            iconWindow = WaitForIconWindow();
            ASSERT_NE(iconWindow, nullptr);
        } else {
            ASSERT_TRUE(WaitUntil([&] { return HasTrayIcon(window); }, 5000));
        }
        ASSERT_FALSE(IsWindowVisible(window));
        if (c.chain == TChain::CutOut) ASSERT_EQ(QueryTarget(window, kQueryRemoveOwnSubclass), 1);

        if (c.end == TEnd::QuitWhileHung) {
            MakeTargetBusy(window, kHang);
            Sleep(200);
            DWORD start = GetTickCount();
            EXPECT_EQ(system.StopCenter(), 0u);
            EXPECT_LT(GetTickCount() - start, kHang) << "the quit waits no longer than its bound";
            EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window); }, kHang + 5000)) << "back once it runs";
        } else {
            system.KillCenter();
            Sleep(300);


            EXPECT_FALSE(IsWindowVisible(window));
            if (c.edge) {
                Click(Center(WindowRect(iconWindow)));
            } else {
                POINT icon{};
                ASSERT_TRUE(FindTrayIcon(window, icon));
                Click(icon);
            }
            EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window); }, 5000)) << "its icon brought it back";
        }
        EXPECT_TRUE(WaitUntil([&] { return !HasTrayIcon(window); }, 5000)) << "no tray icon";
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(iconWindow) || !IsWindowVisible(iconWindow); }, 5000))
            << "no icon window";
        EXPECT_EQ(QueryTarget(window, kQueryPostClose), 1);
        EXPECT_EQ(target->Wait(10000), 0u);
    }
    DeleteRuleState(rule);
}

}  // namespace
