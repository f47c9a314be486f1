#include "uUIBinding.h"

#include <windowsx.h>

namespace vpw {

namespace {

// Tool-bar command ids, unique in the process.
int NextCommandId() {
    static int id = 1000;
    return ++id;
}

// -1 means no image; to the tree view -1 would ask the owner for one.
int NativeImage(int index) { return index < 0 ? I_IMAGENONE : index; }

}  // namespace

// --- TWinTreeNode

// Sends the item's fields that `item.mask` names, in or out.
bool TWinTreeNode::Exchange(UINT message, TVITEMA& item) {
    item.hItem = item_;
    return SendMessageA(tree_->Handle(), message, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

void TWinTreeNode::SetText(const std::string& text) {
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.pszText = const_cast<char*>(text.c_str());
    Exchange(TVM_SETITEMA, item);
}

std::string TWinTreeNode::GetText() {
    char buf[512] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    Exchange(TVM_GETITEMA, item);
    return buf;
}

void TWinTreeNode::SetImageIndex(int index) {
    TVITEMA item{};
    item.mask = TVIF_IMAGE;
    item.iImage = NativeImage(index);
    Exchange(TVM_SETITEMA, item);
}

void TWinTreeNode::SetSelectedIndex(int index) {
    TVITEMA item{};
    item.mask = TVIF_SELECTEDIMAGE;
    item.iSelectedImage = NativeImage(index);
    Exchange(TVM_SETITEMA, item);
}

void TWinTreeNode::SetStateIndex(int index) {
    TVITEMA item{};
    item.mask = TVIF_STATE;
    item.state = INDEXTOSTATEIMAGEMASK(index < 0 ? 0 : index);
    item.stateMask = TVIS_STATEIMAGEMASK;
    Exchange(TVM_SETITEMA, item);
}

int TWinTreeNode::GetStateIndex() {
    TVITEMA item{};
    item.mask = TVIF_STATE;
    item.stateMask = TVIS_STATEIMAGEMASK;
    Exchange(TVM_GETITEMA, item);
    return static_cast<int>((item.state & TVIS_STATEIMAGEMASK) >> 12);
}

bool TWinTreeNode::GetHasChildren() {
    TVITEMA item{};
    item.mask = TVIF_CHILDREN;
    Exchange(TVM_GETITEMA, item);
    return item.cChildren != 0;
}

void TWinTreeNode::SetHasChildren(bool hasChildren) {
    TVITEMA item{};
    item.mask = TVIF_CHILDREN;
    item.cChildren = hasChildren ? 1 : 0;
    Exchange(TVM_SETITEMA, item);
}

int TWinTreeNode::GetCount() {
    int n = 0;
    for (HTREEITEM child = TreeView_GetChild(tree_->Handle(), item_); child;
         child = TreeView_GetNextSibling(tree_->Handle(), child))
        ++n;
    return n;
}

TTreeNode* TWinTreeNode::AddChild(const std::string& text) { return tree_->AddChild(this, text); }

TTreeNode* TWinTreeNode::GetParent() { return tree_->NodeOf(TreeView_GetParent(tree_->Handle(), item_)); }

int TWinTreeNode::GetLevel() {
    int level = 0;
    for (HTREEITEM parent = TreeView_GetParent(tree_->Handle(), item_); parent;
         parent = TreeView_GetParent(tree_->Handle(), parent))
        ++level;
    return level;
}

bool TWinTreeNode::IsOnStateIcon(int x, int y) {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    HTREEITEM item = TreeView_HitTest(tree_->Handle(), &hit);
    return item == item_ && (hit.flags & TVHT_ONITEMSTATEICON);
}

// --- TWinTreeView

TWinTreeView::TWinTreeView(HWND tree) : tree_(tree) {}

TWinTreeView::~TWinTreeView() {
    // Node objects go with their items; the owner deletes the items with
    // its events still wired (HideUI), this only catches what is left.
    OnDeletion = nullptr;
    OnChange = nullptr;
    OnExpanding = nullptr;
    if (!IsWindow(tree_)) return;
    // The notices may no longer reach this object: free the nodes here.
    FreeNodes(TreeView_GetRoot(tree_));
    TreeView_DeleteAllItems(tree_);
}

void TWinTreeView::FreeNodes(HTREEITEM first) {
    for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree_, item)) {
        FreeNodes(TreeView_GetChild(tree_, item));
        TVITEMA data{};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        TWinTreeNode* node = NodeOf(item);
        SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        if (node) ReleaseTreeNodeData(node);
        delete node;
    }
}

TWinTreeNode* TWinTreeView::Insert(HTREEITEM parent, const std::string& text) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = I_IMAGENONE;
    insert.item.iSelectedImage = I_IMAGENONE;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) return nullptr;
    // Owned through the item's lParam until TVN_DELETEITEM.
    auto node = std::make_unique<TWinTreeNode>(this, item);
    TVITEMA data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    data.lParam = reinterpret_cast<LPARAM>(node.get());
    if (!SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data))) {
        TreeView_DeleteItem(tree_, item);
        return nullptr;
    }
    return node.release();
}

TWinTreeNode* TWinTreeView::AddRoot(const std::string& text) { return Insert(TVI_ROOT, text); }

TWinTreeNode* TWinTreeView::AddChild(TWinTreeNode* parent, const std::string& text) {
    return parent ? Insert(parent->Item(), text) : nullptr;
}

TWinTreeNode* TWinTreeView::NodeOf(HTREEITEM item) const {
    if (!item) return nullptr;
    TVITEMA data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return nullptr;
    return reinterpret_cast<TWinTreeNode*>(data.lParam);
}

TWinTreeNode* TWinTreeView::Selected() const { return NodeOf(TreeView_GetSelection(tree_)); }

TWinTreeNode* TWinTreeView::First() const { return NodeOf(TreeView_GetRoot(tree_)); }

TWinTreeNode* TWinTreeView::PreviousVisible(TWinTreeNode* node) const {
    return node ? NodeOf(TreeView_GetPrevVisible(tree_, node->Item())) : nullptr;
}

TWinTreeNode* TWinTreeView::NodeAt(int x, int y) const {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    HTREEITEM item = TreeView_HitTest(tree_, &hit);
    if (!(hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT))) return nullptr;
    return NodeOf(item);
}

void TWinTreeView::Select(TWinTreeNode* node) { TreeView_SelectItem(tree_, node ? node->Item() : nullptr); }

void TWinTreeView::Delete(TWinTreeNode* node) {
    if (node) TreeView_DeleteItem(tree_, node->Item());
}

void TWinTreeView::DeleteAll() {
    if (IsWindow(tree_)) TreeView_DeleteAllItems(tree_);
}

void TWinTreeView::Expand(TWinTreeNode* node) {
    if (!node) return;
    if (OnExpanding) OnExpanding(node);
    TreeView_Expand(tree_, node->Item(), TVE_EXPAND);
}

bool TWinTreeView::HandleNotify(const NMHDR* header, LRESULT& result) {
    if (!header || header->hwndFrom != tree_) return false;
    result = 0;
    switch (header->code) {
        case TVN_DELETEITEMA:
        case TVN_DELETEITEMW: {
            auto* node = reinterpret_cast<TWinTreeNode*>(reinterpret_cast<const NMTREEVIEWA*>(header)->itemOld.lParam);
            if (!node) return true;
            std::unique_ptr<TWinTreeNode> owned(node);
            if (OnDeletion) OnDeletion(node);
            return true;
        }
        case TVN_ITEMEXPANDINGA:
        case TVN_ITEMEXPANDINGW: {
            const auto* info = reinterpret_cast<const NMTREEVIEWA*>(header);
            if ((info->action & TVE_EXPAND) && OnExpanding)
                if (TWinTreeNode* node = reinterpret_cast<TWinTreeNode*>(info->itemNew.lParam)) OnExpanding(node);
            return true;  // expansion is always allowed
        }
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW:
            if (OnChange) OnChange(reinterpret_cast<TWinTreeNode*>(reinterpret_cast<const NMTREEVIEWA*>(header)->itemNew.lParam));
            return true;
        default: return false;
    }
}

void TWinTreeView::MouseDown(TMouseButton button, WPARAM keys, int x, int y, bool doubleClick) {
    if (button == TMouseButton::mbRight)
        if (TWinTreeNode* node = NodeAt(x, y)) Select(node);  // a right click selects the node
    if (!OnMouseDown) return;
    TShiftState shift = 0;
    if (keys & MK_SHIFT) shift |= ssShift;
    if (keys & MK_CONTROL) shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    if (keys & MK_LBUTTON) shift |= ssLeft;
    if (keys & MK_RBUTTON) shift |= ssRight;
    if (keys & MK_MBUTTON) shift |= ssMiddle;
    if (doubleClick) shift |= ssDouble;
    OnMouseDown(button, shift, x, y);
}

// --- TWinMenuItem

TUIMenuItem* TWinMenuItem::NewMenuItem() {
    owned_.push_back(std::make_unique<TWinMenuItem>());
    return owned_.back().get();
}

// A menu is built when it drops down, so the item reads the action then and
// needs no change notice.
void TWinMenuItem::SetAction(TUIAction* action) { action_ = action; }

void TWinMenuItem::Add(TUIMenuItem* item) {
    if (auto* native = dynamic_cast<TWinMenuItem*>(item)) items_.push_back(native);
}

std::string TWinMenuItem::MenuText() const {
    std::string text = !caption_.empty() ? caption_ : action_ ? action_->GetCaption() : std::string();
    std::string keys = action_ ? ShortCutToText(action_->GetShortCut()) : std::string();
    return keys.empty() ? text : text + "\t" + keys;
}

void TWinMenuItem::Fill(HMENU menu, std::vector<TWinMenuItem*>& byId, HIMAGELIST images) {
    for (TWinMenuItem* item : items_) {
        if (item->IsSeparator()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING;
        if (item->action_ && !item->action_->GetEnabled()) flags |= MF_GRAYED;
        std::string text = item->MenuText();
        if (!item->items_.empty()) {
            HMENU sub = CreatePopupMenu();
            item->Fill(sub, byId, images);
            AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
        } else {
            byId.push_back(item);
            AppendMenuA(menu, flags, byId.size(), text.c_str());
        }
        int image = item->action_ ? item->action_->GetImageIndex() : item->imageIndex_;
        if (images && image >= 0 && image < ImageList_GetImageCount(images)) {
            // The owner window draws it (DrawMenuPicture): a bitmap of its
            // own shows badly on highlighted and greyed items.
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_BITMAP | MIIM_DATA;
            info.hbmpItem = HBMMENU_CALLBACK;
            info.dwItemData = static_cast<ULONG_PTR>(image) + 1;
            SetMenuItemInfoA(menu, GetMenuItemCount(menu) - 1, TRUE, &info);
        }
    }
}

void TWinMenuItem::Popup(HWND owner, int x, int y, const std::function<void()>& beforeShow) {
    if (beforeShow) beforeShow();
    std::vector<TWinMenuItem*> byId;
    TMenu menu(CreatePopupMenu());
    if (!menu) return;
    Fill(menu.Get(), byId, images_);
    UINT chosen = TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, x, y,
                                 0, owner, nullptr);
    menu.Reset();  // and its sub-menus
    if (chosen > 0 && chosen <= byId.size())
        if (TUIAction* action = byId[chosen - 1]->action_) action->Execute();
}

bool MeasureMenuPicture(MEASUREITEMSTRUCT* item, HIMAGELIST images) {
    if (!item || item->CtlType != ODT_MENU || !item->itemData) return false;
    int cx = 16, cy = 16;
    if (images) ImageList_GetIconSize(images, &cx, &cy);
    item->itemWidth = static_cast<UINT>(cx);
    item->itemHeight = static_cast<UINT>(cy);
    return true;
}

bool DrawMenuPicture(const DRAWITEMSTRUCT* item, HIMAGELIST images) {
    if (!item || item->CtlType != ODT_MENU || !item->itemData || !images) return false;
    int cx = 16, cy = 16;
    ImageList_GetIconSize(images, &cx, &cy);
    int x = item->rcItem.left + (item->rcItem.right - item->rcItem.left - cx) / 2;
    int y = item->rcItem.top + (item->rcItem.bottom - item->rcItem.top - cy) / 2;
    UINT style = ILD_TRANSPARENT | ((item->itemState & (ODS_GRAYED | ODS_DISABLED)) ? ILD_BLEND50 : 0);
    ImageList_Draw(images, static_cast<int>(item->itemData) - 1, item->hDC, x, y, style);
    return true;
}

// --- TWinToolButton

TWinToolButton::~TWinToolButton() {
    if (action_ && listener_) action_->RemoveChangeListener(listener_);
}

TUIMenuItem* TWinToolButton::NewMenuItem() {
    owned_.push_back(std::make_unique<TWinMenuItem>());
    return owned_.back().get();
}

void TWinToolButton::SetAction(TUIAction* action) {
    if (action_ && listener_) action_->RemoveChangeListener(listener_);
    action_ = action;
    listener_ = action ? action->AddChangeListener([this](TUIAction*) { ActionChanged(); }) : 0;
}

void TWinToolButton::SetMenuItem(TUIMenuItem* item) { menuItem_ = dynamic_cast<TWinMenuItem*>(item); }

void TWinToolButton::ActionChanged() {
    if (placed_) bar_->UpdateButton(this);
}

TBBUTTON TWinToolButton::Record() const {
    TBBUTTON button{};
    button.idCommand = id_;
    if (style_ == TUIToolButtonStyle::tbsSeparator) {
        button.fsStyle = BTNS_SEP;
        button.iBitmap = width_;
        return button;
    }
    button.fsStyle = BTNS_BUTTON | (autoSize_ ? BTNS_AUTOSIZE : 0);
    if (bar_->ShowsText()) button.fsStyle |= BTNS_SHOWTEXT;
    button.fsState = !action_ || action_->GetEnabled() ? TBSTATE_ENABLED : 0;
    button.iBitmap = NativeImage(action_ ? action_->GetImageIndex() : -1);
    button.iString = -1;
    return button;
}

void TWinToolButton::Click(const std::function<void()>& beforePopup) {
    if (!menuItem_) {
        if (action_) action_->Execute();
        return;
    }
    // The menu drops down below the button.
    RECT rect{};
    LRESULT index = SendMessageA(bar_->Handle(), TB_COMMANDTOINDEX, id_, 0);
    SendMessageA(bar_->Handle(), TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    MapWindowPoints(bar_->Handle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    SendMessageA(bar_->Handle(), TB_PRESSBUTTON, id_, TRUE);
    menuItem_->Popup(GetAncestor(bar_->Handle(), GA_ROOT), rect.left, rect.bottom, beforePopup);
    SendMessageA(bar_->Handle(), TB_PRESSBUTTON, id_, FALSE);
}

// --- TWinToolBar

TWinToolBar::TWinToolBar(HWND toolBar, bool showText) : toolBar_(toolBar), showText_(showText) {}

TWinToolBar::~TWinToolBar() {
    // Buttons leave their actions before the actions can outlive them.
    buttons_.clear();
}

TUIToolButton* TWinToolBar::NewToolButton() {
    buttons_.push_back(std::make_unique<TWinToolButton>(this, NextCommandId()));
    return buttons_.back().get();
}

TWinToolButton* TWinToolBar::ButtonById(int id) const {
    for (const auto& button : buttons_)
        if (button->Id() == id) return button.get();
    return nullptr;
}

void TWinToolBar::PlaceFirst(TUIToolButton* button) {
    auto* native = dynamic_cast<TWinToolButton*>(button);
    if (!native || native->IsPlaced()) return;
    TBBUTTON record = native->Record();
    if (!SendMessageA(toolBar_, TB_INSERTBUTTONA, 0, reinterpret_cast<LPARAM>(&record))) return;
    native->Placed();
    UpdateButton(native);
}

void TWinToolBar::UpdateButton(TWinToolButton* button) {
    TUIAction* action = button->GetAction();
    if (!action || !IsWindow(toolBar_)) return;
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STATE | TBIF_IMAGE;
    std::string text = action->GetCaption();
    if (showText_) {
        info.dwMask |= TBIF_TEXT;
        info.pszText = const_cast<char*>(text.c_str());
    }
    TBBUTTONINFOA old{};
    old.cbSize = sizeof old;
    old.dwMask = TBIF_STATE | TBIF_STYLE;
    if (SendMessageA(toolBar_, TB_GETBUTTONINFOA, button->Id(), reinterpret_cast<LPARAM>(&old)) < 0) return;
    if (old.fsStyle & BTNS_SEP) return;
    info.fsState = static_cast<BYTE>((old.fsState & ~TBSTATE_ENABLED) | (action->GetEnabled() ? TBSTATE_ENABLED : 0));
    info.iImage = NativeImage(action->GetImageIndex());
    SendMessageA(toolBar_, TB_SETBUTTONINFOA, button->Id(), reinterpret_cast<LPARAM>(&info));
    if (showText_) {
        SendMessageA(toolBar_, TB_AUTOSIZE, 0, 0);
        if (OnResize) OnResize();
    }
}

SIZE TWinToolBar::IdealSize() const {
    SIZE size{};
    int count = static_cast<int>(SendMessageA(toolBar_, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT rect{};
        if (SendMessageA(toolBar_, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect))) {
            if (rect.right > size.cx) size.cx = rect.right;
            if (rect.bottom > size.cy) size.cy = rect.bottom;
        }
    }
    return size;
}

}  // namespace vpw
