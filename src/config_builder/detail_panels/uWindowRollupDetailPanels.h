// The "Window Rollup" tab: a check group box that switches roll-up on, and
// inside it the choice of manual or automatic control, the delays and the
// mouse hover, all stored in the triggers of the rule that run the action.
#pragma once
#include <memory>

#include "CheckBox.h"
#include "CheckGroupBox.h"
#include "StdControls.h"
#include "BOMWithContentAbstractDetailPanel.h"

namespace vpw {

class TWindowRollupActionContentDetailPanel : public TCBDetailPanel {
public:
    // One delay: its switch, its field and the unit after it.
    struct TDelayRow {
        TButtonControl checkBox;
        TEdit edit;
        TLabel unit;
        const char* enabledPath;
        const char* intervalPath;
    };
    enum TDelay { dlActiveRollup, dlActiveUnroll, dlHoverUnroll, dlHoverRollup };

    TWindowRollupActionContentDetailPanel();
    void TranslateControls() override;
    void UpdateControls() override;
    void SetControlMode(bool manual);
    void ArrangeDelayControls();

    TButtonControl& ManualControlRadioButton() { return manual_; }
    TButtonControl& AutomaticControlRadioButton() { return automatic_; }
    TButtonControl& MouseHoverCheckBox() { return mouseHover_; }
    TLabel& MouseHoverLabel() { return mouseHoverLabel_; }
    TDelayRow& Delay(TDelay which) { return delays_[which]; }

protected:
    void CreateControls(HWND frame) override;
    void StoreDelayEnabled(TDelayRow& row);
    void StoreDelay(TDelayRow& row);
    void MouseHoverCheckBoxClick();

private:
    void LoadDelay(TDelayRow& row);

    TLabel selectTypeInfo_;
    TButtonControl manual_;
    TLabel manualInfo_;
    TButtonControl automatic_;
    TLabel automaticInfo_;
    TButtonControl mouseHover_;
    TLabel mouseHoverLabel_;
    TDelayRow delays_[4];
};

class TWindowRollupActionDetailPanel_ZOV : public TWithContentAbstractDetailPanel {
public:
    TWindowRollupActionDetailPanel_ZOV();
    ~TWindowRollupActionDetailPanel_ZOV() override;
    void TranslateControls() override;
    void Init(IBOMObject* object) override;
    void UpdateControls() override;
    TCheckGroupBox& CheckGroupBox() { return checkGroupBox_; }
    TWindowRollupActionContentDetailPanel& ContentPanel() { return *content_; }

protected:
    void CreateControls(HWND frame) override;
    void Layout(int width, int height) override;
    void EnabledCheckBoxClick();

private:
    std::unique_ptr<TWindowRollupActionContentDetailPanel> content_;
    TCheckGroupBox checkGroupBox_;
};

}  // namespace vpw
