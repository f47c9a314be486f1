#include "uVelvicWindowsDetailPanel.h"

#include "MultiLanguages.h"

namespace vpw {

TVelvicWindowsDetailPanel::TVelvicWindowsDetailPanel() : TCBDetailPanel(200) {}

void TVelvicWindowsDetailPanel::CreateControls(HWND frame) {
    memo_.Create(frame, 0, 0, 100, 100);
    font_.Reset(CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    memo_.SetFont(font_.Get());
}

void TVelvicWindowsDetailPanel::Layout(int width, int height) { memo_.SetBounds(0, 0, width, height); }

void TVelvicWindowsDetailPanel::TranslateControls() { memo_.SetText(Translate("VWDP_Memo", memo_.GetText())); }

}  // namespace vpw
