#include "uEnabledItem.h"

#include "BOMAbstractDetailPanel.h"
#include "Routines.h"

namespace vpw {

bool TEnabledItem::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IEnabledItem>(this, iid, out) || TBOM_UI_Object::QueryInterface(iid, out);
}

void TEnabledItem::Initialize() {
    TBOM_UI_Object::Initialize();
    CreateParam("enabled", "yes");
    detailPanels_.clear();
}

void TEnabledItem::SetOwner(IBOMObject* owner) {
    TBOM_UI_Object::SetOwner(owner);
    UpdateStateIndex();
}

void TEnabledItem::AfterChangeChildObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                          IBOMObject* sender) {
    if (path == "params/enabled") UpdateStateIndex();
    TBOM_UI_Object::AfterChangeChildObject(path, obj, senderPath, sender);
}

TAbstractDetailPanel* TEnabledItem::CreateDetailPanel(const std::string& kind) {
    std::string panelName;
    GetNameValue(detailPanels_, kind, ';', '=', panelName);
    return panelName.empty() ? nullptr : CreateDetailPanelByName(panelName);
}

void TEnabledItem::TreeNodeMouseDown(TTreeNode* node, TMouseButton button, TShiftState shift, int x, int y) {
    TBOM_UI_Object::TreeNodeMouseDown(node, button, shift, x, y);
    if (!node || !node->IsOnStateIcon(x, y)) return;
    if (IPtr<IBOMParam> enabled = GetParam("enabled"))
        enabled->SetValue(enabled->GetValue().AsString() == "yes" ? "no" : "yes");
}

bool TEnabledItem::IsEnabled() {
    IPtr<IBOMParam> enabled = GetParam("enabled");
    return !enabled || enabled->GetValue().AsString() == "yes";
}

std::string TEnabledItem::ParamText(const std::string& name, const std::string& missing) {
    IPtr<IBOMParam> param = GetParam(name);
    return param ? param->GetValue().AsString() : missing;
}

void TEnabledItem::UpdateStateIndex() { SetStateIndex(IsEnabled() ? kStateEnabled : kStateDisabled); }

}  // namespace vpw
