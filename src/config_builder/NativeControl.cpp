#include "NativeControl.h"

#include <commctrl.h>

#include "WinFuncs.h"

namespace vpw {

namespace {

TControlErrorHandler errorHandler = nullptr;

}  // namespace

void SetControlErrorHandler(TControlErrorHandler handler) { errorHandler = handler; }

void ReportControlError(HWND control) noexcept {
    if (errorHandler) errorHandler(GetAncestor(control, GA_ROOT));
}

bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lp);
        break;
    case WM_NOTIFY:
        child = lp ? reinterpret_cast<NMHDR*>(lp)->hwndFrom : nullptr;
        break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        child = reinterpret_cast<HWND>(lp);
        break;
    default:
        return false;
    }
    if (!child || !IsWindow(child)) return false;
    result = SendMessageA(child, CN_BASE + msg, wp, lp);
    // A child that takes no colour message still needs the default brush.
    if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC && !result) return false;
    return true;
}

TNativeControl::~TNativeControl() {
    SetHint("");
    if (HWND wnd = window_.Get()) RemoveWindowSubclass(wnd, SubclassProc, 1);
}

bool TNativeControl::CreateControl(DWORD exStyle, const char* cls, const char* text, DWORD style, int x, int y, int w,
                                   int h, HWND parent) {
    HWND wnd = CreateWindowExA(exStyle, cls, text, style, x, y, w, h, parent, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    if (!wnd) return false;
    Subclass(wnd);
    return true;
}

void TNativeControl::Subclass(HWND window) {
    window_.Reset(window);
    SetWindowSubclass(window, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    if (!WindowFont(window)) SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
}

LRESULT CALLBACK TNativeControl::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                              DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<TNativeControl*>(data);
    if (msg == WM_NCDESTROY) {
        // The parent went first: the object only forgets its window.
        RemoveWindowSubclass(wnd, SubclassProc, 1);
        if (self && self->window_.Get() == wnd) self->window_.Release();
        return DefSubclassProc(wnd, msg, wp, lp);
    }
    try {
        return self ? self->WndProc(msg, wp, lp) : DefSubclassProc(wnd, msg, wp, lp);
    } catch (...) {
        // A handler's error (a refused write, say) is shown, not lost.
        ReportControlError(wnd);
        return 0;
    }
}

LRESULT TNativeControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }

LRESULT TNativeControl::Default(UINT msg, WPARAM wp, LPARAM lp) { return DefSubclassProc(Handle(), msg, wp, lp); }

std::string TNativeControl::GetText() const { return GetWindowCaption(Handle()); }

void TNativeControl::SetText(const std::string& text) { SetWindowTextA(Handle(), text.c_str()); }

bool TNativeControl::GetEnabled() const { return IsWindowEnabled(Handle()) != FALSE; }

void TNativeControl::SetEnabled(bool enabled) { EnableWindow(Handle(), enabled); }

void TNativeControl::SetBounds(int left, int top, int width, int height) {
    SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TNativeControl::BoundsInParent() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void TNativeControl::SetFont(HFONT font) { SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void TNativeControl::SetControlId(int id) { SetWindowLongPtrA(Handle(), GWLP_ID, id); }

namespace {

// One tooltip window for every control of the program.
HWND ToolTipWindow() {
    static TWindow tip;
    if (!tip) {
        tip.Reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr));
        SendMessageA(tip.Get(), TTM_SETMAXTIPWIDTH, 0, 400);
    }
    return tip.Get();
}

}  // namespace

void TNativeControl::SetHint(const std::string& hint) {
    if (!Handle() || hint == hint_) return;
    TTTOOLINFOA info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(Handle());
    info.uId = reinterpret_cast<UINT_PTR>(Handle());
    SendMessageA(ToolTipWindow(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    hint_ = hint;
    if (hint_.empty()) return;
    info.lpszText = hint_.data();
    SendMessageA(ToolTipWindow(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

HFONT TNativeControl::GetFont() const { return WindowFont(Handle()); }

void RegisterControlClass(const char* name, WNDPROC proc) {
    WNDCLASSA existing{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

HFONT WindowFont(HWND window) { return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)); }

SIZE TextExtent(HWND window, HFONT font, const std::string& text) {
    SIZE size{};
    TWindowDC dc = TWindowDC::Client(window);
    if (!dc) return size;
    if (!font) font = WindowFont(window);
    TSelectObject select(dc.Get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

}  // namespace vpw
