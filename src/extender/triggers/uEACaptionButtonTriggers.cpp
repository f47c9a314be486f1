#include "uEACaptionButtonTriggers.h"

#include <algorithm>

#include "EARoutines.h"
#include "Exceptions.h"
#include "WinHandles.h"
#include "uEAVisualStyles.h"

namespace vpw {

namespace {

VPW_DECLARE_EXCEPTION(ECaptionButtonAssertion, Exception);

[[noreturn]] void InternalError(const char* text) {
    throw ECaptionButtonAssertion(std::string(text) + " (uEACaptionButtonTriggers)");
}

// A message the system sends while it redraws a caption on some versions.
constexpr UINT WM_UNDOCUMENTED_CAPTION_REDRAW = 0x8BAE;

constexpr int THEME_STATE_NORMAL = 1;   // PBS_NORMAL
constexpr int THEME_STATE_PRESSED = 3;  // PBS_PRESSED

// Points of mouse messages are two signed 16-bit halves.
POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(static_cast<DWORD>(lParam))),
                 static_cast<short>(HIWORD(static_cast<DWORD>(lParam)))};
}

// Buttons belong in a title bar; a window without one has nowhere to show them.
bool HasCaption(HWND window) {
    return (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & WS_CAPTION) == WS_CAPTION;
}

void RedrawFrame(HWND window) {
    if (window && IsWindow(window))
        RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_NOERASE | RDW_INVALIDATE);
}

// Draws the top-left part of `bitmap` that fits, keyed on its bottom-left pixel.
void DrawTransparent(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, int bitmapHeight) {
    if (width <= 0 || height <= 0) return;
    TMemoryDC source(CreateCompatibleDC(dc));
    if (!source) return;
    // A bitmap selected elsewhere cannot be drawn from here.
    TSelectObject selected(source.Get(), bitmap);
    if (!selected.Ok()) return;
    COLORREF key = GetPixel(source.Get(), 0, bitmapHeight - 1);
    if (key == CLR_INVALID)
        BitBlt(dc, x, y, width, height, source.Get(), 0, 0, SRCCOPY);
    else
        GdiTransparentBlt(dc, x, y, width, height, source.Get(), 0, 0, width, height, key);
}

}  // namespace

std::uint8_t BorderStyleOf(DWORD style, DWORD exStyle) {
    std::uint8_t result = CAPTION_BORDER_NONE;
    if (style & WS_BORDER) result = CAPTION_BORDER_SINGLE;
    if (style & WS_THICKFRAME) result = CAPTION_BORDER_SIZEABLE;
    if (exStyle & WS_EX_DLGMODALFRAME) result = CAPTION_BORDER_DIALOG;
    if ((exStyle & WS_EX_TOOLWINDOW) && result == CAPTION_BORDER_SINGLE) result = CAPTION_BORDER_TOOLWINDOW;
    if ((exStyle & WS_EX_TOOLWINDOW) && result == CAPTION_BORDER_SIZEABLE)
        result = CAPTION_BORDER_SIZEABLE_TOOLWINDOW;
    return result;
}

void FrameSizeOf(std::uint8_t borderStyle, int& width, int& height) {
    switch (borderStyle) {
    case CAPTION_BORDER_SINGLE:
    case CAPTION_BORDER_TOOLWINDOW:
        width = GetSystemMetrics(SM_CXDLGFRAME);
        height = GetSystemMetrics(SM_CYDLGFRAME);
        break;
    case CAPTION_BORDER_SIZEABLE:
    case CAPTION_BORDER_SIZEABLE_TOOLWINDOW:
        width = GetSystemMetrics(SM_CXFRAME);
        height = GetSystemMetrics(SM_CYFRAME);
        break;
    case CAPTION_BORDER_DIALOG:
        width = GetSystemMetrics(SM_CXDLGFRAME) - 1;
        height = GetSystemMetrics(SM_CYDLGFRAME);
        break;
    default:
        width = 0;
        height = 0;
        break;
    }
}

int SystemButtonCountOf(DWORD style, DWORD exStyle) {
    int close = (style & WS_SYSMENU) ? 1 : 0;
    int boxes = ((style & WS_MINIMIZEBOX) ? 1 : 0) + ((style & WS_MAXIMIZEBOX) ? 1 : 0);
    if (boxes == 1) boxes = 2;  // either box brings both
    if (boxes == 0 && close == 1 && (exStyle & WS_EX_CONTEXTHELP)) close = 2;
    return close == 1 ? close + boxes : close;
}

bool IsToolWindowBorder(std::uint8_t borderStyle) {
    return borderStyle == CAPTION_BORDER_TOOLWINDOW || borderStyle == CAPTION_BORDER_SIZEABLE_TOOLWINDOW;
}

// ------------------------------------------------ TEACaptionButtonTrigger

bool TEACaptionButtonTrigger::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<ICaptionButtonTrigger>(this, iid, out)) return true;
    return TActionsActivator::QueryInterface(iid, out);
}

void TEACaptionButtonTrigger::Initialize() {
    TActionsActivator::Initialize();
    SetDefaultAgentClass("CAPTIONBUTTONAGENT");
}

void TEACaptionButtonTrigger::AttachWindow() {
    try {
        TActionsActivator::AttachWindow();
        Resize();
    } catch (...) {
    }
}

void TEACaptionButtonTrigger::DetachWindow() {
    try {
        IPtr<IWindowHandler> handler = GetWindowHandler();
        HWND window = handler ? handler->GetWindow() : nullptr;
        const bool dying = handler && handler->IsWindowBeingDestroyed();
        TActionsActivator::DetachWindow();
        // The system repaints the title bar without the buttons; a dying
        // window is sent nothing.
        if (!dying) RedrawFrame(window);
    } catch (...) {
    }
}

bool TEACaptionButtonTrigger::BeforeMessage(TMessage& message) {
    if (message.Msg == WM_NCACTIVATE) active_ = message.WParam != 0;
    return false;
}

void TEACaptionButtonTrigger::AfterMessage(TMessage& message, bool handled) {
    try {
        switch (message.Msg) {
        case WM_SIZE:
        case WM_SETTINGCHANGE:
        case WM_THEMECHANGED:
            Resize();
            break;
        case WM_SETTEXT:
        case WM_STYLECHANGED:
        case WM_SETICON:
        case WM_NCPAINT:
        case WM_NCACTIVATE:
        case WM_UNDOCUMENTED_CAPTION_REDRAW:
            PaintButtons();
            break;
        default:
            break;
        }
    } catch (...) {
    }
}

std::uint8_t TEACaptionButtonTrigger::GetBorderStyle() {
    try {
        IPtr<IWindowHandler> handler = GetWindowHandler();
        if (!handler) InternalError("TEACaptionButtonTrigger.GetBorderStyle - {60E1D7B5-5334-4E68-9305-501AA2798B26}");
        HWND window = handler->GetWindow();
        return BorderStyleOf(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
                             static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    } catch (...) {
        return CAPTION_BORDER_NONE;
    }
}

void TEACaptionButtonTrigger::GetFrameSize(int& width, int& height) {
    width = 0;
    height = 0;
    try {
        FrameSizeOf(GetBorderStyle(), width, height);
    } catch (...) {
        width = 0;
        height = 0;
    }
}

int TEACaptionButtonTrigger::GetSystemButtonCount() {
    try {
        HWND window = Window();
        if (!window) return 0;
        return SystemButtonCountOf(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
                                   static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    } catch (...) {
        return 0;
    }
}

void TEACaptionButtonTrigger::Resize() {
    try {
        IPtr<IWindowHandler> handler = GetWindowHandler();
        if (!handler) InternalError("TEACaptionButtonTrigger.Resize - {9B96D786-C531-4914-A4DA-F3B46E5202FA}");
        HWND window = handler->GetWindow();
        int systemButtonWidth = GetSystemMetrics(IsToolWindowBorder(GetBorderStyle()) ? SM_CXSMSIZE : SM_CXSIZE);
        RECT rect{};
        GetWindowRect(window, &rect);
        int frameWidth = 0, frameHeight = 0;
        GetFrameSize(frameWidth, frameHeight);
        int x = (rect.right - rect.left) - 2 * frameWidth - systemButtonWidth * GetSystemButtonCount() - 2;
        ForEachAgent([&x](const IPtr<IAgent>& agent) {
            if (IPtr<ICaptionButtonAgent> button = Supports<ICaptionButtonAgent>(agent)) {
                x -= button->GetButtonWidth();
                button->SetLeft(x);
            }
        });
        RedrawFrame(window);
    } catch (...) {
    }
}

void TEACaptionButtonTrigger::PaintButtons() {
    ForEachAgent([](const IPtr<IAgent>& agent) {
        if (IPtr<ICaptionButtonAgent> button = Supports<ICaptionButtonAgent>(agent)) button->Paint();
    });
}

// -------------------------------------------------- TEACaptionButtonAgent

bool TEACaptionButtonAgent::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<ICaptionButtonAgent, IMessageHandler>(this, iid, out)) return true;
    return TActionActivator::QueryInterface(iid, out);
}

IPtr<ICaptionButtonTrigger> TEACaptionButtonAgent::Trigger() { return Supports<ICaptionButtonTrigger>(Owner()); }

HWND TEACaptionButtonAgent::Window() {
    IPtr<IWindowHandler> handler = WindowHandler();
    return handler ? handler->GetWindow() : nullptr;
}

std::uint8_t TEACaptionButtonAgent::BorderStyle() {
    IPtr<ICaptionButtonTrigger> trigger = Trigger();
    return trigger ? trigger->GetBorderStyle() : std::uint8_t{CAPTION_BORDER_NONE};
}

void TEACaptionButtonAgent::Connect() {
    try {
        TActionActivator::Connect();
        if (IPtr<IAction> action = FindAction()) UpdateButton(action.get());
    } catch (...) {
    }
}

void TEACaptionButtonAgent::AttachWindow() {
    try {
        TActionActivator::AttachWindow();
        IPtr<IWindowHandler> handler = WindowHandler();
        if (!handler) InternalError("TEACaptionButtonAgent.AttachWindow - {AE7E503D-EDBA-4444-ACF2-04279711021D}");
        handler->AddMessageHandler(static_cast<IMessageHandler*>(this));
        OpenButtonTheme();
        if (IPtr<IAction> action = FindAction()) UpdateButton(action.get());
    } catch (...) {
    }
}

void TEACaptionButtonAgent::DetachWindow() {
    try {
        CloseButtonTheme();
        IPtr<IWindowHandler> handler = WindowHandler();
        if (!handler) InternalError("TEACaptionButtonAgent.DetachWindow - {E9326D6E-4452-42F6-8C67-D969D9AA4E52}");
        // A press in progress must not leave the mouse captured by a window
        // that nobody handles the release for any more. A dying window is
        // sent nothing: the system takes the capture back with it.
        if (handler->IsWindowBeingDestroyed())
            captured_ = pressed_ = false;
        else if (captured_)
            CancelPress();
        handler->RemoveMessageHandler(static_cast<IMessageHandler*>(this));
        TActionActivator::DetachWindow();
    } catch (...) {
    }
}

void TEACaptionButtonAgent::Update(IPublisher* publisher) {
    try {
        if (!publisher) return;
        if (IPtr<IAction> action = Supports<IAction>(publisher->GetOwner())) UpdateButton(action.get());
    } catch (...) {
    }
}

void TEACaptionButtonAgent::UpdateButton(IAction* action) {
    try {
        IPtr<IOperation> next = action ? action->GetNextOperation() : nullptr;
        if (!next) return;
        pressedFace_ = nullptr;
        normalFace_ = nullptr;
        if (IsToolWindowBorder(BorderStyle())) {
            pressedFace_ = next->GetSmallImage();
            normalFace_ = next->GetSmallDownImage();
            if (!normalFace_) normalFace_ = pressedFace_;
        }
        if (!pressedFace_) pressedFace_ = next->GetImage();
        if (!normalFace_) normalFace_ = next->GetDownImage();
        if (!normalFace_) normalFace_ = pressedFace_;
        if (GetAttached()) Paint();
    } catch (...) {
    }
}

void TEACaptionButtonAgent::Click() {
    try {
        Execute();
    } catch (...) {
    }
}

int TEACaptionButtonAgent::GetButtonWidth() {
    return GetSystemMetrics(IsToolWindowBorder(BorderStyle()) ? SM_CXSMSIZE : SM_CXSIZE);
}

int TEACaptionButtonAgent::GetButtonHeight() {
    return GetSystemMetrics(IsToolWindowBorder(BorderStyle()) ? SM_CYSMSIZE : SM_CYSIZE);
}

void TEACaptionButtonAgent::SetLeft(int left) {
    try {
        left_ = left;
        button_ = RECT{left, 0, left + GetButtonWidth(), GetButtonHeight()};
    } catch (...) {
    }
}

bool TEACaptionButtonAgent::IsPointOverButton(int x, int y) {
    try {
        HWND window = Window();
        if (!window || !HasCaption(window)) return false;
        IPtr<ICaptionButtonTrigger> trigger = Trigger();
        if (!trigger) return false;
        RECT rect{};
        if (!GetWindowRect(window, &rect)) return false;
        int frameWidth = 0, frameHeight = 0;
        trigger->GetFrameSize(frameWidth, frameHeight);
        POINT point{x - rect.left - frameWidth, y - rect.top - frameHeight};
        return PtInRect(&button_, point) != FALSE;
    } catch (...) {
        return false;
    }
}

void TEACaptionButtonAgent::Paint() {
    try {
        HWND window = Window();
        // GetWindowDC(0) would be the whole screen.
        if (!window || !IsWindow(window) || !HasCaption(window)) return;
        IPtr<ICaptionButtonTrigger> trigger = Trigger();
        if (!trigger) return;
        int frameWidth = 0, frameHeight = 0;
        trigger->GetFrameSize(frameWidth, frameHeight);

        TWindowDC windowDC = TWindowDC::Whole(window);
        HDC dc = windowDC.Get();
        if (!dc) return;
        TSavedDC state(dc);
        POINT origin{};
        GetWindowOrgEx(dc, &origin);
        SetWindowOrgEx(dc, origin.x - frameWidth, origin.y - frameHeight, nullptr);
        SelectObject(dc, GetStockObject(DC_BRUSH));
        SetDCBrushColor(dc, GetSysColor(trigger->GetWindowActive() ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));

        RECT rect = button_;
        rect.left += 2;
        rect.top += 2;
        rect.bottom -= 2;
        if (rect.bottom < rect.top || rect.right < rect.left) return;

        RECT themed = rect;
        themed.top -= 1;
        int stateId = pressed_ ? THEME_STATE_PRESSED : THEME_STATE_NORMAL;
        if (!DrawThemePart(theme_, window, dc, themePart_, stateId, themed)) {
            UINT flags = DFCS_BUTTONPUSH | (pressed_ ? DFCS_PUSHED : 0);
            if (!DrawFrameControl(dc, &rect, DFC_BUTTON, flags)) return;
        }
        if (pressed_) OffsetRect(&rect, 1, 1);

        HBITMAP image = pressed_ ? pressedFace_ : normalFace_;
        if (image) {
            BITMAP info{};
            if (GetObjectA(image, sizeof info, &info)) {
                int width = rect.right - rect.left;
                int height = rect.bottom - rect.top;
                int drawWidth = std::min<int>(info.bmWidth, width);
                int drawHeight = std::min<int>(info.bmHeight, height);
                DrawTransparent(dc, rect.left + (width - drawWidth) / 2, rect.top + (height - drawHeight) / 2,
                                drawWidth, drawHeight, image, info.bmHeight);
            }
        }
    } catch (...) {
    }
}

void TEACaptionButtonAgent::OpenButtonTheme() { theme_ = OpenThemeFor(Window(), themeClass_.c_str()); }

void TEACaptionButtonAgent::CloseButtonTheme() { CloseThemeOf(theme_); }

void TEACaptionButtonAgent::CancelPress() {
    bool wasPressed = pressed_;
    captured_ = false;
    pressed_ = false;
    HWND window = Window();
    if (window && GetCapture() == window) ReleaseCapture();
    if (wasPressed) Paint();
}

bool TEACaptionButtonAgent::BeforeMessage(TMessage& message) {
    try {
        IPtr<IWindowHandler> handler = WindowHandler();
        if (!handler) InternalError("TEACaptionButtonAgent.BeforeMessage -{C3CFE87B-84CF-4B4B-AEFF-6E1BF70A81C9}");
        HWND window = handler->GetWindow();
        switch (message.Msg) {
        case WM_NCHITTEST: {
            POINT p = PointOf(message.LParam);
            if (!IsPointOverButton(p.x, p.y)) return false;
            // Border, not caption: the system starts no drag and no maximise here.
            message.Result = HTBORDER;
            return true;
        }
        case WM_NCLBUTTONDOWN: {
            POINT p = PointOf(message.LParam);
            if (!IsPointOverButton(p.x, p.y)) return false;
            // Pressed before the capture, whose change the host hears: a
            // detach then gives the mouse back.
            captured_ = true;
            pressed_ = true;
            SetCapture(window);
            if (WindowHandler() != handler) {
                if (GetCapture() == window) ReleaseCapture();
                return true;
            }
            Paint();
            return true;
        }
        case WM_NCLBUTTONDBLCLK: {
            POINT p = PointOf(message.LParam);
            if (!IsPointOverButton(p.x, p.y)) return false;
            // A double click is a second press.
            SendMessageA(window, WM_NCLBUTTONDOWN, message.WParam, message.LParam);
            return true;
        }
        case WM_MOUSEMOVE: {
            if (!captured_) return false;
            POINT p = PointOf(message.LParam);
            ClientToScreen(window, &p);
            bool over = IsPointOverButton(p.x, p.y);
            if (over != pressed_) {
                pressed_ = over;
                Paint();
            }
            return true;
        }
        case WM_LBUTTONUP: {
            if (!captured_) return false;
            POINT p = PointOf(message.LParam);
            ClientToScreen(window, &p);
            // Cleared before the release, so the capture change it causes finds nothing to undo.
            captured_ = false;
            pressed_ = false;
            ReleaseCapture();
            Paint();
            if (IsPointOverButton(p.x, p.y)) Click();
            return true;
        }
        case WM_CAPTURECHANGED:
            // Another window took the mouse (a menu, Alt+Tab): the press is over.
            if (captured_ && reinterpret_cast<HWND>(message.LParam) != window) CancelPress();
            return false;
        case WM_CANCELMODE:
            if (captured_) CancelPress();
            return false;
        case WM_THEMECHANGED:
            if (ThemeLibraryLoaded()) {
                CloseButtonTheme();
                OpenButtonTheme();
            }
            return false;
        default:
            return false;
        }
    } catch (...) {
        return false;
    }
}

}  // namespace vpw
