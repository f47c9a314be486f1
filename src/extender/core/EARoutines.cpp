#include "EARoutines.h"

#include <exception>

#include "Routines.h"

namespace vpw {

void DebugOut(const std::string& text) { (void)text; }

std::string CurrentExceptionMessage() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

bool IsYes(const std::string& value) { return UpperCaseAscii(value) == "YES"; }

std::string StripBraces(const std::string& text) {
    std::string s = text;
    if (!s.empty() && s.front() == '{') s.erase(0, 1);
    if (!s.empty() && s.back() == '}') s.pop_back();
    return s;
}

HINSTANCE LibraryInstance() {
    static HMODULE module = [] {
        HMODULE m = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&LibraryInstance), &m);
        return m;
    }();
    return module;
}

}  // namespace vpw
