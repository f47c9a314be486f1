// Buttons whose state a panel can set from the model without running the
// handler that writes the state back.
#pragma once
#include <functional>
#include <string>

#include "NativeControl.h"

namespace vpw {

// A push, check or radio button with a click event.
class TButtonControl : public TNativeControl {
public:
    bool Create(HWND parent, DWORD buttonStyle, const std::string& caption, int x, int y, int w, int h);
    bool GetChecked() const;
    // Never fires OnClick.
    virtual void SetChecked(bool checked);

    std::function<void()> OnClick;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool quiet_ = false;
};

class TQuietCheckBox : public TButtonControl {
public:
    bool Create(HWND parent, const std::string& caption, int x, int y, int w, int h);
    // Changes the state without firing OnClick; a user's click fires it.
    void SetChecked(bool checked) override;
};

}  // namespace vpw
