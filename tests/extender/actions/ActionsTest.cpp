// Actions on a real window: stay on top, close window, run mode, hover
// effects and the current operation kept under the rule's registry key.
#include <gtest/gtest.h>

#include <vector>

#include "RulePartsTestSupport.h"
#include "uEAActions.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

std::string StayOnTopRule(const std::string& rule, const std::string& save) {
    return "\\WINDOWRULENAME=" + rule + "\\ACTION=STAYONTOPACTION{\\NAME=StayOnTop\\SAVECURRENTOPERATION=" + save +
           "\\}";
}

std::string RuleKey(const std::string& rule) { return std::string(WINDOW_RULES_REGISTRY_KEY) + rule; }

void DeleteRuleKey(const std::string& rule) { RegDeleteKeyA(HKEY_CURRENT_USER, RuleKey(rule).c_str()); }

std::string ReadSaved(const std::string& rule, const std::string& value) {
    char data[256] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RuleKey(rule).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    LONG rc = RegQueryValueExA(key, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(data) : "<no value>";
}

void WriteRaw(const std::string& rule, const std::string& value, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, RuleKey(rule).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, value.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

TEST(StayOnTopAction, TogglesTheWindowAndTellsItsObserversOnce) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), StayOnTopRule("Toggle", "no"));
    IPtr<IAction> action = rule.Action("StayOnTop");
    ASSERT_TRUE(action);
    IPtr<TCountingObserver> observer(new TCountingObserver);
    action->GetPublisher()->Subscribe(observer.get());

    EXPECT_EQ(CurrentName(action.get()), "STAYONTOPOFF");
    EXPECT_EQ(NextName(action.get()), "STAYONTOPON");
    EXPECT_FALSE(window.Topmost());

    EXPECT_TRUE(action->ExecuteNextOperation());
    EXPECT_TRUE(window.Topmost());
    EXPECT_EQ(CurrentName(action.get()), "STAYONTOPON");
    EXPECT_EQ(NextName(action.get()), "STAYONTOPOFF");
    int afterFirst = observer->updates;
    EXPECT_GE(afterFirst, 1);

    EXPECT_TRUE(action->ExecuteNextOperation());
    EXPECT_FALSE(window.Topmost());
    EXPECT_EQ(CurrentName(action.get()), "STAYONTOPOFF");
    EXPECT_GT(observer->updates, afterFirst);

    EXPECT_FALSE(action->ExecuteOperation("SOMETHINGELSE"));
    EXPECT_EQ(CurrentName(action.get()), "STAYONTOPOFF");
    action->GetPublisher()->Unsubscribe(observer.get());
}

TEST(StayOnTopAction, WithoutAWindowItFailsAndTellsNobody) {
    IPtr<IAction> action = Supports<IAction>(CreateEAItemByClassName("\\NAME=Loose", "STAYONTOPACTION"));
    ASSERT_TRUE(action);
    IPtr<TCountingObserver> observer(new TCountingObserver);
    action->GetPublisher()->Subscribe(observer.get());
    // No window: SetWindowPos fails, nothing changes and nobody is told.
    EXPECT_FALSE(action->ExecuteNextOperation());
    EXPECT_EQ(CurrentName(action.get()), "STAYONTOPOFF");
    EXPECT_EQ(observer->updates, 0);
    action->GetPublisher()->Unsubscribe(observer.get());
}

TEST(StayOnTopAction, FollowsTopmostChangesMadeByOthers) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), StayOnTopRule("Follow", "no"));
    IPtr<IAction> action = rule.Action("StayOnTop");
    ASSERT_TRUE(action);
    IPtr<TCountingObserver> observer(new TCountingObserver);
    action->GetPublisher()->Subscribe(observer.get());

    SetWindowPos(window.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(CurrentName(action.get()), "STAYONTOPON");
    EXPECT_EQ(NextName(action.get()), "STAYONTOPOFF");
    EXPECT_EQ(observer->updates, 1);

    // With SWP_NOZORDER the insert-after handle means nothing: no change.
    SetWindowPos(window.Get(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(CurrentName(action.get()), "STAYONTOPON");
    EXPECT_TRUE(window.Topmost());

    SetWindowPos(window.Get(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(CurrentName(action.get()), "STAYONTOPOFF");
    EXPECT_EQ(observer->updates, 2);
    action->GetPublisher()->Unsubscribe(observer.get());
}

TEST(StayOnTopAction, HoverEffectHoldsTheWindowUntilItEnds) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), StayOnTopRule("Hover", "no"));
    IPtr<IAction> action = rule.Action("StayOnTop");
    ASSERT_TRUE(action);

    EXPECT_TRUE(action->ApplyHoverEffect("STAYONTOPOFF"));
    EXPECT_TRUE(action->ExecuteOperation("STAYONTOPON"));
    EXPECT_EQ(CurrentName(action.get()), "STAYONTOPON");
    EXPECT_FALSE(window.Topmost());  // the hover state stands

    EXPECT_TRUE(action->RemoveHoverEffect());
    EXPECT_TRUE(window.Topmost());

    // A hover that fails leaves no hover effect behind.
    EXPECT_FALSE(action->ApplyHoverEffect("NOSUCHOPERATION"));
    EXPECT_TRUE(action->ExecuteOperation("STAYONTOPOFF"));
    EXPECT_FALSE(window.Topmost());
}

TEST(StayOnTopAction, SavedOperationComesBackAtTheNextAttachment) {
    const std::string ruleName = "RulePartsTest Saved";
    DeleteRuleKey(ruleName);
    {
        TTargetWindow window;
        TAttachedRule rule(window.Get(), StayOnTopRule(ruleName, "yes"));
        ASSERT_TRUE(rule.Action("StayOnTop")->ExecuteNextOperation());
        EXPECT_EQ(ReadSaved(ruleName, "StayOnTop_CurrentOperation"), "<no key>");  // written at detach
    }
    EXPECT_EQ(ReadSaved(ruleName, "StayOnTop_CurrentOperation"), "STAYONTOPON");

    TTargetWindow next;
    TAttachedRule rule(next.Get(), StayOnTopRule(ruleName, "yes"));
    EXPECT_TRUE(next.Topmost());
    EXPECT_EQ(CurrentName(rule.Action("StayOnTop").get()), "STAYONTOPON");
    rule.Release();

    // Not asked to save: the window starts plain and nothing is written.
    DeleteRuleKey(ruleName);
    TTargetWindow plain;
    TAttachedRule unsaved(plain.Get(), StayOnTopRule(ruleName, "no"));
    EXPECT_FALSE(plain.Topmost());
    unsaved.Release();
    EXPECT_EQ(ReadSaved(ruleName, "StayOnTop_CurrentOperation"), "<no key>");
}

TEST(StayOnTopAction, ADetachTakesBackOnlyTheTopmostStateItGaveTheWindow) {
    struct Case {
        const char* what;
        bool programFirst;                    // its program made it topmost before the rule came
        std::vector<const char*> operations;  // then run by the action
        std::vector<HWND> programAfter;       // then the program's own SetWindowPos
        bool topmostAfterDetach;
    } cases[] = {
        {"put on top by the action", false, {"STAYONTOPON"}, {}, false},
        {"put on top by the action, then by its program", false, {"STAYONTOPON"}, {HWND_NOTOPMOST, HWND_TOPMOST},
         true},
        {"put on top by its program, then by the action", false, {}, {HWND_TOPMOST}, true},
        {"on top by its program from the start, off and on by the action", true, {"STAYONTOPOFF", "STAYONTOPON"}, {},
         true},
        {"on top by its program from the start, off by the action", true, {"STAYONTOPOFF"}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window;
        if (c.programFirst) SetWindowPos(window.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        TAttachedRule rule(window.Get(), StayOnTopRule("Detach", "no"));
        IPtr<IAction> action = rule.Action("StayOnTop");
        ASSERT_TRUE(action);
        for (const char* operation : c.operations) ASSERT_TRUE(action->ExecuteOperation(operation));
        for (HWND insertAfter : c.programAfter)
            SetWindowPos(window.Get(), insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        rule.Release();
        EXPECT_EQ(window.Topmost(), c.topmostAfterDetach);
    }
}

TEST(StayOnTopAction, StrangeSavedValuesChangeNothing) {
    const std::string ruleName = "RulePartsTest Strange";
    const std::string valueName = "StayOnTop_CurrentOperation";
    DWORD number = 7;
    const char unterminated[] = {'S', 'T', 'A', 'Y', 'O', 'N', 'T', 'O', 'P', 'O', 'N'};
    struct Case {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
        bool topmost;
    } cases[] = {
        {"a number", REG_DWORD, &number, sizeof number, false},
        {"an unknown operation", REG_SZ, "BOGUS", 6, false},
        {"an empty text", REG_SZ, "", 1, false},
        {"a text without its zero", REG_SZ, unterminated, sizeof unterminated, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteRuleKey(ruleName);
        WriteRaw(ruleName, valueName, c.type, c.data, c.size);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), StayOnTopRule(ruleName, "yes"));
        EXPECT_EQ(window.Topmost(), c.topmost);
        EXPECT_EQ(CurrentName(rule.Action("StayOnTop").get()), c.topmost ? "STAYONTOPON" : "STAYONTOPOFF");
    }
    DeleteRuleKey(ruleName);
}

TEST(Action, SaveCurrentOperationIsYesInAnyCase) {
    struct Case {
        const char* value;
        bool save;
    } cases[] = {{"yes", true}, {"YES", true}, {"Yes", true}, {"no", false}, {"1", false}, {"true", false}, {"", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        IPtr<IItem> item =
            CreateEAItemByClassName(std::string("\\NAME=A\\SAVECURRENTOPERATION=") + c.value, "STAYONTOPACTION");
        auto* action = dynamic_cast<TAction*>(item.get());
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->GetSaveCurrentOperation(), c.save);
    }
}

TEST(CloseWindowAction, PostsCloseOncePerAttachment) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(),
                       "\\WINDOWRULENAME=Close\\ACTION=CLOSEWINDOWACTION{\\NAME=Close\\SAVECURRENTOPERATION=no\\}");
    IPtr<IAction> action = rule.Action("Close");
    ASSERT_TRUE(action);
    EXPECT_EQ(CurrentName(action.get()), "CLOSEWINDOW");
    EXPECT_EQ(NextName(action.get()), "CLOSEWINDOW");

    EXPECT_FALSE(action->ExecuteOperation("SOMETHINGELSE"));
    EXPECT_TRUE(action->ExecuteNextOperation());
    EXPECT_FALSE(action->ExecuteNextOperation());
    Pump(50);
    EXPECT_EQ(window.Count(WM_CLOSE), 1);
}

TEST(SingleCallAction, ASavedOperationIsNotReplayedAtTheNextAttachment) {
    const std::string ruleName = "RulePartsTest Once";
    struct Case {
        const char* action;
        const char* saved;
    } cases[] = {{"CLOSEWINDOWACTION{\\NAME=Once\\SAVECURRENTOPERATION=yes\\}", "CLOSEWINDOW"},
                 {"RUNMODEACTION{\\NAME=Once\\SAVECURRENTOPERATION=yes\\\\RUNMODE=minimize}", "RUNMODE"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        DeleteRuleKey(ruleName);
        std::string ruleData = "\\WINDOWRULENAME=" + ruleName + "\\ACTION=" + c.action;
        TTargetWindow window;
        { TAttachedRule first(window.Get(), ruleData); }
        EXPECT_EQ(ReadSaved(ruleName, "Once_CurrentOperation"), c.saved);
        TAttachedRule second(window.Get(), ruleData);
        Pump(50);
        EXPECT_EQ(window.Count(WM_CLOSE), 0);
        EXPECT_TRUE(window.SysCommands().empty());
        EXPECT_TRUE(second.Action("Once")->ExecuteNextOperation());  // still armed for its trigger
    }
    DeleteRuleKey(ruleName);
}

TEST(RunModeAction, PostsTheSystemCommandTheWindowCanTake) {
    struct Case {
        const char* params;
        DWORD style;
        std::vector<WPARAM> posted;
    } cases[] = {
        {"\\RUNMODE=minimize", WS_OVERLAPPEDWINDOW, {SC_MINIMIZE}},
        {"\\RUNMODE=MAXIMIZE", WS_OVERLAPPEDWINDOW, {SC_MAXIMIZE}},
        {"\\RUNMODE=maximize", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, {}},
        {"\\RUNMODE=minimize", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, {}},
        {"\\RUNMODE=normal", WS_OVERLAPPED | WS_CAPTION, {SC_RESTORE}},
        {"\\RUNMODE=sideways", WS_OVERLAPPEDWINDOW, {SC_RESTORE}},
        {"", WS_OVERLAPPEDWINDOW, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.params) + " style " + std::to_string(c.style));
        TTargetWindow window(c.style);
        TAttachedRule rule(window.Get(), "\\WINDOWRULENAME=Run\\ACTION=RUNMODEACTION{\\NAME=Run" +
                                             std::string(c.params) + "}");
        IPtr<IAction> action = rule.Action("Run");
        ASSERT_TRUE(action);
        window.Reset();
        EXPECT_TRUE(action->ExecuteNextOperation());
        EXPECT_FALSE(action->ExecuteNextOperation());  // once per attachment
        Pump(50);
        EXPECT_EQ(window.SysCommands(), c.posted);
    }
}

}  // namespace
