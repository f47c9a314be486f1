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

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
    return w;
}

}  // namespace vpw
