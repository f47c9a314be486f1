#include "uCriterionDetailPanels.h"

#include "MultiLanguages.h"
#include "WinFuncs.h"

namespace vpw {

namespace {

constexpr int kInputLeft = 30;
constexpr int kRight = 8;

}  // namespace

// --- TAbstractCriterionDetailPanel

TAbstractCriterionDetailPanel::TAbstractCriterionDetailPanel(int height) : TCBDetailPanel(height) {}

void TAbstractCriterionDetailPanel::CreateControls(HWND frame) {
    enabledCheckBox_.Create(frame, "", 8, 6, 17, 17);
    enabledCheckBox_.OnClick = [this] { EnabledCheckBoxClick(); };
}

void TAbstractCriterionDetailPanel::UpdateControls() {
    std::string value;
    if (ReadParam("params/enabled", value)) enabledCheckBox_.SetChecked(value == "yes");
}

void TAbstractCriterionDetailPanel::EnabledCheckBoxClick() {
    // The parameter's change notice reloads the panel.
    WriteParam("params/enabled", YesNo(enabledCheckBox_.GetChecked()));
}

void TAbstractCriterionDetailPanel::CreateLabelledCombo(HWND frame, TLabel& label, const std::string& caption,
                                                        THistoryComboBox& combo) {
    label.Create(frame, caption, kInputLeft, 8, 80, 16);
    combo.Create(frame, 110, 4, 100, 21);
    combo.AutoHistory = true;
    combo.AutoCompletion = true;
    combo.SetCapacity(0);
}

void TAbstractCriterionDetailPanel::LayOutLabelledCombo(int width, TLabel& label, THistoryComboBox& combo, int gap) {
    int labelWidth = label.TextWidth();
    label.SetBounds(kInputLeft, 8, labelWidth, 16);
    int left = kInputLeft + labelWidth + gap;
    RECT r = combo.BoundsInParent();
    combo.SetBounds(left, r.top, std::max(width - kRight - left, 20), r.bottom - r.top);
}

void TAbstractCriterionDetailPanel::TranslateLabelledCombo(TLabel& label, THistoryComboBox& combo,
                                                           const char* captionName, const char* hintName) {
    label.SetText(Translate(captionName, label.GetText()));
    label.SetHint(Translate(hintName, label.GetHint()));
    combo.SetHint(label.GetHint());
    Relayout();
}

void TAbstractCriterionDetailPanel::StoreCombo(THistoryComboBox& combo, const std::string& param) {
    std::string stored;
    std::string text = combo.GetText();
    if (ReadParam("params/" + param, stored) && stored == text) return;
    SetParamValue(param, Variant(text));
}

void TAbstractCriterionDetailPanel::WireCombo(THistoryComboBox& combo, const std::string& param) {
    combo.OnExit = [this, &combo, param] { StoreCombo(combo, param); };
    combo.OnKeyPress = [this, &combo, param](char key) {
        if (key != VK_RETURN) return;
        int start = combo.GetSelStart();
        StoreCombo(combo, param);
        combo.SetSelStart(start);
    };
}

// --- TWindowClassCriterionDetailPanel

void TWindowClassCriterionDetailPanel::CreateControls(HWND frame) {
    TAbstractCriterionDetailPanel::CreateControls(frame);
    CreateLabelledCombo(frame, label_, "window class:  ", combo_);
    WireCombo(combo_, "window_class_name");
}

void TWindowClassCriterionDetailPanel::Layout(int width, int) { LayOutLabelledCombo(width, label_, combo_, 5); }

void TWindowClassCriterionDetailPanel::TranslateControls() {
    TranslateLabelledCombo(label_, combo_, "WClCDP_Caption", "WClCDP_Hint");
}

void TWindowClassCriterionDetailPanel::UpdateControls() {
    TAbstractCriterionDetailPanel::UpdateControls();
    std::string value;
    if (!ReadParam("params/window_class_name", value)) return;
    combo_.SetComboText(value);
    combo_.AddHistory();
}

void TWindowClassCriterionDetailPanel::SelectWindow(HWND window) {
    combo_.SetComboText(GetWindowClassName(window));
    StoreCombo(combo_, "window_class_name");
}

// --- TWindowCaptionCriterionDetailPanel

TWindowCaptionCriterionDetailPanel::TWindowCaptionCriterionDetailPanel() : TAbstractCriterionDetailPanel(52) {}

void TWindowCaptionCriterionDetailPanel::CreateControls(HWND frame) {
    TAbstractCriterionDetailPanel::CreateControls(frame);
    CreateLabelledCombo(frame, label_, "window caption:  ", combo_);
    WireCombo(combo_, "window_caption");
    exact_.Create(frame, BS_AUTORADIOBUTTON | WS_GROUP, "exact match", kInputLeft, 30, 110, 17);
    substring_.Create(frame, BS_AUTORADIOBUTTON, "substring", kInputLeft + 120, 30, 140, 17);
    // The pair is not a dialog group: each click sets both.
    exact_.OnClick = [this] {
        substring_.SetChecked(false);
        StoreExactSearch();
    };
    substring_.OnClick = [this] {
        exact_.SetChecked(false);
        StoreExactSearch();
    };
}

void TWindowCaptionCriterionDetailPanel::Layout(int width, int) { LayOutLabelledCombo(width, label_, combo_, 5); }

void TWindowCaptionCriterionDetailPanel::TranslateControls() {
    TranslateLabelledCombo(label_, combo_, "WCCDP_Caption", "WCCDP_Hint");
    exact_.SetText(Translate("WCCDP_ExactMatch", exact_.GetText()));
    exact_.SetHint(Translate("WCCDP_ExactMatchHint", exact_.GetHint()));
    substring_.SetText(Translate("WCCDP_SubstringMatch", substring_.GetText()));
    substring_.SetHint(Translate("WCCDP_SubstringMatchHint", substring_.GetHint()));
}

void TWindowCaptionCriterionDetailPanel::UpdateControls() {
    TAbstractCriterionDetailPanel::UpdateControls();
    std::string value;
    if (ReadParam("params/window_caption", value)) {
        combo_.SetComboText(value);
        combo_.AddHistory();
    }
    if (ReadParam("params/exact_search", value)) {
        exact_.SetChecked(value == "yes");
        substring_.SetChecked(value != "yes");
    }
}

void TWindowCaptionCriterionDetailPanel::StoreExactSearch() {
    SetParamValue("exact_search", Variant(YesNo(exact_.GetChecked())));
}

void TWindowCaptionCriterionDetailPanel::SelectWindow(HWND window) {
    combo_.SetComboText(GetWindowCaption(window));
    StoreCombo(combo_, "window_caption");
}

}  // namespace vpw
