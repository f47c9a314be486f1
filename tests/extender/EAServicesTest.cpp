// Window utilities, text routines, the timer and the visual-styles switch.
#include <gtest/gtest.h>

#include "EARoutines.h"
#include "EAWinFuncs.h"
#include "ExtenderTestSupport.h"
#include "uEAVisualStyles.h"
#include "uEmbededApplication.h"
#include "uWexlTimers.h"

namespace vpw {
namespace {

TEST(EARoutines, StripBraces) {
    struct Case {
        const char* in;
        const char* out;
    };
    for (Case c : {Case{"{a\\b}", "a\\b"}, Case{"{abc", "abc"}, Case{"abc}", "abc"}, Case{"{", ""}, Case{"}", ""},
                   Case{"a{b}c", "a{b}c"}, Case{"{{a}}", "{a}"}, Case{"", ""}})
        EXPECT_EQ(StripBraces(c.in), c.out) << c.in;
}

TEST(EARoutines, ReplyTextIsReadByItsLength) {
    TChannelBuffer data{'\\', 'A', '=', '1', '\0', 'x', 'y'};
    EXPECT_EQ(ReplyText(data, 4), "\\A=1");
    EXPECT_EQ(ReplyText(data, 7), std::string("\\A=1\0xy", 7));  // no cut at an inner zero
    EXPECT_EQ(ReplyText(TChannelBuffer{'a', 'b', '\0'}, 3), "ab");
    EXPECT_EQ(ReplyText(data, 0), "");
    EXPECT_EQ(ReplyText(data, -1), "");
    EXPECT_EQ(ReplyText(data, 8), "");  // beyond what arrived
    TChannelBuffer big(TProcessesCommunication::MAX_DATA_LENGTH + 1, 'a');
    EXPECT_EQ(ReplyText(big, static_cast<int>(big.size())), "");
}

TEST(EAVisualStyles, OnlyNtBuildsFrom2462) {
    EXPECT_TRUE(CheckThemeSupport(VER_PLATFORM_WIN32_NT, 2462));
    EXPECT_TRUE(CheckThemeSupport(VER_PLATFORM_WIN32_NT, 7601));
    EXPECT_FALSE(CheckThemeSupport(VER_PLATFORM_WIN32_NT, 2461));
    EXPECT_FALSE(CheckThemeSupport(VER_PLATFORM_WIN32_WINDOWS, 3000));
    // This system reports 6.1.7601: the functions load on first use.
    EXPECT_TRUE(ThemeLibraryLoaded());
    EXPECT_TRUE(ThemeFunctions().OpenThemeData);
    EXPECT_TRUE(ThemeFunctions().DrawThemeBackground);
}

TEST(EAWinFuncs, IconsFallBackToTheSystemLogo) {
    HWND w = test::TTestWindow::Create();
    HICON logo = LoadIconA(nullptr, IDI_WINLOGO);
    EXPECT_EQ(GetWindowSmallIcon(w), logo);
    EXPECT_EQ(GetWindowBigIcon(w), logo);
    HICON own = LoadIconA(nullptr, IDI_QUESTION);
    SendMessageA(w, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(own));
    EXPECT_EQ(GetWindowSmallIcon(w), own);
    EXPECT_EQ(GetWindowBigIcon(w), own);
    DestroyWindow(w);
}

TEST(EAWinFuncs, ApplicationOwnerIsHiddenOnlyForTApplication) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TApplication";
    RegisterClassA(&wc);
    struct Case {
        const char* ownerClass;
        bool child;
        bool hidden;
    };
    for (Case c : {Case{"TApplication", false, true}, Case{"VPW_ExtenderTestWindow", false, false},
                   Case{"TApplication", true, false}}) {
        SCOPED_TRACE(std::string(c.ownerClass) + (c.child ? " child" : ""));
        test::TTestWindow::EnsureClass();
        HWND owner = CreateWindowExA(0, c.ownerClass, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
        HWND main = CreateWindowExA(0, "VPW_ExtenderTestWindow", "main",
                                    c.child ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0, 0, 40, 40,
                                    owner, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(owner && main);
        HideApplicationOwner(main);
        EXPECT_EQ(IsWindowVisible(owner) == FALSE, c.hidden);
        RestoreApplicationOwner(main);
        EXPECT_TRUE(IsWindowVisible(owner));
        // Left to the process's end: under Wine without a window manager
        // every unmapping of a shown window waits two seconds.
    }
}

int PumpFor(DWORD ms) {
    MSG msg;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
    return 0;
}

TEST(WexlTimers, TicksOnlyEnabledWithIntervalAndHandler) {
    int ticks = 0;
    {
        TTimer timer;
        ASSERT_TRUE(timer.Window());
        EXPECT_TRUE(IsExcludedWindowClass(GetWindowClassName(timer.Window())));
        timer.SetOnTimer([&](TTimer* sender) {
            EXPECT_EQ(sender, &timer);
            ++ticks;
        });
        timer.SetInterval(20);
        PumpFor(120);
        EXPECT_EQ(ticks, 0);  // not enabled

        timer.SetEnabled(true);
        timer.SetInterval(0);
        PumpFor(120);
        EXPECT_EQ(ticks, 0);  // interval 0

        timer.SetInterval(20);
        PumpFor(200);
        EXPECT_GT(ticks, 0);

        timer.SetOnTimer([](TTimer*) { throw std::runtime_error("tick failed"); });
        PumpFor(60);  // a throwing handler goes no further than the timer
        timer.SetOnTimer(nullptr);
    }
    int after = ticks;
    PumpFor(60);
    EXPECT_EQ(ticks, after);
}

}  // namespace
}  // namespace vpw
