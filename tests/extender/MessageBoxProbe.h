// What a message box shows, read from another thread or another program.
#pragma once
#include <windows.h>

#include <string>

#include "WinTestSupport.h"

namespace vpw::test {

struct TMessageBoxView {
    HWND box = nullptr;
    std::string caption;
    std::string text;
    int defaultButton = 0;  // the control id of the default push button
};

namespace detail {

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
