#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "TaskBar.h"

using namespace vpw;

TEST(TaskBar, RecordIsTheFirstVersionWithTheTipCut) {
    struct Case {
        std::string tip, passed;
    } cases[] = {
        {"", ""},
        {"Velvic Plimsy Windows", "Velvic Plimsy Windows"},
        {std::string(63, 'a'), std::string(63, 'a')},
        {std::string(63, 'b') + "1234567", std::string(63, 'b')},
    };
    HWND w = reinterpret_cast<HWND>(0x1234);
    HICON icon = reinterpret_cast<HICON>(0x5678);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tip.size());
        NOTIFYICONDATAA d = MakeNotifyIconData(w, 3, NIF_ICON | NIF_TIP, WM_APP + 5, icon, c.tip);
        // The first version's size: its handles are pointer-sized.
        EXPECT_EQ(d.cbSize, sizeof(void*) == 8 ? 104u : 88u);
        EXPECT_EQ(d.hWnd, w);
        EXPECT_EQ(d.uID, 3u);
        EXPECT_EQ(d.uFlags, UINT(NIF_ICON | NIF_TIP));
        EXPECT_EQ(d.uCallbackMessage, UINT(WM_APP + 5));
        EXPECT_EQ(d.hIcon, icon);
        EXPECT_EQ(std::string(d.szTip), c.passed);
        // Everything after the terminator, and after the first-version record, is zero.
        const auto* bytes = reinterpret_cast<const unsigned char*>(&d);
        for (std::size_t i = offsetof(NOTIFYICONDATAA, szTip) + c.passed.size(); i < sizeof d; ++i)
            ASSERT_EQ(bytes[i], 0) << "byte " << i;
    }
}

TEST(TaskBar, AddModifyAndDeleteReportTheShellsResult) {
    HWND w = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    const std::string tip(70, 't');

    EXPECT_TRUE(TaskBarAddIcon(w, 0, icon, tip, WM_APP + 1));
    EXPECT_FALSE(TaskBarAddIcon(w, 0, icon, tip, WM_APP + 1));  // already there
    EXPECT_TRUE(TaskBarModifyIcon(w, 0, NIF_ICON, tip, LoadIconA(nullptr, IDI_QUESTION)));
    EXPECT_FALSE(TaskBarModifyIcon(w, 1, NIF_ICON, tip, icon));  // unknown id
    EXPECT_TRUE(TaskBarDeleteIcon(w, 0));
    EXPECT_FALSE(TaskBarDeleteIcon(w, 0));
    DestroyWindow(w);
}
