// Visual styles for drawing themed buttons: uxtheme.dll is loaded at run time
// on first use, only on Windows NT builds from 2462 on. Callers draw themed
// parts only when ThemeLibraryLoaded() is true, classic frames otherwise.
#pragma once
#include <windows.h>
#include <uxtheme.h>

namespace vpw {

// Entries stay nullptr when the library or the function is missing.
struct TThemeFunctions {
    decltype(&::OpenThemeData) OpenThemeData = nullptr;
    decltype(&::DrawThemeBackground) DrawThemeBackground = nullptr;
    decltype(&::CloseThemeData) CloseThemeData = nullptr;
    decltype(&::DrawThemeText) DrawThemeText = nullptr;
    decltype(&::IsThemeBackgroundPartiallyTransparent) IsThemeBackgroundPartiallyTransparent = nullptr;
    decltype(&::DrawThemeParentBackground) DrawThemeParentBackground = nullptr;
    decltype(&::DrawThemeEdge) DrawThemeEdge = nullptr;
    decltype(&::IsThemePartDefined) IsThemePartDefined = nullptr;
};

// Whether a system of this platform and build has visual styles.
bool CheckThemeSupport(DWORD platformId, DWORD buildNumber);

// These load the library on first use (never call them from DllMain).
bool ThemesAvailable();
bool ThemeLibraryLoaded();
const TThemeFunctions& ThemeFunctions();

// A theme of `window` for the class list; nullptr without visual styles.
HTHEME OpenThemeFor(HWND window, const wchar_t* classList);
// Closes the theme and forgets it; nullptr is left alone.
void CloseThemeOf(HTHEME& theme);
// Draws a part of a theme, over the parent's background where the part lets
// it show through. False, drawing nothing, without a theme.
bool DrawThemePart(HTHEME theme, HWND window, HDC dc, int part, int state, RECT rect);

void LoadThemeLibrary();
void FreeThemeLibrary();

}  // namespace vpw
