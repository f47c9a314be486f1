#include "CheckGroupBox.h"

namespace vpw {

namespace {

const char kClassName[] = "VPW_CheckGroupBox";
constexpr int kCheckBoxLeft = 6;

void RegisterOnce() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
}

// Children enabled or disabled with the box, all the way down, except
// inner boxes, which apply their own check box to what they hold.
void SetEnabledDeep(HWND control, bool enable) {
    EnableWindow(control, enable);
    if (TCheckGroupBox::FromWindow(control)) return;
    for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SetEnabledDeep(child, enable);
}

}  // namespace

bool TCheckGroupBox::Create(HWND parent, const std::string& caption, int x, int y, int w, int h) {
    RegisterOnce();
    if (!CreateControl(WS_EX_CONTROLPARENT, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h, parent))
        return false;
    SetWindowLongPtrA(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (!checkBox_.Create(Handle(), BS_AUTOCHECKBOX, "", kCheckBoxLeft, 0, 18, 16)) return false;
    checkBox_.SetChecked(true);
    checkBox_.OnClick = [this] { CheckBoxClick(true); };
    FontChanged(font_);
    SetCaption(caption);
    return true;
}

TCheckGroupBox* TCheckGroupBox::FromWindow(HWND window) {
    char cls[32] = {};
    if (!window || !GetClassNameA(window, cls, sizeof cls) || lstrcmpA(cls, kClassName) != 0) return nullptr;
    return reinterpret_cast<TCheckGroupBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
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

void TCheckGroupBox::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT r{};
    GetClientRect(Handle(), &r);
    RECT box = checkBox_.BoundsInParent();
    r.top = (box.bottom - box.top) / 2;
    DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
    EndPaint(Handle(), &ps);
}

LRESULT TCheckGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT reflected = 0;
    if (ReflectToChild(msg, wp, lp, reflected)) return reflected;
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
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
    return Default(msg, wp, lp);
}

}  // namespace vpw
