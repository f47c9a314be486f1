// The panels of a condition's criteria: the window class and the window
// caption that a rule's windows must have.
#pragma once
#include "CheckBox.h"
#include "KeltControls.h"
#include "StdControls.h"
#include "uCBDetailPanel.h"

namespace vpw {

class TAbstractCriterionDetailPanel : public TCBDetailPanel {
public:
    explicit TAbstractCriterionDetailPanel(int height = 28);
    void UpdateControls() override;
    // A window picked with the finder.
    virtual void SelectWindow(HWND window) {}
    TQuietCheckBox& EnabledCheckBox() { return enabledCheckBox_; }

protected:
    void CreateControls(HWND frame) override;
    void EnabledCheckBoxClick();
    // A label and a history combo box right of the check box.
    void CreateLabelledCombo(HWND frame, TLabel& label, const std::string& caption, THistoryComboBox& combo);
    void LayOutLabelledCombo(int width, TLabel& label, THistoryComboBox& combo, int gap);
    // The label's caption and hint, the same hint on the combo box.
    void TranslateLabelledCombo(TLabel& label, THistoryComboBox& combo, const char* captionName, const char* hintName);
    // Writes the combo's text to the parameter unless it holds it already;
    // Enter keeps the caret where it was.
    void StoreCombo(THistoryComboBox& combo, const std::string& param);
    void WireCombo(THistoryComboBox& combo, const std::string& param);

    TQuietCheckBox enabledCheckBox_;
};

class TWindowClassCriterionDetailPanel : public TAbstractCriterionDetailPanel {
public:
    void TranslateControls() override;
    void UpdateControls() override;
    void SelectWindow(HWND window) override;
    THistoryComboBox& WindowClassComboBox() { return combo_; }

protected:
    void CreateControls(HWND frame) override;
    void Layout(int width, int height) override;

private:
    TLabel label_;
    THistoryComboBox combo_;
};

class TWindowCaptionCriterionDetailPanel : public TAbstractCriterionDetailPanel {
public:
    TWindowCaptionCriterionDetailPanel();
    void TranslateControls() override;
    void UpdateControls() override;
    void SelectWindow(HWND window) override;
    THistoryComboBox& WindowCaptionComboBox() { return combo_; }
    TButtonControl& ExactSearchTrueRadioButton() { return exact_; }
    TButtonControl& ExactSearchFalseRadioButton() { return substring_; }

protected:
    void CreateControls(HWND frame) override;
    void Layout(int width, int height) override;

private:
    void StoreExactSearch();

    TLabel label_;
    THistoryComboBox combo_;
    TButtonControl exact_;
    TButtonControl substring_;
};

}  // namespace vpw
