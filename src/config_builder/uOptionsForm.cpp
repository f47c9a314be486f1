#include "uOptionsForm.h"

#include "MultiLanguages.h"
#include "uCBAppForm.h"

namespace vpw {

TOptionsForm::TOptionsForm(HWND owner) : TDialogForm(owner, 391, 257) {
    SetCaption(Translate("OptionsForm_Caption", "Options"));
    AddCommandButton(IDOK, Translate("OptionsForm_OKCommand", "OK"), 216, true);
    AddCommandButton(IDCANCEL, Translate("OptionsForm_CancelCommand", "Cancel"), 304, false);
    page_ = std::make_unique<TGeneralOptionsFrame>();
    page_->LoadOptions();
    page_->SetAlign(TAlign::alTop);
    page_->PlaceIn(Handle());
    // First in the tab order, before the buttons.
    SetWindowPos(page_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TOptionsForm::~TOptionsForm() {
    if (page_) page_->DoneOptions();
}

void TOptionsForm::ButtonClick(int id) {
    if (id == IDOK && page_) page_->SaveOptions();
    TDialogForm::ButtonClick(id);
}

int ShowOptionsForm(HWND owner) {
    TOptionsForm form(owner);
    return form.ShowModal();
}

}  // namespace vpw
