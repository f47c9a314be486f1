#include "uCBRoutines.h"

#include <exception>

#include "MultiLanguages.h"

namespace vpw {

namespace {

std::string& Title() {
    static std::string title;
    return title;
}

}  // namespace

const std::string& ApplicationTitle() { return Title(); }

void SetApplicationTitle(const std::string& title) { Title() = title; }

int ShowMessage(HWND owner, const std::string& text, UINT flags) {
    return MessageBoxA(owner, text.c_str(), ApplicationTitle().c_str(), flags);
}

void ReportCurrentException(HWND owner) noexcept {
    try {
        std::string text = Translate("CB_UnexpectedError", "The operation failed.");
        try {
            throw;
        } catch (const std::exception& e) {
            if (*e.what()) text += "\n" + std::string(e.what());
        } catch (...) {
        }
        ShowMessage(owner, text, MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing more can be told.
    }
}

}  // namespace vpw
