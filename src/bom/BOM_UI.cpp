#include "BOM_UI.h"

#include "BOMRoutines.h"

namespace vpw {

namespace {

TUITranslator& Translator() {
    static TUITranslator translator;
    return translator;
}

}  // namespace

void SetUITranslator(TUITranslator translator) { Translator() = std::move(translator); }

std::string UITranslate(const std::string& name, const std::string& defaultValue) {
    const TUITranslator& translator = Translator();
    return translator ? translator(name, defaultValue) : defaultValue;
}

IPtr<IUIElement> UIElementOf(IBOMObject* obj) {
    return obj ? Supports<IUIElement>(obj->GetInterfaceByName("UIElement")) : nullptr;
}

// --- TBOM_UI_Base

template <class TBase>
TBOM_UI_Base<TBase>::~TBOM_UI_Base() {
    FreePanels();
}

template <class TBase>
bool TBOM_UI_Base<TBase>::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IUIElement>(this, iid, out) || TBase::QueryInterface(iid, out);
}

template <class TBase>
void TBOM_UI_Base<TBase>::Initialize() {
    TBase::Initialize();
    imageIndex_ = -1;
    stateIndex_ = -1;
    hasChildren_ = false;
    panels_.reset();
}

template <class TBase>
IPtr<IInterface> TBOM_UI_Base<TBase>::GetInterfaceByName(const std::string& name) {
    if (IPtr<IInterface> found = TBase::GetInterfaceByName(name)) return found;
    if (name == "UIElement") return IPtr<IInterface>(static_cast<IUIElement*>(this));
    return nullptr;
}

template <class TBase>
bool TBOM_UI_Base<TBase>::SupportsName(const std::string& name) {
    return TBase::SupportsName(name) || name == "UIElement";
}

template <class TBase>
void TBOM_UI_Base<TBase>::AfterChangeChildObject(const std::string& path, IBOMObject* obj,
                                                 const std::string& senderPath, IBOMObject* sender) {
    if (StartsWith("params/", path)) UpdateUI();
    TBase::AfterChangeChildObject(path, obj, senderPath, sender);
}

template <class TBase>
std::string TBOM_UI_Base<TBase>::GetDisplayText() {
    return this->GetName();
}

template <class TBase>
IPtr<IUIList> TBOM_UI_Base<TBase>::GetUIList() {
    return nullptr;
}

template <class TBase>
void TBOM_UI_Base<TBase>::UpdateTreeNode(TTreeNode* node) {
    if (!node) return;
    node->SetText(GetDisplayText());
    node->SetImageIndex(imageIndex_);
    node->SetSelectedIndex(imageIndex_);
    node->SetStateIndex(stateIndex_);
    node->SetHasChildren(hasChildren_);
}

template <class TBase>
TAbstractDetailPanel* TBOM_UI_Base<TBase>::CreateDetailPanel(const std::string&) {
    return nullptr;
}

template <class TBase>
std::vector<IPtr<IUIElement>> TBOM_UI_Base<TBase>::GetUIChildren() {
    std::vector<IPtr<IUIElement>> children;
    IBOMCollection* all = this->GetAll();
    for (int i = 0; all && i < all->Count(); ++i)
        if (IPtr<IUIElement> element = UIElementOf(all->Item(i).get())) children.push_back(element);
    return children;
}

template <class TBase>
void TBOM_UI_Base<TBase>::AttachUI(IUI* host) {
    host_ = host;
    for (const IPtr<IUIElement>& child : GetUIChildren()) child->AttachUI(host);
    // Attached twice, the panels already open stay ours.
    if (!panels_) panels_ = std::make_unique<TAbstractDetailPanels>();
    UpdateUI();
}

template <class TBase>
void TBOM_UI_Base<TBase>::DetachUI() {
    IPtr<IInterface> keep(static_cast<IUIElement*>(this));  // a panel may hold the last outside reference
    for (const IPtr<IUIElement>& child : GetUIChildren()) child->DetachUI();
    FreePanels();
    host_ = nullptr;
}

template <class TBase>
void TBOM_UI_Base<TBase>::FreePanels() {
    std::unique_ptr<TAbstractDetailPanels> panels = std::move(panels_);
    if (!panels) return;
    for (int i = panels->Count() - 1; i >= 0; --i) {
        TAbstractDetailPanel* panel = panels->GetItem(i);
        panels->Delete(i);
        delete panel;
    }
}

template <class TBase>
void TBOM_UI_Base<TBase>::UpdateUI() {
    if (treeNode_) UpdateTreeNode(treeNode_);
    if (!panels_) return;
    for (int i = 0; i < panels_->Count(); ++i)
        if (TAbstractDetailPanel* panel = panels_->GetItem(i)) panel->UpdateControls();
}

template <class TBase>
void TBOM_UI_Base<TBase>::SetTreeNode(TTreeNode* node) {
    treeNode_ = node;
    UpdateUI();
}

template <class TBase>
void TBOM_UI_Base<TBase>::ClearTreeNode() {
    treeNode_ = nullptr;
}

template <class TBase>
void TBOM_UI_Base<TBase>::TreeNodeMouseDown(TTreeNode*, TMouseButton, TShiftState, int, int) {}

template <class TBase>
TAbstractDetailPanel* TBOM_UI_Base<TBase>::GetDetailPanel(const std::string& kind) {
    // Only an attached object owns panels; a detached one would leak them.
    if (!panels_) return nullptr;
    if (TAbstractDetailPanel* cached = panels_->GetItem(Variant(kind))) return cached;
    std::unique_ptr<TAbstractDetailPanel> panel(CreateDetailPanel(kind));
    if (!panel) return nullptr;
    panel->Init(static_cast<IBOMObject*>(this));
    panel->UpdateControls();
    // Init or UpdateControls may have opened the same kind already.
    if (!panels_) return nullptr;
    if (TAbstractDetailPanel* cached = panels_->GetItem(Variant(kind))) return cached;
    panels_->Add(panel.get(), kind);
    return panel.release();
}

template <class TBase>
std::uint8_t TBOM_UI_Base<TBase>::UpdateCommand(TUIAction*) {
    return kCommandNotHandled;
}

template <class TBase>
std::uint8_t TBOM_UI_Base<TBase>::ExecuteCommand(TUIAction*) {
    return kCommandNotHandled;
}

template <class TBase>
void TBOM_UI_Base<TBase>::ExpandTreeNode(TTreeNode* node) {
    if (!node || !node->GetHasChildren() || node->GetCount() > 0) return;
    if (IPtr<IUIList> list = GetUIList())
        list->FillTreeNode(node);
    else
        node->SetHasChildren(false);
}

template class TBOM_UI_Base<TBOMObject>;
template class TBOM_UI_Base<TBOMCollection>;

// --- TBOM_UI_Object

void TBOM_UI_Object::Notify(int code, int param1, int param2) {
    TBOM_UI_Base<TBOMObject>::Notify(code, param1, param2);
    if (code == 1) LanguageChanged();
}

void TBOM_UI_Object::LanguageChanged() {
    TAbstractDetailPanels* panels = GetDetailPanels();
    for (int i = 0; panels && i < panels->Count(); ++i)
        if (TAbstractDetailPanel* panel = panels->GetItem(i)) panel->Notify(1, 0, 0);
}

// --- TBOM_UI_Collection

bool TBOM_UI_Collection::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IUIList>(this, iid, out) || TBOM_UI_Base<TBOMCollection>::QueryInterface(iid, out);
}

void TBOM_UI_Collection::Initialize() {
    TBOM_UI_Base<TBOMCollection>::Initialize();
    SetHasChildren(true);
}

IPtr<IInterface> TBOM_UI_Collection::GetInterfaceByName(const std::string& name) {
    if (IPtr<IInterface> found = TBOM_UI_Base<TBOMCollection>::GetInterfaceByName(name)) return found;
    if (name == "UIList") return IPtr<IInterface>(static_cast<IUIList*>(this));
    return nullptr;
}

bool TBOM_UI_Collection::SupportsName(const std::string& name) {
    return TBOM_UI_Base<TBOMCollection>::SupportsName(name) || name == "UIList";
}

IPtr<IUIList> TBOM_UI_Collection::GetUIList() { return IPtr<IUIList>(this); }

void TBOM_UI_Collection::FillTreeNode(TTreeNode* node) {
    if (!node) return;
    for (int i = 0; i < Count(); ++i) {
        IPtr<IUIElement> element = UIElementOf(Item(i).get());
        if (!element) continue;
        TTreeNode* child = node->AddChild("");
        if (!child) continue;
        SetTreeNodeElement(child, element.get());
        element->SetTreeNode(child);
    }
}

void TBOM_UI_Collection::Add(IBOMObject* obj) {
    TBOM_UI_Base<TBOMCollection>::Add(obj);
    if (!obj || !GetUIHost()) return;
    // A refused item (its name is taken) must not hold the host: nothing
    // would ever detach it.
    if (Item(Variant(obj->GetName())).get() != obj) return;
    if (IPtr<IUIElement> element = UIElementOf(obj)) element->AttachUI(GetUIHost());
}

std::vector<IPtr<IUIElement>> TBOM_UI_Collection::GetUIChildren() {
    std::vector<IPtr<IUIElement>> children = TBOM_UI_Base<TBOMCollection>::GetUIChildren();
    for (int i = 0; i < Count(); ++i)
        if (IPtr<IUIElement> element = UIElementOf(Item(i).get())) children.push_back(element);
    return children;
}

}  // namespace vpw
