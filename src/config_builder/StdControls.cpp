#include "StdControls.h"

#include <commctrl.h>


namespace vpw {

// --- TLabel

bool TLabel::Create(HWND parent, const std::string& caption, int x, int y, int w, int h, bool wordWrap,
                    DWORD style) {
    return CreateControl(0, "STATIC", caption.c_str(),
                         WS_CHILD | WS_VISIBLE | (wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP) | SS_NOTIFY | style, x, y, w, h,
                         parent);
}

int TLabel::TextWidth() const { return TextExtent(Handle(), nullptr, GetText()).cx; }

LRESULT TLabel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == CN_COMMAND) {
        if (HIWORD(wp) == STN_CLICKED && OnClick) OnClick();
        return 0;
    }
    return Default(msg, wp, lp);
}

// --- TEdit

bool TEdit::Create(HWND parent, int x, int y, int w, int h) {
    return CreateControl(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, x, y, w, h,
                         parent);
}

int TEdit::GetSelStart() const {
    DWORD start = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<int>(start);
}

void TEdit::SetSelStart(int start) { SendMessageA(Handle(), EM_SETSEL, start, start); }

LRESULT TEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == CN_COMMAND) {
        if (HIWORD(wp) == EN_KILLFOCUS && OnExit) OnExit();
        if (HIWORD(wp) == EN_CHANGE && OnChange) OnChange();
        return 0;
    }
    if (msg == WM_CHAR) {
        if (OnKeyPress) OnKeyPress(static_cast<char>(wp));
        if (wp == VK_RETURN) return 0;
    }
    return Default(msg, wp, lp);
}

// --- TMemo

bool TMemo::Create(HWND parent, int x, int y, int w, int h) {
    return CreateControl(WS_EX_CLIENTEDGE, "EDIT", "",
                         WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, x, y, w, h,
                         parent);
}

LRESULT TMemo::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Read-only edits paint with the button face through this notice.
    if (msg == CN_BASE + WM_CTLCOLORSTATIC) {
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return Default(msg, wp, lp);
}

// --- TComboList

bool TComboList::Create(HWND parent, int x, int y, int w, int h, DWORD style) {
    return CreateControl(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | style, x,
                         y, w, h + 150, parent);
}

void TComboList::SetItems(const std::vector<std::string>& items) {
    SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
    for (const auto& item : items) SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int TComboList::GetItemIndex() const { return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0)); }

void TComboList::SetItemIndex(int index) { SendMessageA(Handle(), CB_SETCURSEL, index, 0); }

LRESULT TComboList::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == CN_COMMAND) {
        if (HIWORD(wp) == CBN_SELCHANGE && OnChange) OnChange();
        return 0;
    }
    return Default(msg, wp, lp);
}

}  // namespace vpw
