// The panel of a rule's condition ("Target window"): the window finder and,
// below it, the panels of the condition's criteria.
#pragma once
#include "Containers.h"
#include "FindWindow.h"
#include "StdControls.h"
#include "uCBDetailPanel.h"

namespace vpw {

class TConditionDetailPanel : public TCBDetailPanel {
public:
    TConditionDetailPanel();
    void TranslateControls() override;
    void Init(IBOMObject* object) override;
    TFindWindow& FindWindowControl() { return findWindow_; }

protected:
    void CreateControls(HWND frame) override;
    void Layout(int width, int height) override;
    void FindWindowBeforeSelectWindow(HWND& window, bool& cancel);
    void FindWindowAfterSelectWindow(HWND window);

private:
    TGroupBox criterionsGroupBox_;
    TContainer findWindowPanel_;
    TFindWindow findWindow_;
    TLabel descriptionLabel_;
};

}  // namespace vpw
