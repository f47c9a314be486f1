// The whole system under Wine: the real control center with a hand-written
// configuration file, the real hook library it installs, and the test
// program's windows in another process, driven by real mouse input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "EndToEndSupport.h"

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kRuleClass[] = "VPW_E2E_Target";
constexpr char kPlainClass[] = "VPW_E2E_Plain";
constexpr char kChildClass[] = "VPW_E2E_Child";
constexpr char kHandlerClass[] = "VPW_CommandCenterHandlerWindow";
constexpr COLORREF kGlyphRed = RGB(255, 0, 0);

HWND FindTopLevel(const char* cls, DWORD ms = 10000) { return WaitForWindow(cls, nullptr, ms); }

TEST(EndToEnd, CaptionButtonTogglesStayOnTopAndTheStateComesBack) {
    const std::string rule = "E2E Stay On Top";
    DeleteRuleState(rule);
    TSystemFolder system(Bin(), StayOnTopConfig({{rule, kRuleClass, true}}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());

    auto target = StartTarget(ModuleDir(), {"open", kRuleClass, "E2E target"});
    HWND window = FindTopLevel(kRuleClass);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return QueryTarget(window, kQueryAttached) >= 1; }, 10000));
    EXPECT_EQ(QueryTarget(window, kQuerySubclassed), 1);
    EXPECT_FALSE(Topmost(window));
    Sleep(300);

    // The button is drawn next to the system buttons, and nowhere else.
    RECT frame{};
    GetWindowRect(window, &frame);
    RECT button = ExpectedButton(window);
    RECT leftOfButton{button.left - 60, button.top, button.left, button.bottom};
    RECT systemButtons{button.right, button.top, frame.right, button.bottom};
    TScreenShot before(frame);
    before.SaveBitmap(ModuleDir() + "caption-button.bmp");
    EXPECT_GT(before.Count(kGlyphRed, button), 10);
    EXPECT_EQ(before.Count(kGlyphRed, leftOfButton), 0);
    EXPECT_EQ(before.Count(kGlyphRed, systemButtons), 0);

    // The host's own system buttons are still right of it.
    POINT center = Center(button);
    EXPECT_EQ(HitTest(window, center.x, center.y), HTBORDER);
    bool systemButtonSeen = false;
    for (int x = button.right; x < frame.right - GetSystemMetrics(SM_CXFRAME); ++x) {
        LRESULT hit = HitTest(window, x, center.y);
        EXPECT_NE(hit, HTBORDER) << x;
        systemButtonSeen |= hit == HTMINBUTTON || hit == HTMAXBUTTON || hit == HTCLOSE;
    }
    EXPECT_TRUE(systemButtonSeen);

    Click(center);
    EXPECT_TRUE(WaitUntil([&] { return Topmost(window); }, 5000));
    Sleep(300);
    TScreenShot on(frame);
    EXPECT_FALSE(on.SameAs(before));  // the face shows the new state
    EXPECT_GT(on.Count(kGlyphRed, button), 10);

    Click(center);
    EXPECT_TRUE(WaitUntil([&] { return !Topmost(window); }, 5000));

    // Closed while on top: the next window of the rule starts on top.
    Click(center);
    EXPECT_TRUE(WaitUntil([&] { return Topmost(window); }, 5000));
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(target->Wait(10000), 0u);
    EXPECT_EQ(SavedOperation(rule, "StayOnTopForCaptionButton"), "STAYONTOPON");

    target = StartTarget(ModuleDir(), {"open", kRuleClass, "E2E target again"});
    HWND again = WaitForWindow(kRuleClass, "E2E target again");
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return Topmost(again); }, 10000));
    EXPECT_EQ(QueryTarget(again, kQueryAttached), 1);
    PostMessageA(again, WM_CLOSE, 0, 0);
    EXPECT_EQ(target->Wait(10000), 0u);

    EXPECT_EQ(system.StopCenter(), 0u);
    DeleteRuleState(rule);
}

TEST(EndToEnd, ARuleAddedWhileItsWindowIsOpenReachesThatWindow) {
    const std::string rule = "E2E Added Later";
    DeleteRuleState(rule);
    TSystemFolder system(Bin(), StayOnTopConfig({{"E2E Other", kPlainClass, false}}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    auto target = StartTarget(ModuleDir(), {"open", kRuleClass, "E2E open before its rule"});
    HWND window = FindTopLevel(kRuleClass);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return QueryTarget(window, kQueryLibraryLoaded) == 1; }, 10000));
    Sleep(1000);  // its lookup has come back empty
    ASSERT_EQ(QueryTarget(window, kQueryAttached), 0);

    system.WriteConfig(StayOnTopConfig({{"E2E Other", kPlainClass, false}, {rule, kRuleClass, false}}));
    ASSERT_EQ(SendCommand(CMD_RELOAD_CONFIG, {}, nullptr, 2000), CMD_REPLY_DONE);
    DWORD start = GetTickCount();
    ASSERT_TRUE(WaitUntil([&] { return QueryTarget(window, kQueryAttached) >= 1; }, 5000));
    EXPECT_LT(GetTickCount() - start, 2000u);
    Sleep(300);
    Click(Center(ExpectedButton(window)));
    EXPECT_TRUE(WaitUntil([&] { return Topmost(window); }, 5000));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(target->Wait(10000), 0u);
    EXPECT_EQ(system.StopCenter(), 0u);
    DeleteRuleState(rule);
}

TEST(EndToEnd, ExcludedClassesChildWindowsAndWindowsWithoutRuleAreLeftAlone) {
    TSystemFolder system(Bin(), StayOnTopConfig({{"E2E WorkerW", "WorkerW", false},
                                                 {"E2E Tooltips", "tooltips_class32", false},
                                                 {"E2E Child", kChildClass, false},
                                                 {"E2E Control", kRuleClass, false}}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());

    auto target = StartTarget(ModuleDir(), {"open", "WorkerW", "E2E worker", "tooltips_class32", "E2E tooltips",
                                            std::string(kPlainClass) + "/" + kChildClass, "E2E parent", kRuleClass,
                                            "E2E control"});
    auto otherProgram = StartTarget(ModuleDir(), {"open", kPlainClass, "E2E other program"});
    HWND control = FindTopLevel(kRuleClass);
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return QueryTarget(control, kQueryAttached) >= 1; }, 10000));
    HWND worker = FindWindowA("WorkerW", "E2E worker");
    HWND tooltips = FindWindowA("tooltips_class32", "E2E tooltips");
    HWND parent = FindWindowA(kPlainClass, "E2E parent");
    HWND child = parent ? FindWindowExA(parent, nullptr, kChildClass, nullptr) : nullptr;
    HWND other = WaitForWindow(kPlainClass, "E2E other program");
    ASSERT_TRUE(worker && tooltips && parent && child && other);

    // Asked outright, an excluded class is still not attached.
    static const UINT attachMessage = RegisterWindowMessageA("{DEFEE4E1-26F5-4F3F-A334-26D8A407E919}");
    DWORD_PTR ignored = 0;
    for (HWND w : {worker, tooltips})
        SendMessageTimeoutA(w, attachMessage, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    // Long enough for any request to have been answered and applied.
    Sleep(1500);

    struct Case {
        const char* what;
        HWND window;
    } cases[] = {{"excluded WorkerW", worker},
                 {"excluded tooltips_class32", tooltips},
                 {"child window of a rule's class", child},
                 {"window without a rule", parent},
                 {"window of a program without a rule", other}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(QueryTarget(c.window, kQueryAttached), 0);
        EXPECT_EQ(QueryTarget(c.window, kQuerySubclassed), 0);
        EXPECT_FALSE(Topmost(c.window));
    }
    // The hook did reach both programs.
    EXPECT_EQ(QueryTarget(parent, kQueryLibraryLoaded), 1);
    EXPECT_EQ(QueryTarget(other, kQueryLibraryLoaded), 1);
    for (HWND w : {parent, other}) {
        POINT where = Center(ExpectedButton(w));
        EXPECT_EQ(HitTest(w, where.x, where.y), HTCAPTION);
    }

    for (HWND w : {worker, tooltips, parent, control, other}) PostMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(target->Wait(10000), 0u);
    EXPECT_EQ(otherProgram->Wait(10000), 0u);
    EXPECT_EQ(system.StopCenter(), 0u);
}

TEST(EndToEnd, FiftyAttachedWindowsInARow) {
    TSystemFolder system(Bin(), StayOnTopConfig({{"E2E Cycle", kRuleClass, false}}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    auto target = StartTarget(ModuleDir(), {"cycle", kRuleClass, "50", "attach"});
    EXPECT_EQ(target->Wait(180000), 0u);
    EXPECT_TRUE(CenterServes());
    EXPECT_EQ(system.StopCenter(), 0u);
}

TEST(EndToEnd, WithoutControlCenterTheHookedProgramIsUnaffected) {
    ASSERT_EQ(FindWindowA(kHandlerClass, nullptr), nullptr);
    TSystemFolder system(Bin(), StayOnTopConfig({{"E2E Alone", kRuleClass, false}}));
    ASSERT_TRUE(system.Copied());

    // The hook as the control center installs it, with nobody to answer.
    HMODULE library = LoadLibraryA((system.Dir() + kLibraryDll).c_str());
    ASSERT_NE(library, nullptr);
    auto proc = reinterpret_cast<HOOKPROC>(GetProcAddress(library, "CallProcHook"));
    ASSERT_NE(proc, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, proc, library, 0);
    ASSERT_NE(hook, nullptr);
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, HOOK_HANDLE_MAPPING_NAME);
    if (void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4) : nullptr) {
        auto value = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(hook));
        std::memcpy(view, &value, 4);
        UnmapViewOfFile(view);
    }

    DWORD start = GetTickCount();
    auto cycle = StartTarget(ModuleDir(), {"cycle", kRuleClass, "50", "hooked"});
    EXPECT_EQ(cycle->Wait(120000), 0u);
    EXPECT_LT(GetTickCount() - start, 60000u);

    auto open = StartTarget(ModuleDir(), {"open", kRuleClass, "E2E alone"});
    HWND window = FindTopLevel(kRuleClass);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(QueryTarget(window, kQueryLibraryLoaded), 1);
    char text[64] = {};
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("still working"), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "still working");
    EXPECT_EQ(QueryTarget(window, kQueryAttached), 0);
    EXPECT_EQ(QueryTarget(window, kQuerySubclassed), 0);
    start = GetTickCount();
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(open->Wait(10000), 0u);
    EXPECT_LT(GetTickCount() - start, 5000u);

    UnhookWindowsHookEx(hook);
    if (mapping) CloseHandle(mapping);
}

}  // namespace
