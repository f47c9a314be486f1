#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "ModelTestSupport.h"
#include "WinFuncs.h"
#include "WinTestSupport.h"
#include "XMLStorage.h"
#include "uCriterions.h"

using namespace vpw;
using namespace vpw::test;

namespace {

struct TWindowSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<TWindowSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != s->pid || !IsWindowVisible(w)) return TRUE;
    s->found = w;
    return FALSE;
}

// The top-level window of a process, found by its id (FindWindow would
// fold the letter case that these tests tell apart).
HWND WindowOfProcess(DWORD pid, DWORD ms = 10000) {
    TWindowSearch search{pid, nullptr};
    DWORD start = GetTickCount();
    do {
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(20);
    } while (GetTickCount() - start < ms);
    return nullptr;
}

struct TOwnedWindow {
    std::unique_ptr<ChildProcess> owner;
    HWND window = nullptr;
};

// Windows of other processes: A "Notepad" / "Untitled - Notepad",
// B "NotepadX" / "untitled - notepad", C "VpwCaptionOnly" / "Notepad".
// (Class names differing only in case cannot live side by side: the
// system's class atoms ignore case.)
class WindowMatching : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* classAndCaption[][2] = {
            {"Notepad", "Untitled - Notepad"}, {"NotepadX", "untitled - notepad"}, {"VpwCaptionOnly", "Notepad"}};
        for (int i = 0; i < 3; ++i) {
            windows_[i].owner = std::make_unique<ChildProcess>(
                WINDOW_OWNER_EXE, std::vector<std::string>{classAndCaption[i][0], classAndCaption[i][1]});
            windows_[i].window = windows_[i].owner->Started() ? WindowOfProcess(windows_[i].owner->Id()) : nullptr;
        }
    }
    static void TearDownTestSuite() {
        // All at once: each owner takes a while to end.
        for (TOwnedWindow& w : windows_)
            if (w.window) PostMessageA(w.window, WM_CLOSE, 0, 0);
        for (TOwnedWindow& w : windows_) {
            if (w.owner) w.owner->Wait(5000);
            w = {};
        }
    }
    void SetUp() override {
        for (const TOwnedWindow& w : windows_) ASSERT_NE(w.window, nullptr) << "window owner did not start";
        ASSERT_EQ(GetWindowClassName(windows_[0].window), "Notepad");
        ASSERT_EQ(GetWindowCaption(windows_[1].window), "untitled - notepad");
    }
    static HWND A() { return windows_[0].window; }
    static HWND B() { return windows_[1].window; }
    static HWND C() { return windows_[2].window; }

    static inline TOwnedWindow windows_[3];
};

std::string Matches(IRuleCondition* condition, std::initializer_list<HWND> windows) {
    std::string result;
    for (HWND w : windows) result += condition->Matches(w) ? 'T' : 'F';
    return result;
}

}  // namespace

TEST_F(WindowMatching, CriteriaOfTheTemplateCondition) {
    const std::optional<std::string> removed;
    struct Case {
        const char* label;
        const char* className;
        const char* classEnabled;
        const char* caption;
        const char* captionEnabled;
        std::optional<std::string> exactSearch;  // nullopt: the parameter is removed
        const char* expected;                    // windows A, B, C
    } cases[] = {
        {"as created", "", "yes", "", "no", "yes", "FFF"},
        {"class exact", "Notepad", "yes", "", "no", "yes", "TFF"},
        {"class case", "notepad", "yes", "", "no", "yes", "FFF"},
        {"class never a part", "Note", "yes", "", "no", "yes", "FFF"},
        {"class longer", "NotepadX", "yes", "", "no", "yes", "FTF"},
        {"caption substring", "", "yes", "Notepad", "yes", "no", "TFT"},
        {"caption substring, case", "", "yes", "untitled", "yes", "no", "FTF"},
        {"caption exact", "", "yes", "Notepad", "yes", "yes", "FFT"},
        {"exact_search No", "", "yes", "Notepad", "yes", "No", "FFT"},
        {"exact_search empty", "", "yes", "Notepad", "yes", "", "FFT"},
        {"exact_search missing", "", "yes", "Notepad", "yes", removed, "FFT"},
        {"caption exact, whole", "", "yes", "Untitled - Notepad", "yes", "yes", "TFF"},
        {"both must match", "Notepad", "yes", "Notepad", "yes", "no", "TFF"},
        {"class criterion Yes is off", "Notepad", "Yes", "Notepad", "yes", "no", "TFT"},
        {"empty caption counts as off", "Notepad", "yes", "", "yes", "no", "TFF"},
        {"caption criterion off", "Notepad", "yes", "Nothing", "no", "yes", "TFF"},
        {"all criteria off", "Notepad", "no", "Notepad", "no", "no", "FFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        IPtr<IBOMObjectSlave> condition = NewItem("CONDITION", "c");
        Set(condition.get(), "criterions/WINDOWCLASSNAMECRITERION/params/window_class_name", c.className);
        Set(condition.get(), "criterions/WINDOWCLASSNAMECRITERION/params/enabled", c.classEnabled);
        Set(condition.get(), "criterions/WINDOWCaptionCriterion/params/window_caption", c.caption);
        Set(condition.get(), "criterions/WINDOWCaptionCriterion/params/enabled", c.captionEnabled);
        if (c.exactSearch)
            Set(condition.get(), "criterions/WINDOWCaptionCriterion/params/exact_search", *c.exactSearch);
        else
            RemoveParam(condition.get(), "criterions/WINDOWCaptionCriterion", "exact_search");
        IPtr<IRuleCondition> matcher = FacetOf<IRuleCondition>(condition.get(), "Condition");
        ASSERT_TRUE(matcher);
        EXPECT_EQ(Matches(matcher.get(), {A(), B(), C()}), c.expected);
    }
}

TEST_F(WindowMatching, RuleMatchesThroughAnyEnabledCondition) {
    struct Case {
        const char* label;
        const char* first;  // class name of the template condition
        const char* firstEnabled;
        const char* second;  // nullptr: no second condition
        const char* secondEnabled;
        bool matches;  // window A
    } cases[] = {
        {"template condition", "Notepad", "yes", nullptr, nullptr, true},
        {"template condition off", "Notepad", "no", nullptr, nullptr, false},
        {"second matches", "Other", "yes", "Notepad", "yes", true},
        {"first matches", "Notepad", "yes", "Other", "yes", true},
        {"matching one off", "Other", "yes", "Notepad", "no", false},
        {"all off", "Notepad", "no", "Notepad", "no", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        IPtr<IBOMObjectSlave> rule = NewRule();
        Set(rule.get(), "conditions/DefaultCondition/criterions/WINDOWCLASSNAMECRITERION/params/window_class_name",
            c.first);
        Set(rule.get(), "conditions/DefaultCondition/params/enabled", c.firstEnabled);
        if (c.second) {
            IPtr<IBOMObjectSlave> second = NewItem("CONDITION", "Second");
            Set(second.get(), "criterions/WINDOWCLASSNAMECRITERION/params/window_class_name", c.second);
            Set(second.get(), "params/enabled", c.secondEnabled);
            Collection(rule.get(), "conditions")->Add(second.get());
        }
        IPtr<IWindowRule> matcher = FacetOf<IWindowRule>(rule.get(), "WindowRule");
        EXPECT_EQ(matcher->Matches(A()), c.matches);
        EXPECT_FALSE(matcher->Matches(C()));
    }
    // The rule's own switch is the lookup's business, not Matches'.
    IPtr<IBOMObjectSlave> rule = NewRule();
    Set(rule.get(), "conditions/DefaultCondition/criterions/WINDOWCLASSNAMECRITERION/params/window_class_name",
        "Notepad");
    Set(rule.get(), "params/enabled", "no");
    IPtr<IWindowRule> matcher = FacetOf<IWindowRule>(rule.get(), "WindowRule");
    EXPECT_FALSE(matcher->IsEnabled());
    EXPECT_TRUE(matcher->Matches(A()));
}

// A template rule pointed at window A: it matches A only, and its
// descriptor is the golden text.
TEST_F(WindowMatching, MatchingTemplateRuleGivesGoldenText) {
    IPtr<IBOMObjectSlave> rule = NewRule();
    IPtr<IWindowRule> matcher = FacetOf<IWindowRule>(rule.get(), "WindowRule");
    EXPECT_FALSE(matcher->Matches(A()));
    Set(rule.get(), "conditions/DefaultCondition/criterions/WINDOWCLASSNAMECRITERION/params/window_class_name",
        "Notepad");
    EXPECT_TRUE(matcher->Matches(A()));
    EXPECT_FALSE(matcher->Matches(B()));
    EXPECT_FALSE(matcher->Matches(C()));
    std::string text;
    matcher->GetConfigString(text);
    EXPECT_EQ(text, kNewRuleData);
}

// Rules loaded from a configuration file: stored values merge over the
// template, and the loaded rule decides for real windows.
TEST_F(WindowMatching, LoadedRulesMatchAndDescribeThemselves) {
    const char* xml =
        R"(<window_rules name="window_rules"><content>)"
        R"(<window_rule name="Window Rule 1" type="WINDOWRULE"><conditions name="conditions"><content>)"
        R"(<condition name="DefaultCondition" type="CONDITION"><criterions name="criterions"><content>)"
        R"(<criterion name="WINDOWCaptionCriterion" type="WINDOWCaptionCriterion"><params name="params">)"
        R"(<param name="enabled">yes</param><param name="window_caption">untitled</param>)"
        R"(<param name="exact_search">no</param></params></criterion>)"
        R"(</content></criterions></condition></content></conditions></window_rule>)"
        R"(<window_rule name="Second" type="WINDOWRULE"><params name="params"><param name="enabled">yes</param>)"
        R"(</params><conditions name="conditions"><content><condition name="DefaultCondition">)"
        R"(<criterions name="criterions"><content><criterion name="WINDOWCLASSNAMECRITERION">)"
        R"(<params name="params"><param name="window_class_name">VpwCaptionOnly</param></params></criterion>)"
        R"(</content></criterions></condition></content></conditions>)"
        R"(<actions name="actions"><content><action name="StayOnTop_JRX" type="STAYONTOPACTION">)"
        R"(<params name="params"><param name="enabled">yes</param></params></action>)"
        R"(<action name="Extra" type="CLOSEWINDOWACTION"><params name="params">)"
        R"(<param name="save_current_operation">yes</param></params></action></content></actions>)"
        R"(<triggers name="triggers"><content><trigger name="CaptionButtons" type="CAPTIONBUTTONTRIGGER">)"
        R"(<params name="params"><param name="enabled">no</param></params></trigger>)"
        R"(<trigger name="MinimizeEvent" type="SCMINIMIZEMESSAGETRIGGER"><params name="params">)"
        R"(<param name="enabled">no</param></params></trigger>)"
        R"(<trigger name="WMCreateMessageTrigger" type="WMCREATEMESSAGETRIGGER"><params name="params">)"
        R"(<param name="enabled">no</param></params></trigger>)"
        R"(<trigger name="WMDestroyMessageTrigger" type="WMDESTROYMESSAGETRIGGER"><params name="params">)"
        R"(<param name="enabled">no</param></params></trigger>)"
        R"(<trigger name="MouseHoverTrigger" type=""><params name="params">)"
        R"(<param name="enabled">no</param></params></trigger>)"
        R"(</content></triggers></window_rule></content></window_rules>)";
    IPtr<IBOMObjectSlave> rules = NewItem("WINDOWRULES", "window_rules");
    IPtr<TXMLStorage> storage(new TXMLStorage());
    ASSERT_TRUE(storage->LoadFromXML(xml));
    storage->LoadObject(Supports<IPersistObject>(rules).get());
    rules->SetOwner(nullptr);

    IPtr<IBOMCollection> items = Supports<IBOMCollection>(rules);
    ASSERT_EQ(ItemNames(items.get()), (std::vector<std::string>{"Window Rule 1", "Second"}));
    IPtr<IWindowRule> first = FacetOf<IWindowRule>(items->Item(0).get(), "WindowRule");
    IPtr<IWindowRule> second = FacetOf<IWindowRule>(items->Item(1).get(), "WindowRule");
    EXPECT_EQ(std::string() + (first->Matches(A()) ? 'T' : 'F') + (first->Matches(B()) ? 'T' : 'F') +
                  (first->Matches(C()) ? 'T' : 'F'),
              "FTF");
    EXPECT_EQ(std::string() + (second->Matches(A()) ? 'T' : 'F') + (second->Matches(B()) ? 'T' : 'F') +
                  (second->Matches(C()) ? 'T' : 'F'),
              "FFT");

    // The first rule changed only its condition: the template's descriptor.
    std::string text;
    first->GetConfigString(text);
    EXPECT_EQ(text, kNewRuleData);

    // The second kept the five template actions, switched one on, added one,
    // and switched every enabled trigger off.
    second->GetConfigString(text);
    std::string expected = kNewRuleData.substr(0, kNewRuleData.find("\\TRIGGER="));
    expected.replace(0, std::string("\\WINDOWRULENAME=Window Rule 1").size(), "\\WINDOWRULENAME=Second");
    expected += R"(\ACTION=STAYONTOPACTION{\NAME=StayOnTop_JRX\SAVECURRENTOPERATION=no\})"
                R"(\ACTION=CLOSEWINDOWACTION{\NAME=Extra\SAVECURRENTOPERATION=yes\})";
    EXPECT_EQ(text, expected);
    // The hover trigger was found by its name despite its empty type.
    EXPECT_EQ(Collection(items->Item(1).get(), "triggers")->Count(), 8);
    rules->Detach();
}

namespace {

// A criterion with a fixed answer that counts how often it is asked.
class TFixedCriterion : public TCriterion {
public:
    bool Matches(HWND) override {
        ++asked;
        return answer;
    }
    bool answer = false;
    int asked = 0;
};

}  // namespace

// The walk over the criteria: disabled ones and items that are no criteria
// are skipped, and the first enabled mismatch ends it.
TEST(ConditionLogic, EnabledCriteriaMustAllMatch) {
    struct TListItem {
        bool criterion;  // false: a plain object in the list
        const char* enabled;
        bool answer;
    };
    struct Case {
        const char* label;
        std::vector<TListItem> items;
        bool matches;
        std::vector<int> asked;  // per item
    } cases[] = {
        {"one match", {{true, "yes", true}}, true, {1}},
        {"one mismatch", {{true, "yes", false}}, false, {1}},
        {"mismatch stops the walk", {{true, "yes", false}, {true, "yes", true}}, false, {1, 0}},
        {"disabled mismatch ignored", {{true, "no", false}, {true, "yes", true}}, true, {0, 1}},
        {"all disabled", {{true, "no", true}, {true, "Yes", true}}, false, {0, 0}},
        {"no criteria at all", {{false, "yes", true}}, false, {0}},
        {"plain object skipped", {{false, "yes", false}, {true, "yes", true}}, true, {0, 1}},
        {"later mismatch", {{true, "yes", true}, {false, "yes", false}, {true, "yes", false}}, false, {1, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        IPtr<IBOMObjectSlave> condition = NewItem("CONDITION", "c");
        IPtr<IBOMCollection> criterions = Collection(condition.get(), "criterions");
        criterions->Clear();
        std::vector<IPtr<TFixedCriterion>> fixed;
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            const TListItem& s = c.items[i];
            std::string name = "item" + std::to_string(i);
            if (s.criterion) {
                IPtr<TFixedCriterion> item = CreateObject<TFixedCriterion>();
                item->SetName(name);
                item->answer = s.answer;
                Set(item.get(), "params/enabled", s.enabled);
                criterions->Add(static_cast<IBOMObjectSlave*>(item.get()));
                fixed.push_back(item);
            } else {
                criterions->Add(NewItem("BOMOBJECT", name).get());
                fixed.push_back(nullptr);
            }
        }
        EXPECT_EQ(FacetOf<IRuleCondition>(condition.get(), "Condition")->Matches(nullptr), c.matches);
        for (std::size_t i = 0; i < fixed.size(); ++i)
            EXPECT_EQ(fixed[i] ? fixed[i]->asked : 0, c.asked[i]) << "item " << i;
    }
    // Without its "criterions" a condition matches nothing.
    IPtr<IBOMObjectSlave> condition = NewItem("CONDITION", "c");
    Collection(condition.get(), "all")->Delete(Variant("criterions"));
    EXPECT_FALSE(FacetOf<IRuleCondition>(condition.get(), "Condition")->Matches(nullptr));
}
