#include "uAgents.h"

namespace vpw {

void RegisterAgentClasses() { RegisterItemClass(ClassOf<TAgents>(), "Agents"); }

// --- TAgent

bool TAgent::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IRuleActivator>(this, iid, out) || TEnabledItem::QueryInterface(iid, out);
}

void TAgent::Initialize() {
    TEnabledItem::Initialize();
    SetTypeName("");
    SetStorageTag("agent");
    CreateParam("action_name", "");
    CreateParam("action_kind", "next");
    CreateParam("operation_name", "");
    SetImageIndex(kImageAgent);
}

IPtr<IInterface> TAgent::GetInterfaceByName(const std::string& name) {
    if (IPtr<IInterface> found = TEnabledItem::GetInterfaceByName(name)) return found;
    if (name == "Agent") return IPtr<IInterface>(static_cast<IRuleActivator*>(this));
    return nullptr;
}

bool TAgent::SupportsName(const std::string& name) { return TEnabledItem::SupportsName(name) || name == "Agent"; }

void TAgent::GetExtraConfig(std::string& text) { text.clear(); }

void TAgent::GetConfigString(std::string& text) {
    text = "{\\NAME=" + GetName();
    static const char* const kPairs[][2] = {
        {"action_name", "ACTIONNAME"}, {"action_kind", "ACTIONKIND"}, {"operation_name", "OPERATIONNAME"}};
    // A missing parameter writes nothing: the reader has its own defaults.
    for (const auto& pair : kPairs)
        if (IPtr<IBOMParam> param = GetParam(pair[0]))
            text += std::string("\\") + pair[1] + "=" + param->GetValue().AsString();
    std::string extra;
    GetExtraConfig(extra);
    text += extra + "}";
}

std::string TAgent::GetActionName() { return ParamText("action_name"); }

// --- TAgents

void TAgents::Initialize() {
    TBOM_UI_Collection::Initialize();
    SetTypeName("Agents");
    SetStorageTag("agents");
    SetItemTag("agent");
    SetImageIndex(kImageAgents);
}

std::string TAgents::GetDisplayText() { return "Agents"; }

}  // namespace vpw
