#include "KeltControls.h"

#include <commctrl.h>

#include <algorithm>

namespace vpw {

bool StartsWithIgnoreCase(const std::string& text, const std::string& prefix) {
    if (prefix.size() > text.size()) return false;
    int n = static_cast<int>(prefix.size());
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.data(), n, prefix.data(), n) == CSTR_EQUAL;
}

THistoryComboBox::~THistoryComboBox() {
    if (edit_ && IsWindow(edit_)) RemoveWindowSubclass(edit_, EditProc, 2);
}

bool THistoryComboBox::Create(HWND parent, int x, int y, int w, int h) {
    // The window height of a combo box includes its drop-down list.
    if (!CreateControl(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                       x, y, w, h + 150, parent))
        return false;
    edit_ = EditWindow();
    if (edit_) SetWindowSubclass(edit_, EditProc, 2, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

HWND THistoryComboBox::EditWindow() const {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(Handle(), &info) ? info.hwndItem : nullptr;
}

void THistoryComboBox::SetCapacity(int capacity) {
    if (capacity == capacity_) return;
    capacity_ = capacity;
    if (capacity_ > 0) SetItems(GetItems());
}

void THistoryComboBox::TrimToCapacity(std::vector<std::string>& items) const {
    if (capacity_ > 0 && items.size() > static_cast<size_t>(capacity_)) items.resize(static_cast<size_t>(capacity_));
}

std::vector<std::string> THistoryComboBox::GetItems() const {
    std::vector<std::string> items;
    int n = static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        int len = static_cast<int>(SendMessageA(Handle(), CB_GETLBTEXTLEN, i, 0));
        std::string s(static_cast<size_t>(std::max(len, 0)) + 1, '\0');
        SendMessageA(Handle(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(std::max(len, 0)));
        items.push_back(std::move(s));
    }
    return items;
}

void THistoryComboBox::SetItems(const std::vector<std::string>& items) {
    std::vector<std::string> kept(items);
    TrimToCapacity(kept);
    // Emptying the list empties the field too: keep what it shows.
    std::string text = GetText();
    DWORD sel = static_cast<DWORD>(SendMessageA(Handle(), CB_GETEDITSEL, 0, 0));
    SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
    for (const auto& item : kept) SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SetText(text);
    SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(LOWORD(sel), HIWORD(sel)));
}

void THistoryComboBox::SetComboText(const std::string& text) {
    SetText(text);
    lastTextLength_ = text.size();
}

int THistoryComboBox::GetSelStart() const {
    DWORD start = 0;
    SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<int>(start);
}

void THistoryComboBox::SetSelStart(int start) { SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(start, start)); }

bool THistoryComboBox::CanAddHistory(const std::string& text) {
    bool canAdd = true;
    if (OnCanAddHistory) OnCanAddHistory(text, canAdd);
    return canAdd;
}

void THistoryComboBox::AddHistory() {
    std::string text = GetText();
    if (!CanAddHistory(text) || text.empty()) return;
    std::vector<std::string> items = GetItems();
    auto found = std::find(items.rbegin(), items.rend(), text);
    if (found == items.rend()) {
        items.insert(items.begin(), text);
    } else {
        auto at = std::prev(found.base());
        if (at == items.begin()) return;
        std::rotate(items.begin(), at, at + 1);
    }
    SetItems(items);
    SetComboText(text);
}

void THistoryComboBox::TextChanged() {
    std::string typed = GetText();
    if (AutoCompletion && typed.size() > lastTextLength_) {
        for (const auto& item : GetItems()) {
            if (!StartsWithIgnoreCase(item, typed)) continue;
            SetText(item);
            SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(typed.size(), item.size()));
            break;
        }
    }
    lastTextLength_ = GetText().size();
    if (OnChange) OnChange();
}

LRESULT THistoryComboBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != CN_COMMAND) return Default(msg, wp, lp);
    switch (HIWORD(wp)) {
    case CBN_EDITCHANGE:
        TextChanged();
        break;
    case CBN_SELCHANGE: {
        // The field takes the chosen entry after this notice.
        int index = static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
        if (index >= 0) lastTextLength_ = static_cast<size_t>(SendMessageA(Handle(), CB_GETLBTEXTLEN, index, 0));
        break;
    }
    case CBN_KILLFOCUS:
        if (AutoHistory) AddHistory();
        if (OnExit) OnExit();
        break;
    }
    return 0;
}

LRESULT CALLBACK THistoryComboBox::EditProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) noexcept {
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(wnd, EditProc, 2);
        reinterpret_cast<THistoryComboBox*>(data)->edit_ = nullptr;
        return DefSubclassProc(wnd, msg, wp, lp);
    }
    try {
        auto* self = reinterpret_cast<THistoryComboBox*>(data);
        if (msg == WM_CHAR && self->OnKeyPress) {
            self->OnKeyPress(static_cast<char>(wp));
            if (wp == VK_RETURN) return 0;
        } else if (msg == WM_CHAR && wp == VK_RETURN) {
            return 0;
        }
    } catch (...) {
        ReportControlError(wnd);
        return 0;
    }
    return DefSubclassProc(wnd, msg, wp, lp);
}

}  // namespace vpw
