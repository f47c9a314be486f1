#include "uGeneralOptionsFrame.h"

#include <cstdint>

#include "AppGlobals.h"
#include "MultiLanguages.h"
#include "RegistryRoutines.h"
#include "Routines.h"
#include "uModelConsts.h"

namespace vpw {

namespace {

constexpr int kNoteRightGap = 391 - (8 + 377);

// The dialog font, and the id that the dialog knows the control by.
void UsePageFontAndId(TNativeControl& control, int id) {
    control.SetFont(TDetailPanelFrame::DefaultFont());
    control.SetControlId(id);
}

}  // namespace

std::string TGeneralOptionsFrame::ControlCenterCommand() { return ProgramsDirectory() + CC_PROGRAM_NAME; }

void TGeneralOptionsFrame::CreateControls(HWND frame) {
    loadAtStartup_.Create(frame, "Load at startup", 8, 8, 377, 17);
    UsePageFontAndId(loadAtStartup_, idLoadAtStartupCheckBox);
    enableTrayIcon_.Create(frame, "Enable tray icon", 8, 32, 377, 17);
    UsePageFontAndId(enableTrayIcon_, idEnableTrayIconCheckBox);
    languageLabel_.Create(frame, "Language:", 8, 64, 377, 13, true);
    UsePageFontAndId(languageLabel_, idLanguageLabel);
    languageCombo_.Create(frame, 8, 80, 375, 50, CBS_SORT);  // 200 with the list dropped
    UsePageFontAndId(languageCombo_, idLanguageComboBox);
    languageNote_.Create(frame, "Restart program for language's change to take effect", 8, 104, 377, 26, true);
    UsePageFontAndId(languageNote_, idLanguageNoteLabel);
}

bool TGeneralOptionsFrame::HandleMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_SIZE || !languageNote_.Handle()) return false;
    // The note stretches with the page.
    int width = LOWORD(lParam) - 8 - kNoteRightGap;
    languageNote_.SetBounds(8, 104, width > 0 ? width : 0, 26);
    result = 0;
    return true;
}

void TGeneralOptionsFrame::LoadOptions() {
    Handle();
    SetCaption(Translate("mid_GOF_Caption", "General"));
    SetControlText(loadAtStartup_.Handle(), Translate("GOF_LoadAtStartup", "Load at startup"));
    SetControlText(enableTrayIcon_.Handle(), Translate("GOF_EnableTrayIcon", "Enable tray icon"));

    bool trayIcon = true;
    std::string runValue, languageId;
    try {
        std::uint32_t tray = 1;
        if (ReadRegDword(HKEY_CURRENT_USER, CC_SETTINGS_KEY, CC_TRAY_ICON_VALUE, tray)) trayIcon = tray != 0;
        ReadRegString(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE_NAME, runValue);
        ReadRegString(HKEY_CURRENT_USER, VPW_SETTINGS_KEY, VPW_LANGUAGE_VALUE, languageId);
    } catch (...) {
        trayIcon = true;
        runValue.clear();
    }
    enableTrayIcon_.SetChecked(trayIcon);
    // A quoted path, or one with arguments, still counts as on.
    loadAtStartup_.SetChecked(AnsiUpperCase(runValue).find(AnsiUpperCase(ControlCenterCommand())) != std::string::npos);
    FillLanguages(languageId);
}

void TGeneralOptionsFrame::SaveOptions() {
    WriteRegDword(HKEY_CURRENT_USER, CC_SETTINGS_KEY, CC_TRAY_ICON_VALUE, enableTrayIcon_.GetChecked() ? 1 : 0);
    if (loadAtStartup_.GetChecked())
        // Quoted: an unquoted path with blanks would be tried prefix by prefix at log-on.
        WriteRegString(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE_NAME, "\"" + ControlCenterCommand() + "\"");
    else
        DeleteRegValue(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE_NAME);
    int selected = languageCombo_.GetItemIndex();
    if (selected == CB_ERR) return;
    auto* language = reinterpret_cast<TLanguage*>(
        SendMessageA(languageCombo_.Handle(), CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    if (language && language != reinterpret_cast<TLanguage*>(CB_ERR))
        WriteRegString(HKEY_CURRENT_USER, VPW_SETTINGS_KEY, VPW_LANGUAGE_VALUE, language->Id());
}

void TGeneralOptionsFrame::FillLanguages(const std::string& languageId) {
    Handle();
    HWND combo = languageCombo_.Handle();
    languageCombo_.SetItems({});
    TLanguages* languages = GetLanguages();
    if (!languages) return;
    TLanguage* chosen = nullptr;
    for (int i = 0; i < languages->Count(); ++i) {
        TLanguage* language = languages->GetItem(Variant(i));
        if (!language) continue;
        LRESULT at =
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(language->GetDisplayName().c_str()));
        if (at < 0) continue;
        SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(language));
        if (language->Id() == languageId) chosen = language;
    }
    // Selected once the sorted list is complete, so later entries cannot shift it.
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; chosen && i < count; ++i)
        if (reinterpret_cast<TLanguage*>(SendMessageA(combo, CB_GETITEMDATA, i, 0)) == chosen)
            languageCombo_.SetItemIndex(i);
}

}  // namespace vpw
