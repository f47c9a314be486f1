// The panel of the rule tree's root: a help text about window rules.
#pragma once
#include "StdControls.h"
#include "uCBDetailPanel.h"

namespace vpw {

class TVelvicWindowsDetailPanel : public TCBDetailPanel {
public:
    TVelvicWindowsDetailPanel();
    void TranslateControls() override;
    TMemo& Memo() { return memo_; }

protected:
    void CreateControls(HWND frame) override;
    void Layout(int width, int height) override;

private:
    TMemo memo_;
    TFont font_;
};

}  // namespace vpw
