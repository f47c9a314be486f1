// The options dialog: one page of general options, OK and Cancel.
#pragma once
#include <windows.h>

#include <memory>

#include "uDialogForm.h"
#include "uGeneralOptionsFrame.h"

namespace vpw {

class TOptionsForm : public TDialogForm {
public:
    explicit TOptionsForm(HWND owner);
    ~TOptionsForm() override;

    TAbstractOptionsFrame* Page() const { return page_.get(); }

protected:
    void ButtonClick(int id) override;

private:
    std::unique_ptr<TAbstractOptionsFrame> page_;
};

// Shows the dialog modally; the modal result (1 when closed with OK, which
// has saved the settings).
int ShowOptionsForm(HWND owner);

}  // namespace vpw
