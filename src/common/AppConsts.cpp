#include "AppConsts.h"

namespace vpw {

UINT SystemRegisterMessage(const char* name) { return RegisterWindowMessageA(name); }

UINT RegisterMessageOrFallback(const char* name, UINT fallback, TRegisterMessageFunc registerMessage) {
    UINT number = registerMessage(name);
    return number != 0 ? number : fallback;
}

TAppMessageNumbers RegisterAppMessages(TRegisterMessageFunc registerMessage) {
    TAppMessageNumbers m{};
    m.TrayIconNotify = RegisterMessageOrFallback(WM_TRAYICONNOTIFY_NAME, WM_TRAYICONNOTIFY_FALLBACK, registerMessage);
    m.ExtenderAttached =
        RegisterMessageOrFallback(WM_EXTENDERATTACHED_NAME, WM_EXTENDERATTACHED_FALLBACK, registerMessage);
    m.AttachExtender = RegisterMessageOrFallback(WM_ATTACHEXTENDER_NAME, WM_ATTACHEXTENDER_FALLBACK, registerMessage);
    m.DetachExtender = RegisterMessageOrFallback(WM_DETACHEXTENDER_NAME, WM_DETACHEXTENDER_FALLBACK, registerMessage);
    return m;
}

}  // namespace vpw
