// A host that re-enters an action from inside the action's own call into
// it: at one of the messages of that call the host sends itself the system
// command the rule's trigger runs on (its own minimise inside the hiding, as
// some programs do), once or more. The action goes on from what it finds,
// and the window ends shown or hidden with its icon, never lost; a detach
// afterwards brings it back whole.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "AppConsts.h"
#include "FreedMemoryWatch.h"
#include "RulePartsTestSupport.h"
#include "WinTestSupport.h"
#include "uEAMinToEdgeAction.h"
#include "uEAMinToTrayAction.h"
#include "uEAWindowRollupAction.h"
#include "uEmbededApplication.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

constexpr char kRule[] = "UT Reentry In Host Call";
constexpr WPARAM kAnyWParam = static_cast<WPARAM>(-1);

// The message at which the host re-enters, once, and how often it sends
// the command there.
UINT g_reenterAt = 0;
WPARAM g_reenterWParam = kAnyWParam;
int g_reentries = 0;
WPARAM g_command = SC_MINIMIZE;

// The message at which the host takes a new rule for its window, once (as a
// host does that waits on another thread there while a reload goes on).
UINT g_attachAt = 0;
WPARAM g_attachWParam = kAnyWParam;
std::string g_attachRule;

// Run once inside the window's hiding, as a host that opens a box or waits
// there: what the user has at that moment.
std::function<void(HWND)> g_insideHiding;

LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (g_insideHiding && m == WM_SHOWWINDOW && !wp) {
        auto inside = std::move(g_insideHiding);
        g_insideHiding = nullptr;
        inside(w);
    }
    if (g_attachAt && m == g_attachAt && (g_attachWParam == kAnyWParam || g_attachWParam == wp)) {
        g_attachAt = 0;
        EmbededApplication()->ApplyWindowRuleData(w, g_attachRule);
    }
    if (g_reenterAt && m == g_reenterAt && (g_reenterWParam == kAnyWParam || g_reenterWParam == wp)) {
        g_reenterAt = 0;
        for (int i = 0; i < g_reentries; ++i) SendMessageA(w, WM_SYSCOMMAND, g_command, 0);
    }
    if (m == WM_CLOSE) return 0;
    return DefWindowProcA(w, m, wp, lp);
}

HWND HostWindow() {
    static HWND host = CreateHostWindow("VPW_ReentryInHostCallTest", "Reentry host", &HostProc);
    return host;
}

void PutHostBack(HWND host) {
    g_reenterAt = 0;
    g_attachAt = 0;
    g_insideHiding = nullptr;
    ShowWindow(host, SW_SHOWNORMAL);
    SetWindowPos(host, HWND_NOTOPMOST, 40, 40, 320, 200, SWP_SHOWWINDOW);
    SetForegroundWindow(host);
    Pump(30);
}

// A case's start: no state of the rule kept, the host shown in its place.
void StartCase(HWND host) {
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(WINDOW_RULES_REGISTRY_KEY) + kRule).c_str());
    PutHostBack(host);
}

// After the last case: the host hidden, no state of the rule kept.
void EndCases(HWND host) {
    PutHostBack(host);
    ShowWindow(host, SW_HIDE);
    Pump(100);
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(WINDOW_RULES_REGISTRY_KEY) + kRule).c_str());
}

IPtr<IWindowExtender> HostExtender() { return EmbededApplication()->FindExtender(HostWindow()); }

IPtr<IAction> Act() { return ActionOfWindow(HostWindow(), "Act"); }

// The rule's action on the minimise command (its next operation) and on a
// caption button.
std::string Rule(const std::string& action) {
    return std::string("\\WINDOWRULENAME=") + kRule + "\\ACTION=" + action +
           "{\\NAME=Act}\\TRIGGER=SCMINIMIZEMESSAGETRIGGER{\\AGENT={\\NAME=Minimise\\ACTIONNAME=Act}}"
           "\\TRIGGER=CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=Button\\ACTIONNAME=Act}}";
}

void AttachRule(HWND host, const std::string& action) {
    CreateEmbededApplication();
    EmbededApplication()->ApplyWindowRuleData(host, Rule(action));
}

// The actions that hide a window with a way back.
struct THidingCase {
    const char* what;
    const char* action;
};
const THidingCase kHidingCases[] = {{"the tray", "MINTOTRAYACTION"}, {"the edge", "MINTOEDGEACTION"}};

void Minimise(HWND host) { SendMessageA(host, WM_SYSCOMMAND, SC_MINIMIZE, 0); }

void PressButton(HWND host) {
    POINT button = CaptionButtonCenter(HostExtender().get());
    POINT client = button;
    ScreenToClient(host, &client);
    SendMessageA(host, WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(button.x, button.y));
    SendMessageA(host, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
}

bool Topmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// The action's state is the window's, and a hidden window has its icon.
void ExpectConsistentAndReachable(HWND host) {
    IPtr<IAction> action = Act();
    ASSERT_TRUE(action);
    const std::string current = CurrentName(action.get());
    const bool visible = IsWindowVisible(host) != FALSE;
    if (auto* tray = dynamic_cast<TMinToTrayAction*>(action.get())) {
        EXPECT_EQ(tray->GetInTray(), !visible) << "in the tray exactly while hidden";
        EXPECT_EQ(current, tray->GetInTray() ? "MINTOTRAYON" : "MINTOTRAYOFF");
        if (!visible) {
            EXPECT_TRUE(IconExists(host, tray->GetIconId())) << "hidden with its icon";
        }
    } else if (auto* edge = dynamic_cast<TMinToEdgeAction*>(action.get())) {
        EXPECT_EQ(edge->GetMinimized(), !visible) << "at the edge exactly while hidden";
        EXPECT_EQ(current, edge->GetMinimized() ? "MINTOEDGEON" : "MINTOEDGEOFF");
        if (!visible) {
            ASSERT_TRUE(edge->GetIconWindow()) << "hidden with its icon window";
            EXPECT_TRUE(IsWindowVisible(edge->GetIconWindow()->Handle()));
        }
    } else if (dynamic_cast<TWindowRollupAction*>(action.get())) {
        EXPECT_TRUE(visible);
        EXPECT_EQ(current == "WINDOWROLLUP", WindowHeight(host) == NonClientHeight(host));
    } else {
        EXPECT_TRUE(visible);
        EXPECT_EQ(current == "STAYONTOPON", Topmost(host));
    }
}

TEST(ReentryInHostCall, TheActionGoesOnFromWhatItFindsAndTheWindowIsNeverLost) {
    struct Case {
        const char* what;
        std::string action;
        std::function<void(HWND)> before;  // with the host not yet armed
        UINT reenterAt;
        WPARAM reenterWParam;
        int reentries;
        std::function<void(HWND)> step;
    } cases[] = {
        {"the edge: its own minimise twice inside the hiding", "MINTOEDGEACTION", nullptr, WM_SHOWWINDOW, FALSE, 2,
         Minimise},
        {"the tray: its own minimise twice inside the hiding", "MINTOTRAYACTION", nullptr, WM_SHOWWINDOW, FALSE, 2,
         Minimise},
        {"the edge: its own minimise once inside the hiding", "MINTOEDGEACTION", nullptr, WM_SHOWWINDOW, FALSE, 1,
         Minimise},
        {"the tray: its own minimise once inside the hiding", "MINTOTRAYACTION", nullptr, WM_SHOWWINDOW, FALSE, 1,
         Minimise},
        {"the tray: its own minimise inside the coming back", "MINTOTRAYACTION", Minimise, WM_SHOWWINDOW, TRUE, 1,
         PressButton},
        {"the edge: its own minimise inside the coming back", "MINTOEDGEACTION", Minimise, WM_SHOWWINDOW, TRUE, 1,
         [](HWND) {
             auto* edge = dynamic_cast<TMinToEdgeAction*>(Act().get());
             if (edge && edge->GetIconWindow()) SendMessageA(edge->GetIconWindow()->Handle(), WM_LBUTTONUP, 0, 0);
         }},
        {"the roll-up: its own minimise twice inside the resize", "WINDOWROLLUPACTION", nullptr, WM_NCCALCSIZE,
         kAnyWParam, 2, PressButton},
        {"stay on top: its own minimise twice inside the move", "STAYONTOPACTION", nullptr, WM_WINDOWPOSCHANGING,
         kAnyWParam, 2, PressButton},
    };
    HWND host = HostWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartCase(host);
        const RECT place = WindowRectOf(host);
        const int iconWindows = TIconWnd::LiveCount();
        AttachRule(host, c.action);
        ASSERT_TRUE(HostExtender());
        if (c.before) c.before(host);
        Pump(30);
        UINT trayIcon = 0;
        if (auto* tray = dynamic_cast<TMinToTrayAction*>(Act().get())) trayIcon = tray->GetIconId();

        g_reenterAt = c.reenterAt;
        g_reenterWParam = c.reenterWParam;
        g_reentries = c.reentries;
        int writtenAfterFree = 0;
        {
            TFreedMemoryWatch watch;
            c.step(host);
            Pump(30);
            writtenAfterFree = watch.Stop();
        }
        EXPECT_EQ(g_reenterAt, 0u) << "the host re-entered";
        EXPECT_EQ(writtenAfterFree, 0) << "memory written after it was freed";
        ExpectConsistentAndReachable(host);

        // A reload's detach brings it back whole.
        SendMessageA(host, WM_DETACHEXTENDER, 0, 0);
        Pump(30);
        EXPECT_EQ(EmbededApplication()->ExtenderCount(), 0);
        EXPECT_TRUE(IsWindowVisible(host)) << "shown";
        if (IsIconic(host)) ShowWindow(host, SW_RESTORE);
        EXPECT_TRUE(SameRect(WindowRectOf(host), place)) << "unrolled, in its old place";
        EXPECT_FALSE(Topmost(host)) << "not on top";
        EXPECT_FALSE(IconExists(host, trayIcon)) << "no tray icon";
        Pump(50);
        EXPECT_EQ(FindWindowA(ICON_WINDOW_CLASS_NAME, nullptr), nullptr) << "no icon window";
        EXPECT_EQ(TIconWnd::LiveCount(), iconWindows);
        FreeEmbededApplication();
    }
    EndCases(host);
}

// A host that stays inside the hiding (a box, a wait, a hang) holds a
// hidden window: its way back is there before the hiding starts.
TEST(ReentryInHostCall, AWindowHiddenWhileItsHostIsStillInsideTheHidingHasItsWayBack) {
    HWND host = HostWindow();
    for (const THidingCase& c : kHidingCases) {
        SCOPED_TRACE(c.what);
        StartCase(host);
        AttachRule(host, c.action);
        ASSERT_TRUE(Act());
        UINT trayIcon = 0;
        if (auto* tray = dynamic_cast<TMinToTrayAction*>(Act().get())) trayIcon = tray->GetIconId();
        bool inside = false, wayBack = false;
        g_insideHiding = [&](HWND w) {
            inside = true;
            HWND icon = FindWindowA(ICON_WINDOW_CLASS_NAME, nullptr);
            wayBack = trayIcon ? IconExists(w, trayIcon) : icon && IsWindowVisible(icon);
        };
        Minimise(host);
        Pump(30);
        EXPECT_TRUE(inside) << "the host was inside the hiding";
        EXPECT_TRUE(wayBack) << "its icon was there while the host was inside";
        ExpectConsistentAndReachable(host);

        SendMessageA(host, WM_DETACHEXTENDER, 0, 0);
        Pump(50);
        EXPECT_TRUE(IsWindowVisible(host));
        FreeEmbededApplication();
    }
    EndCases(host);
}

// A reload's detach comes while the window is hidden by the action; taking
// that back shows the window, and inside that the new rule arrives and its
// extender attaches. The new extender serves the window from then on.
TEST(ReentryInHostCall, AnExtenderAttachedWhileTheOldOneTakesBackServesTheWindow) {
    HWND host = HostWindow();
    for (const THidingCase& c : kHidingCases) {
        SCOPED_TRACE(c.what);
        StartCase(host);
        AttachRule(host, c.action);
        Minimise(host);
        ASSERT_FALSE(IsWindowVisible(host));
        IPtr<IWindowExtender> old = HostExtender();

        g_attachAt = WM_SHOWWINDOW;
        g_attachWParam = TRUE;
        g_attachRule = Rule(c.action);
        SendMessageA(host, WM_DETACHEXTENDER, 0, 0);
        EXPECT_EQ(g_attachAt, 0u) << "attached inside the take-back";
        EXPECT_TRUE(IsWindowVisible(host));
        IPtr<IWindowExtender> now = HostExtender();
        ASSERT_TRUE(now);
        EXPECT_NE(now.get(), old.get());
        old = nullptr;

        // The new rule reaches the window: it goes and comes back.
        Minimise(host);
        Pump(30);
        EXPECT_FALSE(IsWindowVisible(host)) << "the new extender heard the minimise";
        ExpectConsistentAndReachable(host);
        if (auto* tray = dynamic_cast<TMinToTrayAction*>(Act().get()))
            SendMessageA(host, WM_TRAYICONNOTIFY, tray->GetIconId(), WM_LBUTTONDOWN);
        if (auto* edge = dynamic_cast<TMinToEdgeAction*>(Act().get()))
            if (edge->GetIconWindow()) SendMessageA(edge->GetIconWindow()->Handle(), WM_LBUTTONUP, 0, 0);
        Pump(30);
        EXPECT_TRUE(IsWindowVisible(host)) << "its icon brought it back";

        now = nullptr;
        SendMessageA(host, WM_DETACHEXTENDER, 0, 0);
        Pump(50);
        EXPECT_EQ(EmbededApplication()->ExtenderCount(), 0);
        EXPECT_EQ(FindWindowA(ICON_WINDOW_CLASS_NAME, nullptr), nullptr) << "no icon window";
        FreeEmbededApplication();
    }
    EndCases(host);
}

}  // namespace
