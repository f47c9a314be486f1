// A hook library that only passes every call on: what any system-wide hook
// costs a program, before the window extender library does anything.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK CallProcHook(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
