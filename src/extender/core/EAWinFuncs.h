// Window queries of the window extender library.
#pragma once
#include <windows.h>

#include "WinFuncs.h"

namespace vpw {

// 1 minimised, 2 maximised, 0 otherwise (from the window placement).
int GetWindowShowState(HWND window);
// The ShowWindow command that brings back a window of that show state:
// maximised stays maximised, a minimised one comes back restored.
int ShowCommandForState(int showState);
bool WindowIsVisible(HWND window);
// Never 0: falls back to the class icons and then the system's IDI_WINLOGO.
HICON GetWindowSmallIcon(HWND window);
HICON GetWindowBigIcon(HWND window);
// Every bit of `mask` set in GWL_STYLE.
bool WindowHasStyle(HWND window, DWORD mask);
// Caption plus top and bottom frame that the window's styles add (no menu bar).
int GetNonClientHeight(HWND window);
// The outermost window of which `window` is a child (or itself).
HWND GetTopLevelWindow(HWND window);
bool IsMouseOverWindow(HWND window);
bool IsForegroundWindow(HWND window);
// A class of the library's module whose procedure is the default one, made
// once per process: each window of it is given its object's procedure, and
// the class names no code of the library, so it may outlive it. False when
// it neither exists nor could be made.
bool RegisterLibraryWindowClass(const char* name, HCURSOR cursor = nullptr);
// Some programs' main windows are owned by a hidden window of class
// "TApplication" that stands for the program in the task bar.
void HideApplicationOwner(HWND window);
void RestoreApplicationOwner(HWND window);
// Hides a window and its program's owner window; ShowWithOwner brings both
// back, the window in the show state it had (GetWindowShowState before).
void HideWithOwner(HWND window);
void ShowWithOwner(HWND window, int showState);

}  // namespace vpw
