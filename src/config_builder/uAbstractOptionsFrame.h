// The base of the options dialog's pages: a frame that loads its settings
// when the dialog opens and saves them on OK.
#pragma once
#include "uDetailPanelFrame.h"

namespace vpw {

class TAbstractOptionsFrame : public TDetailPanelFrame {
public:
    TAbstractOptionsFrame() : TDetailPanelFrame(391, 216, 216) {}

    virtual void LoadOptions() {}
    virtual void DoneOptions() {}
    virtual void SaveOptions() {}
    // GetCaption answers the page caption, which the dialog does not show.
};

}  // namespace vpw
