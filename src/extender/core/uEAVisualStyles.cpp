#include "uEAVisualStyles.h"

#include <atomic>

#include "uEAGeneralClasses.h"

namespace vpw {

namespace {

TLock& ThemeLock() {
    static TLock lock;
    return lock;
}

std::atomic<bool> g_tried{false};
bool g_available = false;
HMODULE g_library = nullptr;
bool g_loaded = false;
TThemeFunctions g_functions;

template <class F>
void Resolve(F& entry, const char* name) {
    entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(g_library, name)));
}

void EnsureLoaded() {
    if (g_tried.load(std::memory_order_acquire)) return;
    TLockGuard guard(ThemeLock());
    if (!g_tried.load(std::memory_order_relaxed)) {
        LoadThemeLibrary();
        g_tried.store(true, std::memory_order_release);
    }
}

}  // namespace

bool CheckThemeSupport(DWORD platformId, DWORD buildNumber) {
    return platformId == VER_PLATFORM_WIN32_NT && buildNumber >= 2462;
}

void LoadThemeLibrary() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    g_available = GetVersionExA(&info) && CheckThemeSupport(info.dwPlatformId, info.dwBuildNumber);
    g_library = nullptr;
    g_loaded = false;
    g_functions = TThemeFunctions();
    if (!g_available) return;
    g_library = LoadLibraryA("uxtheme.dll");
    if (!g_library) return;
    g_loaded = true;
    Resolve(g_functions.OpenThemeData, "OpenThemeData");
    Resolve(g_functions.DrawThemeBackground, "DrawThemeBackground");
    Resolve(g_functions.CloseThemeData, "CloseThemeData");
    Resolve(g_functions.DrawThemeText, "DrawThemeText");
    Resolve(g_functions.IsThemeBackgroundPartiallyTransparent, "IsThemeBackgroundPartiallyTransparent");
    Resolve(g_functions.DrawThemeParentBackground, "DrawThemeParentBackground");
    Resolve(g_functions.DrawThemeEdge, "DrawThemeEdge");
    Resolve(g_functions.IsThemePartDefined, "IsThemePartDefined");
}

void FreeThemeLibrary() {
    TLockGuard guard(ThemeLock());
    if (g_library) FreeLibrary(g_library);
    g_library = nullptr;
    g_loaded = false;
    g_functions = TThemeFunctions();
    g_tried.store(false, std::memory_order_release);
}

bool ThemesAvailable() {
    EnsureLoaded();
    return g_available;
}

bool ThemeLibraryLoaded() {
    EnsureLoaded();
    return g_loaded;
}

const TThemeFunctions& ThemeFunctions() {
    EnsureLoaded();
    return g_functions;
}

HTHEME OpenThemeFor(HWND window, const wchar_t* classList) {
    if (!ThemeLibraryLoaded()) return nullptr;
    const TThemeFunctions& themes = ThemeFunctions();
    return themes.OpenThemeData ? themes.OpenThemeData(window, classList) : nullptr;
}

void CloseThemeOf(HTHEME& theme) {
    if (!theme) return;
    const TThemeFunctions& themes = ThemeFunctions();
    if (themes.CloseThemeData) themes.CloseThemeData(theme);
    theme = nullptr;
}

bool DrawThemePart(HTHEME theme, HWND window, HDC dc, int part, int state, RECT rect) {
    const TThemeFunctions& themes = ThemeFunctions();
    if (!theme || !themes.DrawThemeBackground) return false;
    if (themes.IsThemeBackgroundPartiallyTransparent && themes.DrawThemeParentBackground &&
        themes.IsThemeBackgroundPartiallyTransparent(theme, part, state))
        themes.DrawThemeParentBackground(window, dc, &rect);
    themes.DrawThemeBackground(theme, dc, part, state, &rect, nullptr);
    return true;
}

}  // namespace vpw
