// Test helper: owns windows in a process of its own until it is told to end.
//   test_window_owner.exe CLASS CAPTION   -> creates one top-level window
// It ends when its window gets WM_CLOSE.
#include <windows.h>

#include <string>

static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, m, wp, lp);
}

int main(int argc, char** argv) {
    const char* cls = argc > 1 ? argv[1] : "VpwTestWindow";
    const char* caption = argc > 2 ? argv[2] : "";
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, cls, caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                             wc.hInstance, nullptr);
    if (!w) return 2;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
