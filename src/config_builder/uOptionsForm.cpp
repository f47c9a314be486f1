#include "uOptionsForm.h"

#include "MultiLanguages.h"
#include "uCBRoutines.h"

namespace vpw {

int ShowOptionsForm(HWND owner) {
    // Stands in until the dialog exists: nothing is changed.
    ShowMessage(owner, Translate("OptionsForm_Caption", "Options"), MB_OK | MB_ICONINFORMATION);
    return 2;
}

}  // namespace vpw
