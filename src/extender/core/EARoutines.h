// Text routines and small services of the window extender library.
#pragma once
#include <windows.h>

#include <string>

namespace vpw {

// The library's one diagnostic sink: "Class.Operation: Err = " + message.
// It keeps nothing.
void DebugOut(const std::string& text);
// The message of the exception being handled; call only inside a catch block.
std::string CurrentExceptionMessage();

// A switch value of a rule: on when "yes" in any case.
bool IsYes(const std::string& value);

// A whole decimal integer in range, one sign allowed, nothing else; `value`
// is left alone when the text is not one.
bool ParseInteger(const std::string& text, int& value);

// Drops a leading "{" and, independently, a trailing "}".
std::string StripBraces(const std::string& text);

// The module that holds the library's code and resources.
HINSTANCE LibraryInstance();

}  // namespace vpw
