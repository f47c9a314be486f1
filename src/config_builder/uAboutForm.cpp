#include "uAboutForm.h"

#include "MultiLanguages.h"
#include "uCBRoutines.h"

namespace vpw {

void ShowAboutForm(HWND owner) {
    // Stands in until the about box exists.
    ShowMessage(owner, Translate("AppCBTitle", "%appname%"), MB_OK | MB_ICONINFORMATION);
}

}  // namespace vpw
