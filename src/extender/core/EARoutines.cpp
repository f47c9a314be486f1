#include "EARoutines.h"

#include <charconv>
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

bool ParseInteger(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes a minus itself but no plus, and must not see two signs.
    const char* digits = first != last && (*first == '+' || *first == '-') ? first + 1 : first;
    if (digits == last || *digits < '0' || *digits > '9') return false;
    int parsed = 0;
    auto [end, error] = std::from_chars(*first == '+' ? digits : first, last, parsed);
    if (error != std::errc() || end != last) return false;
    value = parsed;
    return true;
}

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
