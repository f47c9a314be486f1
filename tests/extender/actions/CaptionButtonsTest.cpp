// Caption buttons on real windows: metrics, layout, faces, the mouse, and
// what they draw into the title bar.
#include <gtest/gtest.h>

#include <vector>

#include "RulePartsTestSupport.h"
#include "uEACaptionButtonTriggers.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

const char STAY_ON_TOP_BUTTON[] =
    "\\WINDOWRULENAME=Buttons\\ACTION=STAYONTOPACTION{\\NAME=Top\\SAVECURRENTOPERATION=no\\}"
    "\\TRIGGER=CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=TopButton\\ACTIONNAME=Top\\ACTIONKIND=next\\OPERATIONNAME=}}";

TEACaptionButtonTrigger* ButtonTrigger(const TAttachedRule& rule) {
    return dynamic_cast<TEACaptionButtonTrigger*>(rule.Trigger(0).get());
}

TEACaptionButtonAgent* Button(const TAttachedRule& rule, int position = 0) {
    TEACaptionButtonTrigger* trigger = ButtonTrigger(rule);
    if (!trigger) return nullptr;
    return dynamic_cast<TEACaptionButtonAgent*>(trigger->GetAgents()->GetActionActivator(position).get());
}

// The button's rectangle on the screen.
RECT ScreenRect(HWND window, TEACaptionButtonAgent* button, TEACaptionButtonTrigger* trigger) {
    RECT w{};
    GetWindowRect(window, &w);
    int fx = 0, fy = 0;
    trigger->GetFrameSize(fx, fy);
    RECT r = button->GetButtonRect();
    OffsetRect(&r, w.left + fx, w.top + fy);
    return r;
}

POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

LPARAM ScreenPoint(POINT p) { return MAKELPARAM(p.x, p.y); }

LPARAM ClientPoint(HWND window, POINT screen) {
    ScreenToClient(window, &screen);
    return MAKELPARAM(screen.x, screen.y);
}

std::vector<COLORREF> ScreenPixels(const RECT& r) {
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

int CountColour(const std::vector<COLORREF>& pixels, COLORREF colour) {
    int n = 0;
    for (COLORREF p : pixels) n += p == colour;
    return n;
}

// A freed handle slot is the next one handed out (the system keeps freed
// slots last in, first out), so a paint that gives back everything it took
// leaves the next new object in the same slot as before.
WORD NextGdiSlot() {
    HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    WORD slot = LOWORD(reinterpret_cast<UINT_PTR>(probe));
    DeleteObject(probe);
    return slot;
}

TEST(CaptionButtonMetrics, SystemButtonCount) {
    struct Case {
        DWORD style;
        DWORD exStyle;
        int count;
    } cases[] = {
        {WS_SYSMENU, 0, 1},
        {WS_SYSMENU | WS_MINIMIZEBOX, 0, 3},
        {WS_SYSMENU | WS_MAXIMIZEBOX, 0, 3},
        {WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, 3},
        {WS_SYSMENU, WS_EX_CONTEXTHELP, 2},
        {WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_CONTEXTHELP, 3},
        {WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, 0},
        {0, WS_EX_CONTEXTHELP, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.style) + "/" + std::to_string(c.exStyle));
        EXPECT_EQ(SystemButtonCountOf(c.style, c.exStyle), c.count);
    }
}

TEST(CaptionButtonMetrics, BorderStyleAndFrame) {
    int dlgX = GetSystemMetrics(SM_CXDLGFRAME), dlgY = GetSystemMetrics(SM_CYDLGFRAME);
    int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
    struct Case {
        DWORD style;
        DWORD exStyle;
        std::uint8_t border;
        int fx, fy;
    } cases[] = {
        {0, 0, CAPTION_BORDER_NONE, 0, 0},
        {WS_POPUP, WS_EX_TOOLWINDOW, CAPTION_BORDER_NONE, 0, 0},
        {WS_BORDER, 0, CAPTION_BORDER_SINGLE, dlgX, dlgY},
        {WS_CAPTION | WS_SYSMENU, 0, CAPTION_BORDER_SINGLE, dlgX, dlgY},
        {WS_OVERLAPPEDWINDOW, 0, CAPTION_BORDER_SIZEABLE, frameX, frameY},
        {WS_CAPTION, WS_EX_DLGMODALFRAME, CAPTION_BORDER_DIALOG, dlgX - 1, dlgY},
        {WS_BORDER, WS_EX_TOOLWINDOW, CAPTION_BORDER_TOOLWINDOW, dlgX, dlgY},
        {WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW, CAPTION_BORDER_SIZEABLE_TOOLWINDOW, frameX, frameY},
        {WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME, CAPTION_BORDER_DIALOG, dlgX - 1, dlgY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.style) + "/" + std::to_string(c.exStyle));
        std::uint8_t border = BorderStyleOf(c.style, c.exStyle);
        EXPECT_EQ(border, c.border);
        int fx = -1, fy = -1;
        FrameSizeOf(border, fx, fy);
        EXPECT_EQ(fx, c.fx);
        EXPECT_EQ(fy, c.fy);
    }
}

TEST(CaptionButtonTrigger, LaysButtonsOutLeftOfTheSystemButtons) {
    struct Case {
        const char* what;
        DWORD style;
        DWORD exStyle;
        int systemButtons;
        int frameMetric;
        int buttonMetric;
        int frameAdjust;
    } cases[] = {
        {"sizeable", WS_OVERLAPPEDWINDOW, 0, 3, SM_CXFRAME, SM_CXSIZE, 0},
        {"dialog frame", WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 1, SM_CXDLGFRAME, SM_CXSIZE, -1},
        {"tool window", WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, 1, SM_CXDLGFRAME, SM_CXSMSIZE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window(c.style, c.exStyle, 320, 200);
        TAttachedRule rule(window.Get(),
                           "\\WINDOWRULENAME=Layout\\ACTION=STAYONTOPACTION{\\NAME=Top}"
                           "\\TRIGGER=CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=A\\ACTIONNAME=Top}"
                           "\\AGENT={\\NAME=B\\ACTIONNAME=Top}}");
        TEACaptionButtonAgent* first = Button(rule, 0);
        TEACaptionButtonAgent* second = Button(rule, 1);
        ASSERT_TRUE(first && second);
        int width = GetSystemMetrics(c.buttonMetric);
        EXPECT_EQ(first->GetButtonWidth(), width);
        int frame = GetSystemMetrics(c.frameMetric) + c.frameAdjust;
        int expected = 320 - 2 * frame - width * c.systemButtons - 2 - width;
        EXPECT_EQ(first->GetLeft(), expected);
        EXPECT_EQ(second->GetLeft(), expected - width);
        RECT r = first->GetButtonRect();
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.right - r.left, width);
        EXPECT_EQ(r.bottom, first->GetButtonHeight());

        // A new size moves the buttons with the right edge.
        SetWindowPos(window.Get(), nullptr, 0, 0, 400, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(first->GetLeft(), expected + 80);
    }
}

TEST(CaptionButtonAgent, FacesShowTheActionsNextOperation) {
    struct Case {
        const char* what;
        const char* action;
        const char* agent;
        DWORD exStyle;
        bool small;
    } cases[] = {
        {"next", "STAYONTOPACTION{\\NAME=Act}", "\\ACTIONNAME=Act", 0, false},
        {"concrete", "STAYONTOPACTION{\\NAME=Act}", "\\ACTIONNAME=Act\\ACTIONKIND=concrete\\OPERATIONNAME=STAYONTOPOFF",
         0, false},
        {"tool window", "STAYONTOPACTION{\\NAME=Act}", "\\ACTIONNAME=Act", WS_EX_TOOLWINDOW, true},
        {"tool window, no small images", "RECORDINGACTION{\\NAME=Act}", "\\ACTIONNAME=Act", WS_EX_TOOLWINDOW, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window(WS_CAPTION | WS_SYSMENU, c.exStyle);
        TAttachedRule rule(window.Get(), std::string("\\WINDOWRULENAME=Faces\\ACTION=") + c.action +
                                             "\\TRIGGER=CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=A" + c.agent + "}}");
        TEACaptionButtonAgent* button = Button(rule);
        ASSERT_NE(button, nullptr);
        IPtr<IAction> action = rule.Action("Act");
        for (int round = 0; round < 2; ++round) {
            IPtr<IOperation> next = action->GetNextOperation();
            ASSERT_TRUE(next);
            HBITMAP pressed = c.small ? next->GetSmallImage() : next->GetImage();
            HBITMAP normal = c.small ? next->GetSmallDownImage() : next->GetDownImage();
            if (!normal) normal = pressed;
            EXPECT_EQ(button->GetPressedFace(), pressed);
            EXPECT_EQ(button->GetNormalFace(), normal);
            action->ExecuteNextOperation();
        }
    }
}

TEST(CaptionButtonAgent, ClicksOnlyWhenReleasedOverTheButton) {
    enum Step { MoveOff, MoveOn, ReleaseOff, ReleaseOn };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        bool clicked;
    } cases[] = {
        {"press and release", {ReleaseOn}, true},
        {"dragged off", {MoveOff, ReleaseOff}, false},
        {"dragged off and back", {MoveOff, MoveOn, ReleaseOn}, true},
        {"released over it after leaving", {MoveOff, ReleaseOn}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), STAY_ON_TOP_BUTTON);
        TEACaptionButtonAgent* button = Button(rule);
        ASSERT_NE(button, nullptr);
        HWND w = window.Get();
        POINT on = Center(ScreenRect(w, button, ButtonTrigger(rule)));
        RECT client{};
        GetClientRect(w, &client);
        POINT off{client.right / 2, client.bottom / 2};
        ClientToScreen(w, &off);

        EXPECT_EQ(SendMessageA(w, WM_NCLBUTTONDOWN, HTBORDER, ScreenPoint(on)), 0);
        EXPECT_TRUE(button->GetPressed());
        EXPECT_EQ(GetCapture(), w);
        window.Reset();
        for (Step s : c.steps) {
            switch (s) {
            case MoveOff:
                SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(w, off));
                EXPECT_FALSE(button->GetPressed());
                break;
            case MoveOn:
                SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(w, on));
                EXPECT_TRUE(button->GetPressed());
                break;
            case ReleaseOff:
                SendMessageA(w, WM_LBUTTONUP, 0, ClientPoint(w, off));
                break;
            case ReleaseOn:
                SendMessageA(w, WM_LBUTTONUP, 0, ClientPoint(w, on));
                break;
            }
        }
        // The button kept every mouse message of the press to itself.
        EXPECT_EQ(window.Count(WM_MOUSEMOVE) + window.Count(WM_LBUTTONUP), 0);
        EXPECT_FALSE(button->GetCaptured());
        EXPECT_FALSE(button->GetPressed());
        EXPECT_NE(GetCapture(), w);
        EXPECT_EQ(window.Topmost(), c.clicked);
    }
}

TEST(CaptionButtonAgent, HitTestAndDoubleClick) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), STAY_ON_TOP_BUTTON);
    TEACaptionButtonAgent* button = Button(rule);
    ASSERT_NE(button, nullptr);
    HWND w = window.Get();
    RECT r = ScreenRect(w, button, ButtonTrigger(rule));
    POINT on = Center(r);
    POINT caption{r.left - 40, on.y};

    EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, ScreenPoint(on)), HTBORDER);
    EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, ScreenPoint(caption)), HTCAPTION);
    EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(r.right, on.y)), HTCAPTION);  // right edge excluded

    // A double click is a second press, not the system's maximise.
    window.Reset();
    SendMessageA(w, WM_NCLBUTTONDBLCLK, HTCAPTION, ScreenPoint(on));
    EXPECT_EQ(window.Count(WM_NCLBUTTONDBLCLK), 0);
    EXPECT_TRUE(button->GetPressed());
    EXPECT_FALSE(IsZoomed(w));
    SendMessageA(w, WM_LBUTTONUP, 0, ClientPoint(w, on));
    EXPECT_TRUE(window.Topmost());
}

TEST(CaptionButtonAgent, LosingTheCaptureGivesTheMouseBack) {
    struct Case {
        const char* what;
        bool otherWindowTakesIt;
    } cases[] = {{"another window captures the mouse", true}, {"the mode is cancelled", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window;
        TTargetWindow other;
        TAttachedRule rule(window.Get(), STAY_ON_TOP_BUTTON);
        TEACaptionButtonAgent* button = Button(rule);
        ASSERT_NE(button, nullptr);
        HWND w = window.Get();
        POINT on = Center(ScreenRect(w, button, ButtonTrigger(rule)));
        SendMessageA(w, WM_NCLBUTTONDOWN, HTBORDER, ScreenPoint(on));
        ASSERT_TRUE(button->GetCaptured());

        if (c.otherWindowTakesIt) {
            SetCapture(other.Get());
            ReleaseCapture();
        } else {
            SendMessageA(w, WM_CANCELMODE, 0, 0);
        }
        EXPECT_FALSE(button->GetCaptured());
        EXPECT_FALSE(button->GetPressed());
        EXPECT_NE(GetCapture(), w);

        // The window's own procedure gets its mouse again, and nothing is clicked.
        window.Reset();
        SendMessageA(w, WM_MOUSEMOVE, 0, ClientPoint(w, on));
        SendMessageA(w, WM_LBUTTONUP, 0, ClientPoint(w, on));
        EXPECT_EQ(window.Count(WM_MOUSEMOVE), 1);
        EXPECT_EQ(window.Count(WM_LBUTTONUP), 1);
        EXPECT_FALSE(window.Topmost());
    }
}

TEST(CaptionButtonAgent, WindowWithoutTitleBarGetsNoButton) {
    TTargetWindow window(WS_POPUP | WS_BORDER | WS_SYSMENU);
    TAttachedRule rule(window.Get(), STAY_ON_TOP_BUTTON);
    TEACaptionButtonAgent* button = Button(rule);
    ASSERT_NE(button, nullptr);
    HWND w = window.Get();
    RECT where = ScreenRect(w, button, ButtonTrigger(rule));
    EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, ScreenPoint(Center(where))), HTCLIENT);
    window.Reset();
    SendMessageA(w, WM_NCLBUTTONDOWN, HTCLIENT, ScreenPoint(Center(where)));
    EXPECT_EQ(window.Count(WM_NCLBUTTONDOWN), 1);
    EXPECT_FALSE(button->GetPressed());
}

TEST(CaptionButtonPaint, DrawsTheFacesAndLeavesWithoutTrace) {
    TTargetWindow window;
    HWND w = window.Get();
    SetForegroundWindow(w);
    Pump(50);
    const COLORREF glyphRed = RGB(255, 0, 0);

    TAttachedRule rule(w, STAY_ON_TOP_BUTTON);
    TEACaptionButtonAgent* button = Button(rule);
    ASSERT_NE(button, nullptr);
    RECT r = ScreenRect(w, button, ButtonTrigger(rule));
    Pump(50);
    std::vector<COLORREF> normal = ScreenPixels(r);
    EXPECT_GT(CountColour(normal, glyphRed), 10);

    IPtr<IAction> action = rule.Action("Top");
    action->ExecuteNextOperation();
    Pump(50);
    std::vector<COLORREF> toggled = ScreenPixels(r);
    EXPECT_GT(CountColour(toggled, glyphRed), 10);
    EXPECT_NE(toggled, normal);

    // Pressed, the face moves by a pixel and shows the other picture.
    POINT on = Center(r);
    SendMessageA(w, WM_NCLBUTTONDOWN, HTBORDER, ScreenPoint(on));
    Pump(50);
    EXPECT_NE(ScreenPixels(r), toggled);
    RECT client{};
    GetClientRect(w, &client);
    POINT off{client.right / 2, client.bottom / 2};
    ClientToScreen(w, &off);
    SendMessageA(w, WM_LBUTTONUP, 0, ClientPoint(w, off));

    action->ExecuteNextOperation();
    Pump(50);
    EXPECT_EQ(ScreenPixels(r), normal);

    rule.Release();
    Pump(50);
    EXPECT_EQ(CountColour(ScreenPixels(r), glyphRed), 0);
}

TEST(CaptionButtonPaint, GivesBackEveryDeviceContextAndObject) {
    TTargetWindow window;
    HWND w = window.Get();
    TAttachedRule rule(w, STAY_ON_TOP_BUTTON);
    TEACaptionButtonAgent* button = Button(rule);
    TEACaptionButtonTrigger* trigger = ButtonTrigger(rule);
    ASSERT_TRUE(button && trigger);
    POINT on = Center(ScreenRect(w, button, trigger));
    trigger->PaintButtons();

    WORD before = NextGdiSlot();
    for (int i = 0; i < 200; ++i) {
        trigger->PaintButtons();
        SendMessageA(w, WM_NCLBUTTONDOWN, HTBORDER, ScreenPoint(on));  // paints pressed
        SendMessageA(w, WM_CANCELMODE, 0, 0);
    }
    EXPECT_EQ(NextGdiSlot(), before);
}

}  // namespace
