#include "uAboutForm.h"

#include <memory>

#include "MultiLanguages.h"
#include "uAboutFrame.h"
#include "uCBRoutines.h"

namespace vpw {

TAboutForm::TAboutForm(HWND owner) : TDialogForm(owner, 391, 257) {
    SetCaption(ApplicationTitle() + " " + Translate("AboutForm_Caption", "About"));
    AddCommandButton(IDOK, Translate("AboutForm_CloseCommand", "Close"), 304, true);
}

void ShowAboutForm(HWND owner) {
    RegisterAboutPanel();
    TAboutForm form(owner);
    std::unique_ptr<TAbstractDetailPanel> created(CreateDetailPanelByName(ABOUT_PANEL_NAME));
    auto* panel = dynamic_cast<TDetailPanelFrame*>(created.get());
    if (!panel) return;
    form.SetClientSize(panel->Width(), form.CommandPanelHeight() + panel->Height());
    panel->SetAlign(TAlign::alTop);
    panel->PlaceIn(form.Handle());
    panel->UpdateControls();
    form.ShowModal();
    panel->Park();
}

}  // namespace vpw
