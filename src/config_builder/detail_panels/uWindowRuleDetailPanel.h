// The panel of a window rule: its switch and name above the panel of its
// condition; the registered panel adds the tabs of its triggers and actions.
#pragma once
#include <memory>
#include <vector>

#include "CheckBox.h"
#include "Containers.h"
#include "StdControls.h"
#include "uCBDetailPanel.h"

namespace vpw {

class TWindowRuleDetailPanel : public TCBDetailPanel {
public:
    TWindowRuleDetailPanel();
    void TranslateControls() override;
    void Init(IBOMObject* object) override;
    void UpdateControls() override;
    TQuietCheckBox& EnabledCheckBox() { return enabledCheckBox_; }
    TEdit& NameEdit() { return nameEdit_; }

protected:
    void CreateControls(HWND frame) override;
    void Layout(int width, int height) override;
    // Lays out what the scroll box holds below the name strip; the bottom.
    virtual int LayOutContent(int width, int top, int visibleHeight);
    void EnabledCheckBoxClick();
    void NameEditExit();
    void NameEditKeyPress(char key);
    TScrollBox& ScrollBox() { return scrollBox_; }

private:
    // Renames the rule; a name that cannot work is refused with one message.
    void StoreName();
    // The language string of what is wrong with the name, or empty.
    std::string NameProblem(const std::string& name);

    TGroupBox groupBox_;
    TScrollBox scrollBox_;
    TContainer mainPanel_;
    TQuietCheckBox enabledCheckBox_;
    TEdit nameEdit_;
};

class TMultiPurposeWindowRuleDetailPanel : public TWindowRuleDetailPanel {
public:
    void Init(IBOMObject* object) override;
    TPageControl& PageControl() { return pageControl_; }

protected:
    void CreateControls(HWND frame) override;
    int LayOutContent(int width, int top, int visibleHeight) override;

private:
    void LayOutPage(TScrollBox& box, int width);

    TPageControl pageControl_;
    std::vector<std::unique_ptr<TScrollBox>> pageBoxes_;
};

}  // namespace vpw
