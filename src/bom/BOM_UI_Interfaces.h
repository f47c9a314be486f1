// The faces through which the document root's tree view drives the model
// objects it shows. The tree view itself is a window of the configuration
// program; here it is seen through the abstract node below.
#pragma once
#include <cstdint>
#include <string>

#include "Interfaces.h"

namespace vpw {

class TAbstractDetailPanel;
class TUIAction;
class IUIElement;
class TTreeNode;

// Modifier keys and mouse buttons held during an input event.
enum TShiftStateFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
using TShiftState = unsigned;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// What a node of the rule tree carries: one counted reference to the element
// it shows. Whoever deletes the node frees the cell (ReleaseTreeNodeData).
struct TTreeNodeData {
    IPtr<IUIElement> element;
};

// One node of the tree view, owned by the tree. Model objects keep plain
// pointers to their nodes and forget them on ClearTreeNode.
class TTreeNode {
public:
    virtual ~TTreeNode() = default;

    virtual void SetText(const std::string& text) = 0;
    virtual void SetImageIndex(int index) = 0;
    virtual void SetSelectedIndex(int index) = 0;
    virtual void SetStateIndex(int index) = 0;
    // The expand button, shown before the node has children.
    virtual bool GetHasChildren() = 0;
    virtual void SetHasChildren(bool hasChildren) = 0;

    virtual int GetCount() = 0;
    // A new last child with that text; owned by the tree.
    virtual TTreeNode* AddChild(const std::string& text) = 0;
    virtual TTreeNode* GetParent() = 0;
    // 0 for a top-level node.
    virtual int GetLevel() = 0;

    virtual TTreeNodeData* GetData() = 0;
    virtual void SetData(TTreeNodeData* data) = 0;

    // The owning tree's hit test: does (x, y), in tree client coordinates,
    // lie on this node's state icon?
    virtual bool IsOnStateIcon(int x, int y) = 0;
};

// The user-interface host: the document root hands itself over as this.
class IUI : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{D6E42CFB-BC18-4C3D-9C5B-CF22BAEF64A4}");
};

// Command requests answer 0 (handled) or 1 (ask the parent node).
constexpr std::uint8_t kCommandHandled = 0;
constexpr std::uint8_t kCommandNotHandled = 1;

class IUIElement : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{B04B1AB0-1D3A-4A86-AEC5-5C79701C0F84}");
    virtual void AttachUI(IUI* host) = 0;
    virtual void DetachUI() = 0;
    virtual void UpdateUI() = 0;
    virtual void SetTreeNode(TTreeNode* node) = 0;
    virtual void ClearTreeNode() = 0;
    virtual void ExpandTreeNode(TTreeNode* node) = 0;
    virtual void CollapseTreeNode(TTreeNode* node) = 0;
    virtual void TreeNodeMouseDown(TTreeNode* node, TMouseButton button, TShiftState shift, int x, int y) = 0;
    // The element keeps the panel; nothing when no panel serves the kind.
    virtual TAbstractDetailPanel* GetDetailPanel(const std::string& kind) = 0;
    virtual std::uint8_t UpdateCommand(TUIAction* action) = 0;
    virtual std::uint8_t ExecuteCommand(TUIAction* action) = 0;
};

class IUIList : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{62533DC1-C8A3-4B16-9227-1A45218EC346}");
    virtual void FillTreeNode(TTreeNode* node) = 0;
};

// The element a node shows, or nothing.
inline IUIElement* TreeNodeElement(TTreeNode* node) {
    TTreeNodeData* data = node ? node->GetData() : nullptr;
    return data ? data->element.get() : nullptr;
}

// What the tree does when it deletes a node: the element forgets the node,
// then the cell and its reference go.
inline void ReleaseTreeNodeData(TTreeNode* node) {
    if (!node) return;
    TTreeNodeData* data = node->GetData();
    if (!data) return;
    node->SetData(nullptr);
    if (data->element) data->element->ClearTreeNode();
    delete data;
}

// Gives the node a new cell for the element; an earlier cell goes as on
// deletion, so its element no longer paints this node.
inline void SetTreeNodeElement(TTreeNode* node, IUIElement* element) {
    if (!node) return;
    ReleaseTreeNodeData(node);
    node->SetData(new TTreeNodeData{IPtr<IUIElement>(element)});
}

}  // namespace vpw
