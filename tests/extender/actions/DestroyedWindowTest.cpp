// A window destroyed while an action keeps it rolled up, in the tray or at
// the screen edge: the extender lets go after the window's own WM_DESTROY,
// when its program may have freed what its procedure uses.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "RegistryRoutines.h"
#include "RulePartsTestSupport.h"
#include "WinTestSupport.h"
#include "uEAMinToEdgeAction.h"
#include "uEASaveSizePosAction.h"
#include "uEmbededApplication.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

constexpr char kRule[] = "UT Destroyed";

std::string RuleKey() { return std::string(WINDOW_RULES_REGISTRY_KEY) + kRule; }

// What reaches the window's procedure once it has handled WM_DESTROY.
std::vector<UINT> g_afterDestroy;
bool g_destroyed = false;

LRESULT CALLBACK DyingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (g_destroyed) g_afterDestroy.push_back(m);
    if (m == WM_DESTROY) g_destroyed = true;
    return DefWindowProcA(w, m, wp, lp);
}

HWND DyingWindow() {
    static bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &DyingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = "VPW_DestroyedWindowTest";
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    return CreateWindowExA(0, "VPW_DestroyedWindowTest", "Destroyed", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 50, 300,
                           220, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

std::string Names(const std::vector<UINT>& messages) {
    std::string text;
    char number[16];
    for (UINT m : messages) {
        wsprintfA(number, "0x%04X ", m);
        text += number;
    }
    return text;
}

TEST(DestroyedWindow, AfterItsOwnWMDestroyItHearsOnlyWMNCDestroyAndIsSavedAsTheUserKnewIt) {
    struct Case {
        const char* what;
        const char* action;
        const char* operation;
        int showCommand;  // before the operation
        const char* more = "";
        bool pressButton = false;  // the mouse held down on the caption button
    } cases[] = {{"rolled up", "WINDOWROLLUPACTION", "WINDOWROLLUP", SW_SHOWNORMAL},
                 {"in the tray, minimised before", "MINTOTRAYACTION", "MINTOTRAYON", SW_MINIMIZE},
                 {"at the screen edge, minimised before", "MINTOEDGEACTION", "MINTOEDGEON", SW_MINIMIZE},
                 // Taking buttons off repaints a title bar: not a dying one.
                 {"on top with a caption button", "STAYONTOPACTION", "STAYONTOPON", SW_SHOWNORMAL,
                  "\\TRIGGER=CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=Button\\ACTIONNAME=Act\\ACTIONKIND=next"
                  "\\OPERATIONNAME=}}"},
                 // Nor is the mouse given back to it.
                 {"on top with a pressed caption button", "STAYONTOPACTION", "STAYONTOPON", SW_SHOWNORMAL,
                  "\\TRIGGER=CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=Button\\ACTIONNAME=Act\\ACTIONKIND=next"
                  "\\OPERATIONNAME=}}",
                  true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyA(HKEY_CURRENT_USER, RuleKey().c_str());
        int iconWindows = TIconWnd::LiveCount();
        HWND window = DyingWindow();
        ASSERT_NE(window, nullptr);
        Pump(30);
        RECT normal = WindowRectOf(window);
        ShowWindow(window, c.showCommand);
        Pump(20);
        CreateEmbededApplication();
        EmbededApplication()->ApplyWindowRuleData(
            window, std::string("\\WINDOWRULENAME=") + kRule + "\\ACTION=" + c.action + "{\\NAME=Act}" +
                        "\\ACTION=SAVESIZEPOSACTION{\\NAME=Place}"
                        "\\TRIGGER=WMDESTROYMESSAGETRIGGER{\\AGENT={\\NAME=Save\\ACTIONNAME=Place"
                        "\\ACTIONKIND=concrete\\OPERATIONNAME=SAVESIZEPOS}}" +
                        c.more);
        {
            IPtr<IWindowHandler> handler = Supports<IWindowHandler>(EmbededApplication()->FindExtender(window));
            ASSERT_TRUE(handler);
            IPtr<IAction> action = handler->GetActions()->GetAction("Act");
            ASSERT_TRUE(action && action->ExecuteOperation(c.operation));
            if (c.pressButton) {
                POINT at = CaptionButtonCenter(EmbededApplication()->FindExtender(window).get());
                SendMessageA(window, WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(at.x, at.y));
                ASSERT_EQ(GetCapture(), window);
            }
        }
        Pump(20);

        g_afterDestroy.clear();
        g_destroyed = false;
        DestroyWindow(window);
        EXPECT_TRUE(g_destroyed);
        EXPECT_EQ(g_afterDestroy, std::vector<UINT>{WM_NCDESTROY}) << Names(g_afterDestroy);
        EXPECT_EQ(EmbededApplication()->ExtenderCount(), 0);
        Pump(30);
        EXPECT_EQ(FindWindowA(ICON_WINDOW_CLASS_NAME, nullptr), nullptr);
        EXPECT_EQ(TIconWnd::LiveCount(), iconWindows);

        std::uint32_t showCmd = 0, top = 0, bottom = 0;
        ASSERT_TRUE(ReadRegDword(HKEY_CURRENT_USER, RuleKey(), "Place_showCmdSuffix", showCmd));
        ASSERT_TRUE(ReadRegDword(HKEY_CURRENT_USER, RuleKey(), "Place_NormalPositionTop", top));
        ASSERT_TRUE(ReadRegDword(HKEY_CURRENT_USER, RuleKey(), "Place_NormalPositionBottom", bottom));
        EXPECT_EQ(showCmd, static_cast<std::uint32_t>(SW_SHOWNORMAL)) << "comes back as it was shown";
        EXPECT_EQ(static_cast<LONG>(bottom) - static_cast<LONG>(top), normal.bottom - normal.top)
            << "at its full height";
        FreeEmbededApplication();
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, RuleKey().c_str());
}

}  // namespace
