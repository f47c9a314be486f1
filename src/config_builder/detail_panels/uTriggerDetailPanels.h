// The panels of a rule's triggers: the "Title Buttons" tab with one switch
// per caption-button agent, and the "Minimizing options" tab that points the
// minimise trigger's agent at the tray or the screen-edge action.
#pragma once
#include "CheckBox.h"
#include "Containers.h"
#include "uActionDetailPanels.h"
#include "uCBDetailPanel.h"

namespace vpw {

class TCaptionButtonTriggerContentDetailPanel : public TCBDetailPanel {
public:
    TCaptionButtonTriggerContentDetailPanel();
    void TranslateControls() override;
    void Init(IBOMObject* object) override;

protected:
    void Layout(int width, int height) override;
};

// The switch of one caption button, captioned with its action's caption,
// and that action's caption-button options below it.
class TCaptionButtonAgentDetailPanel_KXR : public TActionDetailPanel {
public:
    void Init(IBOMObject* object) override;
    void UpdateControls() override;
};

class TSCMinimizeMessageTriggerContentDetailPanel : public TCBDetailPanel {
public:
    enum TMinimizeChoice { mcToTray = 1, mcToEdge = 2, mcNone = 3 };

    TSCMinimizeMessageTriggerContentDetailPanel();
    void TranslateControls() override;
    void Init(IBOMObject* object) override;
    void UpdateControls() override;
    void SetMinimizeAction(int tag);
    TButtonControl& RadioButton(int tag) { return radios_[tag - 1]; }

protected:
    void CreateControls(HWND frame) override;
    void Layout(int width, int height) override;
    void MinToTrayRadioButtonClick(int tag);

private:
    TButtonControl radios_[3];
    TContainer holders_[2];
};

}  // namespace vpw
