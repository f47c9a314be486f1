#include <gtest/gtest.h>

#include "WinFuncs.h"
#include "WinTestSupport.h"

using namespace vpw;

TEST(WinFuncs, ReadsClassAndCaptionOfAnotherProcessWindow) {
    struct Case {
        std::string cls, caption;
    } cases[] = {
        {"VpwOwnerA", "Untitled - Notepad "},
        {"VpwOwnerB", ""},
        {std::string(200, 'C'), std::string(600, 'x')},
    };
    for (const auto& c : cases) {
        test::ChildProcess owner(WINDOW_OWNER_EXE, {c.cls, c.caption});
        HWND w = test::WaitForWindow(c.cls.c_str(), nullptr);
        ASSERT_NE(w, nullptr) << c.cls;
        EXPECT_EQ(GetWindowClassName(w), c.cls);
        EXPECT_EQ(GetWindowCaption(w), c.caption);
        PostMessageA(w, WM_CLOSE, 0, 0);
        EXPECT_EQ(owner.Wait(10000), 0u);
    }
}

TEST(WinFuncs, SystemClassAndInvalidWindow) {
    HWND s = CreateWindowExA(0, "STATIC", "label", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_STRCASEEQ(GetWindowClassName(s).c_str(), "STATIC");
    EXPECT_EQ(GetWindowCaption(s), "label");
    DestroyWindow(s);
    EXPECT_EQ(GetWindowClassName(s), "");
    EXPECT_EQ(GetWindowCaption(s), "");
    EXPECT_EQ(GetWindowClassName(nullptr), "");
}
