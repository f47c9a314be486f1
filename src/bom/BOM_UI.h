// Model objects that the configuration program also shows as tree nodes:
// they paint their node, fill its children on the first expansion, own the
// detail panels opened for them, pass language changes on to those panels
// and answer command requests.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BOMAbstractDetailPanel.h"
#include "BOMObjects.h"
#include "BOM_UI_Interfaces.h"

namespace vpw {

// Language lookup for the portable model: name and built-in default in,
// translated text (macros expanded) out. Until a program installs its
// translator the default comes back unchanged.
using TUITranslator = std::function<std::string(const std::string& name, const std::string& defaultValue)>;
// An empty translator restores the neutral one.
void SetUITranslator(TUITranslator translator);
std::string UITranslate(const std::string& name, const std::string& defaultValue);

// The "UIElement" facet of an object, or nothing.
IPtr<IUIElement> UIElementOf(IBOMObject* obj);

// The user-interface facet shared by TBOM_UI_Object and TBOM_UI_Collection;
// TBase is TBOMObject or TBOMCollection.
template <class TBase>
class TBOM_UI_Base : public TBase, public virtual IUIElement {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;
    // A change below "params/" repaints the node and refreshes the panels.
    void AfterChangeChildObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                IBOMObject* sender) override;

    virtual std::string GetDisplayText();
    virtual IPtr<IUIList> GetUIList();
    virtual void UpdateTreeNode(TTreeNode* node);
    // The panel of that kind, new and unbound; nothing here.
    virtual TAbstractDetailPanel* CreateDetailPanel(const std::string& kind);
    void AttachUI(IUI* host) override;
    void DetachUI() override;
    void UpdateUI() override;
    void SetTreeNode(TTreeNode* node) override;
    void ClearTreeNode() override;
    void TreeNodeMouseDown(TTreeNode* node, TMouseButton button, TShiftState shift, int x, int y) override;
    TAbstractDetailPanel* GetDetailPanel(const std::string& kind) override;
    std::uint8_t UpdateCommand(TUIAction* action) override;
    std::uint8_t ExecuteCommand(TUIAction* action) override;

    // Fills the node once, on its first expansion.
    void ExpandTreeNode(TTreeNode* node) final;
    void CollapseTreeNode(TTreeNode* node) final {}

    int GetImageIndex() const { return imageIndex_; }
    int GetStateIndex() const { return stateIndex_; }
    bool GetHasChildren() const { return hasChildren_; }
    TTreeNode* GetTreeNode() const { return treeNode_; }
    bool IsUIAttached() const { return panels_ != nullptr; }

protected:
    ~TBOM_UI_Base() override;

    void SetImageIndex(int index) { imageIndex_ = index; }
    void SetStateIndex(int index) { stateIndex_ = index; }
    void SetHasChildren(bool hasChildren) { hasChildren_ = hasChildren; }
    IUI* GetUIHost() const { return host_.get(); }
    // Exists only while attached.
    TAbstractDetailPanels* GetDetailPanels() const { return panels_.get(); }
    // The UI elements below this object, in the order attaching visits them.
    virtual std::vector<IPtr<IUIElement>> GetUIChildren();

private:
    void FreePanels();

    IPtr<IUI> host_;
    TTreeNode* treeNode_ = nullptr;
    int imageIndex_ = -1;
    int stateIndex_ = -1;
    bool hasChildren_ = false;
    std::unique_ptr<TAbstractDetailPanels> panels_;
};

extern template class TBOM_UI_Base<TBOMObject>;
extern template class TBOM_UI_Base<TBOMCollection>;

class TBOM_UI_Object : public TBOM_UI_Base<TBOMObject> {
public:
    // The inherited broadcast, then LanguageChanged on code 1.
    void Notify(int code, int param1, int param2) override;
    // Every open panel translates its controls again.
    virtual void LanguageChanged();
};

// Has children by default; its items are its tree children.
class TBOM_UI_Collection : public TBOM_UI_Base<TBOMCollection>, public virtual IUIList {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;
    IPtr<IUIList> GetUIList() override;
    void FillTreeNode(TTreeNode* node) override;
    // An item added while attached is attached at once.
    void Add(IBOMObject* obj) override;

protected:
    std::vector<IPtr<IUIElement>> GetUIChildren() override;
};

}  // namespace vpw
