#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "uActions.h"
#include "uCaptionButtonTriggers.h"
#include "uConditions.h"
#include "uCriterions.h"
#include "uModelConsts.h"
#include "uMouseHoverTrigger.h"
#include "uWindowRollupAction.h"

using namespace vpw;
using namespace vpw::test;

namespace {

template <class T>
T* As(IBOMObject* obj) {
    return dynamic_cast<T*>(obj);
}

}  // namespace

TEST(RuleItems, TypeNamesTagsImagesAndFacets) {
    struct Case {
        const char* createAs;
        const char* typeName;
        const char* storageTag;
        int image;
        const char* facet;
    } cases[] = {
        {"WINDOWRULE", "WINDOWRULE", "window_rule", 1, "WindowRule"},
        {"CONDITION", "CONDITION", "condition", 2, "Condition"},
        {"WINDOWCLASSNAMECRITERION", "WINDOWCLASSNAMECRITERION", "criterion", -1, "Criterion"},
        {"windowcaptioncriterion", "WINDOWCaptionCriterion", "criterion", -1, "Criterion"},
        {"STAYONTOPACTION", "STAYONTOPACTION", "action", 6, "Action"},
        {"MINTOTRAYACTION", "MINTOTRAYACTION", "action", 6, "Action"},
        {"MINTOEDGEACTION", "MINTOEDGEACTION", "action", 6, "Action"},
        {"CLOSEWINDOWACTION", "CLOSEWINDOWACTION", "action", 6, "Action"},
        {"RUNMODEACTION", "RUNMODEACTION", "action", 6, "Action"},
        {"SAVESIZEPOSACTION", "SAVESIZEPOSACTION", "action", 6, "Action"},
        {"WINDOWROLLUPACTION", "WINDOWROLLUPACTION", "action", 6, "Action"},
        {"CLOSEQUERYACTION", "CLOSEQUERYACTION", "action", 6, "Action"},
        {"CAPTIONBUTTONAGENT", "CAPTIONBUTTONAGENT", "agent", 4, "Agent"},
        {"MESSAGEAGENT", "MESSAGEAGENT", "agent", 4, "Agent"},
        {"MOUSEHOVERAGENT", "MOUSEHOVERAGENT", "agent", 4, "Agent"},
        {"CAPTIONBUTTONTRIGGER", "CAPTIONBUTTONTRIGGER", "trigger", 8, "Trigger"},
        {"SCMINIMIZEMESSAGETRIGGER", "SCMINIMIZEMESSAGETRIGGER", "trigger", 8, "Trigger"},
        {"WMCREATEMESSAGETRIGGER", "WMCREATEMESSAGETRIGGER", "trigger", 8, "Trigger"},
        {"WMDESTROYMESSAGETRIGGER", "WMDESTROYMESSAGETRIGGER", "trigger", 8, "Trigger"},
        {"WMACTIVATEWINDOWMESSAGETRIGGER", "WMACTIVATEWINDOWMESSAGETRIGGER", "trigger", 8, "Trigger"},
        {"WMINACTIVATEWINDOWMESSAGETRIGGER", "WMINACTIVATEWINDOWMESSAGETRIGGER", "trigger", 8, "Trigger"},
        {"SCDEFAULTMESSAGETRIGGER", "SCDEFAULTMESSAGETRIGGER", "trigger", 8, "Trigger"},
        // Registered under a misspelt name, stored with no type at all.
        {"mousehovetrigger", "", "trigger", 8, "Trigger"},
    };
    const char* facets[] = {"WindowRule", "Condition", "Criterion", "Action", "Agent", "Trigger"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.createAs);
        IPtr<IBOMObjectSlave> item = NewItem(c.createAs, "x");
        ASSERT_TRUE(item);
        EXPECT_EQ(item->GetTypeName(), c.typeName);
        EXPECT_EQ(Supports<IPersistObject>(item)->GetStorageTag(), c.storageTag);
        auto* ui = As<TEnabledItem>(item.get());
        ASSERT_TRUE(ui);
        EXPECT_EQ(ui->GetImageIndex(), c.image);
        EXPECT_EQ(ui->GetHasChildren(), std::string(c.storageTag) == "trigger");
        EXPECT_TRUE(Supports<IEnabledItem>(item));
        EXPECT_TRUE(item->GetInterfaceByName("UIElement"));
        for (const char* facet : facets) {
            bool own = std::string(facet) == c.facet;
            EXPECT_EQ(item->SupportsName(facet), own) << facet;
            EXPECT_EQ(item->GetInterfaceByName(facet) != nullptr, own) << facet;
        }
        EXPECT_FALSE(item->GetInterfaceByName(std::string(c.facet) + "s"));
    }
    EXPECT_TRUE(As<TMouseHoverTrigger>(NewItem("MOUSEHOVETRIGGER").get()));
    EXPECT_FALSE(NewItem("MOUSEHOVERTRIGGER"));
    EXPECT_FALSE(NewItem("TRIGGER"));
}

TEST(RuleItems, Collections) {
    struct Case {
        const char* typeName;
        const char* storageTag;
        const char* itemTag;
        const char* defaultItem;
        int image;
        const char* displayText;  // empty: the collection's name
    } cases[] = {
        {"CONDITIONS", "conditions", "condition", "CONDITION", 3, "Conditions"},
        {"CRITERIONS", "criterions", "criterion", "", -1, ""},
        {"Actions", "actions", "action", "", 7, "Actions"},
        {"Triggers", "triggers", "trigger", "", 9, "Triggers"},
        {"Agents", "agents", "agent", "", 5, "Agents"},
        {"WINDOWRULES", "window_rules", "window_rule", "WINDOWRULE", -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typeName);
        IPtr<IBOMObjectSlave> list = NewItem(c.typeName, "the_list");
        auto* ui = As<TBOM_UI_Collection>(list.get());
        ASSERT_TRUE(ui);
        EXPECT_EQ(list->GetTypeName(), c.typeName);
        EXPECT_EQ(ui->GetStorageTag(), c.storageTag);
        EXPECT_EQ(ui->GetItemTag(), c.itemTag);
        EXPECT_EQ(ui->GetDefaultItemClass(), c.defaultItem);
        EXPECT_EQ(ui->GetImageIndex(), c.image);
        EXPECT_EQ(ui->GetDisplayText(), *c.displayText ? c.displayText : "the_list");
    }
}

// A rule from the template: its items, in the template's order.
TEST(RuleItems, NewRuleHoldsTheTemplate) {
    const std::string& tmpl = DefaultWindowRuleTemplate();
    EXPECT_EQ(tmpl.rfind("<window_rule>", 0), 0u);
    EXPECT_EQ(tmpl.find_first_of("\r\n"), std::string::npos);

    IPtr<IBOMObjectSlave> rule = NewRule();
    EXPECT_EQ(rule->GetName(), "Window Rule 1");
    EXPECT_EQ(Text(rule.get(), "params/enabled"), "yes");

    auto enabledCount = [](IBOMCollection* items) {
        int n = 0;
        for (int i = 0; i < items->Count(); ++i)
            if (Supports<IEnabledItem>(items->Item(i))->IsEnabled()) ++n;
        return n;
    };

    IPtr<IBOMCollection> conditions = Collection(rule.get(), "conditions");
    ASSERT_EQ(ItemNames(conditions.get()), std::vector<std::string>{"DefaultCondition"});
    EXPECT_EQ(conditions->Item(0)->GetInterfaceByName("Condition") != nullptr, true);
    IPtr<IBOMCollection> criterions = Collection(rule.get(), "conditions/DefaultCondition/criterions");
    EXPECT_EQ(ItemNames(criterions.get()),
              (std::vector<std::string>{"WINDOWCLASSNAMECRITERION", "WINDOWCaptionCriterion"}));
    EXPECT_EQ(Text(criterions->Item(0).get(), "params/enabled"), "yes");
    EXPECT_EQ(Text(criterions->Item(1).get(), "params/enabled"), "no");
    EXPECT_EQ(Text(criterions->Item(1).get(), "params/exact_search"), "yes");

    IPtr<IBOMCollection> actions = Collection(rule.get(), "actions");
    EXPECT_EQ(ItemNames(actions.get()),
              (std::vector<std::string>{"StayOnTopForCaptionButton", "MinToTrayForCaptionButton",
                                        "WindowRollupForCaptionButton", "MinToTrayForMinimizeEvent",
                                        "MinToEdgeForMinimizeEvent", "CloseWindowForCreateMessage",
                                        "RunModeForCreateMessage", "SaveSizePos", "StayOnTop_JRX", "CloseQuery",
                                        "WindowRollup"}));
    EXPECT_EQ(enabledCount(actions.get()), 5);
    EXPECT_EQ(actions->Item(10)->GetName(), "WindowRollup");
    EXPECT_TRUE(As<TWindowRollupAction>(actions->Item(10).get()));
    // Caption and hint follow the name once loaded.
    EXPECT_EQ(Text(actions->Item(0).get(), "params/caption"), "StayOnTopForCaptionButton");
    EXPECT_EQ(Text(actions->Item(1).get(), "params/permanent_tray_icon"), "no");

    IPtr<IBOMCollection> triggers = Collection(rule.get(), "triggers");
    EXPECT_EQ(ItemNames(triggers.get()),
              (std::vector<std::string>{"CaptionButtons", "MinimizeEvent", "WMCreateMessageTrigger",
                                        "WMDestroyMessageTrigger", "SCDefaultMessageTrigger", "MouseHoverTrigger",
                                        "ActivateWindowMessageTrigger", "InActivateWindowMessageTrigger"}));
    EXPECT_EQ(enabledCount(triggers.get()), 5);
    EXPECT_TRUE(As<TMouseHoverTrigger>(triggers->Item(5).get()));
    EXPECT_EQ(Text(triggers->Item(5).get(), "params/leave_lag_interval"), "500");
    EXPECT_EQ(Text(triggers->Item(7).get(), "params/lag_enabled"), "yes");
    EXPECT_EQ(Text(triggers->Item(7).get(), "params/lag_interval"), "1000");

    std::vector<std::string> agents;
    int agentsEnabled = 0;
    for (int i = 0; i < triggers->Count(); ++i) {
        IPtr<IBOMCollection> list = Collection(triggers->Item(i).get(), "agents");
        for (const std::string& name : ItemNames(list.get())) agents.push_back(name);
        agentsEnabled += enabledCount(list.get());
    }
    EXPECT_EQ(agents, (std::vector<std::string>{
                          "MinToTrayCaptionButton", "WindowRollupCaptionButton", "StayOnTopCaptionButton",
                          "MinimizeEventAgent", "CloseWindowAgent", "RunModeAgent", "RestoreSizePosAgent",
                          "StayOnTopAgent_JRX", "SaveSizePosAgent", "WindowRollupSCDefaultAgent_JRY",
                          "WindowRollupMouseHoverAgent_JRY", "WMActivateWindowEvent", "WMInActivateWindowEvent"}));
    EXPECT_EQ(agentsEnabled, 8);
    IPtr<IBOMObject> hoverAgent = rule->Resolve("triggers/MouseHoverTrigger/agents/WindowRollupMouseHoverAgent_JRY");
    ASSERT_TRUE(hoverAgent);
    EXPECT_EQ(Supports<IBOMObjectSlave>(hoverAgent)->GetTypeName(), "MOUSEHOVERAGENT");
    EXPECT_EQ(Text(hoverAgent.get(), "params/operation_name"), "WINDOWUNROLL");
    EXPECT_EQ(Text(rule.get(), "triggers/MinimizeEvent/agents/MinimizeEventAgent/params/action_name"), "");
    EXPECT_EQ(Text(rule.get(), "triggers/WMCreateMessageTrigger/agents/RunModeAgent/params/operation_name"), "");
}

TEST(RuleItems, EnabledEncodingsAndStateIcon) {
    struct Case {
        const char* value;  // nullptr: the parameter is removed
        bool enabled;
    } cases[] = {{"yes", true}, {"no", false}, {"Yes", false}, {"YES", false},
                 {"1", false},  {"", false},   {nullptr, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(removed)");
        IPtr<IBOMObjectSlave> item = NewItem("STAYONTOPACTION", "a");
        if (c.value)
            Set(item.get(), "params/enabled", c.value);
        else
            RemoveParam(item.get(), "", "enabled");
        item->SetOwner(nullptr);
        auto* ui = As<TEnabledItem>(item.get());
        EXPECT_EQ(ui->IsEnabled(), c.enabled);
        EXPECT_EQ(FacetOf<IRuleAction>(item.get(), "Action")->IsEnabled(), c.enabled);
        EXPECT_EQ(ui->GetStateIndex(), c.enabled ? 2 : 1);
        item->Detach();
    }
}

TEST(RuleItems, ClickOnStateIconTogglesEnabled) {
    struct Case {
        const char* before;
        int x;
        const char* after;
        int state;
    } cases[] = {
        {"yes", 5, "no", 1},
        {"no", 5, "yes", 2},
        {"Yes", 5, "yes", 2},  // anything but "yes" turns on
        {"", 15, "yes", 2},
        {"yes", 40, "yes", 2},  // on the label: nothing changes
        {"no", 16, "no", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " at " + std::to_string(c.x));
        IPtr<IBOMObjectSlave> item = NewItem("CAPTIONBUTTONAGENT", "agent");
        Set(item.get(), "params/enabled", c.before);
        item->SetOwner(nullptr);  // wired, so the change reaches the node
        TClickNode node;
        IPtr<IUIElement> element = UIElementOf(item.get());
        SetTreeNodeElement(&node, element.get());
        element->SetTreeNode(&node);
        element->TreeNodeMouseDown(&node, TMouseButton::mbLeft, ssLeft, c.x, 5);
        EXPECT_EQ(Text(item.get(), "params/enabled"), c.after);
        EXPECT_EQ(node.state, c.state);
        item->Detach();
    }
    // No "enabled" at all: a click creates nothing.
    IPtr<IBOMObjectSlave> item = NewItem("MESSAGEAGENT", "agent");
    RemoveParam(item.get(), "", "enabled");
    TClickNode node;
    UIElementOf(item.get())->TreeNodeMouseDown(&node, TMouseButton::mbLeft, ssLeft, 5, 5);
    EXPECT_EQ(Text(item.get(), "params/enabled"), "<missing>");
}

namespace {

// A panel that tells which registered name created it.
template <const char* Name>
class TNamedPanel : public TAbstractDetailPanel {
public:
    std::string GetCaption() override { return Name; }
};

constexpr char kRollupPanel[] = "WindowRollupActionDetailPanel_ZOV";
constexpr char kStayOnTopPanel[] = "StayOnTopActionDetailPanel";
constexpr char kActionPanel[] = "ActionDetailPanel";
constexpr char kCaptionPanel[] = "WindowCaptionCriterionDetailPanel";
constexpr char kActionsPanel[] = "ActionsContentDetailPanel";
constexpr char kTriggerContentPanel[] = "CaptionButtonTriggerContentDetailPanel";

template <const char* Name>
void RegisterNamedPanel() {
    RegisterDetailPanelClass(DetailPanelClassOf<TNamedPanel<Name>>(), Name);
}

}  // namespace

TEST(RuleItems, CreateDetailPanelByKind) {
    RegisterNamedPanel<kRollupPanel>();
    RegisterNamedPanel<kStayOnTopPanel>();
    RegisterNamedPanel<kActionPanel>();
    RegisterNamedPanel<kCaptionPanel>();
    RegisterNamedPanel<kActionsPanel>();
    RegisterNamedPanel<kTriggerContentPanel>();
    struct Case {
        const char* type;
        const char* kind;
        const char* panel;  // nullptr: none
    } cases[] = {
        {"WINDOWROLLUPACTION", "contentdetailpanel", kRollupPanel},
        {"WINDOWROLLUPACTION", "DefaultDetailPanel", kRollupPanel},
        {"STAYONTOPACTION", "contentdetailpanel", nullptr},
        {"STAYONTOPACTION", "ForCaptionButtonDetailPanel", kStayOnTopPanel},
        {"CLOSEWINDOWACTION", "DEFAULTDETAILPANEL", kActionPanel},  // the base action's string
        {"WINDOWCaptionCriterion", "DefaultDetailPanel", kCaptionPanel},
        {"CAPTIONBUTTONTRIGGER", "ContentDetailPanel", kTriggerContentPanel},
        {"MESSAGEAGENT", "DefaultDetailPanel", nullptr},
        {"RUNMODEACTION", "DefaultDetailPanel", nullptr},  // named, but no such class
        {"Actions", "DefaultDetailPanel", kActionsPanel},
        {"Actions", "anything", kActionsPanel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.kind);
        IPtr<IBOMObjectSlave> item = NewItem(c.type, "x");
        TAbstractDetailPanel* panel = nullptr;
        if (auto* obj = As<TBOM_UI_Object>(item.get())) panel = obj->CreateDetailPanel(c.kind);
        if (auto* list = As<TBOM_UI_Collection>(item.get())) panel = list->CreateDetailPanel(c.kind);
        EXPECT_EQ(panel ? panel->GetCaption() : std::string("none"), c.panel ? c.panel : "none");
        delete panel;
    }
}

// Changing a parameter of an action repaints the caption-button agents that
// run it, and no other agent.
TEST(RuleItems, CaptionButtonAgentFollowsItsAction) {
    IPtr<IBOMObjectSlave> rule = NewRule();
    rule->SetOwner(nullptr);
    TClickNode stayOnTop, minToTray;
    for (auto [path, node] : {std::pair<const char*, TClickNode*>{"StayOnTopCaptionButton", &stayOnTop},
                              {"MinToTrayCaptionButton", &minToTray}}) {
        IPtr<IUIElement> agent =
            UIElementOf(rule->Resolve(std::string("triggers/CaptionButtons/agents/") + path).get());
        ASSERT_TRUE(agent);
        agent->SetTreeNode(node);
        node->paints = 0;
    }
    Param(rule.get(), "actions/StayOnTopForCaptionButton/params/caption")->SetValue("Keep on top");
    EXPECT_EQ(stayOnTop.paints, 1);
    EXPECT_EQ(minToTray.paints, 0);
    Param(rule.get(), "actions/StayOnTop_JRX/params/caption")->SetValue("x");
    EXPECT_EQ(stayOnTop.paints, 1);
    rule->Detach();
}

TEST(RuleItems, RuleNodeShowsItsThreeCollections) {
    IPtr<IBOMObjectSlave> rule = NewRule();
    TClickNode node;
    IPtr<IUIElement> element = UIElementOf(rule.get());
    element->SetTreeNode(&node);
    EXPECT_EQ(node.image, 1);
    EXPECT_FALSE(node.hasChildren);
    element->ExpandTreeNode(&node);  // a leaf: the tree never fills it itself
    EXPECT_EQ(node.GetCount(), 0);
    Supports<IUIList>(rule)->FillTreeNode(&node);
    ASSERT_EQ(node.GetCount(), 3);
    const char* texts[] = {"Conditions", "Actions", "Triggers"};
    int images[] = {3, 7, 9};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(node.children[i]->text, texts[i]);
        EXPECT_EQ(node.children[i]->image, images[i]);
    }
    // A trigger's children are its agents.
    TClickNode* triggers = node.children[2].get();
    TreeNodeElement(triggers)->ExpandTreeNode(triggers);
    ASSERT_EQ(triggers->GetCount(), 8);
    TClickNode* hover = triggers->children[5].get();
    EXPECT_EQ(hover->text, "MouseHoverTrigger");
    EXPECT_TRUE(hover->hasChildren);
    TreeNodeElement(hover)->ExpandTreeNode(hover);
    ASSERT_EQ(hover->GetCount(), 1);
    EXPECT_EQ(hover->children[0]->text, "WindowRollupMouseHoverAgent_JRY");
    EXPECT_EQ(hover->children[0]->image, 4);
}

TEST(RuleItems, NewWindowRuleNameTakesTheFirstFreeNumber) {
    IPtr<IBOMObjectSlave> rules = NewItem("WINDOWRULES", "window_rules");
    EXPECT_EQ(NewWindowRuleName(rules.get()), "Window Rule 1");
    for (const char* name : {"Window Rule 1", "window rule 2", "Window Rule 4"})
        Supports<IBOMCollection>(rules)->Add(NewItem("WINDOWRULE", name).get());
    EXPECT_EQ(NewWindowRuleName(rules.get()), "Window Rule 3");
}

TEST(RuleItems, WiredRuleIsFreedAfterDetach) {
    int before = TDebugInterfacedObject::LiveObjects();
    {
        IPtr<IBOMObjectSlave> rules = NewItem("WINDOWRULES", "window_rules");
        Supports<IBOMCollection>(rules)->Add(NewRule().get());
        rules->SetOwner(nullptr);
        TClickNode node;
        IPtr<IUIElement> element = UIElementOf(rules.get());
        element->SetTreeNode(&node);
        element->ExpandTreeNode(&node);
        ASSERT_EQ(node.GetCount(), 1);
        Param(rules.get(), "Window Rule 1/actions/CloseQuery/params/enabled")->SetValue("yes");
        node.children.clear();  // the tree deletes its nodes first
        element->ClearTreeNode();
        rules->Detach();
    }
    EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), before);
}
