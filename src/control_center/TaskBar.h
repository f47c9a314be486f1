// Wrappers around Shell_NotifyIconA for one notification-area icon.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace vpw {

// The first-version record (cbSize 88, 104 in 64-bit) with every other byte zero; the tip
// keeps at most 63 characters.
NOTIFYICONDATAA MakeNotifyIconData(HWND Window, UINT Id, UINT Flags, UINT CallbackMessage, HICON Icon,
                                   const std::string& Tip);

// Each returns whether the shell call succeeded; none raises.
bool TaskBarAddIcon(HWND Window, UINT Id, HICON Icon, const std::string& Tip, UINT CallbackMessage);
bool TaskBarModifyIcon(HWND Window, UINT Id, UINT Flags, const std::string& Tip, HICON Icon);
bool TaskBarDeleteIcon(HWND Window, UINT Id);

}  // namespace vpw
