// The about panel: program name, version, notices and two links. Registered
// as "AboutPanel"; it is never bound to a model object.
#pragma once
#include "StdControls.h"
#include "uDetailPanelFrame.h"

namespace vpw {

enum TAboutPanelControl : int {
    idLogoImage = 1101,
    idProgramNameLabel = 1102,
    idVersionLabel = 1103,
    idCopyrightLabel = 1104,
    idAllRightsLabel = 1105,
    idSiteURLLabel = 1106,
    idEmailLabel = 1107,
};

inline constexpr char ABOUT_PANEL_NAME[] = "AboutPanel";
inline constexpr char PRODUCT_VERSION[] = "1.1";
inline constexpr char PRODUCT_SITE_URL[] = "http://www.velvictools.com/plimsywindows/";
inline constexpr char PRODUCT_SITE_REF[] = "?ref=vpw11_prg";
inline constexpr char SUPPORT_EMAIL[] = "support@velvictools.com";

class TAboutPanel : public TDetailPanelFrame {
public:
    TAboutPanel() : TDetailPanelFrame(429, 190, 190) {}
    void UpdateControls() override;

    // What the links open, through the shell's "open" verb; replaceable for tests.
    static void (*OpenDocument)(const std::string& target);

protected:
    void CreateControls(HWND frame) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool IsLink(HWND control) const {
        return control && (control == siteUrl_.Handle() || control == email_.Handle());
    }

    TLabel logo_;
    TLabel programName_;
    TLabel version_;
    TLabel copyright_;
    TLabel allRights_;
    TLabel siteUrl_;
    TLabel email_;
};

// Adds the panel to the detail-panel registry (once).
void RegisterAboutPanel();

}  // namespace vpw
