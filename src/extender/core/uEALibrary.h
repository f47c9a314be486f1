// Start-up and unload of the window extender library, and its hook procedure.
#pragma once
#include <windows.h>

namespace vpw {

// The unit initialisations, in link order. Only memory work: anything that
// loads libraries or opens kernel objects of other programs waits for first use.
void StartEmbededLibrary(HMODULE module);
// At process exit (`processExit`) the other threads are gone already and
// nothing is touched; at an unload every extender is detached and the
// request threads are asked to stop.
void StopEmbededLibrary(bool processExit);

// The control center's hook handle, read from its 4-byte mapping; 0 when
// nobody published one.
void ReadHookHandle();
HHOOK HookHandle();

// What the library holds in its host right now.
struct TItemCounts {
    long hookPlaces = 0;
    long extenders = 0;
    long iconWindows = 0;
};
TItemCounts LiveItemCounts() noexcept;

}  // namespace vpw

// The system-wide WH_CALLWNDPROC hook; it always passes the call on.
extern "C" LRESULT CALLBACK CallProcHook(int code, WPARAM wParam, LPARAM lParam) noexcept;
