// A combo box that keeps what was entered, most recent first, and completes
// what the user types from that history.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "NativeControl.h"

namespace vpw {

// True when text begins with prefix, letter case ignored the user's way.
bool StartsWithIgnoreCase(const std::string& text, const std::string& prefix);

class THistoryComboBox : public TNativeControl {
public:
    ~THistoryComboBox() override;
    // A drop-down combo box; height is the closed height.
    bool Create(HWND parent, int x, int y, int w, int h);

    bool AutoHistory = false;
    bool AutoCompletion = false;
    int GetCapacity() const { return capacity_; }
    // 0 or less: unlimited; otherwise the oldest entries beyond it go.
    void SetCapacity(int capacity);

    std::vector<std::string> GetItems() const;
    void SetItems(const std::vector<std::string>& items);
    // Text set from code is never completed.
    void SetComboText(const std::string& text);
    int GetSelStart() const;
    void SetSelStart(int start);

    virtual bool CanAddHistory(const std::string& text);
    // Puts the shown text first in the history.
    virtual void AddHistory();

    std::function<void(const std::string& text, bool& canAdd)> OnCanAddHistory;
    // The user changed the text.
    std::function<void()> OnChange;
    // The focus left the control.
    std::function<void()> OnExit;
    // A character typed into the field; Enter (13) is handled and dropped.
    std::function<void(char key)> OnKeyPress;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HWND EditWindow() const;
    void TextChanged();
    void TrimToCapacity(std::vector<std::string>& items) const;
    static LRESULT CALLBACK EditProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) noexcept;

    int capacity_ = 0;
    size_t lastTextLength_ = 0;
    HWND edit_ = nullptr;  // the combo's own child; not owned here
};

}  // namespace vpw
