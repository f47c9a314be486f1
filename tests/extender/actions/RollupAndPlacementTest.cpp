// Rolling a window up to its title bar and back, and the window placement
// kept under the rule's registry key: what is written, what is applied, and
// that a rolled-up window is saved at its full height.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "RegistryRoutines.h"
#include "RulePartsTestSupport.h"
#include "WinTestSupport.h"
#include "uEASaveSizePosAction.h"
#include "uEAWindowRollupAction.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

std::string RuleKey(const std::string& rule) { return std::string(WINDOW_RULES_REGISTRY_KEY) + rule; }
void DeleteRuleKey(const std::string& rule) { RegDeleteKeyA(HKEY_CURRENT_USER, RuleKey(rule).c_str()); }

std::string RollupRule(const std::string& rule, const std::string& save = "no") {
    return "\\WINDOWRULENAME=" + rule + "\\ACTION=WINDOWROLLUPACTION{\\NAME=Rollup\\SAVECURRENTOPERATION=" + save +
           "\\}";
}

// ------------------------------------------------------------------ roll-up

TEST(WindowRollupAction, RollsUpToTheTitleBarAndBackKeepingTheFirstSavedHeight) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), RollupRule("Rollup"));
    IPtr<IAction> action = rule.Action("Rollup");
    ASSERT_TRUE(action);
    auto* rollup = rule.ActionAs<TWindowRollupAction>("Rollup");
    EXPECT_EQ(CurrentName(action.get()), "WINDOWUNROLL");
    EXPECT_EQ(NextName(action.get()), "WINDOWROLLUP");
    RECT before = WindowRectOf(window.Get());

    EXPECT_TRUE(action->ExecuteNextOperation());
    RECT rolled = WindowRectOf(window.Get());
    EXPECT_EQ(rolled.bottom - rolled.top, NonClientHeight(window.Get()));
    EXPECT_EQ(rolled.left, before.left);
    EXPECT_EQ(rolled.top, before.top);
    EXPECT_EQ(rolled.right, before.right);
    EXPECT_TRUE(rollup->IsRollup());
    EXPECT_EQ(CurrentName(action.get()), "WINDOWROLLUP");

    // Twice: the first saved height stays.
    EXPECT_TRUE(action->ExecuteOperation("WINDOWROLLUP"));
    EXPECT_EQ(rollup->GetSavedRect().bottom - rollup->GetSavedRect().top, before.bottom - before.top);

    // Made wider while rolled up: the new width stays, the height comes back.
    SetWindowPos(window.Get(), nullptr, 0, 0, 400, rolled.bottom - rolled.top, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(action->ExecuteNextOperation());
    RECT back = WindowRectOf(window.Get());
    EXPECT_EQ(back.bottom - back.top, before.bottom - before.top);
    EXPECT_EQ(back.right - back.left, 400);
    EXPECT_FALSE(rollup->IsRollup());

    // Unrolling an unrolled window changes nothing.
    EXPECT_TRUE(action->ExecuteOperation("WINDOWUNROLL"));
    EXPECT_EQ(WindowHeight(window.Get()), before.bottom - before.top);
    EXPECT_FALSE(action->ExecuteOperation("SOMETHINGELSE"));
}

TEST(WindowRollupAction, UnrollDoesNothingUntilThisAttachmentRolledTheWindowUp) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), RollupRule("Dragged"));
    RECT r = WindowRectOf(window.Get());
    // The user dragged it to exactly its title bar: rolled up, with no height to go back to.
    SetWindowPos(window.Get(), nullptr, 0, 0, r.right - r.left, NonClientHeight(window.Get()), SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(rule.ActionAs<TWindowRollupAction>("Rollup")->IsRollup());
    EXPECT_TRUE(rule.Action("Rollup")->ExecuteOperation("WINDOWUNROLL"));
    EXPECT_EQ(WindowHeight(window.Get()), NonClientHeight(window.Get()));
}

TEST(WindowRollupAction, DetachingUnrollsAndASavedRollUpComesBack) {
    const std::string ruleName = "RulePartsTest Rollup";
    struct Case {
        const char* save;
        const char* saved;
        bool rolledAtNextAttach;
    } cases[] = {{"yes", "WINDOWROLLUP", true}, {"no", "", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.save);
        DeleteRuleKey(ruleName);
        TTargetWindow window;
        int full = WindowHeight(window.Get());
        {
            TAttachedRule rule(window.Get(), RollupRule(ruleName, c.save));
            ASSERT_TRUE(rule.Action("Rollup")->ExecuteNextOperation());
            ASSERT_EQ(WindowHeight(window.Get()), NonClientHeight(window.Get()));
        }  // detached twice, as the library does
        EXPECT_EQ(WindowHeight(window.Get()), full);
        std::string saved;
        ReadRegString(HKEY_CURRENT_USER, RuleKey(ruleName), "Rollup_CurrentOperation", saved);
        EXPECT_EQ(saved, c.saved);

        TAttachedRule next(window.Get(), RollupRule(ruleName, c.save));
        EXPECT_EQ(WindowHeight(window.Get()) == NonClientHeight(window.Get()), c.rolledAtNextAttach);
        next.Release();
        EXPECT_EQ(WindowHeight(window.Get()), full);
    }
    DeleteRuleKey(ruleName);
}

TEST(WindowRollupAction, AWindowRolledUpOnlyByAHoverIsUnrolledAtDetach) {
    TTargetWindow window;
    int full = WindowHeight(window.Get());
    TAttachedRule rule(window.Get(), RollupRule("Hover"));
    ASSERT_TRUE(rule.Action("Rollup")->ApplyHoverEffect("WINDOWROLLUP"));
    ASSERT_EQ(WindowHeight(window.Get()), NonClientHeight(window.Get()));
    rule.Release();
    EXPECT_EQ(WindowHeight(window.Get()), full);
}

// ---------------------------------------------------------- saved placement

std::string PlacementRule(const std::string& rule, const std::string& save = "no", const std::string& more = {}) {
    return "\\WINDOWRULENAME=" + rule + "\\ACTION=SAVESIZEPOSACTION{\\NAME=Place\\SAVECURRENTOPERATION=" + save +
           "\\}" + more;
}

bool ReadValue(const std::string& rule, const char* suffix, std::uint32_t& value) {
    return ReadRegDword(HKEY_CURRENT_USER, RuleKey(rule), std::string("Place") + suffix, value);
}

WINDOWPLACEMENT Placement(HWND window) {
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    GetWindowPlacement(window, &p);
    return p;
}

TEST(SaveSizePosAction, SavesNineValuesAndPutsThePlacementBack) {
    const std::string ruleName = "RulePartsTest Place";
    DeleteRuleKey(ruleName);
    TTargetWindow window;
    TAttachedRule rule(window.Get(), PlacementRule(ruleName));
    IPtr<IAction> action = rule.Action("Place");
    ASSERT_TRUE(action);
    EXPECT_EQ(CurrentName(action.get()), "RESTORESIZEPOS");
    EXPECT_EQ(NextName(action.get()), "SAVESIZEPOS");

    // Never saved: nothing changes, and that is a success.
    RECT start = WindowRectOf(window.Get());
    EXPECT_TRUE(action->ExecuteOperation("RESTORESIZEPOS"));
    EXPECT_TRUE(SameRect(WindowRectOf(window.Get()), start));

    // Left of and above the primary screen.
    SetWindowPos(window.Get(), nullptr, -150, -120, 300, 210, SWP_NOZORDER);
    WINDOWPLACEMENT saved = Placement(window.Get());
    EXPECT_TRUE(action->ExecuteOperation("SAVESIZEPOS"));
    std::uint32_t v = 0;
    for (const char* suffix : PLACEMENT_VALUE_SUFFIXES) EXPECT_TRUE(ReadValue(ruleName, suffix, v)) << suffix;
    ASSERT_TRUE(ReadValue(ruleName, "_NormalPositionLeft", v));
    EXPECT_EQ(static_cast<LONG>(v), saved.rcNormalPosition.left);
    ASSERT_TRUE(ReadValue(ruleName, "_showCmdSuffix", v));
    EXPECT_EQ(v, static_cast<std::uint32_t>(SW_SHOWNORMAL));

    SetWindowPos(window.Get(), nullptr, 60, 70, 250, 180, SWP_NOZORDER);
    EXPECT_TRUE(action->ExecuteOperation("RESTORESIZEPOS"));
    EXPECT_TRUE(SameRect(Placement(window.Get()).rcNormalPosition, saved.rcNormalPosition));
    EXPECT_EQ(WindowRectOf(window.Get()).left, -150);
    EXPECT_FALSE(action->ExecuteOperation("SOMETHINGELSE"));
    DeleteRuleKey(ruleName);
}

TEST(SaveSizePosAction, AMissingOrStrangeValueMeansNothingIsApplied) {
    const std::string ruleName = "RulePartsTest Partial";
    struct Case {
        const char* what;
        const char* suffix;
        bool asText;
    } cases[] = {{"the show command deleted", "_showCmdSuffix", false},
                 {"the bottom deleted", "_NormalPositionBottom", false},
                 {"the left a text", "_NormalPositionLeft", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteRuleKey(ruleName);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), PlacementRule(ruleName));
        SetWindowPos(window.Get(), nullptr, 100, 90, 260, 190, SWP_NOZORDER);
        ASSERT_TRUE(rule.Action("Place")->ExecuteOperation("SAVESIZEPOS"));
        std::string name = std::string("Place") + c.suffix;
        if (c.asText)
            WriteRegString(HKEY_CURRENT_USER, RuleKey(ruleName), name, "100");
        else
            DeleteRegValue(HKEY_CURRENT_USER, RuleKey(ruleName), name);
        SetWindowPos(window.Get(), nullptr, 40, 40, 320, 200, SWP_NOZORDER);
        RECT before = WindowRectOf(window.Get());
        EXPECT_TRUE(rule.Action("Place")->ExecuteOperation("RESTORESIZEPOS"));
        EXPECT_TRUE(SameRect(WindowRectOf(window.Get()), before));
    }
    DeleteRuleKey(ruleName);
}

TEST(SaveSizePosAction, ShowCommandsComeBackAsTheUserKnowsThem) {
    const std::string ruleName = "RulePartsTest Show";
    struct Case {
        const char* what;
        std::uint32_t stored;
        bool zoomed, iconic;
    } cases[] = {{"maximised", SW_SHOWMAXIMIZED, true, false},
                 {"minimised", SW_SHOWMINIMIZED, false, true},
                 {"hidden counts as normal", SW_HIDE, false, false},
                 {"shown without activation counts as normal", SW_SHOWNOACTIVATE, false, false},
                 {"nonsense counts as normal", 77, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteRuleKey(ruleName);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), PlacementRule(ruleName));
        SetWindowPos(window.Get(), nullptr, 110, 100, 280, 190, SWP_NOZORDER);
        ASSERT_TRUE(rule.Action("Place")->ExecuteOperation("SAVESIZEPOS"));
        RECT normal = Placement(window.Get()).rcNormalPosition;
        WriteRegDword(HKEY_CURRENT_USER, RuleKey(ruleName), "Place_showCmdSuffix", c.stored);
        SetWindowPos(window.Get(), nullptr, 40, 40, 320, 200, SWP_NOZORDER);
        EXPECT_TRUE(rule.Action("Place")->ExecuteOperation("RESTORESIZEPOS"));
        EXPECT_EQ(IsZoomed(window.Get()) != FALSE, c.zoomed);
        EXPECT_EQ(IsIconic(window.Get()) != FALSE, c.iconic);
        EXPECT_TRUE(IsWindowVisible(window.Get()));
        // The normal rectangle is kept for the next restore.
        EXPECT_TRUE(SameRect(Placement(window.Get()).rcNormalPosition, normal));
    }
    DeleteRuleKey(ruleName);
}

TEST(SaveSizePosAction, AWindowHiddenInTheTrayOrAtTheEdgeIsSavedAsItShowsAgain) {
    const std::string ruleName = "RulePartsTest Hidden";
    struct Case {
        const char* action;
        const char* hide;
        std::vector<int> showCommands;  // applied before hiding
        std::uint32_t saved;
        bool byTheHide = false;  // saved as the hide deactivates the window
    } cases[] = {
        {"MINTOTRAYACTION", "MINTOTRAYON", {SW_MINIMIZE}, SW_SHOWNORMAL},
        {"MINTOTRAYACTION", "MINTOTRAYON", {SW_MAXIMIZE, SW_MINIMIZE}, SW_SHOWMAXIMIZED},
        {"MINTOTRAYACTION", "MINTOTRAYON", {SW_MAXIMIZE}, SW_SHOWMAXIMIZED, true},
        {"MINTOEDGEACTION", "MINTOEDGEON", {SW_MINIMIZE}, SW_SHOWNORMAL},
        {"MINTOEDGEACTION", "MINTOEDGEON", {SW_MAXIMIZE}, SW_SHOWMAXIMIZED},
        {"MINTOEDGEACTION", "MINTOEDGEON", {SW_MAXIMIZE}, SW_SHOWMAXIMIZED, true},
        {"MINTOEDGEACTION", "MINTOEDGEON", {}, SW_SHOWNORMAL},
    };
    const std::string saveOnDeactivation =
        "\\TRIGGER=WMINACTIVATEWINDOWMESSAGETRIGGER{\\AGENT={\\NAME=Save\\ACTIONNAME=Place"
        "\\ACTIONKIND=concrete\\OPERATIONNAME=SAVESIZEPOS}}";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " after " + std::to_string(c.showCommands.size()) + " show commands" +
                     (c.byTheHide ? ", saved by the hide" : ""));
        DeleteRuleKey(ruleName);
        TTargetWindow window;
        TAttachedRule rule(window.Get(),
                           PlacementRule(ruleName, "no",
                                         std::string("\\ACTION=") + c.action + "{\\NAME=Hide}" +
                                             (c.byTheHide ? saveOnDeactivation : std::string())));
        for (int command : c.showCommands) ShowWindow(window.Get(), command);
        if (c.byTheHide) {
            SetForegroundWindow(window.Get());
            Pump(20);
        }
        ASSERT_TRUE(rule.Action("Hide")->ExecuteOperation(c.hide));
        ASSERT_FALSE(IsWindowVisible(window.Get()));
        if (!c.byTheHide) {
            ASSERT_TRUE(rule.Action("Place")->ExecuteOperation("SAVESIZEPOS"));
        }
        std::uint32_t saved = 0;
        ASSERT_TRUE(ReadValue(ruleName, "_showCmdSuffix", saved));
        EXPECT_EQ(saved, c.saved);
    }
    DeleteRuleKey(ruleName);
}

TEST(SaveSizePosAction, WithoutAWindowBothOperationsDoNothingAndSucceed) {
    const std::string ruleName = "RulePartsTest Loose";
    DeleteRuleKey(ruleName);
    IPtr<IAction> loose = Supports<IAction>(CreateEAItemByClassName("\\NAME=Place", "SAVESIZEPOSACTION"));
    ASSERT_TRUE(loose);
    EXPECT_TRUE(loose->ExecuteOperation("SAVESIZEPOS"));
    EXPECT_TRUE(loose->ExecuteOperation("RESTORESIZEPOS"));

    // An extender whose window is gone: the placement cannot be read, nothing is written.
    HWND gone = CreateWindowExA(0, "STATIC", "gone", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    TAttachedRule rule(gone, PlacementRule(ruleName));
    DestroyWindow(gone);
    EXPECT_TRUE(rule.Action("Place")->ExecuteOperation("SAVESIZEPOS"));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, RuleKey(ruleName), "Place_showCmdSuffix"));
}

TEST(SaveSizePosAction, ASavedSaveIsNotReplayedAtAttachButASavedRestoreIs) {
    const std::string ruleName = "RulePartsTest Replay";
    struct Case {
        const char* saved;
        bool restoredAtAttach;
    } cases[] = {{"SAVESIZEPOS", false}, {"RESTORESIZEPOS", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        DeleteRuleKey(ruleName);
        TTargetWindow window;
        {
            TAttachedRule first(window.Get(), PlacementRule(ruleName, "yes"));
            SetWindowPos(window.Get(), nullptr, 130, 120, 240, 170, SWP_NOZORDER);
            ASSERT_TRUE(first.Action("Place")->ExecuteOperation("SAVESIZEPOS"));
            ASSERT_TRUE(first.Action("Place")->ExecuteOperation(c.saved));
        }
        std::string saved;
        ReadRegString(HKEY_CURRENT_USER, RuleKey(ruleName), "Place_CurrentOperation", saved);
        EXPECT_EQ(saved, c.saved);
        SetWindowPos(window.Get(), nullptr, 40, 40, 320, 200, SWP_NOZORDER);
        TAttachedRule next(window.Get(), PlacementRule(ruleName, "yes"));
        EXPECT_EQ(WindowRectOf(window.Get()).left == 130, c.restoredAtAttach);
        std::uint32_t left = 0;
        ASSERT_TRUE(ReadValue(ruleName, "_NormalPositionLeft", left));
        EXPECT_EQ(static_cast<LONG>(left), 130);  // the stored placement is untouched
    }
    DeleteRuleKey(ruleName);
}

TEST(SaveSizePosAction, AWindowDestroyedWhileRolledUpIsSavedAtItsFullHeight) {
    const std::string ruleName = "RulePartsTest Closed Rolled";
    DeleteRuleKey(ruleName);
    // Not shown: Wine takes its time over visible windows that go away.
    HWND window = CreateWindowExA(0, "STATIC", "rolled", WS_OVERLAPPEDWINDOW, 70, 60, 300, 220, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    TAttachedRule rule(window, PlacementRule(ruleName, "no",
                                             "\\ACTION=WINDOWROLLUPACTION{\\NAME=Rollup\\SAVECURRENTOPERATION=no\\}"
                                             "\\TRIGGER=WMDESTROYMESSAGETRIGGER{\\AGENT={\\NAME=Save\\ACTIONNAME=Place"
                                             "\\ACTIONKIND=concrete\\OPERATIONNAME=SAVESIZEPOS}}"));
    ASSERT_TRUE(rule.Action("Rollup")->ExecuteOperation("WINDOWROLLUP"));
    ASSERT_EQ(WindowHeight(window), NonClientHeight(window));
    DestroyWindow(window);
    std::uint32_t top = 0, bottom = 0;
    ASSERT_TRUE(ReadValue(ruleName, "_NormalPositionTop", top));
    ASSERT_TRUE(ReadValue(ruleName, "_NormalPositionBottom", bottom));
    EXPECT_EQ(static_cast<LONG>(bottom) - static_cast<LONG>(top), 220);
    DeleteRuleKey(ruleName);
}

}  // namespace
