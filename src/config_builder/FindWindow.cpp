#include "FindWindow.h"

namespace vpw {

namespace {

const char kClassName[] = "VPW_FindWindow";
constexpr int kSize = 32;
constexpr int kBand = 3;

// Draws a bitmap with its bottom-left colour left out.
void DrawTransparent(HDC dc, HBITMAP bitmap) {
    if (!bitmap) return;
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    TMemoryDC memory(CreateCompatibleDC(dc));
    TSelectObject select(memory.Get(), bitmap);
    COLORREF key = GetPixel(memory.Get(), 0, info.bmHeight - 1);
    TransparentBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.Get(), 0, 0, info.bmWidth, info.bmHeight, key);
}

}  // namespace

void InvertWindowOutline(HWND window) {
    if (!window || !IsWindow(window)) return;
    RECT r{};
    GetWindowRect(window, &r);
    OffsetRect(&r, -r.left, -r.top);
    if (IsRectEmpty(&r)) return;
    TWindowDC dc = TWindowDC::Whole(window);
    if (!dc) return;
    PatBlt(dc.Get(), 0, 0, r.right, kBand, DSTINVERT);
    PatBlt(dc.Get(), 0, r.bottom - kBand, r.right, kBand, DSTINVERT);
    PatBlt(dc.Get(), 0, kBand, kBand, r.bottom - 2 * kBand, DSTINVERT);
    PatBlt(dc.Get(), r.right - kBand, kBand, kBand, r.bottom - 2 * kBand, DSTINVERT);
}

bool TFindWindow::Create(HWND parent, int x, int y) {
    RegisterControlClass(kClassName);
    if (!CreateControl(0, kClassName, "", WS_CHILD | WS_VISIBLE, x, y, kSize, kSize, parent)) return false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    on_.Reset(LoadImageA(instance, "FINDWINDOWON", IMAGE_BITMAP, 0, 0, 0));
    off_.Reset(LoadImageA(instance, "FINDWINDOWOFF", IMAGE_BITMAP, 0, 0, 0));
    return true;
}

void TFindWindow::SetSelectedChildWindow(bool value) {
    if (value == selectedChildWindow_) return;
    selectedChildWindow_ = value;
    HWND again = selected_;
    MoveHighlight(nullptr);
    MoveHighlight(again);
}

void TFindWindow::BeginPick() {
    SetCapture(Handle());
    picking_ = true;
    HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), "FINDWINDOWCURSOR");
    savedCursor_ = SetCursor(cursor ? cursor : LoadCursor(nullptr, IDC_CROSS));
    InvalidateRect(Handle(), nullptr, TRUE);
}

HWND TFindWindow::Candidate(POINT client) {
    POINT screen = client;
    ClientToScreen(Handle(), &screen);
    HWND window = WindowFromPoint(screen);
    if (!selectedChildWindow_)
        while (window && IsChild(GetParent(window), window)) window = GetParent(window);
    bool refuse = window == nullptr || window == GetDesktopWindow();
    if (!refuse && BeforeSelectWindow) BeforeSelectWindow(window, refuse);
    return refuse ? nullptr : window;
}

void TFindWindow::MouseMove(POINT client) {
    if (GetCapture() != Handle()) return;
    HWND window = Candidate(client);
    // A refused window leaves the outline where it was.
    if (window && window != highlighted_) MoveHighlight(window);
}

void TFindWindow::MoveHighlight(HWND window) {
    if (window == highlighted_) return;
    InvertWindowOutline(highlighted_);
    highlighted_ = selected_ = window;
    InvertWindowOutline(highlighted_);
}

void TFindWindow::EndPick(bool released, POINT client) {
    if (!picking_) return;
    // Only a release over a window that is taken picks it.
    HWND picked = released ? Candidate(client) : nullptr;
    picking_ = false;
    MoveHighlight(nullptr);
    SetCursor(savedCursor_);
    InvalidateRect(Handle(), nullptr, TRUE);
    if (GetCapture() == Handle()) ReleaseCapture();
    if (picked && AfterSelectWindow) AfterSelectWindow(picked);
}

void TFindWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    DrawTransparent(dc, static_cast<HBITMAP>(GetCapture() == Handle() ? on_.Get() : off_.Get()));
    EndPaint(Handle(), &ps);
}

LRESULT TFindWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    switch (msg) {
    case WM_LBUTTONDOWN:
        Default(msg, wp, lp);
        BeginPick();
        return 0;
    case WM_MOUSEMOVE:
        Default(msg, wp, lp);
        MouseMove(at);
        return 0;
    case WM_LBUTTONUP:
        Default(msg, wp, lp);
        EndPick(true, at);
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away (another program, Esc): no pick.
        if (reinterpret_cast<HWND>(lp) != Handle()) EndPick(false, at);
        return Default(msg, wp, lp);
    case WM_PAINT:
        Paint();
        return 0;
    }
    return Default(msg, wp, lp);
}

}  // namespace vpw
