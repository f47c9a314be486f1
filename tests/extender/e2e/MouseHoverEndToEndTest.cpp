// The mouse hover trigger end to end: rolled-up windows of the test program
// unroll while the real mouse rests on them and roll up again after it.
#include <gtest/gtest.h>

#include <string>

#include "EndToEndSupport.h"
#include "RegistryRoutines.h"

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kHoverClass[] = "VPW_E2E_Hover";
constexpr char kDelayedClass[] = "VPW_E2E_HoverDelayed";
constexpr char kOtherClass[] = "VPW_E2E_HoverOther";
constexpr int kFullHeight = 260;  // as the test program opens its windows

// The template's roll-up action, kept rolled up between attachments, and its
// hover agent (which unrolls while the mouse rests on the window).
TRuleXml HoverRule(const std::string& name, const std::string& windowClass, int delay) {
    std::string lag = delay > 0 ? "yes" : "no";
    std::string interval = std::to_string(delay);
    return {name, windowClass,
            ItemXml("action", "WindowRollup", "WINDOWROLLUPACTION",
                    {{"enabled", "yes"}, {"save_current_operation", "yes"}}),
            ItemXml("trigger", "MouseHoverTrigger", "MOUSEHOVETRIGGER",
                    {{"enabled", "yes"},
                     {"hover_lag_enabled", lag},
                     {"hover_lag_interval", interval},
                     {"leave_lag_enabled", lag},
                     {"leave_lag_interval", interval}},
                    AgentsXml(
                        ItemXml("agent", "WindowRollupMouseHoverAgent_JRY", "MOUSEHOVERAGENT", {{"enabled", "yes"}})))};
}

int Height(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}

bool RolledUp(HWND window) { return Height(window) < kFullHeight / 2; }

// Milliseconds until the window is (or is no longer) rolled up; -1 when that
// does not happen within `ms`.
int MillisecondsUntil(HWND window, bool rolledUp, DWORD ms) {
    DWORD start = GetTickCount();
    if (!WaitUntil([&] { return RolledUp(window) == rolledUp; }, ms)) return -1;
    return static_cast<int>(GetTickCount() - start);
}

TEST(EndToEnd, RolledUpWindowsUnrollWhileTheMouseRestsOnThem) {
    const std::string rule = "E2E Hover", delayedRule = "E2E Hover Delayed";
    for (const std::string& r : {rule, delayedRule}) {
        DeleteRuleState(r);
        ASSERT_TRUE(
            WriteRegString(HKEY_CURRENT_USER, kWindowRulesKey + r, "WindowRollup_CurrentOperation", "WINDOWROLLUP"));
    }
    TSystemFolder system(Bin(),
                         RulesConfig({HoverRule(rule, kHoverClass, 0), HoverRule(delayedRule, kDelayedClass, 500)}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());

    SetCursorPos(kOutOfTheWay.x, kOutOfTheWay.y);
    // The last window opened is the active one; the title bars of the others
    // stay free while they are rolled up.
    auto target = StartTarget(ModuleDir(), {"open", kHoverClass, "E2E hover", kDelayedClass, "E2E hover delayed",
                                            kOtherClass, "E2E hover other"});
    HWND window = WaitForWindow(kHoverClass, nullptr);
    HWND delayed = WaitForWindow(kDelayedClass, nullptr);
    HWND other = WaitForWindow(kOtherClass, nullptr);
    ASSERT_TRUE(window && delayed && other);
    ASSERT_TRUE(WaitUntil([&] { return RolledUp(window) && RolledUp(delayed); }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 5000));
    Sleep(300);

    // Without delays.
    MoveMouse(TitleBar(window));
    int unrolled = MillisecondsUntil(window, false, 5000);
    EXPECT_GE(unrolled, 0);
    EXPECT_LT(unrolled, 300);
    Sleep(400);
    EXPECT_EQ(Height(window), kFullHeight);  // still resting on it
    MoveMouse(kOutOfTheWay);
    int rolled = MillisecondsUntil(window, true, 5000);
    EXPECT_GE(rolled, 0);
    EXPECT_LT(rolled, 300);

    // With 500 ms delays a pass of 200 ms does nothing.
    MoveMouse(TitleBar(delayed));
    Sleep(200);
    MoveMouse(kOutOfTheWay);
    EXPECT_EQ(MillisecondsUntil(delayed, false, 1000), -1);

    // Resting unrolls after the delay; clicking into the window ends the
    // hover, and the window is rolled up again as it was before.
    MoveMouse(TitleBar(delayed));
    unrolled = MillisecondsUntil(delayed, false, 5000);
    EXPECT_GE(unrolled, 400);
    RECT r{};
    GetWindowRect(delayed, &r);
    Click(POINT{r.left + 15, (r.top + r.bottom) / 2});  // left of the active window
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == delayed; }, 5000));
    rolled = MillisecondsUntil(delayed, true, 5000);
    EXPECT_GE(rolled, 0);
    EXPECT_LT(rolled, 300);

    // The active window does not hover.
    MoveMouse(TitleBar(delayed));
    EXPECT_EQ(MillisecondsUntil(delayed, false, 1200), -1);
    MoveMouse(kOutOfTheWay);

    for (HWND w : {window, delayed, other}) PostMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(target->Wait(10000), 0u);
    EXPECT_EQ(system.StopCenter(), 0u);
    for (const std::string& r : {rule, delayedRule}) DeleteRuleState(r);
}

}  // namespace
