#include "CheckBox.h"

namespace vpw {

bool TButtonControl::Create(HWND parent, DWORD buttonStyle, const std::string& caption, int x, int y, int w, int h) {
    return CreateControl(0, "BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | buttonStyle, x, y, w, h,
                         parent);
}

bool TButtonControl::GetChecked() const { return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TButtonControl::SetChecked(bool checked) {
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

LRESULT TButtonControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == CN_COMMAND) {
        if (HIWORD(wp) == BN_CLICKED && !quiet_ && OnClick) OnClick();
        return 0;
    }
    return Default(msg, wp, lp);
}

bool TQuietCheckBox::Create(HWND parent, const std::string& caption, int x, int y, int w, int h) {
    return TButtonControl::Create(parent, BS_AUTOCHECKBOX, caption, x, y, w, h);
}

void TQuietCheckBox::SetChecked(bool checked) {
    // Some themes notify on a state change: silence the click around it.
    struct TQuiet {
        bool& flag;
        bool old;
        explicit TQuiet(bool& f) : flag(f), old(f) { flag = true; }
        ~TQuiet() { flag = old; }
    } quiet(quiet_);
    TButtonControl::SetChecked(checked);
}

}  // namespace vpw
