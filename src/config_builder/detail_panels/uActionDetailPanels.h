// The panels of a rule's actions: the generic switch, the run mode, the
// small option panels shown under other panels, and the "Windows actions"
// tab that lists a fixed set of the rule's actions.
#pragma once
#include "CheckBox.h"
#include "Containers.h"
#include "Routines.h"
#include "StdControls.h"
#include "uCBDetailPanel.h"

namespace vpw {

class TActionDetailPanel : public TCBDetailPanel {
public:
    explicit TActionDetailPanel(int height = 24);
    void UpdateControls() override;
    TQuietCheckBox& EnabledCheckBox() { return enabledCheckBox_; }

protected:
    void CreateControls(HWND frame) override;
    void Layout(int width, int height) override;
    void EnabledCheckBoxClick();
    // The holder below the switch; its left 20 pixels stay empty.
    TContainer& ActionDetailPanel() { return actionDetailPanel_; }
    static constexpr int IndentWidth = 20;

private:
    TQuietCheckBox enabledCheckBox_;
    TContainer actionDetailPanel_;
};

class TRunModeActionDetailPanel : public TActionDetailPanel {
public:
    TRunModeActionDetailPanel();
    void TranslateControls() override;
    void UpdateControls() override;
    void FillRunModes();
    void SelectRunMode(const std::string& value);
    TComboList& RunAsComboBox() { return runAsComboBox_; }

protected:
    void CreateControls(HWND frame) override;
    void Layout(int width, int height) override;
    void RunAsComboBoxChange();

private:
    TLabel runAsLabel_;
    TComboList runAsComboBox_;
    TTwoArrayOfString runModes_;
};

// One check box bound to one yes/no parameter of the action.
class TActionOptionDetailPanel : public TCBDetailPanel {
public:
    struct TTexts {
        const char* param;
        const char* captionName;
        const char* captionDefault;
        const char* hintName;
        const char* hintDefault;
    };
    explicit TActionOptionDetailPanel(const TTexts& texts);
    void TranslateControls() override;
    void UpdateControls() override;
    TQuietCheckBox& CheckBox() { return checkBox_; }

protected:
    void CreateControls(HWND frame) override;
    void Layout(int width, int height) override;
    void CheckBoxClick();

private:
    TTexts texts_;
    TQuietCheckBox checkBox_;
};

class TStayOnTopActionDetailPanel : public TActionOptionDetailPanel {
public:
    TStayOnTopActionDetailPanel();
};

class TMinToTrayActionDetailPanel : public TActionOptionDetailPanel {
public:
    TMinToTrayActionDetailPanel();
};

class TMinToEdgeActionDetailPanel : public TActionOptionDetailPanel {
public:
    TMinToEdgeActionDetailPanel();
};

class TActionsContentDetailPanel : public TCBDetailPanel {
public:
    TActionsContentDetailPanel();
    void TranslateControls() override;
    void Init(IBOMObject* object) override;

protected:
    void Layout(int width, int height) override;
};

}  // namespace vpw
