// The window extender library: the system-wide hook loads it into every
// process that creates windows.
#include <windows.h>

#include "uEALibrary.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) noexcept {
    // Runs under the loader lock inside someone else's program: nothing may
    // escape, and nothing here loads libraries or waits for other threads.
    try {
        switch (reason) {
        case DLL_PROCESS_ATTACH:
            vpw::StartEmbededLibrary(instance);
            vpw::ReadHookHandle();
            break;
        case DLL_PROCESS_DETACH:
            vpw::StopEmbededLibrary(reserved != nullptr);
            break;
        default:
            break;
        }
    } catch (...) {
    }
    return TRUE;
}
