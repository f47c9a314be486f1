#include "WinFuncs.h"

#include <vector>

namespace vpw {

std::string GetWindowClassName(HWND window) {
    char buf[256];
    int n = GetClassNameA(window, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

std::string GetWindowCaption(HWND window) {
    int len = GetWindowTextLengthA(window);
    if (len <= 0) return {};
    std::vector<char> buf(static_cast<std::size_t>(len) + 1);
    int n = GetWindowTextA(window, buf.data(), len + 1);
    return n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : std::string();
}

}  // namespace vpw
