// A 32 by 32 control that the user drags over any window on the screen to
// pick it: the window under the cursor is outlined while the button is held
// and is reported when the button is released over it.
#pragma once
#include <functional>

#include "NativeControl.h"

namespace vpw {

class TFindWindow : public TNativeControl {
public:
    bool Create(HWND parent, int x, int y);

    bool GetSelectedChildWindow() const { return selectedChildWindow_; }
    // False: the top-level window under the cursor is picked, not a child.
    void SetSelectedChildWindow(bool value);
    bool IsPicking() const { return picking_; }
    HWND GetHighlightedWindow() const { return highlighted_; }

    // May change the window or refuse it.
    std::function<void(HWND& window, bool& refuse)> BeforeSelectWindow;
    // The window the button was released over.
    std::function<void(HWND window)> AfterSelectWindow;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void BeginPick();
    void MouseMove(POINT client);
    void EndPick(bool released, POINT client);
    // The window at a client point, after the child rule and the handler;
    // none when refused.
    HWND Candidate(POINT client);
    void MoveHighlight(HWND window);
    void Paint();

    TBitmap on_;
    TBitmap off_;
    HCURSOR savedCursor_ = nullptr;  // shared cursors: not owned
    bool picking_ = false;
    bool selectedChildWindow_ = true;
    // Windows of other programs: only looked at, never owned.
    HWND highlighted_ = nullptr;
    HWND selected_ = nullptr;
};

// Inverts a 3-pixel frame along the window's edges; twice restores it.
void InvertWindowOutline(HWND window);

}  // namespace vpw
