// A control window owned by one object that subclasses it, and the
// reflection through which containers hand a child's notifications back to
// the child, so that each control handles its own clicks and changes.
#pragma once
#include <windows.h>

#include <string>

#include "WinHandles.h"

namespace vpw {

// A container sends WM_COMMAND, WM_NOTIFY and WM_CTLCOLOR* of a child to
// the child itself, as the message plus this base.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

// For a container's window procedure: true (and the child's answer in
// result) when the message was a child's notification.
bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// Called inside a catch block when a control's handler failed, with the
// control's top-level window; the program shows the error. None: ignored.
using TControlErrorHandler = void (*)(HWND owner) noexcept;
void SetControlErrorHandler(TControlErrorHandler handler);
// For a control's own catch block: hands the error to that handler.
void ReportControlError(HWND control) noexcept;

class TNativeControl {
public:
    TNativeControl() = default;
    TNativeControl(const TNativeControl&) = delete;
    TNativeControl& operator=(const TNativeControl&) = delete;
    virtual ~TNativeControl();

    HWND Handle() const { return window_.Get(); }

    std::string GetText() const;
    void SetText(const std::string& text);
    bool GetEnabled() const;
    void SetEnabled(bool enabled);
    void SetBounds(int left, int top, int width, int height);
    RECT BoundsInParent() const;
    void SetFont(HFONT font);
    HFONT GetFont() const;
    // The id a parent's notices and GetDlgItem know the control by.
    void SetControlId(int id);
    // The tooltip of the control; empty: none.
    const std::string& GetHint() const { return hint_; }
    void SetHint(const std::string& hint);

protected:
    // Creates the window and subclasses it; false when it could not.
    bool CreateControl(DWORD exStyle, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                       HWND parent);
    // Takes over a window that was created elsewhere.
    void Subclass(HWND window);
    // Messages reach here first; Default passes them on.
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR data) noexcept;

    TWindow window_;
    std::string hint_;
};

// Registers, once, a window class with the button face and the arrow
// cursor; by default with the plain procedure, for a control to subclass.
void RegisterControlClass(const char* name, WNDPROC proc = DefWindowProcA);
HFONT WindowFont(HWND window);
// Width and height of a text in a font (the window's when font is null).
SIZE TextExtent(HWND window, HFONT font, const std::string& text);

}  // namespace vpw
