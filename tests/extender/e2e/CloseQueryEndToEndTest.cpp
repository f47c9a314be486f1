// The close question end to end: the real control center and hook library,
// the test program's window in another process, real clicks and keys.
#include <gtest/gtest.h>

#include <string>

#include "EndToEndSupport.h"
#include "RegistryRoutines.h"
#include "extender/MessageBoxProbe.h"

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kCloseClass[] = "VPW_E2E_CloseQuery";
constexpr char kCaption[] = "E2E close query";
// The built-in English text of the question.
constexpr char kQuestion[] = "Are you sure you want to close the window?";

std::string CloseQueryConfig(const std::string& rule) {
    return RulesConfig(
        {{rule, kCloseClass,
          ItemXml("action", "CloseQuery", "CLOSEQUERYACTION", {{"enabled", "yes"}, {"save_current_operation", "yes"}}),
          ""}});
}

void PressAltF4() {
    INPUT input[4]{};
    WORD keys[4] = {VK_MENU, VK_F4, VK_F4, VK_MENU};
    for (int i = 0; i < 4; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = keys[i];
        input[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, input, sizeof(INPUT));
}

HWND StartAttached(std::unique_ptr<ChildProcess>& target) {
    target = StartTarget(ModuleDir(), {"open", kCloseClass, kCaption});
    HWND window = WaitForWindow(kCloseClass, kCaption);
    if (!window || !WaitUntil([&] { return QueryTarget(window, kQueryAttached) >= 1; }, 10000)) return nullptr;
    return window;
}

void ClickButton(HWND box, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(box, id), &r);
    Click(Center(r));
}

TEST(EndToEnd, TheSystemCloseCommandAsksAndOnlyYesCloses) {
    const std::string rule = "E2E Close Query";
    DeleteRuleState(rule);
    // Saved by an earlier attachment: asking is no state to restore.
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, kWindowRulesKey + rule, "CloseQuery_CurrentOperation", "CLOSEQUERY"));
    TSystemFolder system(Bin(), CloseQueryConfig(rule));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());

    std::unique_ptr<ChildProcess> target;
    HWND window = StartAttached(target);
    ASSERT_NE(window, nullptr);
    Sleep(500);
    EXPECT_EQ(FindMessageBox(window), nullptr);

    struct Case {
        const char* what;
        bool byKeyboard;
        bool answerByEnter;
    } cases[] = {
        {"close button, No clicked", false, false},
        {"close button, Enter", false, true},
        {"Alt+F4, No clicked", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.byKeyboard) {
            Click(TitleBar(window));  // the keys go to the active window
            PressAltF4();
        } else {
            Click(CloseButton(window));
        }
        HWND shown = WaitForMessageBox(window, 10000);
        ASSERT_NE(shown, nullptr);
        TMessageBoxView box = ReadMessageBox(shown);
        EXPECT_EQ(box.text, kQuestion);
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(box.defaultButton, IDNO);
        if (c.answerByEnter)
            PressKey(VK_RETURN);
        else
            ClickButton(shown, IDNO);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(shown); }, 5000));
        Sleep(300);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(QueryTarget(window, kQueryCloseCommands), 0);
    }

    Click(CloseButton(window));
    HWND shown = WaitForMessageBox(window, 10000);
    ASSERT_NE(shown, nullptr);
    ClickButton(shown, IDYES);
    EXPECT_EQ(target->Wait(10000), 0u);

    // A WM_CLOSE that the program posts itself is not questioned.
    window = StartAttached(target);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(QueryTarget(window, kQueryPostClose), 1);
    EXPECT_EQ(target->Wait(10000), 0u);

    EXPECT_EQ(system.StopCenter(), 0u);
    DeleteRuleState(rule);
}

}  // namespace
