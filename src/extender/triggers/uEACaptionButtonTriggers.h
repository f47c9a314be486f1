// Caption buttons: push buttons drawn into a hooked window's title bar, left
// of its own system buttons. The trigger lays them out and repaints them
// whenever the system repaints the caption; each button is an agent bound to
// one action and shows the faces of the operation a click would run next.
#pragma once
#include <windows.h>
#include <uxtheme.h>

#include <cstdint>
#include <string>

#include "uEAActivators.h"

namespace vpw {

// Border styles as GetBorderStyle derives them from the window's styles.
enum : std::uint8_t {
    CAPTION_BORDER_NONE = 0,
    CAPTION_BORDER_SINGLE = 1,
    CAPTION_BORDER_SIZEABLE = 2,
    CAPTION_BORDER_DIALOG = 3,
    CAPTION_BORDER_TOOLWINDOW = 4,
    CAPTION_BORDER_SIZEABLE_TOOLWINDOW = 5,
};

std::uint8_t BorderStyleOf(DWORD style, DWORD exStyle);
// Horizontal and vertical frame thickness of a border style.
void FrameSizeOf(std::uint8_t borderStyle, int& width, int& height);
// How many system buttons (close, minimise and maximise, help) the caption shows.
int SystemButtonCountOf(DWORD style, DWORD exStyle);
bool IsToolWindowBorder(std::uint8_t borderStyle);

class TEACaptionButtonTrigger : public TActionsActivator, public virtual ICaptionButtonTrigger {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    void Initialize() override;
    void AttachWindow() override;
    void DetachWindow() override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message, bool handled) override;

    // ICaptionButtonTrigger
    std::uint8_t GetBorderStyle() override;
    bool GetWindowActive() override { return active_; }
    void GetFrameSize(int& width, int& height) override;

    int GetSystemButtonCount();
    // Places the buttons right to left from the system buttons and repaints the frame.
    void Resize();
    void PaintButtons();

protected:
    ~TEACaptionButtonTrigger() override = default;

private:
    bool active_ = false;
};

class TEACaptionButtonAgent : public TActionActivator,
                              public virtual IMessageHandler,
                              public virtual ICaptionButtonAgent {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    void Connect() override;
    void AttachWindow() override;
    void DetachWindow() override;
    // The action changed its current operation: new faces.
    void Update(IPublisher* publisher) override;
    virtual void Click();

    // IMessageHandler: the mouse handling of the button.
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message, bool handled) override {}

    // ICaptionButtonAgent
    int GetButtonWidth() override;
    int GetButtonHeight() override;
    int GetLeft() override { return left_; }
    void SetLeft(int left) override;
    void Paint() override;
    bool IsPointOverButton(int x, int y) override;

    RECT GetButtonRect() const { return button_; }
    bool GetCaptured() const { return captured_; }
    bool GetPressed() const { return pressed_; }
    HBITMAP GetPressedFace() const { return pressedFace_; }
    HBITMAP GetNormalFace() const { return normalFace_; }

protected:
    ~TEACaptionButtonAgent() override = default;

private:
    IPtr<ICaptionButtonTrigger> Trigger();
    HWND Window();
    std::uint8_t BorderStyle();
    void UpdateButton(IAction* action);
    void OpenButtonTheme();
    void CloseButtonTheme();
    // Ends a press without a click: the mouse goes back to the window.
    void CancelPress();

    RECT button_{0, 0, 0, 0};
    bool captured_ = false;
    bool pressed_ = false;
    int left_ = 0;
    HBITMAP pressedFace_ = nullptr;  // owned by the operation
    HBITMAP normalFace_ = nullptr;   // owned by the operation
    HTHEME theme_ = nullptr;
    int themePart_ = 1;  // BP_PUSHBUTTON
    std::wstring themeClass_ = L"button";
};

}  // namespace vpw
