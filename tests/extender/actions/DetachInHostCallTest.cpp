// The control center's detach arriving inside host code that an action or
// a trigger started: the host handles one of the messages of that call by
// waiting on another thread and so takes the detach (here, to make it come
// at exactly that message, the host sends it to itself). The library alone
// holds the extender, as in a real host.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "AppConsts.h"
#include "FreedMemoryWatch.h"
#include "RegistryRoutines.h"
#include "RulePartsTestSupport.h"
#include "WinTestSupport.h"
#include "extender/MessageBoxProbe.h"
#include "uEAMinToEdgeAction.h"
#include "uEAMinToTrayAction.h"
#include "uEmbededApplication.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

constexpr char kRule[] = "UT Detach In Host Call";
constexpr WPARAM kAnyWParam = static_cast<WPARAM>(-1);

// The message at which the host takes the detach, once.
UINT g_detachAt = 0;
WPARAM g_detachWParam = kAnyWParam;

LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (g_detachAt && m == g_detachAt && (g_detachWParam == kAnyWParam || g_detachWParam == wp)) {
        g_detachAt = 0;
        SendMessageA(w, WM_DETACHEXTENDER, 0, 0);
    }
    if (m == WM_CLOSE) return 0;
    return DefWindowProcA(w, m, wp, lp);
}

HWND HostWindow() {
    static HWND host = CreateHostWindow("VPW_DetachInHostCallTest", "Detach host", &HostProc);
    return host;
}

// Holds the activation while the mouse hovers over the host.
HWND OtherWindow() {
    static HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 450, 160, 100,
                                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return other;
}

void PutHostBack(HWND host) {
    g_detachAt = 0;
    ShowWindow(host, SW_SHOWNORMAL);
    SetWindowPos(host, HWND_NOTOPMOST, 40, 40, 320, 200, SWP_SHOWWINDOW);
    SetForegroundWindow(host);
    SetCursorPos(1000, 740);
    Pump(30);
}

IPtr<IWindowExtender> HostExtender() { return EmbededApplication()->FindExtender(HostWindow()); }

IPtr<IAction> Act() { return ActionOfWindow(HostWindow(), "Act"); }

POINT TitleBar(HWND window) {
    RECT r = WindowRectOf(window);
    return POINT{(r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
}

// What a step needs of the attached rule, taken before the library is left
// to hold it alone.
struct TParts {
    HWND iconWindow = nullptr;
    UINT trayIcon = 0;
    bool hasTrayIcon = false;
    POINT button{};
};

TParts PartsNow() {
    TParts parts;
    IPtr<IAction> action = Act();
    if (auto* edge = dynamic_cast<TMinToEdgeAction*>(action.get()))
        parts.iconWindow = edge->GetIconWindow() ? edge->GetIconWindow()->Handle() : nullptr;
    if (auto* tray = dynamic_cast<TMinToTrayAction*>(action.get())) {
        parts.trayIcon = tray->GetIconId();
        parts.hasTrayIcon = true;
    }
    parts.button = CaptionButtonCenter(HostExtender().get());
    return parts;
}

void PressButton(HWND host, const TParts& parts) {
    POINT client = parts.button;
    ScreenToClient(host, &client);
    SendMessageA(host, WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(parts.button.x, parts.button.y));
    SendMessageA(host, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
}

void MouseOnto(HWND host) {
    SetForegroundWindow(OtherWindow());
    Pump(30);
    POINT p = TitleBar(host);
    SetCursorPos(p.x, p.y);
    SendMessageA(host, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(p.x, p.y));
}

// The close question answered No by the user.
void AskToClose(HWND host) {
    std::thread user([host] {
        if (HWND box = WaitForMessageBox(host, 5000))
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
    });
    SendMessageA(host, WM_SYSCOMMAND, SC_CLOSE, 0);
    user.join();
}

std::string Rule(const std::string& action, const std::string& trigger) {
    return std::string("\\WINDOWRULENAME=") + kRule + "\\ACTION=" + action + "{\\NAME=Act}\\TRIGGER=" + trigger;
}

const std::string kButton = "CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=Button\\ACTIONNAME=Act}}";
std::string Hover(const std::string& agent = {}) {
    return "MOUSEHOVETRIGGER{\\AGENT={\\NAME=Hover\\ACTIONNAME=Act" + agent + "}}";
}

TEST(DetachInHostCall, TheWindowComesBackAsItWasAndNothingIsLeftOrWrittenAfterItsFree) {
    struct Case {
        const char* what;
        std::string rule;
        std::function<void(HWND)> before;  // with the detach not yet armed
        UINT detachAt;
        WPARAM detachWParam;
        std::function<void(HWND, const TParts&)> step;
    } cases[] = {
        {"a click on the edge's icon window brings the window back", Rule("MINTOEDGEACTION", kButton),
         [](HWND) { Act()->ExecuteOperation("MINTOEDGEON"); }, WM_SHOWWINDOW, TRUE,
         [](HWND, const TParts& parts) { SendMessageA(parts.iconWindow, WM_LBUTTONUP, 0, 0); }},
        {"a click on the tray icon brings the window back", Rule("MINTOTRAYACTION", kButton),
         [](HWND) { Act()->ExecuteOperation("MINTOTRAYON"); }, WM_SHOWWINDOW, TRUE,
         [](HWND host, const TParts& parts) {
             SendMessageA(host, WM_TRAYICONNOTIFY, parts.trayIcon, WM_LBUTTONDOWN);
         }},
        {"the caption button hides the window in the tray", Rule("MINTOTRAYACTION", kButton), nullptr, WM_SHOWWINDOW,
         FALSE, PressButton},
        {"the caption button hides the window at the edge", Rule("MINTOEDGEACTION", kButton), nullptr, WM_SHOWWINDOW,
         FALSE, PressButton},
        {"the caption button rolls the window up", Rule("WINDOWROLLUPACTION", kButton), nullptr, WM_NCCALCSIZE,
         kAnyWParam, PressButton},
        {"the caption button unrolls the window", Rule("WINDOWROLLUPACTION", kButton),
         [](HWND) { Act()->ExecuteOperation("WINDOWROLLUP"); }, WM_NCCALCSIZE, kAnyWParam, PressButton},
        {"the caption button puts the window on top", Rule("STAYONTOPACTION", kButton), nullptr,
         WM_WINDOWPOSCHANGING, kAnyWParam, PressButton},
        {"the caption button takes the window off the top", Rule("STAYONTOPACTION", kButton),
         [](HWND) { Act()->ExecuteOperation("STAYONTOPON"); }, WM_WINDOWPOSCHANGED, kAnyWParam, PressButton},
        {"the caption button's press ends", Rule("STAYONTOPACTION", kButton), nullptr, WM_CAPTURECHANGED, kAnyWParam,
         PressButton},
        {"the close question is open", Rule("CLOSEQUERYACTION", kButton), nullptr, WM_ENABLE, FALSE,
         [](HWND host, const TParts&) { AskToClose(host); }},
        {"a hover puts the window on top",
         Rule("STAYONTOPACTION", Hover("\\ACTIONKIND=concrete\\OPERATIONNAME=STAYONTOPON")), nullptr,
         WM_WINDOWPOSCHANGING, kAnyWParam, [](HWND host, const TParts&) { MouseOnto(host); }},
        {"the end of a hover rolls the window up again", Rule("WINDOWROLLUPACTION", Hover()),
         [](HWND host) {
             Act()->ExecuteOperation("WINDOWROLLUP");
             MouseOnto(host);  // unrolled while the mouse is there
         },
         WM_NCCALCSIZE, kAnyWParam,
         [](HWND, const TParts&) {
             SetCursorPos(1000, 740);
             PumpUntil([] { return EmbededApplication()->ExtenderCount() == 0; }, 2000);
         }},
    };
    HWND host = HostWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(WINDOW_RULES_REGISTRY_KEY) + kRule).c_str());
        PutHostBack(host);
        const RECT place = WindowRectOf(host);
        const int iconWindows = TIconWnd::LiveCount();
        CreateEmbededApplication();
        EmbededApplication()->ApplyWindowRuleData(host, c.rule);
        ASSERT_TRUE(HostExtender());
        if (c.before) c.before(host);
        Pump(30);
        const TParts parts = PartsNow();

        g_detachAt = c.detachAt;
        g_detachWParam = c.detachWParam;
        int writtenAfterFree = 0;
        {
            TFreedMemoryWatch watch;
            c.step(host, parts);
            writtenAfterFree = watch.Stop();
        }
        EXPECT_EQ(g_detachAt, 0u) << "the detach came";
        EXPECT_EQ(writtenAfterFree, 0) << "memory written after it was freed";
        EXPECT_EQ(EmbededApplication()->ExtenderCount(), 0);
        EXPECT_TRUE(IsWindowVisible(host)) << "shown";
        EXPECT_TRUE(SameRect(WindowRectOf(host), place)) << "unrolled, in its old place";
        EXPECT_FALSE(GetWindowLongA(host, GWL_EXSTYLE) & WS_EX_TOPMOST) << "not on top";
        if (parts.hasTrayIcon) {
            EXPECT_FALSE(IconExists(host, parts.trayIcon)) << "no tray icon";
        }
        Pump(50);
        EXPECT_EQ(FindWindowA(ICON_WINDOW_CLASS_NAME, nullptr), nullptr) << "no icon window";
        EXPECT_EQ(TIconWnd::LiveCount(), iconWindows);
        FreeEmbededApplication();
    }
    // Out of the way of the activation of later tests' windows.
    PutHostBack(host);
    ShowWindow(host, SW_HIDE);
    ShowWindow(OtherWindow(), SW_HIDE);
    Pump(100);
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(WINDOW_RULES_REGISTRY_KEY) + kRule).c_str());
}

}  // namespace
