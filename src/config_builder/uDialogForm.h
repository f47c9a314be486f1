// The shell of the configuration program's small modal dialogs: a fixed
// border with only the system-menu button, the dialog font, and a strip of
// buttons along the bottom that keep their distance to the right edge.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "WinHandles.h"

namespace vpw {

inline constexpr char CB_DIALOG_FORM_CLASS[] = "VPW_DialogForm";

class TDialogForm {
public:
    // Height of the bottom strip that holds the buttons.
    static constexpr int kCommandPanelHeight = 41;

    // Client size and button positions are given at the design width.
    TDialogForm(HWND owner, int clientWidth, int clientHeight);
    TDialogForm(const TDialogForm&) = delete;
    TDialogForm& operator=(const TDialogForm&) = delete;
    virtual ~TDialogForm();

    HWND Handle() const { return window_.Get(); }
    void SetCaption(const std::string& caption);
    // Resizes the client area; the buttons follow the right edge.
    void SetClientSize(int width, int height);
    int CommandPanelHeight() const { return kCommandPanelHeight; }

    // Shows the form with its owner disabled until it closes; the modal
    // result (1 OK, 2 Cancel and closing).
    int ShowModal();
    void SetModalResult(int result) { modalResult_ = result; }
    int ModalResult() const { return modalResult_; }

protected:
    // A 75 by 25 button at `left`, 8 pixels into the bottom strip.
    HWND AddCommandButton(int id, const std::string& caption, int left, bool isDefault);
    // IDOK closes with OK, IDCANCEL with Cancel.
    virtual void ButtonClick(int id);

private:
    static LRESULT CALLBACK FormWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    void LayoutButtons();

    struct TCommandButton {
        HWND window;
        int rightGap;
    };

    TWindow window_;
    HWND owner_;
    int designWidth_;
    int defaultId_ = IDOK;
    int modalResult_ = 0;
    std::vector<TCommandButton> buttons_;
};

}  // namespace vpw
