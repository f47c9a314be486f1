// Small services that every window of the configuration program shares: the
// application title, message boxes in the program's own words, and the
// catch-all at each window and dialog procedure.
#pragma once
#include <windows.h>

#include <string>

namespace vpw {

// Set by the application object from "AppCBTitle"; the caption of every
// message box of the program.
const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

// A message box with the application title as caption.
int ShowMessage(HWND owner, const std::string& text, UINT flags);

// Call inside a catch block: shows the current exception's text, translated
// where it is the program's own. Never throws.
void ReportCurrentException(HWND owner) noexcept;

}  // namespace vpw
