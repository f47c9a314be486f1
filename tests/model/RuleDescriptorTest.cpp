#include <gtest/gtest.h>

#include "ModelTestSupport.h"

using namespace vpw;
using namespace vpw::test;

namespace {

struct TEdit {
    const char* path;
    const char* value;  // nullptr: remove the parameter
};

void Apply(IBOMObject* obj, const std::vector<TEdit>& edits) {
    for (const TEdit& e : edits) {
        if (e.value) {
            Set(obj, e.path, e.value);
        } else {
            std::string path = e.path;  // ".../params/<name>"
            std::size_t slash = path.rfind('/');
            IPtr<IBOMCollection> params = Collection(obj, path.substr(0, slash));
            ASSERT_TRUE(params) << path;
            params->Delete(Variant(path.substr(slash + 1)));
        }
    }
}

}  // namespace

TEST(RuleDescriptor, ActionsAgentsAndTriggers) {
    struct Case {
        const char* type;
        const char* name;
        const char* facet;
        std::vector<TEdit> edits;
        const char* expected;
    } cases[] = {
        {"STAYONTOPACTION", "StayOnTopForCaptionButton", "Action", {},
         R"(STAYONTOPACTION{\NAME=StayOnTopForCaptionButton\SAVECURRENTOPERATION=no\})"},
        {"RUNMODEACTION", "RunModeForCreateMessage", "Action", {},
         R"(RUNMODEACTION{\NAME=RunModeForCreateMessage\SAVECURRENTOPERATION=no\\RUNMODE=normal})"},
        {"MINTOTRAYACTION", "MinToTrayForCaptionButton", "Action", {},
         R"(MINTOTRAYACTION{\NAME=MinToTrayForCaptionButton\SAVECURRENTOPERATION=no\\PERMANENTTRAYICON=no\CONTEXTMENUCAPTIONS={CloseWindow=Close Window;RestoreWindow=Restore Window}})"},
        {"CLOSEWINDOWACTION", "CloseWindowForCreateMessage", "Action", {{"params/save_current_operation", "yes"}},
         R"(CLOSEWINDOWACTION{\NAME=CloseWindowForCreateMessage\SAVECURRENTOPERATION=yes\})"},
        // Missing parameters fall back to their initial values.
        {"RUNMODEACTION", "r", "Action", {{"params/run_mode", nullptr}, {"params/save_current_operation", nullptr}},
         R"(RUNMODEACTION{\NAME=r\SAVECURRENTOPERATION=no\\RUNMODE=normal})"},
        {"RUNMODEACTION", "r", "Action", {{"params/run_mode", "maximize"}},
         R"(RUNMODEACTION{\NAME=r\SAVECURRENTOPERATION=no\\RUNMODE=maximize})"},
        {"MINTOEDGEACTION", "e", "Action", {{"params/use_large_icon", "yes"}},
         R"(MINTOEDGEACTION{\NAME=e\SAVECURRENTOPERATION=no\\USELARGEICON=yes})"},
        {"MINTOTRAYACTION", "t", "Action", {{"params/permanent_tray_icon", nullptr}},
         R"(MINTOTRAYACTION{\NAME=t\SAVECURRENTOPERATION=no\\PERMANENTTRAYICON=no\CONTEXTMENUCAPTIONS={CloseWindow=Close Window;RestoreWindow=Restore Window}})"},
        // An agent writes what it has, empty values included, and no type name.
        {"MESSAGEAGENT", "a", "Agent", {}, R"({\NAME=a\ACTIONNAME=\ACTIONKIND=next\OPERATIONNAME=})"},
        {"CAPTIONBUTTONAGENT", "b", "Agent", {{"params/operation_name", nullptr}, {"params/action_name", "X"}},
         R"({\NAME=b\ACTIONNAME=X\ACTIONKIND=next})"},
        {"WMCREATEMESSAGETRIGGER", "c", "Trigger", {{"params/lag_enabled", "yes"}, {"params/lag_interval", "250"}},
         R"(WMCREATEMESSAGETRIGGER{\LAG_ENABLED=yes\LAG_INTERVAL=250})"},
        {"SCDEFAULTMESSAGETRIGGER", "d", "Trigger", {{"params/lag_interval", nullptr}},
         R"(SCDEFAULTMESSAGETRIGGER{\LAG_ENABLED=no\LAG_INTERVAL=0})"},
        {"MOUSEHOVETRIGGER", "h", "Trigger", {{"params/hover_lag_interval", "500"}},
         R"(MOUSEHOVETRIGGER{\HOVER_LAG_ENABLED=no\HOVER_LAG_INTERVAL=500\LEAVE_LAG_ENABLED=no\LEAVE_LAG_INTERVAL=0})"},
        {"MOUSEHOVETRIGGER", "h", "Trigger",
         {{"params/hover_lag_enabled", "yes"}, {"params/leave_lag_enabled", nullptr}},
         R"(MOUSEHOVETRIGGER{\HOVER_LAG_ENABLED=yes\HOVER_LAG_INTERVAL=0\LEAVE_LAG_ENABLED=no\LEAVE_LAG_INTERVAL=0})"},
        {"CAPTIONBUTTONTRIGGER", "cb", "Trigger", {}, "CAPTIONBUTTONTRIGGER{}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.name);
        IPtr<IBOMObjectSlave> item = NewItem(c.type, c.name);
        ASSERT_TRUE(item);
        Apply(item.get(), c.edits);
        std::string text = std::string(c.facet) == "Action" ? ConfigOf<IRuleAction>(item.get(), c.facet)
                                                            : ConfigOf<IRuleActivator>(item.get(), c.facet);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(RuleDescriptor, TemplateTriggersWithTheirAgents) {
    IPtr<IBOMObjectSlave> rule = NewRule();
    auto trigger = [&](const char* name) {
        return ConfigOf<IRuleActivator>(rule->Resolve(std::string("triggers/") + name).get(), "Trigger");
    };
    EXPECT_EQ(trigger("WMDestroyMessageTrigger"),
              R"(WMDESTROYMESSAGETRIGGER{\LAG_ENABLED=no\LAG_INTERVAL=0\AGENT={\NAME=SaveSizePosAgent\ACTIONNAME=SaveSizePos\ACTIONKIND=concrete\OPERATIONNAME=SAVESIZEPOS}})");
    EXPECT_EQ(trigger("CaptionButtons"), "CAPTIONBUTTONTRIGGER{}");
    // A disabled trigger still renders itself; the rule leaves it out.
    EXPECT_EQ(trigger("InActivateWindowMessageTrigger"),
              R"(WMINACTIVATEWINDOWMESSAGETRIGGER{\LAG_ENABLED=yes\LAG_INTERVAL=1000\AGENT={\NAME=WMInActivateWindowEvent\ACTIONNAME=WindowRollup\ACTIONKIND=concrete\OPERATIONNAME=WINDOWROLLUP}})");
}

TEST(RuleDescriptor, NewRuleGivesTheGoldenText) {
    IPtr<IBOMObjectSlave> rule = NewRule();
    EXPECT_EQ(RuleData(rule.get()), kNewRuleData);
}

TEST(RuleDescriptor, RuleListsOnlyEnabledItems) {
    struct Case {
        const char* label;
        std::vector<TEdit> edits;
        const char* expected;
    } cases[] = {
        {"nothing enabled",
         {},  // filled below: every action and trigger off
         R"(\WINDOWRULENAME=Window Rule 1)"},
        {"one caption button",
         {{"actions/StayOnTopForCaptionButton/params/enabled", "yes"},
          {"triggers/CaptionButtons/params/enabled", "yes"},
          {"triggers/CaptionButtons/agents/StayOnTopCaptionButton/params/enabled", "yes"}},
         R"(\WINDOWRULENAME=Window Rule 1\ACTION=STAYONTOPACTION{\NAME=StayOnTopForCaptionButton\SAVECURRENTOPERATION=no\}\TRIGGER=CAPTIONBUTTONTRIGGER{\AGENT={\NAME=StayOnTopCaptionButton\ACTIONNAME=StayOnTopForCaptionButton\ACTIONKIND=next\OPERATIONNAME=}})"},
        {"disabled trigger with enabled agents",
         {{"triggers/WMDestroyMessageTrigger/agents/SaveSizePosAgent/params/enabled", "yes"}},
         R"(\WINDOWRULENAME=Window Rule 1)"},
        {"enabled action after a disabled one",
         {{"actions/WindowRollup/params/enabled", "yes"}},
         R"(\WINDOWRULENAME=Window Rule 1\ACTION=WINDOWROLLUPACTION{\NAME=WindowRollup\SAVECURRENTOPERATION=no\})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        IPtr<IBOMObjectSlave> rule = NewRule();
        for (const char* list : {"actions", "triggers"}) {
            IPtr<IBOMCollection> items = Collection(rule.get(), list);
            for (int i = 0; i < items->Count(); ++i) Set(items->Item(i).get(), "params/enabled", "no");
        }
        Apply(rule.get(), c.edits);
        EXPECT_EQ(RuleData(rule.get()), c.expected);
    }
}

TEST(RuleDescriptor, RuleWithoutItsCollections) {
    IPtr<IBOMObjectSlave> rule = NewRule("Plain");
    IPtr<IBOMCollection> all = Collection(rule.get(), "all");
    ASSERT_TRUE(all);
    all->Delete(Variant("triggers"));
    EXPECT_EQ(RuleData(rule.get()).rfind(R"(\WINDOWRULENAME=Plain\ACTION=STAYONTOPACTION{)", 0), 0u);
    EXPECT_EQ(RuleData(rule.get()).find("TRIGGER"), std::string::npos);
    all->Delete(Variant("actions"));
    EXPECT_EQ(RuleData(rule.get()), R"(\WINDOWRULENAME=Plain)");
}
