// What a message box shows, read from another thread or another program.
#pragma once
#include <windows.h>

#include <string>

namespace vpw::test {

struct TMessageBoxView {
    HWND box = nullptr;
    std::string caption;
    std::string text;
    int defaultButton = 0;  // the control id of the default push button
};

namespace detail {

struct TBoxSearch {
    HWND owner;
    HWND found;
};

inline BOOL CALLBACK FindOwnedBox(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<TBoxSearch*>(p);
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !IsWindowVisible(w) || GetWindow(w, GW_OWNER) != s->owner) return TRUE;
    s->found = w;
    return FALSE;
}

// The question is the one static control that is no icon.
inline BOOL CALLBACK FindQuestion(HWND child, LPARAM p) {
    char cls[16] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0 || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return TRUE;
    char buf[512] = {};
    GetWindowTextA(child, buf, sizeof buf);
    *reinterpret_cast<std::string*>(p) = buf;
    return FALSE;
}

}  // namespace detail

// A shown dialog-class window owned by `owner`; none when there is none.
inline HWND FindMessageBox(HWND owner) {
    detail::TBoxSearch search{owner, nullptr};
    EnumWindows(&detail::FindOwnedBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline HWND WaitForMessageBox(HWND owner, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND box = FindMessageBox(owner)) return box;
        if (GetTickCount() - start >= ms) return nullptr;
        Sleep(10);
    }
}

inline TMessageBoxView ReadMessageBox(HWND box) {
    TMessageBoxView view;
    view.box = box;
    char text[512] = {};
    GetWindowTextA(box, text, sizeof text);
    view.caption = text;
    EnumChildWindows(box, &detail::FindQuestion, reinterpret_cast<LPARAM>(&view.text));
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
        if (HWND button = GetDlgItem(box, id))
            if ((GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) view.defaultButton = id;
    return view;
}

}  // namespace vpw::test
