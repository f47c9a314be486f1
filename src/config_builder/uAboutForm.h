// The about box: the "AboutPanel" detail panel above a Close button.
#pragma once
#include <windows.h>

#include "uDialogForm.h"

namespace vpw {

class TAboutForm : public TDialogForm {
public:
    explicit TAboutForm(HWND owner);
};

// Builds the box around the panel, shows it modally and frees both.
void ShowAboutForm(HWND owner);

}  // namespace vpw
