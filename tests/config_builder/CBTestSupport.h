// Helpers of the configuration program's tests: a host window for controls,
// the message pump, and real mouse and keyboard input.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "KeyInput.h"
#include "WinTestSupport.h"
#include "NativeControl.h"

namespace vpw::test {

// A top-level window of this process that hands child notices back.
class THostWindow {
public:
    THostWindow(int x = 200, int y = 150, int w = 420, int h = 320) {
        RegisterControlClass("VPW_TestHost", Proc);
        window_.Reset(CreateWindowExA(WS_EX_CONTROLPARENT, "VPW_TestHost", "Controls host",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr));
        SetForegroundWindow(window_.Get());
        Pump(50);
    }
    HWND Get() const { return window_.Get(); }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        LRESULT result = 0;
        if (vpw::ReflectToChild(m, wp, lp, result)) return result;
        return DefWindowProcA(w, m, wp, lp);
    }
    TWindow window_;
};

inline POINT CenterOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Moves in steps, as a hand would, pumping messages on the way.
inline void MoveMouse(POINT to) {
    POINT from{};
    GetCursorPos(&from);
    for (int i = 1; i <= 8; ++i) {
        SetCursorPos(from.x + (to.x - from.x) * i / 8, from.y + (to.y - from.y) * i / 8);
        SendMouse(MOUSEEVENTF_MOVE);
        Pump(20);
    }
}

inline void Click(POINT at) {
    MoveMouse(at);
    ClickAtCursor();
}

// One key pressed and released, then the messages it brings.
inline void Key(WORD vk, bool ctrl = false) {
    SendKey(vk, ctrl);
    Pump(60);
}

// Letters and digits typed one by one.
inline void Type(const std::string& text) {
    for (char c : text) Key(static_cast<WORD>(VkKeyScanA(c) & 0xFF));
}

}  // namespace vpw::test
