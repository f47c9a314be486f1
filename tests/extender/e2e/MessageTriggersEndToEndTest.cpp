// Window-message triggers, roll-up and the saved placement end to end: the
// real control center and hook library, the test program's windows in
// another process, real clicks and double clicks. The rules switch on the
// default template's items by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EndToEndSupport.h"

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kClass[] = "VPW_E2E_Messages";
constexpr char kOtherClass[] = "VPW_E2E_Elsewhere";
constexpr COLORREF kGlyphNavy = RGB(0, 0, 128);

std::string Enabled(const char* element, const char* name, const char* type, const TParamsXml& more = {},
                    const std::string& content = {}) {
    TParamsXml params{{"enabled", "yes"}};
    params.insert(params.end(), more.begin(), more.end());
    return ItemXml(element, name, type, params, content);
}

std::string EnabledAgent(const char* name) { return AgentsXml(Enabled("agent", name, "MESSAGEAGENT")); }

// The template's roll-up action, run by a double click on the title bar.
const std::string kRollupAction = Enabled("action", "WindowRollup", "WINDOWROLLUPACTION");
const std::string kDoubleClickTrigger = Enabled("trigger", "SCDefaultMessageTrigger", "SCDEFAULTMESSAGETRIGGER", {},
                                                EnabledAgent("WindowRollupSCDefaultAgent_JRY"));

std::string SaveSizePosAction(bool saveCurrentOperation) {
    return Enabled("action", "SaveSizePos", "SAVESIZEPOSACTION",
                   {{"save_current_operation", YesNo(saveCurrentOperation)}});
}

// The control center from a folder of its own with one rule over the
// template; the rule's saved state is gone before and after.
class TRunningRule {
public:
    TRunningRule(const std::string& rule, const std::string& actions, const std::string& triggers = {})
        : rule_((DeleteRuleState(rule), rule)), system_(Bin(), RulesConfig({{rule, kClass, actions, triggers}})) {}
    ~TRunningRule() {
        system_.StopCenter();
        DeleteRuleState(rule_);
    }
    bool Start() { return system_.Copied() && system_.StartCenter(); }
    DWORD Stop() { return system_.StopCenter(); }
    const std::string& Rule() const { return rule_; }

private:
    std::string rule_;
    TSystemFolder system_;
};

void DoubleClick(POINT at) { Click(at, 2); }

// Starts the test program with one window of the rule's class (and more
// windows when asked) and waits until the library attached to it.
HWND OpenAttached(std::unique_ptr<ChildProcess>& target, const std::vector<std::string>& more = {}) {
    std::vector<std::string> args{"open", kClass, "E2E messages"};
    args.insert(args.end(), more.begin(), more.end());
    target = StartTarget(ModuleDir(), args);
    HWND window = WaitForWindow(kClass, "E2E messages", 10000);
    if (!window || !WaitUntil([&] { return QueryTarget(window, kQueryAttached) >= 1; }, 10000)) return nullptr;
    Sleep(300);  // what the create trigger does is done by now
    return window;
}

// Closed as a user closes it: the close button.
bool CloseByClick(HWND window, std::unique_ptr<ChildProcess>& target) {
    Click(CloseButton(window));
    return target->Wait(10000) == 0;
}

TEST(EndToEnd, DoubleClickOnTheTitleBarRollsUpInsteadOfMaximising) {
    TRunningRule running("E2E Double Click", SaveSizePosAction(false) + kRollupAction, kDoubleClickTrigger);
    ASSERT_TRUE(running.Start());
    std::unique_ptr<ChildProcess> target;
    HWND window = OpenAttached(target);
    ASSERT_NE(window, nullptr);
    RECT full = WindowRectOf(window);

    DoubleClick(TitleBar(window));
    ASSERT_TRUE(WaitUntil([&] { return RolledUp(window); }, 5000));
    RECT rolled = WindowRectOf(window);
    EXPECT_EQ(rolled.left, full.left);
    EXPECT_EQ(rolled.top, full.top);
    EXPECT_EQ(rolled.right, full.right);
    Sleep(500);
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_TRUE(RolledUp(window));

    DoubleClick(TitleBar(window));
    EXPECT_TRUE(WaitUntil([&] { return SameRect(WindowRectOf(window), full); }, 5000));
    EXPECT_FALSE(IsZoomed(window));

    // Closed while rolled up: it comes back at its full height.
    DoubleClick(TitleBar(window));
    ASSERT_TRUE(WaitUntil([&] { return RolledUp(window); }, 5000));
    ASSERT_TRUE(CloseByClick(window, target));
    window = OpenAttached(target);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(SameRect(WindowRectOf(window), full));
    EXPECT_TRUE(CloseByClick(window, target));
    EXPECT_EQ(running.Stop(), 0u);
}

TEST(EndToEnd, AWindowComesBackWhereItWasClosed) {
    for (bool saveCurrentOperation : {false, true}) {
        SCOPED_TRACE(saveCurrentOperation ? "current operation saved" : "current operation not saved");
        TRunningRule running("E2E Placement", SaveSizePosAction(saveCurrentOperation));
        ASSERT_TRUE(running.Start());
        std::unique_ptr<ChildProcess> target;

        HWND window = OpenAttached(target);
        ASSERT_NE(window, nullptr);
        SetWindowPos(window, nullptr, 210, 160, 500, 310, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT moved = WindowRectOf(window);
        ASSERT_TRUE(CloseByClick(window, target));

        // Restarted twice: the same place both times; maximised stays maximised.
        window = OpenAttached(target);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return SameRect(WindowRectOf(window), moved); }, 5000));
        PostMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsZoomed(window) != FALSE; }, 5000));
        ASSERT_TRUE(CloseByClick(window, target));

        window = OpenAttached(target);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return IsZoomed(window) != FALSE; }, 5000));
        PostMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_TRUE(WaitUntil([&] { return SameRect(WindowRectOf(window), moved); }, 5000));
        ASSERT_TRUE(CloseByClick(window, target));

        EXPECT_EQ(SavedOperation(running.Rule(), "SaveSizePos"), saveCurrentOperation ? "SAVESIZEPOS" : "");
        EXPECT_EQ(running.Stop(), 0u);
    }
}

TEST(EndToEnd, TheCreateTriggerMakesTheWindowTopmostAtAttach) {
    TRunningRule running("E2E Created On Top", Enabled("action", "StayOnTop_JRX", "STAYONTOPACTION"));
    ASSERT_TRUE(running.Start());
    std::unique_ptr<ChildProcess> target;
    HWND window = OpenAttached(target);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return Topmost(window); }, 5000));
    EXPECT_TRUE(CloseByClick(window, target));
    EXPECT_EQ(running.Stop(), 0u);
}

TEST(EndToEnd, LosingTheFocusForASecondRollsTheWindowUp) {
    // The template's deactivation trigger waits one second; activation
    // unrolls after a quarter of a second.
    TRunningRule running("E2E Focus", kRollupAction,
                         Enabled("trigger", "ActivateWindowMessageTrigger", "WMACTIVATEWINDOWMESSAGETRIGGER",
                                 {{"lag_enabled", "yes"}}) +
                             Enabled("trigger", "InActivateWindowMessageTrigger", "WMINACTIVATEWINDOWMESSAGETRIGGER"));
    ASSERT_TRUE(running.Start());
    std::unique_ptr<ChildProcess> target;
    HWND window = OpenAttached(target, {kOtherClass, "E2E elsewhere"});
    ASSERT_NE(window, nullptr);
    HWND other = WaitForWindow(kOtherClass, "E2E elsewhere", 5000);
    ASSERT_NE(other, nullptr);
    // Side by side, so that each can be clicked.
    SetWindowPos(other, nullptr, 600, 120, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(window, nullptr, 120, 120, 420, 260, SWP_NOZORDER | SWP_NOACTIVATE);
    int full = WindowHeight(window);
    POINT elsewhere = Center(WindowRectOf(other));

    Click(TitleBar(window));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000));
    Sleep(1500);
    ASSERT_EQ(WindowHeight(window), full);

    // Away for good: rolled up once the delay is over, not before.
    DWORD left = GetTickCount();
    Click(elsewhere);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return RolledUp(window); }, 5000));
    EXPECT_GE(GetTickCount() - left, 900u);
    Sleep(1500);
    EXPECT_TRUE(RolledUp(window));

    // Back: unrolled.
    Click(TitleBar(window));
    EXPECT_TRUE(WaitUntil([&] { return WindowHeight(window) == full; }, 5000));
    Sleep(500);

    // Away and back within the delay: it never rolls up (activation would
    // unroll it again, so it is watched the whole time). A machine too busy
    // to come back within the delay proves nothing.
    DWORD away = GetTickCount();
    Click(elsewhere);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 5000));
    Click(TitleBar(window));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000));
    DWORD back = GetTickCount() - away;
    bool everRolledUp = WaitUntil([&] { return RolledUp(window); }, 2000);
    if (back < 800) {
        EXPECT_FALSE(everRolledUp) << "back after " << back << " ms";
    }
    EXPECT_EQ(WindowHeight(window), full);

    PostMessageA(other, WM_CLOSE, 0, 0);
    EXPECT_TRUE(CloseByClick(window, target));
    EXPECT_EQ(running.Stop(), 0u);
}

TEST(EndToEnd, TheRollUpTitleButtonDrawsItsGlyphsAndRollsUpAndBack) {
    TRunningRule running("E2E Rollup Button", "",
                         Enabled("trigger", "CaptionButtons", "CAPTIONBUTTONTRIGGER", {},
                                 AgentsXml(Enabled("agent", "WindowRollupCaptionButton", "CAPTIONBUTTONAGENT"))));
    ASSERT_TRUE(running.Start());
    std::unique_ptr<ChildProcess> target;
    HWND window = OpenAttached(target);
    ASSERT_NE(window, nullptr);
    int full = WindowHeight(window);

    RECT button = ExpectedButton(window);
    RECT leftOfButton{button.left - 60, button.top, button.left, button.bottom};
    TScreenShot up(button);
    EXPECT_GT(up.Count(kGlyphNavy, button), 10);
    EXPECT_EQ(TScreenShot(leftOfButton).Count(kGlyphNavy, leftOfButton), 0);

    Click(Center(button));
    ASSERT_TRUE(WaitUntil([&] { return RolledUp(window); }, 5000));
    Sleep(300);
    TScreenShot down(button);
    EXPECT_GT(down.Count(kGlyphNavy, button), 10);
    EXPECT_FALSE(down.SameAs(up));  // the face shows what the next click does

    Click(Center(button));
    EXPECT_TRUE(WaitUntil([&] { return WindowHeight(window) == full; }, 5000));
    Sleep(300);
    EXPECT_TRUE(TScreenShot(button).SameAs(up));

    EXPECT_TRUE(CloseByClick(window, target));
    EXPECT_EQ(running.Stop(), 0u);
}

}  // namespace
