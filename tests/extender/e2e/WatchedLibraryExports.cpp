// What the test build of the hook library adds to the real one: a
// freed-memory watch inside the library, where its objects are freed, and a
// look at the records it keeps. The shipped library has neither.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "actions/FreedMemoryWatch.h"
#include "uEAWindowExtender.h"
#include "uEmbededApplication.h"

namespace {

std::optional<vpw::test::TFreedMemoryWatch> g_watch;

}  // namespace

// On the thread whose frees are to be watched.
extern "C" void StartFreedMemoryWatch() noexcept {
    try {
        g_watch.reset();
        g_watch.emplace();
    } catch (...) {
    }
}

// The number of freed blocks written to since the start; -1 without a watch.
extern "C" long StopFreedMemoryWatch() noexcept {
    if (!g_watch) return -1;
    long written = g_watch->Stop();
    g_watch.reset();
    return written;
}

// The number in the name of the window's extender (so a new one shows), 0
// without; how many extenders the library holds in all; whether the window
// is listed; how many rule texts wait for their windows.
extern "C" void GetLibraryRecords(HWND window, long* own, long* extenders, long* listed, long* pending) noexcept {
    *own = *extenders = *listed = *pending = 0;
    try {
        vpw::IPtr<vpw::TEmbededApplication> app = vpw::EmbededApplication();
        if (!app) return;
        if (vpw::IPtr<vpw::IWindowExtender> extender = app->FindExtender(window))
            *own = std::atol(extender->GetName().c_str() + std::strlen("WindowExtender"));
        *extenders = app->ExtenderCount();
        *listed = app->IsListed(window) ? 1 : 0;
        *pending = app->PendingTexts();
    } catch (...) {
    }
}

// Whether the window's extender holds a place in the window's chain (1) or
// none (0); -1 without an extender.
extern "C" long GetExtenderPlaced(HWND window) noexcept {
    try {
        vpw::IPtr<vpw::TEmbededApplication> app = vpw::EmbededApplication();
        vpw::IPtr<vpw::IWindowExtender> found = app ? app->FindExtender(window) : nullptr;
        if (!found) return -1;
        auto* extender = dynamic_cast<vpw::TWindowExtender*>(found.get());
        return extender && extender->ReceivesMessages() ? 1 : 0;
    } catch (...) {
        return -1;
    }
}
