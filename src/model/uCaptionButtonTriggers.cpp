#include "uCaptionButtonTriggers.h"

#include "BOMRoutines.h"

namespace vpw {

void TCaptionButtonAgent::Initialize() {
    TAgent::Initialize();
    SetTypeName("CAPTIONBUTTONAGENT");
    SetDetailPanelString("DefaultDetailPanel=CaptionButtonAgentDetailPanel_KXR");
}

void TCaptionButtonAgent::AfterChangeOwnerObject(const std::string& path, IBOMObject* obj,
                                                 const std::string& senderPath, IBOMObject* sender) {
    TAgent::AfterChangeOwnerObject(path, obj, senderPath, sender);
    // From an agent: agents, trigger, triggers, rule, then the rule's actions.
    if (StartsWith("../../../../actions/" + GetActionName() + "/params/", path)) UpdateUI();
}

void TCaptionButtonTrigger::Initialize() {
    TTrigger::Initialize();
    SetKind("CAPTIONBUTTONTRIGGER",
            "DefaultDetailPanel=CaptionButtonTriggerDetailPanel_KXR;"
            "ContentDetailPanel=CaptionButtonTriggerContentDetailPanel");
}

}  // namespace vpw
