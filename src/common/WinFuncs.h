// Window texts as strings, and 8-bit texts for the wide API.
#pragma once
#include <windows.h>

#include <string>

namespace vpw {

std::string GetWindowClassName(HWND window);
std::string GetWindowCaption(HWND window);
// From the system's 8-bit code page.
std::wstring AnsiToWide(const std::string& text);

}  // namespace vpw
