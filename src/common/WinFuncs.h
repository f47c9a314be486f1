// Window texts as strings.
#pragma once
#include <windows.h>

#include <string>

namespace vpw {

std::string GetWindowClassName(HWND window);
std::string GetWindowCaption(HWND window);

}  // namespace vpw
