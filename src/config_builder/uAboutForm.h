// The about box.
#pragma once
#include <windows.h>

namespace vpw {

// Shows the about box modally.
void ShowAboutForm(HWND owner);

}  // namespace vpw
