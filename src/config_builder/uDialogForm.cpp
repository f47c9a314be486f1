#include "uDialogForm.h"

#include <stdexcept>

#include "NativeControl.h"
#include "uCBAppForm.h"
#include "uCBRoutines.h"
#include "uDetailPanelFrame.h"

namespace vpw {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kButtonTop = 8, kButtonWidth = 75, kButtonHeight = 25;

SIZE OuterSize(int clientWidth, int clientHeight) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

TDialogForm::TDialogForm(HWND owner, int clientWidth, int clientHeight) : owner_(owner), designWidth_(clientWidth) {
    RegisterControlClass(CB_DIALOG_FORM_CLASS, &FormWndProc);
    SIZE size = OuterSize(clientWidth, clientHeight);
    int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    window_.Reset(CreateWindowExA(kExStyle, CB_DIALOG_FORM_CLASS, "", kStyle, x, y, size.cx, size.cy, owner, nullptr,
                                  GetModuleHandleA(nullptr), this));
    if (!window_) throw std::runtime_error("TDialogForm: the dialog cannot be created");
    SendMessageA(window_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(TDetailPanelFrame::DefaultFont()), FALSE);
}

TDialogForm::~TDialogForm() {
    if (window_) SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
}

void TDialogForm::SetCaption(const std::string& caption) { SetWindowTextA(window_.Get(), caption.c_str()); }

void TDialogForm::SetClientSize(int width, int height) {
    SIZE size = OuterSize(width, height);
    RECT r{};
    GetWindowRect(window_.Get(), &r);
    // Stays centred where it was.
    int x = r.left + ((r.right - r.left) - size.cx) / 2, y = r.top + ((r.bottom - r.top) - size.cy) / 2;
    SetWindowPos(window_.Get(), nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutButtons();
}

HWND TDialogForm::AddCommandButton(int id, const std::string& caption, int left, bool isDefault) {
    HWND button = CreateWindowExA(0, "BUTTON", caption.c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                                  0, 0, kButtonWidth, kButtonHeight, window_.Get(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(TDetailPanelFrame::DefaultFont()), FALSE);
    if (isDefault) defaultId_ = id;
    buttons_.push_back({button, designWidth_ - left});
    LayoutButtons();
    return button;
}

void TDialogForm::LayoutButtons() {
    RECT client{};
    GetClientRect(window_.Get(), &client);
    for (const TCommandButton& b : buttons_)
        MoveWindow(b.window, client.right - b.rightGap, client.bottom - kCommandPanelHeight + kButtonTop, kButtonWidth,
                   kButtonHeight, TRUE);
}

int TDialogForm::ShowModal() {
    HWND window = window_.Get();
    modalResult_ = mrNone;
    bool disabledOwner = owner_ && IsWindowEnabled(owner_);
    if (disabledOwner) EnableWindow(owner_, FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) SetFocus(first);
    RunModalLoop(modalResult_, [window](MSG& msg) { return IsDialogMessageA(window, &msg) != FALSE; });
    // The owner comes back before this one hides, so that it gets the activation.
    if (disabledOwner) EnableWindow(owner_, TRUE);
    ShowWindow(window, SW_HIDE);
    if (owner_) SetActiveWindow(owner_);
    return modalResult_;
}

void TDialogForm::ButtonClick(int id) {
    if (id == IDOK) modalResult_ = mrOk;
    if (id == IDCANCEL) modalResult_ = mrCancel;
}

LRESULT TDialogForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) ButtonClick(LOWORD(wParam));
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(defaultId_, DC_HASDEFID);
        case WM_CLOSE:
            modalResult_ = mrCancel;
            return 0;
        default:
            return DefWindowProcA(window_.Get(), message, wParam, lParam);
    }
}

LRESULT CALLBACK TDialogForm::FormWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_NCCREATE) {
            auto* form = static_cast<TDialogForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        }
        auto* form = reinterpret_cast<TDialogForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (form && form->window_.Get() == window) return form->WndProc(message, wParam, lParam);
    } catch (...) {
        ReportCurrentException(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace vpw
