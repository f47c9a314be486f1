#include "uWindowRules.h"

#include "uModelRoutines.h"

namespace vpw {

void RegisterWindowRuleClasses() {
    RegisterItemClass(ClassOf<TWindowRule>(), "WINDOWRULE");
    RegisterItemClass(ClassOf<TWindowRules>(), "WINDOWRULES");
}

namespace {

// Appends "\KEY=<descriptor>" for every enabled item of the collection that
// answers `facet`.
template <class T>
void AppendEnabledItems(IBOMCollection* items, const char* facet, const char* key, std::string& text) {
    for (int i = 0; i < items->Count(); ++i) {
        IPtr<T> item = FacetOf<T>(items->Item(i).get(), facet);
        if (!item) continue;
        std::string itemText;  // fresh for every item, so a disabled one adds nothing
        if (item->IsEnabled()) item->GetConfigString(itemText);
        if (!itemText.empty()) text += std::string("\\") + key + "=" + itemText;
    }
}

}  // namespace

// --- TWindowRule

bool TWindowRule::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IWindowRule, IUIList>(this, iid, out) || TEnabledItem::QueryInterface(iid, out);
}

void TWindowRule::Initialize() {
    TEnabledItem::Initialize();
    SetTypeName("WINDOWRULE");
    SetStorageTag("window_rule");
    SetDetailPanelString("DefaultDetailPanel=WindowRuleDetailPanel");
    CreateChild("CONDITIONS", "conditions");
    CreateChild("Actions", "actions");
    CreateChild("Triggers", "triggers");
    // The tree shows rules as leaves; the rule panel edits the rest.
    SetHasChildren(false);
    SetImageIndex(kImageWindowRule);
    LoadDefaultWindowRule(static_cast<IBOMObject*>(this));
}

IPtr<IUIList> TWindowRule::GetUIList() { return IPtr<IUIList>(this); }

IPtr<IInterface> TWindowRule::GetInterfaceByName(const std::string& name) {
    if (IPtr<IInterface> found = TEnabledItem::GetInterfaceByName(name)) return found;
    if (name == "WindowRule") return IPtr<IInterface>(static_cast<IWindowRule*>(this));
    return nullptr;
}

bool TWindowRule::SupportsName(const std::string& name) {
    return TEnabledItem::SupportsName(name) || name == "WindowRule";
}

bool TWindowRule::Matches(HWND window) {
    IPtr<IBOMCollection> conditions = Supports<IBOMCollection>(Resolve("conditions"));
    if (!conditions) return false;
    bool matched = false;
    for (int i = 0; i < conditions->Count() && !matched; ++i) {
        IPtr<IRuleCondition> condition = FacetOf<IRuleCondition>(conditions->Item(i).get(), "Condition");
        if (condition && condition->IsEnabled()) matched = condition->Matches(window);
    }
    return matched;
}

void TWindowRule::GetConfigString(std::string& text) {
    text = "\\WINDOWRULENAME=" + GetName();
    if (IPtr<IBOMCollection> actions = Supports<IBOMCollection>(Resolve("actions")))
        AppendEnabledItems<IRuleAction>(actions.get(), "Action", "ACTION", text);
    if (IPtr<IBOMCollection> triggers = Supports<IBOMCollection>(Resolve("triggers")))
        AppendEnabledItems<IRuleActivator>(triggers.get(), "Trigger", "TRIGGER", text);
}

void TWindowRule::FillTreeNode(TTreeNode* node) {
    if (!node) return;
    for (const char* name : {"conditions", "actions", "triggers"}) {
        IPtr<IUIElement> element = UIElementOf(Resolve(name).get());
        if (!element) continue;
        TTreeNode* child = node->AddChild("");
        if (!child) continue;
        SetTreeNodeElement(child, element.get());
        element->SetTreeNode(child);
    }
}

// --- TWindowRules

void TWindowRules::Initialize() {
    TBOM_UI_Collection::Initialize();
    SetTypeName("WINDOWRULES");
    SetStorageTag("window_rules");
    SetItemTag("window_rule");
    SetDefaultItemClass("WINDOWRULE");
}

std::string NewWindowRuleName(IBOMObject* rules) {
    for (int n = 1;; ++n) {
        std::string name = "Window Rule " + std::to_string(n);
        if (!rules || !rules->Resolve(name)) return name;
    }
}

}  // namespace vpw
