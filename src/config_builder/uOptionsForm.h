// The options dialog.
#pragma once
#include <windows.h>

namespace vpw {

// Shows the dialog modally; the modal result (1 when closed with OK).
int ShowOptionsForm(HWND owner);

}  // namespace vpw
