// The abstract tree nodes, menu items and tool buttons of the UI layer, bound
// to the native controls: tree-view items, popup menus and tool-bar buttons.
// Controls follow their actions through the actions' change notice.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "UIToolkit.h"
#include "WinHandles.h"

namespace vpw {

class TWinTreeView;

// One tree-view item; the item's lParam points back to it.
class TWinTreeNode : public TTreeNode {
public:
    TWinTreeNode(TWinTreeView* tree, HTREEITEM item) : tree_(tree), item_(item) {}

    void SetText(const std::string& text) override;
    void SetImageIndex(int index) override;
    void SetSelectedIndex(int index) override;
    void SetStateIndex(int index) override;
    bool GetHasChildren() override;
    void SetHasChildren(bool hasChildren) override;
    int GetCount() override;
    TTreeNode* AddChild(const std::string& text) override;
    TTreeNode* GetParent() override;
    int GetLevel() override;
    TTreeNodeData* GetData() override { return data_; }
    void SetData(TTreeNodeData* data) override { data_ = data; }
    bool IsOnStateIcon(int x, int y) override;

    HTREEITEM Item() const { return item_; }
    std::string GetText();
    int GetStateIndex();

private:
    bool Exchange(UINT message, TVITEMA& item);

    TWinTreeView* tree_;
    HTREEITEM item_;
    TTreeNodeData* data_ = nullptr;
};

// Owns the node objects of one tree-view control. The owner of the control
// passes its WM_NOTIFY messages to HandleNotify.
class TWinTreeView {
public:
    explicit TWinTreeView(HWND tree);
    ~TWinTreeView();
    TWinTreeView(const TWinTreeView&) = delete;
    TWinTreeView& operator=(const TWinTreeView&) = delete;

    HWND Handle() const { return tree_; }
    TWinTreeNode* AddRoot(const std::string& text);
    TWinTreeNode* AddChild(TWinTreeNode* parent, const std::string& text);
    TWinTreeNode* NodeOf(HTREEITEM item) const;
    TWinTreeNode* Selected() const;
    TWinTreeNode* First() const;
    // The node drawn above this one, or nothing.
    TWinTreeNode* PreviousVisible(TWinTreeNode* node) const;
    TWinTreeNode* NodeAt(int x, int y) const;
    void Select(TWinTreeNode* node);
    // The deletion event runs for the node and every node below it.
    void Delete(TWinTreeNode* node);
    void DeleteAll();
    // Runs the expanding event first, so that a node is filled even where
    // the control does not report a programmatic expansion.
    void Expand(TWinTreeNode* node);

    // Events, as the tree reports them.
    std::function<void(TWinTreeNode* node)> OnChange;
    std::function<void(TWinTreeNode* node)> OnDeletion;
    std::function<void(TWinTreeNode* node)> OnExpanding;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseDown;

    // True when the notice was the tree's and `result` holds the answer.
    bool HandleNotify(const NMHDR* header, LRESULT& result);
    // From the tree's own window procedure (subclassed by the owner).
    void MouseDown(TMouseButton button, WPARAM keys, int x, int y, bool doubleClick);

private:
    friend class TWinTreeNode;
    TWinTreeNode* Insert(HTREEITEM parent, const std::string& text);
    void FreeNodes(HTREEITEM first);

    HWND tree_;
};

class TWinMenuItem : public TUIMenuItem {
public:
    TWinMenuItem() = default;

    TUIMenuItem* NewMenuItem() override;
    void SetAction(TUIAction* action) override;
    void SetCaption(const std::string& caption) override { caption_ = caption; }
    void SetImageIndex(int index) override { imageIndex_ = index; }
    void Add(TUIMenuItem* item) override;
    // The pictures of the items' image indexes, here and in sub-menus.
    void SetImages(HIMAGELIST images) { images_ = images; }

    TUIAction* GetAction() const { return action_; }
    const std::vector<TWinMenuItem*>& Items() const { return items_; }
    bool IsSeparator() const { return caption_ == "-"; }
    // The caption with the shortcut text after a tab.
    std::string MenuText() const;
    // Shows the sub-items as a popup menu at the screen point and runs the
    // chosen one's action. `beforeShow` lets the caller update the actions.
    void Popup(HWND owner, int x, int y, const std::function<void()>& beforeShow);

private:
    void Fill(HMENU menu, std::vector<TWinMenuItem*>& byId, HIMAGELIST images);

    TUIAction* action_ = nullptr;
    std::string caption_;
    int imageIndex_ = -1;
    HIMAGELIST images_ = nullptr;
    std::vector<TWinMenuItem*> items_;
    std::vector<std::unique_ptr<TWinMenuItem>> owned_;
};

// For the window that owns a popup menu: WM_MEASUREITEM and WM_DRAWITEM of
// a menu item's picture (true when it was one).
bool MeasureMenuPicture(MEASUREITEMSTRUCT* item, HIMAGELIST images);
bool DrawMenuPicture(const DRAWITEMSTRUCT* item, HIMAGELIST images);

class TWinToolBar;

class TWinToolButton : public TUIToolButton {
public:
    TWinToolButton(TWinToolBar* bar, int id) : bar_(bar), id_(id) {}
    ~TWinToolButton() override;

    TUIMenuItem* NewMenuItem() override;
    void SetAction(TUIAction* action) override;
    void SetStyle(TUIToolButtonStyle style) override { style_ = style; }
    void SetAutoSize(bool autoSize) override { autoSize_ = autoSize; }
    void SetWidth(int width) override { width_ = width; }
    void SetMenuItem(TUIMenuItem* item) override;

    int Id() const { return id_; }
    TUIAction* GetAction() const { return action_; }
    TWinMenuItem* GetMenuItem() const { return menuItem_; }
    bool IsPlaced() const { return placed_; }
    // The control's button record.
    TBBUTTON Record() const;
    void Placed() { placed_ = true; }
    // Pressed: drops the menu down, or runs the action.
    void Click(const std::function<void()>& beforePopup);

private:
    void ActionChanged();

    TWinToolBar* bar_;
    int id_;
    TUIAction* action_ = nullptr;
    int listener_ = 0;
    TUIToolButtonStyle style_ = TUIToolButtonStyle::tbsButton;
    bool autoSize_ = true;
    int width_ = 0;
    TWinMenuItem* menuItem_ = nullptr;
    std::vector<std::unique_ptr<TWinMenuItem>> owned_;
    bool placed_ = false;
};

// A tool-bar control and the buttons it owns. Command ids are unique in the
// process, so one window can route WM_COMMAND from several tool bars.
class TWinToolBar : public TUIToolButtonOwner {
public:
    // `showText`: captions beside the images (a menu bar).
    TWinToolBar(HWND toolBar, bool showText);
    ~TWinToolBar() override;
    TWinToolBar(const TWinToolBar&) = delete;
    TWinToolBar& operator=(const TWinToolBar&) = delete;

    TUIToolButton* NewToolButton() override;
    // Puts the button on the bar before every other button.
    void PlaceFirst(TUIToolButton* button);
    TWinToolButton* ButtonById(int id) const;
    HWND Handle() const { return toolBar_; }
    bool ShowsText() const { return showText_; }
    // The bar's width and height with every button at its size.
    SIZE IdealSize() const;
    // Refreshes one button from its action.
    void UpdateButton(TWinToolButton* button);

    // Runs after a button's size changed (the host lays its bars out again).
    std::function<void()> OnResize;

private:
    HWND toolBar_;
    bool showText_;
    std::vector<std::unique_ptr<TWinToolButton>> buttons_;
};

}  // namespace vpw
