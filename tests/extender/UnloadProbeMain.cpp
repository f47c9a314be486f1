// A program that loads the hook library as a hooked program would and then
// lets it go while library code is still on a stack: the tests read its exit
// code (a crash in freed code is no 0).
//
//   vpw_unload_probe.exe modal DLL
//       a window of this program gets its extender; inside a message that
//       passes the library's subclass procedure the hook is removed and the
//       library released, then the window returns and closes.
//   vpw_unload_probe.exe blocked DLL
//       a window's rule request is started while the channel is held by
//       someone else, and the library is released at once; the library must
//       be gone once that request has given up, and the program lives on for
//       4 s more.
//
// Exit codes: 0 done; 1 bad arguments or set-up; 2 not attached; 3 the
// library is still loaded; 4 the library went away during "modal".
#include <windows.h>

#include <string>

#include "WinTestSupport.h"

namespace {

using vpw::test::PumpUntil;

constexpr UINT ENTER_MODAL = WM_APP + 7;
UINT g_attached = 0;
UINT g_attach = 0;
bool g_sawAttached = false;
HMODULE g_library = nullptr;
HHOOK g_hook = nullptr;

bool LibraryLoaded() { return GetModuleHandleA("vpwemb.dll") != nullptr; }

// What a dialog or a menu does: a loop of its own inside a window procedure.
void ModalLoopThatReleasesTheLibrary() {
    UnhookWindowsHookEx(g_hook);
    for (int i = 0; i < 20 && LibraryLoaded(); ++i) FreeLibrary(g_library);
    PumpUntil([] { return false; }, 300);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_attached) g_sawAttached = true;
    if (message == ENTER_MODAL) {
        ModalLoopThatReleasesTheLibrary();
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VPW_UnloadProbe";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "probe", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

int Modal(const char* dll) {
    g_library = LoadLibraryA(dll);
    auto proc = g_library ? reinterpret_cast<HOOKPROC>(GetProcAddress(g_library, "CallProcHook")) : nullptr;
    if (!proc) return 1;
    g_hook = SetWindowsHookExA(WH_CALLWNDPROC, proc, g_library, GetCurrentThreadId());
    HWND window = MakeWindow();
    if (!g_hook || !window) return 1;
    SendMessageA(window, g_attach, 0, 0);
    if (!PumpUntil([] { return g_sawAttached; }, 10000)) return 2;
    SendMessageA(window, ENTER_MODAL, 0, 0);
    // Back from the frame of the library's procedure: the window still works.
    SetWindowTextA(window, "after");
    DestroyWindow(window);
    return LibraryLoaded() ? 0 : 4;
}

int Blocked(const char* dll) {
    g_library = LoadLibraryA(dll);
    auto proc = g_library ? reinterpret_cast<HOOKPROC>(GetProcAddress(g_library, "CallProcHook")) : nullptr;
    HWND window = MakeWindow();
    if (!proc || !window) return 1;
    CWPSTRUCT cwp{};
    cwp.hwnd = window;
    cwp.message = g_attach;
    proc(HC_ACTION, 0, reinterpret_cast<LPARAM>(&cwp));
    Sleep(200);  // the request is under way
    FreeLibrary(g_library);
    bool gone = PumpUntil([] { return !LibraryLoaded(); }, 15000);
    // Live on while the channel comes free, when a request thread left
    // behind in freed code would run on.
    PumpUntil([] { return false; }, 4000);
    DestroyWindow(window);
    return gone ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    g_attached = RegisterWindowMessageA("{D3A4FA4B-976F-4B40-9A0E-1E9BB97E6C39}");
    g_attach = RegisterWindowMessageA("{DEFEE4E1-26F5-4F3F-A334-26D8A407E919}");
    if (argc != 3) return 1;
    std::string mode = argv[1];
    if (mode == "modal") return Modal(argv[2]);
    if (mode == "blocked") return Blocked(argv[2]);
    return 1;
}
