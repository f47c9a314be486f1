#include "EAWinFuncs.h"

#include "EARoutines.h"

namespace vpw {

int GetWindowShowState(HWND window) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(window, &wp)) return 0;
    if (wp.showCmd == SW_SHOWMINIMIZED) return 1;
    if (wp.showCmd == SW_SHOWMAXIMIZED) return 2;
    return 0;
}

int ShowCommandForState(int showState) {
    if (showState == 1) return SW_RESTORE;
    if (showState == 2) return SW_SHOWMAXIMIZED;
    return SW_SHOWNORMAL;
}

bool WindowIsVisible(HWND window) { return IsWindowVisible(window) != FALSE; }

HICON GetWindowSmallIcon(HWND window) {
    HICON icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON));
    if (!icon) icon = LoadIconA(nullptr, IDI_WINLOGO);
    return icon;
}

HICON GetWindowBigIcon(HWND window) {
    HICON icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON));
    if (!icon) icon = LoadIconA(nullptr, IDI_WINLOGO);
    return icon;
}

bool WindowHasStyle(HWND window, DWORD mask) {
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    return (style & mask) == mask;
}

int GetNonClientHeight(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    r.bottom = r.top;
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    return r.bottom - r.top;
}

HWND GetTopLevelWindow(HWND window) {
    HWND w = window;
    for (;;) {
        HWND parent = GetParent(w);
        if (!parent || !IsChild(parent, w)) return w;
        w = parent;
    }
}

bool IsMouseOverWindow(HWND window) {
    POINT p{};
    if (!GetCursorPos(&p)) return false;
    HWND under = WindowFromPoint(p);
    return under && GetTopLevelWindow(under) == window;
}

bool IsForegroundWindow(HWND window) { return GetForegroundWindow() == window; }

bool RegisterLibraryWindowClass(const char* name, HCURSOR cursor) {
    WNDCLASSA wc{};
    if (GetClassInfoA(LibraryInstance(), name, &wc)) return true;
    wc = WNDCLASSA{};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = LibraryInstance();
    wc.hCursor = cursor;
    wc.lpszClassName = name;
    // Another thread may have made it meanwhile.
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

namespace {

HWND ApplicationOwner(HWND window) {
    if (GetParent(window) && IsChild(GetParent(window), window)) return nullptr;
    HWND owner = GetWindow(window, GW_OWNER);
    if (!owner || GetWindowClassName(owner) != "TApplication") return nullptr;
    return owner;
}

}  // namespace

void HideApplicationOwner(HWND window) {
    try {
        if (HWND owner = ApplicationOwner(window)) ShowWindow(owner, SW_HIDE);
    } catch (...) {
    }
}

void RestoreApplicationOwner(HWND window) {
    try {
        if (HWND owner = ApplicationOwner(window)) ShowWindow(owner, SW_RESTORE);
    } catch (...) {
    }
}

void HideWithOwner(HWND window) {
    ShowWindow(window, SW_HIDE);
    HideApplicationOwner(window);
}

void ShowWithOwner(HWND window, int showState) {
    ShowWindow(window, SW_SHOW);
    ShowWindow(window, ShowCommandForState(showState));
    RestoreApplicationOwner(window);
}

}  // namespace vpw
