#include "uDetailPanelFrame.h"

#include "NativeControl.h"
#include "uCBRoutines.h"

namespace vpw {

namespace {

constexpr char kFrameClass[] = "VPW_DetailPanelFrame";
constexpr char kParkingClass[] = "VPW_DetailPanelParking";

void RegisterFrameClasses() {
    static bool registered = false;
    if (registered) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA frame{};
    frame.style = CS_HREDRAW | CS_VREDRAW;
    frame.lpfnWndProc = DefWindowProcA;  // replaced per window at creation
    frame.hInstance = instance;
    frame.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame.lpszClassName = kFrameClass;
    RegisterClassA(&frame);
    WNDCLASSA parking{};
    parking.lpfnWndProc = DefWindowProcA;
    parking.hInstance = instance;
    parking.lpszClassName = kParkingClass;
    RegisterClassA(&parking);
    registered = true;
}

}  // namespace

HWND PanelParkingWindow() {
    static HWND parking = nullptr;
    if (!parking || !IsWindow(parking)) {
        RegisterFrameClasses();
        parking = CreateWindowExA(WS_EX_TOOLWINDOW, kParkingClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    }
    return parking;
}

TDetailPanelFrame* FrameOfWindow(HWND window) {
    char cls[64] = {};
    if (!window || !GetClassNameA(window, cls, sizeof cls) || lstrcmpA(cls, kFrameClass) != 0) return nullptr;
    auto* frame = reinterpret_cast<TDetailPanelFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return frame && frame->Handle() == window ? frame : nullptr;
}

void RealignFramesIn(HWND parent) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (TDetailPanelFrame* frame = FrameOfWindow(child)) frame->Realign();
}

HFONT TDetailPanelFrame::DefaultFont() {
    // "MS Sans Serif", 8 points: the look the panels are laid out for.
    static HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

TDetailPanelFrame::TDetailPanelFrame(int width, int height, int minHeight)
    : width_(width), height_(height), minHeight_(minHeight) {}

TDetailPanelFrame::~TDetailPanelFrame() {
    if (window_) SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
}

HWND TDetailPanelFrame::Handle() {
    if (window_ || creating_) return window_.Get();
    creating_ = true;
    RegisterFrameClasses();
    HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, kFrameClass, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0,
                                  0, width_, height_, PanelParkingWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window) {
        window_.Reset(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameWndProc));
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
        TLoadingGuard loading(*this);
        CreateControls(window);
    }
    creating_ = false;
    return window_.Get();
}

void TDetailPanelFrame::Init(IBOMObject* object) {
    Handle();
    TAbstractDetailPanel::Init(object);
}

void TDetailPanelFrame::PlaceIn(HWND parent) {
    HWND window = Handle();
    if (!window || !parent) return;
    TLoadingGuard loading(*this);
    if (GetParent(window) != parent) SetParent(window, parent);
    Realign();
    ShowWindow(window, SW_SHOW);
}

void TDetailPanelFrame::Park() {
    if (!window_) return;
    ShowWindow(window_.Get(), SW_HIDE);
    SetParent(window_.Get(), PanelParkingWindow());
}

bool TDetailPanelFrame::IsPlaced() const { return window_ && GetParent(window_.Get()) != PanelParkingWindow(); }

void TDetailPanelFrame::SetAlign(TAlign align) {
    align_ = align;
    Realign();
}

void TDetailPanelFrame::Realign() {
    HWND window = window_.Get();
    if (!window) return;
    HWND parent = GetParent(window);
    RECT client{};
    if (!parent || !GetClientRect(parent, &client)) return;
    int w = client.right, h = client.bottom;
    switch (align_) {
        case TAlign::alClient: MoveWindow(window, 0, 0, w, h, TRUE); break;
        case TAlign::alTop: MoveWindow(window, 0, 0, w, height_, TRUE); break;
        case TAlign::alBottom: MoveWindow(window, 0, h - height_, w, height_, TRUE); break;
        case TAlign::alLeft: MoveWindow(window, 0, 0, width_, h, TRUE); break;
        case TAlign::alRight: MoveWindow(window, w - width_, 0, width_, h, TRUE); break;
        case TAlign::alNone: break;
    }
}

void TDetailPanelFrame::CommitEdits() {
    HWND focus = GetFocus();
    if (!window_ || !focus || !IsChild(window_.Get(), focus)) return;
    SetFocus(window_.Get());
    if (IsWindow(focus) && IsWindowVisible(focus)) SetFocus(focus);
}

void TDetailPanelFrame::SetControlText(HWND control, const std::string& text) {
    TLoadingGuard loading(*this);
    SetWindowTextA(control, text.c_str());
}

LRESULT CALLBACK TDetailPanelFrame::FrameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        auto* frame = reinterpret_cast<TDetailPanelFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (frame && frame->window_.Get() == window) return frame->WndProc(message, wParam, lParam);
    } catch (...) {
        ReportCurrentException(GetAncestor(window, GA_ROOT));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT TDetailPanelFrame::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandleMessage(message, wParam, lParam, result)) return result;
    // Controls of their own take their notices back.
    if (ReflectToChild(message, wParam, lParam, result)) return result;
    return DefWindowProcA(window_.Get(), message, wParam, lParam);
}

}  // namespace vpw
