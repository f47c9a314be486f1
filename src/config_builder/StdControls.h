// Thin owners of the standard controls that the detail panels use: labels,
// edits, memos and drop-down lists, with the events the panels need.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "NativeControl.h"

namespace vpw {

class TLabel : public TNativeControl {
public:
    // `style` is added to the styles: with word wrap (SS_LEFT, which is 0),
    // another alignment, vertical centring or an icon.
    bool Create(HWND parent, const std::string& caption, int x, int y, int w, int h, bool wordWrap = false,
                DWORD style = 0);
    // Width of the caption in the label's font.
    int TextWidth() const;
    // A click on the label's text.
    std::function<void()> OnClick;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class TEdit : public TNativeControl {
public:
    bool Create(HWND parent, int x, int y, int w, int h);
    int GetSelStart() const;
    void SetSelStart(int start);

    // The focus left the field.
    std::function<void()> OnExit;
    // The text changed, by the user or by code.
    std::function<void()> OnChange;
    // A character typed into the field; Enter (13) is handled and dropped.
    std::function<void(char key)> OnKeyPress;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// A read-only text with a vertical scroll bar.
class TMemo : public TNativeControl {
public:
    bool Create(HWND parent, int x, int y, int w, int h);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// A drop-down list; only the user's choices fire OnChange.
class TComboList : public TNativeControl {
public:
    // `style`: more combo-box styles (sorting).
    bool Create(HWND parent, int x, int y, int w, int h, DWORD style = 0);
    void SetItems(const std::vector<std::string>& items);
    int GetItemIndex() const;
    void SetItemIndex(int index);
    std::function<void()> OnChange;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace vpw
