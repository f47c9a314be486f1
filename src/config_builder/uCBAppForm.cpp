#include "uCBAppForm.h"

#include <windowsx.h>

#include <stdexcept>

#include "uCBAppFormStorage.h"
#include "uCBRoutines.h"
#include "uDetailPanelFrame.h"

namespace vpw {

namespace {

// Component sizes in pixels.
struct TFormMetrics {
    int width = 608, height = 467;
    int treeWidth = 161, splitterWidth = 5, minPaneWidth = 30;
    int menuButtonWidth = 43, separatorWidth = 8;
};
constexpr TFormMetrics kMetrics;

constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdleInterval = 500;  // follows a control center started or stopped elsewhere
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

void RegisterFormClasses(WNDPROC form, WNDPROC splitter, WNDPROC detailArea) {
    static bool registered = false;
    if (registered) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    struct {
        const char* name;
        WNDPROC proc;
        LPCSTR cursor;
    } const classes[] = {
        {CB_MAIN_WINDOW_CLASS, form, IDC_ARROW},
        {CB_SPLITTER_CLASS, splitter, IDC_SIZEWE},
        {CB_DETAIL_AREA_CLASS, detailArea, IDC_ARROW},
    };
    for (const auto& c : classes) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = c.proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, c.cursor);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = c.name;
        wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
        RegisterClassA(&wc);
    }
    registered = true;
}

TImageList LoadImageStrip(const char* resource) {
    TImageList list(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 10, 4));
    TBitmap bitmap(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (list && bitmap) ImageList_AddMasked(list.Get(), bitmap.Get(), kMaskColour);
    return list;
}

TShiftState KeyboardShift() {
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

// What a text field does itself with these keys wins over any command.
constexpr TShortCut kEditingKeys[] = {
    scCtrl | 'A', scCtrl | 'C', scCtrl | 'V', scCtrl | 'X', scCtrl | 'Z', scCtrl | VK_INSERT,
    scShift | VK_INSERT, scShift | VK_DELETE, VK_DELETE, VK_BACK, VK_HOME, VK_END, VK_LEFT, VK_RIGHT,
};

template <class T>
T* OwnerOf(HWND window) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

TCBAppForm::TCBAppForm() {
    RegisterFormClasses(&FormWndProc, &SplitterWndProc, &DetailAreaWndProc);
    // Centred on the screen at the design size.
    int x = (GetSystemMetrics(SM_CXSCREEN) - kMetrics.width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - kMetrics.height) / 2;
    HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, CB_MAIN_WINDOW_CLASS, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              x < 0 ? 0 : x, y < 0 ? 0 : y, kMetrics.width, kMetrics.height, nullptr, nullptr,
                              GetModuleHandleA(nullptr), this);
    window_.Reset(window);
    if (!window_) throw std::runtime_error("TCBAppForm: the main window cannot be created");
    CreateComponents();
    Layout();
    formStorage_ = std::make_unique<TCBAppFormStorage>(*this);
}

TCBAppForm::~TCBAppForm() {
    // Saves the layout when closing did not, while the controls still exist.
    if (formStorage_) formStorage_->FormDestroy();
    formStorage_.reset();
    // Tree nodes and buttons go before the controls that show them.
    treeView_.reset();
    menuToolBar_.reset();
    toolBarToolBar_.reset();
    if (window_) SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
}

HWND TCBAppForm::CreateToolBar(int id, bool showText) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER |
                  CCS_NORESIZE | CCS_NOPARENTALIGN | (showText ? TBSTYLE_LIST : 0);
    HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", style, 0, 0, 100, 22, controlBar_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
    SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolBarImages_.Get()));
    // Commands and notices come to the form, not to the control bar.
    SendMessageA(bar, TB_SETPARENT, reinterpret_cast<WPARAM>(window_.Get()), 0);
    if (showText) SendMessageA(bar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(kMetrics.menuButtonWidth, 200));
    return bar;
}

void TCBAppForm::AddBand(HWND toolBar, bool newRow) {
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE | RBBIM_ID | RBBIM_IDEALSIZE;
    band.fStyle = RBBS_GRIPPERALWAYS | RBBS_CHILDEDGE | (newRow ? RBBS_BREAK : 0);
    band.hwndChild = toolBar;
    band.wID = static_cast<UINT>(GetDlgCtrlID(toolBar));
    band.cxMinChild = 0;
    band.cyMinChild = 22;
    band.cx = 200;
    band.cxIdeal = 200;
    SendMessageA(controlBar_, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void TCBAppForm::CreateComponents() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HFONT font = TDetailPanelFrame::DefaultFont();
    SendMessageA(window_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    toolBarImages_ = LoadImageStrip("TOOLBARIMAGES");
    treeViewImages_ = LoadImageStrip("TREEVIEWIMAGES");
    treeViewStateImages_ = LoadImageStrip("TREEVIEWSTATEIMAGES");

    controlBar_ = CreateWindowExA(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, "",
                                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                      RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
                                  0, 0, kMetrics.width, 56, window_.Get(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(idControlBar)), instance, nullptr);
    HWND menuBar = CreateToolBar(idMenuToolBar, true);
    HWND toolBar = CreateToolBar(idToolBarToolBar, false);
    menuToolBar_ = std::make_unique<TWinToolBar>(menuBar, true);
    toolBarToolBar_ = std::make_unique<TWinToolBar>(toolBar, false);
    menuToolBar_->OnResize = [this] { LayoutBars(); };
    toolBarToolBar_->OnResize = [this] { LayoutBars(); };
    AddBand(menuBar, false);
    AddBand(toolBar, true);

    treeHandle_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                      TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                  0, 56, kMetrics.treeWidth, 100, window_.Get(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(idTreeView)), instance, nullptr);
    SendMessageA(treeHandle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    TreeView_SetImageList(treeHandle_, treeViewImages_.Get(), TVSIL_NORMAL);
    TreeView_SetImageList(treeHandle_, treeViewStateImages_.Get(), TVSIL_STATE);
    TreeView_SetIndent(treeHandle_, 19);
    SetWindowSubclass(treeHandle_, &TreeSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    treeView_ = std::make_unique<TWinTreeView>(treeHandle_);

    splitter_ = CreateWindowExA(0, CB_SPLITTER_CLASS, "", WS_CHILD | WS_VISIBLE, kMetrics.treeWidth, 56,
                                kMetrics.splitterWidth, 100, window_.Get(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(idSplitter)), instance, nullptr);
    SetWindowLongPtrA(splitter_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    detailPanel_ = CreateWindowExA(WS_EX_CONTROLPARENT, CB_DETAIL_AREA_CLASS, "",
                                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, kMetrics.treeWidth + kMetrics.splitterWidth,
                                   56, 100, 100, window_.Get(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(idDetailPanel)), instance, nullptr);
}

void TCBAppForm::SetCaption(const std::string& caption) { SetWindowTextA(window_.Get(), caption.c_str()); }

void TCBAppForm::SetTreeWidth(int width) {
    RECT client{};
    GetClientRect(window_.Get(), &client);
    int most = client.right - kMetrics.splitterWidth - kMetrics.minPaneWidth;
    if (width > most) width = most;
    if (width < kMetrics.minPaneWidth) width = kMetrics.minPaneWidth;
    treeWidth_ = width;
    Layout();
}

void TCBAppForm::LayoutBars() {
    int count = static_cast<int>(SendMessageA(controlBar_, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        REBARBANDINFOA band{};
        band.cbSize = sizeof band;
        band.fMask = RBBIM_CHILD;
        if (!SendMessageA(controlBar_, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band))) continue;
        TWinToolBar* bar = BarOf(band.hwndChild);
        if (!bar) continue;
        SIZE size = bar->IdealSize();
        band.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE | RBBIM_SIZE;
        band.cxMinChild = size.cx;
        band.cyMinChild = size.cy > 0 ? size.cy : 22;
        band.cxIdeal = size.cx;
        band.cx = size.cx + 16;
        SendMessageA(controlBar_, RB_SETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
    }
    Layout();
}

void TCBAppForm::Layout() {
    RECT client{};
    if (!window_.Get() || !GetClientRect(window_.Get(), &client)) return;
    SendMessageA(controlBar_, WM_SIZE, 0, 0);
    RECT bar{};
    GetWindowRect(controlBar_, &bar);
    int top = bar.bottom - bar.top;
    int height = client.bottom - top;
    if (height < 0) height = 0;
    int right = treeWidth_ + kMetrics.splitterWidth;
    MoveWindow(treeHandle_, 0, top, treeWidth_, height, TRUE);
    MoveWindow(splitter_, treeWidth_, top, kMetrics.splitterWidth, height, TRUE);
    MoveWindow(detailPanel_, right, top, client.right > right ? client.right - right : 0, height, TRUE);
}

int TCBAppForm::ShowModal() {
    modalResult_ = mrNone;
    running_ = true;
    formStorage_->FormShow();
    ShowWindow(window_.Get(), formStorage_->InitialShowCommand());
    UpdateWindow(window_.Get());
    SetForegroundWindow(window_.Get());
    SetTimer(window_.Get(), kIdleTimer, kIdleInterval, nullptr);
    Idle();
    RunModalLoop(modalResult_, [this](MSG& msg) { return PreTranslate(msg); }, [this] { Idle(); });
    KillTimer(window_.Get(), kIdleTimer);
    running_ = false;
    ShowWindow(window_.Get(), SW_HIDE);
    return modalResult_;
}

int RunModalLoop(int& modalResult, const std::function<bool(MSG&)>& filter,
                 const std::function<void()>& idle) {
    MSG msg;
    while (modalResult == mrNone) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (idle) idle();
            if (modalResult != mrNone) break;
            WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
            modalResult = mrCancel;
            break;
        }
        if (filter && filter(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return modalResult;
}

bool KeepsEditingKey(HWND focus, unsigned key, TShiftState shift) {
    char cls[32] = {};
    if (!focus || !GetClassNameA(focus, cls, sizeof cls) || lstrcmpiA(cls, "Edit") != 0) return false;
    TShortCut pressed = ShortCut(key, shift);
    for (TShortCut editing : kEditingKeys)
        if (pressed == editing) return true;
    return false;
}

bool TCBAppForm::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (msg.hwnd != window_.Get() && !IsChild(window_.Get(), msg.hwnd)) return false;
    unsigned key = static_cast<unsigned>(msg.wParam);
    TShiftState shift = KeyboardShift();
    if (key == VK_F4 && shift == ssAlt) {
        // Not every control passes Alt+F4 on to its window.
        PostMessageA(window_.Get(), WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
        // From control to control, into and out of the detail panel.
        if (HWND next = GetNextDlgTabItem(window_.Get(), GetFocus(), (shift & ssShift) != 0)) SetFocus(next);
        return true;
    }
    if (!OnShortCut || KeepsEditingKey(GetFocus(), key, shift)) return false;
    try {
        return OnShortCut(key, shift);
    } catch (...) {
        ReportCurrentException(window_.Get());
        return true;
    }
}

void TCBAppForm::Idle() {
    try {
        if (OnIdle) OnIdle();
    } catch (...) {
        KillTimer(window_.Get(), kIdleTimer);  // one message, not one every interval
        ReportCurrentException(window_.Get());
    }
}

void TCBAppForm::Close() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(canClose);
    formStorage_->FormCloseQuery(canClose);
    if (canClose) modalResult_ = mrCancel;
}

TWinToolBar* TCBAppForm::BarOf(HWND window) {
    if (menuToolBar_ && menuToolBar_->Handle() == window) return menuToolBar_.get();
    if (toolBarToolBar_ && toolBarToolBar_->Handle() == window) return toolBarToolBar_.get();
    return nullptr;
}

void TCBAppForm::OnCommand(WPARAM wParam, LPARAM lParam) {
    TWinToolBar* bar = BarOf(reinterpret_cast<HWND>(lParam));
    if (!bar) return;
    if (TWinToolButton* button = bar->ButtonById(LOWORD(wParam))) button->Click([this] { Idle(); });
}

bool TCBAppForm::OnNotify(const NMHDR* header, LRESULT& result) {
    if (treeView_ && treeView_->HandleNotify(header, result)) return true;
    if (header->code == TTN_GETDISPINFOA) {
        // Tool-button hints come from the actions.
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(const_cast<NMHDR*>(header));
        for (TWinToolBar* bar : {menuToolBar_.get(), toolBarToolBar_.get()})
            if (TWinToolButton* button = bar ? bar->ButtonById(static_cast<int>(header->idFrom)) : nullptr) {
                static std::string hint;
                hint = button->GetAction() ? button->GetAction()->GetHint() : std::string();
                info->lpszText = const_cast<char*>(hint.c_str());
                return true;
            }
    }
    if (header->hwndFrom == controlBar_ && header->code == RBN_HEIGHTCHANGE) {
        Layout();
        return true;
    }
    return false;
}

LRESULT TCBAppForm::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: Layout(); return 0;
        case WM_CLOSE: Close(); return 0;
        case WM_QUERYENDSESSION: {
            // Logging off asks the close question too.
            bool canClose = true;
            if (OnCloseQuery) OnCloseQuery(canClose);
            return canClose;
        }
        case WM_ACTIVATE:
            // The focused control comes back with the window, as in a dialog.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                lastFocus_ = focus && IsChild(window, focus) ? focus : nullptr;
            } else {
                SetFocus(lastFocus_ && IsWindow(lastFocus_) && IsChild(window, lastFocus_) ? lastFocus_ : treeHandle_);
            }
            return 0;
        case WM_TIMER:
            if (wParam == kIdleTimer) return 0;  // the idle pass follows the empty queue
            break;
        case WM_COMMAND: OnCommand(wParam, lParam); return 0;
        case WM_MEASUREITEM:
            if (MeasureMenuPicture(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), toolBarImages_.Get())) return TRUE;
            break;
        case WM_DRAWITEM:
            if (DrawMenuPicture(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), toolBarImages_.Get())) return TRUE;
            break;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (OnNotify(reinterpret_cast<const NMHDR*>(lParam), result)) return result;
            break;
        }
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK TCBAppForm::FormWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_NCCREATE) {
            auto* form = static_cast<TCBAppForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        }
        if (TCBAppForm* form = OwnerOf<TCBAppForm>(window)) return form->WndProc(window, message, wParam, lParam);
    } catch (...) {
        ReportCurrentException(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT TCBAppForm::SplitterMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            SetCapture(splitter_);
            dragOffset_ = GET_X_LPARAM(lParam);
            return 0;
        case WM_MOUSEMOVE:
            if (dragOffset_ >= 0 && GetCapture() == splitter_) {
                POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                MapWindowPoints(splitter_, window_.Get(), &at, 1);
                SetTreeWidth(at.x - dragOffset_);
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (GetCapture() == splitter_) ReleaseCapture();
            dragOffset_ = -1;
            return 0;
        default: return DefWindowProcA(splitter_, message, wParam, lParam);
    }
}

LRESULT CALLBACK TCBAppForm::SplitterWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        TCBAppForm* form = OwnerOf<TCBAppForm>(window);
        if (form && form->splitter_ == window) return form->SplitterMessage(message, wParam, lParam);
    } catch (...) {
        ReportCurrentException(GetAncestor(window, GA_ROOT));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK TCBAppForm::DetailAreaWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_SIZE) {
            RealignFramesIn(window);
            return 0;
        }
    } catch (...) {
        ReportCurrentException(GetAncestor(window, GA_ROOT));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK TCBAppForm::TreeSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data) noexcept {
    try {
        auto* form = reinterpret_cast<TCBAppForm*>(data);
        bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
        bool right = message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK;
        // A quick second click is a press like the first.
        if (form && form->treeView_ && (left || right))
            form->treeView_->MouseDown(left ? TMouseButton::mbLeft : TMouseButton::mbRight, wParam,
                                       GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam),
                                       message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK);
        if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &TreeSubclassProc, 1);
    } catch (...) {
        ReportCurrentException(GetAncestor(window, GA_ROOT));
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace vpw
