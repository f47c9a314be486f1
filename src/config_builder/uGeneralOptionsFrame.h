// The general options page: start the control center at log-on, show its
// tray icon, and the user-interface language.
#pragma once
#include <string>

#include "AppConsts.h"
#include "CheckBox.h"
#include "StdControls.h"
#include "uAbstractOptionsFrame.h"

namespace vpw {

// Control ids of the page.
enum TGeneralOptionsControl : int {
    idLoadAtStartupCheckBox = 1001,
    idEnableTrayIconCheckBox = 1002,
    idLanguageLabel = 1003,
    idLanguageComboBox = 1004,
    idLanguageNoteLabel = 1005,
};

inline constexpr char RUN_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char RUN_VALUE_NAME[] = "Velvic Plimsy Windows";
inline constexpr char CC_PROGRAM_NAME[] = "VelvicPlimsyWindowsCenter.exe";

class TGeneralOptionsFrame : public TAbstractOptionsFrame {
public:
    void LoadOptions() override;
    void SaveOptions() override;
    // Lists the known languages and selects the one with that id (exact).
    void FillLanguages(const std::string& languageId);

    // The command the Run value starts: the control center beside this program.
    static std::string ControlCenterCommand();

protected:
    void CreateControls(HWND frame) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    TQuietCheckBox loadAtStartup_;
    TQuietCheckBox enableTrayIcon_;
    TLabel languageLabel_;
    TComboList languageCombo_;
    TLabel languageNote_;
};

}  // namespace vpw
