// What a message box shows, read from another thread or another program.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

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

// Answers, from another thread, the box that a call on this thread shows.
class TBoxAnswerer {
public:
    TBoxAnswerer(HWND owner, int answer) : thread_([this, owner, answer] { Run(owner, answer); }) {}
    ~TBoxAnswerer() { Stop(); }
    // Call after the call that may have asked; `box` is none when no box came.
    TMessageBoxView Stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
        return seen_;
    }

private:
    void Run(HWND owner, int answer) {
        while (!done_) {
            if (HWND box = FindMessageBox(owner)) {
                seen_ = ReadMessageBox(box);
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
                return;
            }
            Sleep(10);
        }
    }

    std::atomic<bool> done_{false};
    TMessageBoxView seen_;
    std::thread thread_;
};

}  // namespace vpw::test
