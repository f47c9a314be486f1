// The window extender library: the system-wide hook loads it into every
// process that creates windows.
#include <windows.h>

#include "WinHandles.h"
#include "uEALibrary.h"

// What the library holds in its host right now, for finding leaks from
// outside (the host's own GDI count says nothing of whose objects they are).
extern "C" void GetLiveHandleCounts(long* gdiObjects, long* icons, long* menus) noexcept {
    vpw::THandleCounts counts = vpw::LiveHandleCounts();
    if (gdiObjects) *gdiObjects = counts.gdiObjects;
    if (icons) *icons = counts.icons;
    if (menus) *menus = counts.menus;
}

// The library's own objects in its host, for the same purpose: places in
// window chains, window extenders, screen-edge icon windows.
extern "C" void GetLiveItemCounts(long* hookPlaces, long* extenders, long* iconWindows) noexcept {
    vpw::TItemCounts counts = vpw::LiveItemCounts();
    if (hookPlaces) *hookPlaces = counts.hookPlaces;
    if (extenders) *extenders = counts.extenders;
    if (iconWindows) *iconWindows = counts.iconWindows;
}

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
