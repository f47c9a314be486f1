#include "uEALibrary.h"

#include <cstdint>

#include "AppConsts.h"
#include "uEAGeneralClasses.h"
#include "uEALoadClasses.h"
#include "uEAOperations.h"
#include "uEAThread.h"
#include "uEAWindowExtender.h"
#include "uEmbededApplication.h"

namespace vpw {

namespace {

HHOOK g_hookHandle = nullptr;
bool g_started = false;

// The longest an unload waits for request threads: one try of the channel.
constexpr DWORD THREAD_STOP_WAIT_MS = 1200;

}  // namespace

void StartEmbededLibrary(HMODULE module) {
    (void)module;
    if (g_started) return;
    CreateItemClasses();
    RegisterEAOperationClasses();
    RegisterEAWindowExtenderClasses();
    RegisterEAItemClasses();
    CreateEAThreadList();
    CreateEmbededApplication();
    g_started = true;
}

void StopEmbededLibrary(bool processExit) {
    if (!g_started) return;
    g_started = false;
    // At process exit the other threads were killed wherever they stood,
    // possibly holding the library's locks: touch nothing.
    if (processExit) return;
    FreeEmbededApplication();
    TerminateEAThreads(THREAD_STOP_WAIT_MS);
    FreeItemClasses();
}

void ReadHookHandle() {
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, HOOK_HANDLE_MAPPING_NAME);
    if (!mapping) return;
    if (void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4)) {
        g_hookHandle = reinterpret_cast<HHOOK>(static_cast<std::uintptr_t>(*static_cast<std::uint32_t*>(view)));
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
}

HHOOK HookHandle() { return g_hookHandle; }

}  // namespace vpw

extern "C" LRESULT CALLBACK CallProcHook(int code, WPARAM wParam, LPARAM lParam) {
    using namespace vpw;
    if (code >= 0) {
        try {
            const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
            if (m && m->hwnd) {
                if (m->message == WM_CREATE) {
                    LONG style = GetWindowLongA(m->hwnd, GWL_STYLE);
                    LONG exStyle = GetWindowLongA(m->hwnd, GWL_EXSTYLE);
                    if ((style != 0 && !(style & WS_CHILD)) || (exStyle & WS_EX_TOOLWINDOW)) HookAttachWindow(*m);
                }
                if (m->message == WM_ATTACHEXTENDER) HookAttachWindow(*m);
                if (m->message == WM_DESTROY || m->message == WM_NCDESTROY) HookDetachWindow(*m);
                if (m->message == ApplyWindowRuleMessage() &&
                    static_cast<DWORD>(m->lParam) == GetCurrentProcessId()) {
                    if (IPtr<TEmbededApplication> app = EmbededApplication())
                        app->ReceiveWindowRuleData(m->hwnd, m->wParam);
                }
            }
        } catch (...) {
        }
    }
    try {
        return CallNextHookEx(HookHandle(), code, wParam, lParam);
    } catch (...) {
        return 0;
    }
}
