#include "uActionDetailPanels.h"

#include "MultiLanguages.h"

namespace vpw {

namespace {

constexpr int kStrip = 24;

}  // namespace

// --- TActionDetailPanel

TActionDetailPanel::TActionDetailPanel(int height) : TCBDetailPanel(height) {}

void TActionDetailPanel::CreateControls(HWND frame) {
    enabledCheckBox_.Create(frame, "", 8, 4, 90, 17);
    enabledCheckBox_.OnClick = [this] { EnabledCheckBoxClick(); };
    actionDetailPanel_.Create(frame, 0, kStrip, 100, std::max(PanelHeight() - kStrip, 0));
}

void TActionDetailPanel::Layout(int width, int height) {
    enabledCheckBox_.SetBounds(8, 4, std::max(width - 16, 20), 17);
    actionDetailPanel_.SetBounds(0, kStrip, width, std::max(height - kStrip, 0));
    StackEmbedded(actionDetailPanel_.Handle(), IndentWidth, 0, std::max(width - IndentWidth, 0));
}

void TActionDetailPanel::UpdateControls() {
    std::string value;
    if (ReadParam("params/enabled", value)) enabledCheckBox_.SetChecked(value == "yes");
    if (ReadParam("params/caption", value) || ReadParam("params/name", value)) {
        enabledCheckBox_.SetText(value);
        enabledCheckBox_.SetHint(value);
    }
    if (ReadParam("params/hint", value)) enabledCheckBox_.SetHint(value);
}

void TActionDetailPanel::EnabledCheckBoxClick() {
    WriteParam("params/enabled", YesNo(enabledCheckBox_.GetChecked()));
    UpdateControls();
}

// --- TRunModeActionDetailPanel

TRunModeActionDetailPanel::TRunModeActionDetailPanel() : TActionDetailPanel(2 * kStrip) {}

void TRunModeActionDetailPanel::CreateControls(HWND frame) {
    TActionDetailPanel::CreateControls(frame);
    runAsLabel_.Create(ActionDetailPanel().Handle(), "Run as: ", IndentWidth + 8, 5, 50, 16);
    runAsComboBox_.Create(ActionDetailPanel().Handle(), IndentWidth + 62, 1, 100, 21);
    runAsComboBox_.OnChange = [this] { RunAsComboBoxChange(); };
}

void TRunModeActionDetailPanel::Layout(int width, int height) {
    TActionDetailPanel::Layout(width, height);
    // The label and the list keep a 4-pixel gap; the list ends at the edge.
    int labelWidth = runAsLabel_.TextWidth();
    runAsLabel_.SetBounds(IndentWidth + 8, 5, labelWidth, 16);
    int left = IndentWidth + 8 + labelWidth + 4;
    runAsComboBox_.SetBounds(left, 1, std::max(width - 8 - left, 40), 21);
}

void TRunModeActionDetailPanel::TranslateControls() {
    TActionDetailPanel::TranslateControls();
    runModes_.clear();
    ParseNameValues(Translate("RMADP_RunModes", "normal=Normal Window;minimize=Minimized Window;maximize=Maximized Window"),
                    runModes_, ';', '=');
    runAsLabel_.SetText(Translate("RMADP_RunAs", "Run as:"));
    Relayout();
    FillRunModes();
}

void TRunModeActionDetailPanel::FillRunModes() {
    std::vector<std::string> texts;
    for (const auto& pair : runModes_) texts.push_back(pair[1]);
    runAsComboBox_.SetItems(texts);
}

void TRunModeActionDetailPanel::UpdateControls() {
    TActionDetailPanel::UpdateControls();
    std::string value = "normal";
    ReadParam("params/run_mode", value);
    SelectRunMode(value);
}

void TRunModeActionDetailPanel::SelectRunMode(const std::string& value) {
    int index = 0;
    for (size_t i = 0; i < runModes_.size(); ++i)
        if (runModes_[i][0] == value) index = static_cast<int>(i);
    runAsComboBox_.SetItemIndex(index);
}

void TRunModeActionDetailPanel::RunAsComboBoxChange() {
    if (!ParamAt("params/run_mode")) return;
    int index = runAsComboBox_.GetItemIndex();
    std::string shown = index >= 0 && static_cast<size_t>(index) < runModes_.size() ? runModes_[index][1] : "";
    for (const auto& pair : runModes_)
        if (pair[1] == shown) WriteParam("params/run_mode", pair[0]);
    UpdateControls();
}

// --- option panels

TActionOptionDetailPanel::TActionOptionDetailPanel(const TTexts& texts) : TCBDetailPanel(kStrip), texts_(texts) {}

void TActionOptionDetailPanel::CreateControls(HWND frame) {
    checkBox_.Create(frame, texts_.captionDefault, 8, 4, 90, 17);
    checkBox_.SetHint(texts_.captionDefault);
    checkBox_.OnClick = [this] { CheckBoxClick(); };
}

void TActionOptionDetailPanel::Layout(int width, int) { checkBox_.SetBounds(8, 4, std::max(width - 16, 20), 17); }

void TActionOptionDetailPanel::TranslateControls() {
    checkBox_.SetText(Translate(texts_.captionName, texts_.captionDefault));
    checkBox_.SetHint(Translate(texts_.hintName, texts_.hintDefault));
}

void TActionOptionDetailPanel::UpdateControls() {
    std::string value;
    if (ReadParam(std::string("params/") + texts_.param, value)) checkBox_.SetChecked(value == "yes");
}

void TActionOptionDetailPanel::CheckBoxClick() {
    WriteParam(std::string("params/") + texts_.param, YesNo(checkBox_.GetChecked()));
    UpdateControls();
}

TStayOnTopActionDetailPanel::TStayOnTopActionDetailPanel()
    : TActionOptionDetailPanel({"save_current_operation", "STADP_SaveCurrentOperationCaption",
                                "Save state and restore the saved state at next time", "STADP_SaveCurrentOperationHint",
                                "Save state when window is closed and restore the state when window is opened at next "
                                "time"}) {}

TMinToTrayActionDetailPanel::TMinToTrayActionDetailPanel()
    : TActionOptionDetailPanel({"permanent_tray_icon", "MTADP_PermanentTrayIconCaption", "Permanent tray icon",
                                "MTADP_PermanentTrayIconHint", "Always show tray icon even if window is not minimized"}) {}

TMinToEdgeActionDetailPanel::TMinToEdgeActionDetailPanel()
    : TActionOptionDetailPanel(
          {"use_large_icon", "MEADP_UseLargeIconCaption", "Use large icon", "MEADP_UseLargeIconHint", "Use large icon"}) {}

// --- TActionsContentDetailPanel

TActionsContentDetailPanel::TActionsContentDetailPanel() : TCBDetailPanel(0) {}

void TActionsContentDetailPanel::TranslateControls() { SetCaption(Translate("ASDP_Caption", "Windows actions")); }

void TActionsContentDetailPanel::Init(IBOMObject* object) {
    TCBDetailPanel::Init(object);
    IPtr<IBOMCollection> actions = Supports<IBOMCollection>(object);
    if (!actions) return;
    static const std::string listed = ";CloseWindowForCreateMessage;RunModeForCreateMessage;;SaveSizePos;;StayOnTop_JRX;;CloseQuery;";
    SetPanelHeight(EmbedEach(actions.get(), "DefaultDetailPanel", Handle(), [](IBOMObject* action) {
        return listed.find(";" + action->GetName() + ";") != std::string::npos;
    }));
}

void TActionsContentDetailPanel::Layout(int width, int) { StackEmbedded(Handle(), 0, 0, width); }

}  // namespace vpw
