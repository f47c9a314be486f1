#include "uTriggers.h"

namespace vpw {

void RegisterTriggerClasses() { RegisterItemClass(ClassOf<TTriggers>(), "Triggers"); }

// --- TTrigger

bool TTrigger::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IRuleActivator>(this, iid, out) || TEnabledItem::QueryInterface(iid, out);
}

void TTrigger::Initialize() {
    TEnabledItem::Initialize();
    SetTypeName("");
    SetStorageTag("trigger");
    descriptorType_.clear();
    CreateChild("Agents", "agents");
    SetHasChildren(true);
    SetImageIndex(kImageTrigger);
}

void TTrigger::SetKind(const std::string& typeName, const std::string& detailPanels) {
    SetTypeName(typeName);
    descriptorType_ = typeName;
    if (!detailPanels.empty()) SetDetailPanelString(detailPanels);
}

IPtr<IUIList> TTrigger::GetUIList() { return FacetOf<IUIList>(Resolve("agents").get(), "UIList"); }

IPtr<IInterface> TTrigger::GetInterfaceByName(const std::string& name) {
    if (IPtr<IInterface> found = TEnabledItem::GetInterfaceByName(name)) return found;
    if (name == "Trigger") return IPtr<IInterface>(static_cast<IRuleActivator*>(this));
    return nullptr;
}

bool TTrigger::SupportsName(const std::string& name) { return TEnabledItem::SupportsName(name) || name == "Trigger"; }

void TTrigger::GetExtraConfig(std::string& text) { text.clear(); }

void TTrigger::GetConfigString(std::string& text) {
    std::string extra;
    GetExtraConfig(extra);
    text = descriptorType_ + "{" + extra;
    if (IPtr<IBOMCollection> agents = Supports<IBOMCollection>(Resolve("agents"))) {
        for (int i = 0; i < agents->Count(); ++i) {
            IPtr<IRuleActivator> agent = FacetOf<IRuleActivator>(agents->Item(i).get(), "Agent");
            if (!agent || !agent->IsEnabled()) continue;
            std::string agentText;
            agent->GetConfigString(agentText);
            text += "\\AGENT=" + agentText;
        }
    }
    text += "}";
}

// --- TTriggers

void TTriggers::Initialize() {
    TBOM_UI_Collection::Initialize();
    SetTypeName("Triggers");
    SetStorageTag("triggers");
    SetItemTag("trigger");
    SetImageIndex(kImageTriggers);
}

std::string TTriggers::GetDisplayText() { return "Triggers"; }

}  // namespace vpw
