#include "TaskBar.h"

#include <algorithm>
#include <cstring>

namespace vpw {

NOTIFYICONDATAA MakeNotifyIconData(HWND Window, UINT Id, UINT Flags, UINT CallbackMessage, HICON Icon,
                                   const std::string& Tip) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = Window;
    data.uID = Id;
    data.uFlags = Flags;
    data.uCallbackMessage = CallbackMessage;
    data.hIcon = Icon;
    // The first-version tip field is 64 bytes, the last one the terminator.
    std::size_t n = std::min(Tip.size(), std::size_t{63});
    std::memcpy(data.szTip, Tip.data(), n);
    return data;
}

bool TaskBarAddIcon(HWND Window, UINT Id, HICON Icon, const std::string& Tip, UINT CallbackMessage) {
    NOTIFYICONDATAA data =
        MakeNotifyIconData(Window, Id, NIF_MESSAGE | NIF_ICON | NIF_TIP, CallbackMessage, Icon, Tip);
    return Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

bool TaskBarModifyIcon(HWND Window, UINT Id, UINT Flags, const std::string& Tip, HICON Icon) {
    NOTIFYICONDATAA data = MakeNotifyIconData(Window, Id, Flags, 0, Icon, Tip);
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

bool TaskBarDeleteIcon(HWND Window, UINT Id) {
    NOTIFYICONDATAA data = MakeNotifyIconData(Window, Id, 0, 0, nullptr, std::string());
    return Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
}

}  // namespace vpw
