// Real key presses, as a user's keyboard makes them.
#pragma once
#include <windows.h>

namespace vpw::test {

// One key pressed and released, with Ctrl held when asked.
inline void SendKey(WORD vk, bool ctrl = false) {
    INPUT input[4]{};
    int n = 0;
    auto add = [&](WORD key, bool up) {
        input[n].type = INPUT_KEYBOARD;
        input[n].ki.wVk = key;
        input[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++n;
    };
    if (ctrl) add(VK_CONTROL, false);
    add(vk, false);
    add(vk, true);
    if (ctrl) add(VK_CONTROL, true);
    SendInput(n, input, sizeof(INPUT));
}

}  // namespace vpw::test
