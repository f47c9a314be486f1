// The native frame of every detail panel: a child window that the panel's
// controls live in, created unplaced (parked in a hidden window) and moved
// into the main window's detail area when its object is selected.
#pragma once
#include <windows.h>

#include <string>

#include "BOMAbstractDetailPanel.h"
#include "WinHandles.h"

namespace vpw {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TDetailPanelFrame : public TAbstractDetailPanel {
public:
    // The frame's design size in pixels.
    explicit TDetailPanelFrame(int width = 108, int height = 20, int minHeight = 20);
    ~TDetailPanelFrame() override;

    // The frame window, created (with its controls) on first use.
    HWND Handle();
    // Creates the window first, so that translating finds the controls.
    void Init(IBOMObject* object) override;

    // Moves the frame into `parent`, sized by its alignment, and shows it;
    // as loading, so that nothing it writes on showing counts as an edit.
    void PlaceIn(HWND parent);
    // Hides the frame and takes it out of its parent.
    void Park();
    bool IsPlaced() const;
    // Sizes the frame inside its parent's client area by its alignment.
    void Realign();

    TAlign GetAlign() const { return align_; }
    void SetAlign(TAlign align);
    int Width() const { return width_; }
    int Height() const { return height_; }
    int MinHeight() const { return minHeight_; }

    // Commits a value typed into a field that still has the focus; runs
    // before every command and before the close question. Here the focus
    // leaves the field and comes back, so that fields committing on focus
    // loss do so.
    virtual void CommitEdits();

    // Sets a control's text without it counting as an edit.
    void SetControlText(HWND control, const std::string& text);
    // The font of the frame and its controls.
    static HFONT DefaultFont();

protected:
    // Builds the panel's controls inside `frame`; nothing here.
    virtual void CreateControls(HWND frame) {}
    // A message of the frame window (WM_COMMAND and WM_NOTIFY of its
    // controls, WM_SIZE); true when handled with `result`.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }

private:
    static LRESULT CALLBACK FrameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

    TWindow window_;
    int width_;
    int height_;
    int minHeight_;
    TAlign align_ = TAlign::alClient;
    bool creating_ = false;
};

// The hidden window that holds frames not shown in any detail area.
HWND PanelParkingWindow();
// The frame that owns the window, or nothing.
TDetailPanelFrame* FrameOfWindow(HWND window);
// Lays every frame directly inside `parent` out again (the parent resized).
void RealignFramesIn(HWND parent);

}  // namespace vpw
