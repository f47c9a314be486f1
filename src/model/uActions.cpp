#include "uActions.h"

#include "MultiLanguages.h"

namespace vpw {

void RegisterActionClasses() { RegisterItemClass(ClassOf<TActions>(), "Actions"); }

// --- TAction

bool TAction::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IRuleAction>(this, iid, out) || TEnabledItem::QueryInterface(iid, out);
}

void TAction::Initialize() {
    TEnabledItem::Initialize();
    SetStorageTag("action");
    descriptorType_.clear();
    SetDetailPanelString("DefaultDetailPanel=ActionDetailPanel");
    CreateParam("caption", GetName());
    CreateParam("hint", GetName());
    CreateParam("save_current_operation", "no");
    SetImageIndex(kImageAction);
}

void TAction::SetKind(const std::string& typeName, const std::string& detailPanels) {
    SetTypeName(typeName);
    descriptorType_ = typeName;
    if (!detailPanels.empty()) SetDetailPanelString(detailPanels);
}

void TAction::Load(IHierStorage* storage) {
    TEnabledItem::Load(storage);
    // Silently, so that loading does not mark the document modified.
    if (IPtr<IBOMParam> caption = GetParam("caption")) caption->SetValueSilent(GetName());
}

void TAction::LanguageChanged() {
    TEnabledItem::LanguageChanged();
    std::string captionText = GetName();
    if (IPtr<IBOMParam> caption = GetParam("caption")) {
        captionText = Translate("Action_" + descriptorType_ + "_Caption", caption->GetValue().AsString());
        caption->SetValueSilent(captionText);
    }
    if (IPtr<IBOMParam> hint = GetParam("hint"))
        hint->SetValueSilent(Translate("Action_" + descriptorType_ + "_Hint", captionText));
}

IPtr<IInterface> TAction::GetInterfaceByName(const std::string& name) {
    if (IPtr<IInterface> found = TEnabledItem::GetInterfaceByName(name)) return found;
    if (name == "Action") return IPtr<IInterface>(static_cast<IRuleAction*>(this));
    return nullptr;
}

bool TAction::SupportsName(const std::string& name) { return TEnabledItem::SupportsName(name) || name == "Action"; }

void TAction::GetExtraConfig(std::string& text) { text.clear(); }

void TAction::GetConfigString(std::string& text) {
    text = descriptorType_ + "{" + "\\NAME=" + GetName();
    text += "\\SAVECURRENTOPERATION=" + ParamText("save_current_operation", "no");
    std::string extra;
    GetExtraConfig(extra);
    text += "\\" + extra + "}";
}

// --- TActions

void TActions::Initialize() {
    TBOM_UI_Collection::Initialize();
    SetTypeName("Actions");
    SetStorageTag("actions");
    SetItemTag("action");
    SetImageIndex(kImageActions);
}

std::string TActions::GetDisplayText() { return "Actions"; }

TAbstractDetailPanel* TActions::CreateDetailPanel(const std::string&) {
    return CreateDetailPanelByName("ActionsContentDetailPanel");
}

// --- kinds

void TStayOnTopAction::Initialize() {
    TAction::Initialize();
    SetKind("STAYONTOPACTION",
            "DefaultDetailPanel=ActionDetailPanel;ForCaptionButtonDetailPanel=StayOnTopActionDetailPanel");
}

void TMinToTrayAction::Initialize() {
    TAction::Initialize();
    SetKind("MINTOTRAYACTION",
            "DefaultDetailPanel=MinToTrayActionDetailPanel;ForCaptionButtonDetailPanel=MinToTrayActionDetailPanel");
    CreateParam("permanent_tray_icon", "no");
}

void TMinToTrayAction::GetExtraConfig(std::string& text) {
    // The tray menu's captions, in the language of the program that builds the descriptor.
    std::string captions = Translate("MA_ContextMenuCaptions", "CloseWindow=Close Window;RestoreWindow=Restore Window");
    text = "\\PERMANENTTRAYICON=" + ParamText("permanent_tray_icon", "no") + "\\CONTEXTMENUCAPTIONS={" + captions + "}";
}

void TCloseWindowAction::Initialize() {
    TAction::Initialize();
    SetKind("CLOSEWINDOWACTION");
}

void TRunModeAction::Initialize() {
    TAction::Initialize();
    SetKind("RUNMODEACTION", "DefaultDetailPanel=RunModeActionDetailPanel");
    CreateParam("run_mode", "normal");
}

void TRunModeAction::GetExtraConfig(std::string& text) { text = "\\RUNMODE=" + ParamText("run_mode", "normal"); }

}  // namespace vpw
