#include "uConditionDetailPanel.h"

#include "MultiLanguages.h"
#include "uCriterionDetailPanels.h"

namespace vpw {

namespace {

constexpr int kFinderStrip = 41;
// The finder's hint of the form, used only when the language has none.
const char kFinderFormHint[] =
    "\xC7\xE0\xF5\xE2\xE0\xF2\xE8\xF2\xE5 \xEC\xFB\xF8\xEA\xEE\xE9 \xEF\xF0\xE8\xF6\xE5\xEB \xE8 \xED\xE0\xE2\xE5"
    "\xE4\xE8\xF2\xE5 \xE8\xEC \xED\xE0 \xF2\xF0\xE5\xE1\xF3\xE5\xEC\xEE\xE5 \xEE\xEA\xED\xEE.";

}  // namespace

TConditionDetailPanel::TConditionDetailPanel() : TCBDetailPanel(kFinderStrip + TGroupBox::ContentTop + 10) {}

void TConditionDetailPanel::CreateControls(HWND frame) {
    criterionsGroupBox_.Create(frame, " Target window ", 0, 0, 100, PanelHeight());
    findWindowPanel_.Create(criterionsGroupBox_.Handle(), 2, TGroupBox::ContentTop, 96, kFinderStrip);
    findWindow_.Create(findWindowPanel_.Handle(), 8, 4);
    findWindow_.SetSelectedChildWindow(false);
    findWindow_.SetHint(kFinderFormHint);
    findWindow_.BeforeSelectWindow = [this](HWND& window, bool& cancel) { FindWindowBeforeSelectWindow(window, cancel); };
    findWindow_.AfterSelectWindow = [this](HWND window) { FindWindowAfterSelectWindow(window); };
    descriptionLabel_.Create(findWindowPanel_.Handle(),
                             "Drag target over a window to select it, then release the mouse button. In text boxes of "
                             "the Target Window panel you can see values of selected window caption and class.",
                             48, 2, 40, kFinderStrip - 4, true);
}

void TConditionDetailPanel::Layout(int width, int height) {
    criterionsGroupBox_.SetBounds(0, 0, width, height);
    int inner = std::max(width - 4, 0);
    findWindowPanel_.SetBounds(2, TGroupBox::ContentTop, inner, kFinderStrip);
    descriptionLabel_.SetBounds(48, 2, std::max(inner - 56, 10), kFinderStrip - 4);
    StackEmbedded(criterionsGroupBox_.Handle(), 2, TGroupBox::ContentTop + kFinderStrip, inner);
}

void TConditionDetailPanel::TranslateControls() {
    criterionsGroupBox_.SetText(GroupCaption("CDP_Caption", criterionsGroupBox_.GetText()));
    findWindow_.SetHint(Translate("CDP_FindWindowHint", findWindow_.GetHint()));
    descriptionLabel_.SetText(Translate("CDP_Description", descriptionLabel_.GetText()));
}

void TConditionDetailPanel::Init(IBOMObject* object) {
    TCBDetailPanel::Init(object);
    IPtr<IBOMCollection> criterions = Supports<IBOMCollection>(object ? object->Resolve("criterions") : nullptr);
    if (!criterions)
        throw EDetailPanelError(
            "TAbstractCriterionDetailPanel.Init: Coudn\"t find Criterions - {7C727E96-36BB-459F-AB6C-00D8C4CC1584}");
    int total = kFinderStrip + EmbedEach(criterions.get(), "DefaultDetailPanel", criterionsGroupBox_.Handle());
    SetPanelHeight(TGroupBox::ContentTop + total + 10);
    Relayout();
}

void TConditionDetailPanel::FindWindowBeforeSelectWindow(HWND& window, bool& cancel) {
    // None of the program's own windows can be a rule's target.
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) cancel = true;
}

void TConditionDetailPanel::FindWindowAfterSelectWindow(HWND window) {
    for (TDetailPanelFrame* panel : EmbeddedIn(criterionsGroupBox_.Handle()))
        if (auto* criterion = dynamic_cast<TAbstractCriterionDetailPanel*>(panel)) criterion->SelectWindow(window);
}

}  // namespace vpw
