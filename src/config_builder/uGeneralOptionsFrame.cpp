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

bool Checked(HWND box) { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND box, bool on) { SendMessageA(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

}  // namespace

std::string TGeneralOptionsFrame::ControlCenterCommand() { return ProgramsDirectory() + CC_PROGRAM_NAME; }

void TGeneralOptionsFrame::CreateControls(HWND) {
    loadAtStartup_ = CreateControl("BUTTON", "Load at startup", BS_AUTOCHECKBOX | WS_TABSTOP, 8, 8, 377, 17,
                                   idLoadAtStartupCheckBox);
    enableTrayIcon_ = CreateControl("BUTTON", "Enable tray icon", BS_AUTOCHECKBOX | WS_TABSTOP, 8, 32, 377, 17,
                                    idEnableTrayIconCheckBox);
    CreateControl("STATIC", "Language:", SS_LEFT, 8, 64, 377, 13, idLanguageLabel);
    languageCombo_ = CreateControl("COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 8, 80, 375,
                                   200, idLanguageComboBox);
    languageNote_ = CreateControl("STATIC", "Restart program for language's change to take effect", SS_LEFT, 8, 104,
                                  377, 26, idLanguageNoteLabel);
}

bool TGeneralOptionsFrame::HandleMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_SIZE || !languageNote_) return false;
    // The note stretches with the page.
    int width = LOWORD(lParam) - 8 - kNoteRightGap;
    SetWindowPos(languageNote_, nullptr, 0, 0, width > 0 ? width : 0, 26, SWP_NOMOVE | SWP_NOZORDER);
    result = 0;
    return true;
}

void TGeneralOptionsFrame::LoadOptions() {
    Handle();
    SetCaption(Translate("mid_GOF_Caption", "General"));
    SetControlText(loadAtStartup_, Translate("GOF_LoadAtStartup", "Load at startup"));
    SetControlText(enableTrayIcon_, Translate("GOF_EnableTrayIcon", "Enable tray icon"));

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
    SetChecked(enableTrayIcon_, trayIcon);
    // A quoted path, or one with arguments, still counts as on.
    SetChecked(loadAtStartup_, AnsiUpperCase(runValue).find(AnsiUpperCase(ControlCenterCommand())) != std::string::npos);
    FillLanguages(languageId);
}

void TGeneralOptionsFrame::SaveOptions() {
    WriteRegDword(HKEY_CURRENT_USER, CC_SETTINGS_KEY, CC_TRAY_ICON_VALUE, Checked(enableTrayIcon_) ? 1 : 0);
    if (Checked(loadAtStartup_))
        // Quoted: an unquoted path with blanks would be tried prefix by prefix at log-on.
        WriteRegString(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE_NAME, "\"" + ControlCenterCommand() + "\"");
    else
        DeleteRegValue(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE_NAME);
    LRESULT selected = SendMessageA(languageCombo_, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return;
    auto* language =
        reinterpret_cast<TLanguage*>(SendMessageA(languageCombo_, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    if (language && language != reinterpret_cast<TLanguage*>(CB_ERR))
        WriteRegString(HKEY_CURRENT_USER, VPW_SETTINGS_KEY, VPW_LANGUAGE_VALUE, language->Id());
}

void TGeneralOptionsFrame::FillLanguages(const std::string& languageId) {
    Handle();
    SendMessageA(languageCombo_, CB_RESETCONTENT, 0, 0);
    TLanguages* languages = GetLanguages();
    if (!languages) return;
    TLanguage* chosen = nullptr;
    for (int i = 0; i < languages->Count(); ++i) {
        TLanguage* language = languages->GetItem(Variant(i));
        if (!language) continue;
        LRESULT at = SendMessageA(languageCombo_, CB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(language->GetDisplayName().c_str()));
        if (at < 0) continue;
        SendMessageA(languageCombo_, CB_SETITEMDATA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(language));
        if (language->Id() == languageId) chosen = language;
    }
    // Selected once the sorted list is complete, so later entries cannot shift it.
    int count = static_cast<int>(SendMessageA(languageCombo_, CB_GETCOUNT, 0, 0));
    for (int i = 0; chosen && i < count; ++i)
        if (reinterpret_cast<TLanguage*>(SendMessageA(languageCombo_, CB_GETITEMDATA, i, 0)) == chosen)
            SendMessageA(languageCombo_, CB_SETCURSEL, i, 0);
}

}  // namespace vpw
