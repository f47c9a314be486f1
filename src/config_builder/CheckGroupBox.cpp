#include "CheckGroupBox.h"

namespace vpw {

namespace {

const char kBoxProperty[] = "VPW_CheckGroupBox";
constexpr int kCheckBoxLeft = 6;

// Children enabled or disabled with the box, all the way down, except
// inner boxes, which apply their own check box to what they hold.
void SetEnabledDeep(HWND control, bool enable) {
    EnableWindow(control, enable);
    if (TCheckGroupBox::FromWindow(control)) return;
    for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SetEnabledDeep(child, enable);
}

}  // namespace

TCheckGroupBox::~TCheckGroupBox() {
    if (Handle()) RemovePropA(Handle(), kBoxProperty);
}

bool TCheckGroupBox::Create(HWND parent, const std::string& caption, int x, int y, int w, int h) {
    if (!TGroupBox::Create(parent, "", x, y, w, h)) return false;
    SetPropA(Handle(), kBoxProperty, this);
    if (!checkBox_.Create(Handle(), BS_AUTOCHECKBOX, "", kCheckBoxLeft, 0, 18, 16)) return false;
    checkBox_.SetChecked(true);
    checkBox_.OnClick = [this] { CheckBoxClick(true); };
    FontChanged(font_);
    SetCaption(caption);
    return true;
}

TCheckGroupBox* TCheckGroupBox::FromWindow(HWND window) {
    return window ? static_cast<TCheckGroupBox*>(GetPropA(window, kBoxProperty)) : nullptr;
}

void TCheckGroupBox::SetCaption(const std::string& caption) {
    RECT client{};
    GetClientRect(Handle(), &client);
    if (TextExtent(Handle(), nullptr, caption).cx + kCheckBoxLeft + 19 >= client.right) return;
    checkBox_.SetText(caption);
    FitCheckBox();
}

void TCheckGroupBox::FitCheckBox() {
    RECT r = checkBox_.BoundsInParent();
    checkBox_.SetBounds(r.left, r.top, TextExtent(Handle(), nullptr, checkBox_.GetText()).cx + 21, r.bottom - r.top);
    InvalidateRect(checkBox_.Handle(), nullptr, TRUE);
}

void TCheckGroupBox::FontChanged(HFONT font) {
    checkBox_.SetFont(font);
    RECT r = checkBox_.BoundsInParent();
    checkBox_.SetBounds(r.left, 0, r.right - r.left, TextExtent(Handle(), nullptr, "ZZ").cy);
    FitCheckBox();
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TCheckGroupBox::SetChecked(bool checked) {
    checkBox_.SetChecked(checked);
    CheckBoxClick(false);
}

void TCheckGroupBox::SetCheckedEnables(bool value) {
    checkedEnables_ = value;
    if (GetEnabled()) CheckBoxClick(false);
}

void TCheckGroupBox::SetBoxAlignment(TBoxAlignment alignment) {
    LONG_PTR style = GetWindowLongPtrA(checkBox_.Handle(), GWL_STYLE);
    style = alignment == TBoxAlignment::RightOfText ? (style | BS_LEFTTEXT) : (style & ~BS_LEFTTEXT);
    SetWindowLongPtrA(checkBox_.Handle(), GWL_STYLE, style);
    InvalidateRect(checkBox_.Handle(), nullptr, TRUE);
}

void TCheckGroupBox::CheckBoxClick(bool byUser) {
    if (OnClick) OnClick();
    bool enable = ChildrenEnabled();
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (child != checkBox_.Handle()) SetEnabledDeep(child, enable);
    if (byUser && OnCheckBoxClick) OnCheckBoxClick(this);
}

void TCheckGroupBox::EnableChildren(HWND control, bool enable) {
    HWND first = GetWindow(control, GW_CHILD);
    if (first) {
        if (control == Handle()) checkBox_.SetEnabled(GetEnabled() || ChildrenEnabled() || enable);
        for (HWND child = first; child && ChildrenEnabled(); child = GetWindow(child, GW_HWNDNEXT))
            EnableChildren(child, enable);
        return;
    }
    if (!IsWindow(control)) return;
    TCheckGroupBox* box = FromWindow(GetParent(control));
    if (!box || box->ChildrenEnabled())
        EnableWindow(control, enable);
    else if (control == box->checkBox_.Handle() && box->GetEnabled())
        EnableWindow(control, enable);
}

void TCheckGroupBox::Paint(HDC dc) {
    RECT r{};
    GetClientRect(Handle(), &r);
    RECT box = checkBox_.BoundsInParent();
    r.top = (box.bottom - box.top) / 2;
    DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
}

LRESULT TCheckGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ENABLE:
        Default(msg, wp, lp);
        EnableChildren(Handle(), wp != 0);
        return 0;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wp);
        if (checkBox_.Handle()) FontChanged(font_);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    }
    return TGroupBox::WndProc(msg, wp, lp);
}

}  // namespace vpw
