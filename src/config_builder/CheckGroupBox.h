// A group box whose caption is a check box that enables or disables
// everything inside the box.
#pragma once
#include <functional>
#include <string>

#include "CheckBox.h"
#include "Containers.h"

namespace vpw {

enum class TBoxAlignment { LeftOfText, RightOfText };

class TCheckGroupBox : public TGroupBox {
public:
    ~TCheckGroupBox() override;
    bool Create(HWND parent, const std::string& caption, int x, int y, int w, int h);

    std::string GetCaption() const { return checkBox_.GetText(); }
    // A caption too wide for the box is ignored.
    void SetCaption(const std::string& caption);
    bool GetChecked() const { return checkBox_.GetChecked(); }
    // Re-applies the enabled pattern; OnCheckBoxClick is not called.
    void SetChecked(bool checked);
    bool GetCheckedEnables() const { return checkedEnables_; }
    void SetCheckedEnables(bool value);
    void SetBoxAlignment(TBoxAlignment alignment);
    // The children are enabled exactly while Checked equals CheckedEnables.
    bool ChildrenEnabled() const { return GetChecked() == checkedEnables_; }
    TButtonControl& CheckBox() { return checkBox_; }

    // The box's own click handling, run on every re-application.
    std::function<void()> OnClick;
    // Only for the user's clicks on the check box.
    std::function<void(TCheckGroupBox* sender)> OnCheckBoxClick;

    // The box behind a window of this class, or none.
    static TCheckGroupBox* FromWindow(HWND window);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    virtual void CheckBoxClick(bool byUser);
    virtual void EnableChildren(HWND control, bool enable);
    void Paint(HDC dc) override;

private:
    void FitCheckBox();
    void FontChanged(HFONT font);

    TButtonControl checkBox_;
    bool checkedEnables_ = true;
    HFONT font_ = nullptr;  // the parent's or the stock font; not owned
};

}  // namespace vpw
