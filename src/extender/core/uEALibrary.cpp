#include "uEALibrary.h"

#include <cstdint>

#include "AppConsts.h"
#include "WinHandles.h"
#include "uEAGeneralClasses.h"
#include "uEAMinToEdgeAction.h"
#include "uEALoadClasses.h"
#include "uEAOperations.h"
#include "uEAThread.h"
#include "uEAWindowExtender.h"
#include "uEmbededApplication.h"
#include "uHooks.h"

namespace vpw {

namespace {

HHOOK g_hookHandle = nullptr;
bool g_started = false;

// The few messages the hook acts on; every other one costs only this test.
bool IsHookMessage(UINT message) {
    return message == WM_CREATE || message == WM_DESTROY || message == WM_NCDESTROY || message == WM_ATTACHEXTENDER ||
           message == WM_DETACHEXTENDER || message == ApplyWindowRuleMessage();
}

// On 64-bit Windows the system runs this hook for 64-bit programs' windows
// on the installing thread: only this process's windows count.
bool IsWindowOfThisProcess(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

void HandleHookMessage(const CWPSTRUCT& m) {
    const bool windowComesOrGoes = m.message == WM_CREATE || m.message == WM_DESTROY || m.message == WM_NCDESTROY;
    if (windowComesOrGoes) TWHook::GiveBackGonePlaces();
    if (m.message == WM_CREATE) {
        LONG style = GetWindowLongA(m.hwnd, GWL_STYLE);
        LONG exStyle = GetWindowLongA(m.hwnd, GWL_EXSTYLE);
        if ((style != 0 && !(style & WS_CHILD)) || (exStyle & WS_EX_TOOLWINDOW)) HookAttachWindow(m);
    }
    if (m.message == WM_ATTACHEXTENDER) HookAttachWindow(m);
    if (m.message == WM_DESTROY || m.message == WM_NCDESTROY) HookDetachWindow(m);
    // A place in a chain the host cut the library out of never hears the end.
    if (m.message == WM_NCDESTROY) TWHook::NoteWindowDestroyed(m.hwnd);
    if (m.message == WM_DETACHEXTENDER) HookForgetWindow(m);
    if (m.message == ApplyWindowRuleMessage() && static_cast<DWORD>(m.lParam) == GetCurrentProcessId()) {
        if (IPtr<TEmbededApplication> app = EmbededApplication()) app->ReceiveWindowRuleData(m.hwnd, m.wParam);
    }
}

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
    // The library pins itself once it subclasses a window and every request
    // thread holds a reference, so an unload finds no extender and no thread:
    // only memory is given back, under the loader lock, on this thread.
    FreeEmbededApplication();
    TerminateEAThreads();
    FreeItemClasses();
}

void ReadHookHandle() {
    TKernelHandle mapping(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(THookHandleRecord),
                           HOOK_HANDLE_MAPPING_NAME));
    if (!mapping) return;
    if (TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(THookHandleRecord))); view)
        g_hookHandle = WireToHandle<HHOOK>(static_cast<const THookHandleRecord*>(view.Get())->hook);
}

HHOOK HookHandle() { return g_hookHandle; }

TItemCounts LiveItemCounts() noexcept {
    TItemCounts counts;
    try {
        counts.hookPlaces = TWHook::PlaceCount();
        if (IPtr<TEmbededApplication> app = EmbededApplication()) counts.extenders = app->ExtenderCount();
        counts.iconWindows = TIconWnd::LiveCount();
    } catch (...) {
    }
    return counts;
}

}  // namespace vpw

extern "C" LRESULT CALLBACK CallProcHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    using namespace vpw;
    if (code >= 0) {
        try {
            const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
            if (m && m->hwnd && IsHookMessage(m->message) && IsWindowOfThisProcess(m->hwnd)) HandleHookMessage(*m);
        } catch (...) {
        }
    }
    try {
        return CallNextHookEx(HookHandle(), code, wParam, lParam);
    } catch (...) {
        return 0;
    }
}
