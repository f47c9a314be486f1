// Test helper: a program whose window stops answering.
//   test_hung_window.exe CLASS CAPTION
// It creates one top-level window and then never reads its messages again.
#include <windows.h>

int main(int argc, char** argv) {
    const char* cls = argc > 1 ? argv[1] : "VpwHungWindow";
    const char* caption = argc > 2 ? argv[2] : "";
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, cls, caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
    if (!w) return 2;
    Sleep(INFINITE);
    return 0;
}
