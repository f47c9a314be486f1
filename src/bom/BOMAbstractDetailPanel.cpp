#include "BOMAbstractDetailPanel.h"

namespace vpw {

// --- TAbstractDetailPanel

void TAbstractDetailPanel::TranslateControls() {}

void TAbstractDetailPanel::Init(IBOMObject* object) {
    object_ = object;
    TranslateControls();
}

void TAbstractDetailPanel::ReleaseObject() { object_ = nullptr; }

void TAbstractDetailPanel::Notify(int code, int, int) {
    if (code == 1) TranslateControls();
}

void TAbstractDetailPanel::UpdateControls() {}

std::string TAbstractDetailPanel::GetCaption() { return caption_; }

void TAbstractDetailPanel::RenameObject(const std::string& newName) {
    IPtr<IBOMObject> object = object_;  // the rename may reach this panel again
    if (!object || object->GetName() == newName) return;
    IPtr<IBOMObjectOwner> owner = Supports<IBOMObjectOwner>(object->Resolve(".."));
    IPtr<IBOMObjectSlave> slave = Supports<IBOMObjectSlave>(object);
    if (owner && slave) owner->RenameChild(slave.get(), newName);
    UpdateControls();
}

IPtr<IBOMParam> TAbstractDetailPanel::ParamAt(const std::string& path) const {
    return object_ ? Supports<IBOMParam>(object_->Resolve(path)) : nullptr;
}

bool TAbstractDetailPanel::SetParamValueAt(const std::string& path, const Variant& value) {
    IPtr<IBOMParam> param = IsLoading() ? nullptr : ParamAt(path);
    if (!param) return false;
    param->SetValue(value);
    return true;
}

// --- registries

void TAbstractDetailPanelClasses::AddClass(const TAbstractDetailPanelClass* cls, const std::string& name) {
    if (!cls) return;
    items_.Add(const_cast<TAbstractDetailPanelClass*>(cls), name);  // a taken name keeps its first class
}

const TAbstractDetailPanelClass* TAbstractDetailPanelClasses::FindClass(const std::string& name) const {
    return static_cast<const TAbstractDetailPanelClass*>(items_.GetItem(Variant(name)));
}

TAbstractDetailPanel* TAbstractDetailPanels::Add(TAbstractDetailPanel* panel, const std::string& key) {
    if (!panel) return nullptr;
    return static_cast<TAbstractDetailPanel*>(items_.Add(panel, key));
}

TAbstractDetailPanel* TAbstractDetailPanels::GetItem(const Variant& index) const {
    if (index.IsPosition() && (index.AsInteger() < 0 || index.AsInteger() >= Count())) return nullptr;
    return static_cast<TAbstractDetailPanel*>(items_.GetItem(index));
}

TAbstractDetailPanelClasses* DetailPanelClasses() {
    static TAbstractDetailPanelClasses registry;
    return &registry;
}

void RegisterDetailPanelClass(const TAbstractDetailPanelClass* cls, const std::string& name) {
    DetailPanelClasses()->AddClass(cls, name);
}

const TAbstractDetailPanelClass* FindDetailPanelClass(const std::string& name) {
    return DetailPanelClasses()->FindClass(name);
}

TAbstractDetailPanel* CreateDetailPanelByName(const std::string& name) {
    const TAbstractDetailPanelClass* cls = FindDetailPanelClass(name);
    return cls ? cls->construct() : nullptr;
}

}  // namespace vpw
