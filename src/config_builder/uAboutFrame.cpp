#include "uAboutFrame.h"

#include <shellapi.h>

#include "MultiLanguages.h"

namespace vpw {

namespace {

void ShellOpen(const std::string& target) {
    ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

HFONT LinkFont() {
    static HFONT font = [] {
        LOGFONTA lf{};
        GetObjectA(TDetailPanelFrame::DefaultFont(), sizeof lf, &lf);
        lf.lfUnderline = TRUE;
        return CreateFontIndirectA(&lf);
    }();
    return font;
}

HFONT TitleFont() {
    static HFONT font = [] {
        LOGFONTA lf{};
        GetObjectA(TDetailPanelFrame::DefaultFont(), sizeof lf, &lf);
        lf.lfHeight = -16;
        lf.lfWeight = FW_BOLD;
        return CreateFontIndirectA(&lf);
    }();
    return font;
}

}  // namespace

void (*TAboutPanel::OpenDocument)(const std::string& target) = ShellOpen;

void TAboutPanel::CreateControls(HWND) {
    HWND logo = CreateControl("STATIC", "", SS_ICON | SS_CENTERIMAGE, 8, 8, 97, 73, idLogoImage);
    SendMessageA(logo, STM_SETICON, reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_APPLICATION)), 0);
    programName_ = CreateControl("STATIC", "", SS_CENTER | SS_CENTERIMAGE, 104, 8, 324, 25, idProgramNameLabel);
    SendMessageA(programName_, WM_SETFONT, reinterpret_cast<WPARAM>(TitleFont()), FALSE);
    version_ = CreateControl("STATIC", "", SS_LEFT | SS_CENTERIMAGE, 120, 37, 308, 20, idVersionLabel);
    copyright_ = CreateControl("STATIC", "", SS_LEFT | SS_CENTERIMAGE, 120, 59, 308, 20, idCopyrightLabel);
    allRights_ = CreateControl("STATIC", "", SS_LEFT | SS_CENTERIMAGE, 120, 80, 308, 20, idAllRightsLabel);
    siteUrl_ = CreateControl("STATIC", PRODUCT_SITE_URL, SS_LEFT | SS_NOTIFY, 119, 102, 300, 14, idSiteURLLabel);
    email_ = CreateControl("STATIC", SUPPORT_EMAIL, SS_LEFT | SS_NOTIFY, 119, 121, 300, 14, idEmailLabel);
    for (HWND link : {siteUrl_, email_}) SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(LinkFont()), FALSE);
}

void TAboutPanel::UpdateControls() {
    Handle();
    SetControlText(programName_, Translate("AppCBTitle", "%appname%"));
    SetControlText(version_, Translate("AboutForm_Version", "Version") + " " + PRODUCT_VERSION);
    SetControlText(copyright_, Translate("AboutForm_Copyright", "Copyright (c) 2003-2026 Velvic Tools"));
    SetControlText(allRights_, Translate("AboutForm_AllRights", "All Rights Reserved"));
    SetControlText(siteUrl_, PRODUCT_SITE_URL);
    SetControlText(email_, SUPPORT_EMAIL);
}

bool TAboutPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_SETCURSOR:
            if (!IsLink(reinterpret_cast<HWND>(wParam))) return false;
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        case WM_CTLCOLORSTATIC:
            if (!IsLink(reinterpret_cast<HWND>(lParam))) return false;
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            return true;
        case WM_COMMAND:
            if (HIWORD(wParam) != STN_CLICKED) return false;
            if (LOWORD(wParam) == idSiteURLLabel) OpenDocument(std::string(PRODUCT_SITE_URL) + PRODUCT_SITE_REF);
            else if (LOWORD(wParam) == idEmailLabel) OpenDocument(std::string("mailto:") + SUPPORT_EMAIL);
            else return false;
            result = 0;
            return true;
        default:
            return false;
    }
}

void RegisterAboutPanel() {
    static const bool registered = [] {
        RegisterDetailPanelClass(DetailPanelClassOf<TAboutPanel>(), ABOUT_PANEL_NAME);
        return true;
    }();
    (void)registered;
}

}  // namespace vpw
