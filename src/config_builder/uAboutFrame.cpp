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

void TAboutPanel::CreateControls(HWND frame) {
    struct TPlaced {
        TLabel& label;
        const char* caption;
        DWORD style;
        int x, y, w, h, id;
        HFONT font;
    } const labels[] = {
        {logo_, "", SS_ICON | SS_CENTERIMAGE, 8, 8, 97, 73, idLogoImage, DefaultFont()},
        {programName_, "", SS_CENTER | SS_CENTERIMAGE, 104, 8, 324, 25, idProgramNameLabel, TitleFont()},
        {version_, "", SS_CENTERIMAGE, 120, 37, 308, 20, idVersionLabel, DefaultFont()},
        {copyright_, "", SS_CENTERIMAGE, 120, 59, 308, 20, idCopyrightLabel, DefaultFont()},
        {allRights_, "", SS_CENTERIMAGE, 120, 80, 308, 20, idAllRightsLabel, DefaultFont()},
        {siteUrl_, PRODUCT_SITE_URL, 0, 119, 102, 300, 14, idSiteURLLabel, LinkFont()},
        {email_, SUPPORT_EMAIL, 0, 119, 121, 300, 14, idEmailLabel, LinkFont()},
    };
    for (const TPlaced& p : labels) {
        p.label.Create(frame, p.caption, p.x, p.y, p.w, p.h, true, p.style);
        p.label.SetFont(p.font);
        p.label.SetControlId(p.id);
    }
    SendMessageA(logo_.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_APPLICATION)), 0);
    siteUrl_.OnClick = [] { OpenDocument(std::string(PRODUCT_SITE_URL) + PRODUCT_SITE_REF); };
    email_.OnClick = [] { OpenDocument(std::string("mailto:") + SUPPORT_EMAIL); };
}

void TAboutPanel::UpdateControls() {
    Handle();
    SetControlText(programName_.Handle(), Translate("AppCBTitle", "%appname%"));
    SetControlText(version_.Handle(), Translate("AboutForm_Version", "Version") + " " + PRODUCT_VERSION);
    SetControlText(copyright_.Handle(), Translate("AboutForm_Copyright", "Copyright (c) 2003-2026 Velvic Tools"));
    SetControlText(allRights_.Handle(), Translate("AboutForm_AllRights", "All Rights Reserved"));
    SetControlText(siteUrl_.Handle(), PRODUCT_SITE_URL);
    SetControlText(email_.Handle(), SUPPORT_EMAIL);
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
