#include "uEAMinToEdgeAction.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "AppConsts.h"
#include "EARoutines.h"
#include "EAWinFuncs.h"
#include "Exceptions.h"
#include "RegistryRoutines.h"
#include "Routines.h"
#include "WinHandles.h"
#include "uEAVisualStyles.h"

namespace vpw {

namespace {

std::atomic<int> g_liveIconWindows{0};

// Icon windows let go of for later, until their thread's next message frees
// them. Never destroyed: any thread may look.
TLock& ReleasedLock() {
    static TLock* lock = new TLock();
    return *lock;
}
std::vector<TIconWnd*>& Released() {
    static auto* released = new std::vector<TIconWnd*>();
    return *released;
}

constexpr int THEME_STATE_NORMAL = 1;  // PBS_NORMAL

}  // namespace

// ------------------------------------------------------------------ TIconWnd

// One frame of the icon window's procedure on the stack; the outermost one
// destroys an icon window that was released meanwhile.
class TIconWnd::TFrame {
public:
    explicit TFrame(TIconWnd& iconWindow) : iconWindow_(iconWindow) { ++iconWindow_.depth_; }
    ~TFrame() {
        if (--iconWindow_.depth_ != 0 || !iconWindow_.released_) return;
        Unlist(&iconWindow_);
        delete &iconWindow_;
    }
    TFrame(const TFrame&) = delete;
    TFrame& operator=(const TFrame&) = delete;

private:
    TIconWnd& iconWindow_;
};

TIconWnd::TOwner TIconWnd::Create(HICON icon, bool large) {
    FreeOrphans();
    return TOwner(new TIconWnd(icon, large));
}

TIconWnd::TIconWnd(HICON icon, bool large) : icon_(icon) {
    iconWidth_ = GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON);
    iconHeight_ = GetSystemMetrics(large ? SM_CYICON : SM_CYSMICON);
    width_ = iconWidth_ + 6;
    height_ = iconHeight_ + 6;
    CreateIconWindow();
    ++g_liveIconWindows;
    OpenTheme();
}

TIconWnd::~TIconWnd() {
    CloseTheme();
    if (!window_.Get()) return;
    onHide_ = nullptr;
    onDetach_ = nullptr;
    // From here on the window knows nothing of this object or this library.
    SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
    SetWindowLongPtrA(window_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
    window_.Reset();
    --g_liveIconWindows;
}

void TIconWnd::Release() noexcept {
    try {
        onHide_ = nullptr;
        onDetach_ = nullptr;
        if (depth_ == 0) {
            delete this;
            return;
        }
        released_ = true;
        Hide();
    } catch (...) {
    }
}

void TIconWnd::ReleaseLater(TOwner iconWindow) noexcept {
    FreeOrphans();
    TIconWnd* self = iconWindow.release();
    if (!self) return;
    try {
        self->onHide_ = nullptr;
        self->onDetach_ = nullptr;
        self->released_ = true;
        {
            TLockGuard guard(ReleasedLock());
            Released().push_back(self);
        }
        // The procedure's frame for that message destroys it.
        if (PostMessageA(self->window_.Get(), WM_NULL, 0, 0) || self->depth_ > 0) return;
        Unlist(self);
        delete self;
    } catch (...) {
    }
}

void TIconWnd::Unlist(TIconWnd* iconWindow) {
    TLockGuard guard(ReleasedLock());
    std::vector<TIconWnd*>& released = Released();
    released.erase(std::remove(released.begin(), released.end(), iconWindow), released.end());
}

void TIconWnd::FreeOrphans() noexcept {
    try {
        std::vector<TIconWnd*> orphans;
        {
            TLockGuard guard(ReleasedLock());
            std::vector<TIconWnd*>& released = Released();
            auto waiting = [](TIconWnd* w) {
                HWND h = w->window_.Get();
                return IsWindow(h) && GetWindowLongPtrA(h, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(w);
            };
            auto from = std::stable_partition(released.begin(), released.end(), waiting);
            orphans.assign(from, released.end());
            released.erase(from, released.end());
        }
        // Their windows went with their threads: nothing is sent anywhere.
        for (TIconWnd* orphan : orphans) delete orphan;
    } catch (...) {
    }
}

int TIconWnd::LiveCount() { return g_liveIconWindows.load(); }

void TIconWnd::CreateIconWindow() {
    HINSTANCE instance = LibraryInstance();
    RegisterLibraryWindowClass(ICON_WINDOW_CLASS_NAME, LoadCursorA(nullptr, IDC_ARROW));  // creation tells
    window_.Reset(CreateWindowExA(WS_EX_TOOLWINDOW, ICON_WINDOW_CLASS_NAME, "", WS_POPUP, 0, 0, width_, height_,
                                  nullptr, nullptr, instance, nullptr));
    if (!window_.Get()) throw Exception("TIconWnd.CreateIconWindow: Err = " + std::to_string(GetLastError()));
    SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(window_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TIconWnd::WndProc));
    SetWindowPos(window_.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TIconWnd::OpenTheme() {
    try {
        theme_ = OpenThemeFor(window_.Get(), themeClass_.c_str());
    } catch (...) {
        theme_ = nullptr;
    }
}

void TIconWnd::CloseTheme() {
    try {
        CloseThemeOf(theme_);
    } catch (...) {
    }
    theme_ = nullptr;
}

void TIconWnd::Show() { ShowWindow(window_.Get(), SW_SHOW); }

void TIconWnd::Hide() { ShowWindow(window_.Get(), SW_HIDE); }

void TIconWnd::SetLeft(int value) {
    if (value == left_) return;
    left_ = value;
    UpdatePosition();
}

void TIconWnd::SetTop(int value) {
    if (value == top_) return;
    top_ = value;
    UpdatePosition();
}

void TIconWnd::UpdatePosition() {
    SetWindowPos(window_.Get(), nullptr, left_, top_, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TIconWnd::DoHide() {
    // The handler may release this icon window, and its own copy with it.
    THideHandler handler = onHide_;
    if (handler) handler(this);
}

void TIconWnd::DoDetach() {
    THideHandler handler = onDetach_;
    if (handler) handler(this);
}

void TIconWnd::Paint(HDC given) {
    TWindowDC own;
    HDC dc = given;
    if (!dc) {
        own = TWindowDC::Client(window_.Get());
        dc = own.Get();
    }
    if (!dc) return;
    RECT face{0, 0, width_, height_};
    FillRect(dc, &face, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (!DrawThemePart(theme_, window_.Get(), dc, themePart_, THEME_STATE_NORMAL, face))
        DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH);
    DrawIconEx(dc, (width_ - iconWidth_) / 2, (height_ - iconHeight_) / 2, icon_, iconWidth_, iconHeight_, 0, nullptr,
               DI_NORMAL);
}

LRESULT TIconWnd::PressOnSurface(WPARAM wParam, LPARAM lParam) {
    RECT before{}, after{};
    GetWindowRect(window_.Get(), &before);
    LRESULT result = DefWindowProcA(window_.Get(), WM_NCLBUTTONDOWN, wParam, lParam);
    GetWindowRect(window_.Get(), &after);
    // A release that reached this window inside the loop has hidden it already.
    if (before.left == after.left && before.top == after.top && IsWindowVisible(window_.Get())) Hide();
    return result;
}

LRESULT TIconWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DETACHEXTENDER) {
        DoDetach();
        return 0;
    }
    switch (message) {
    case WM_MOVE:
        left_ = static_cast<short>(LOWORD(static_cast<DWORD>(lParam)));
        top_ = static_cast<short>(HIWORD(static_cast<DWORD>(lParam)));
        break;
    case WM_PAINT:
        Paint(reinterpret_cast<HDC>(wParam));
        break;  // the default processing validates the window
    case WM_ERASEBKGND:
        return 1;
    case WM_SHOWWINDOW:
        if (!wParam) DoHide();
        break;
    case WM_NCHITTEST:
        return HTCAPTION;  // the whole surface drags the window
    case WM_NCLBUTTONDOWN:
        if (wParam == HTCAPTION) return PressOnSurface(wParam, lParam);
        break;
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
        Hide();
        break;
    case WM_THEMECHANGED:
        if (ThemeLibraryLoaded()) {
            CloseTheme();
            OpenTheme();
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window_.Get(), message, wParam, lParam);
}

LRESULT CALLBACK TIconWnd::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        auto* self = reinterpret_cast<TIconWnd*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && self->window_.Get() == window) {
            TFrame frame(*self);
            return self->HandleMessage(message, wParam, lParam);
        }
    } catch (...) {
        DebugOut("TIconWnd.WndProc: Err = " + CurrentExceptionMessage());
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---------------------------------------------------------- TMinToEdgeAction

bool TMinToEdgeAction::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<IPlacementCorrector>(this, iid, out)) return true;
    return TMessageHandlerAction::QueryInterface(iid, out);
}

void TMinToEdgeAction::CorrectPlacement(WINDOWPLACEMENT& placement) {
    if (minimized_) PlacementAfterHiding(placement, showState_);
}

void TMinToEdgeAction::Initialize() {
    TMessageHandlerAction::Initialize();
    iconWindow_.reset();
    minimized_ = false;
    showState_ = 0;
    useLargeIcon_ = false;
    iconLeft_ = 0;
    iconTop_ = 0;
}

void TMinToEdgeAction::ParseParam(const std::string& key, const std::string& value) {
    TMessageHandlerAction::ParseParam(key, value);
    if (key == "USELARGEICON") useLargeIcon_ = IsYes(value);
}

void TMinToEdgeAction::CreateOperations() {
    AddOperation(
        "\\NAME=MINTOEDGEON\\CAPTION=Minimize To Screen Edge\\HINT=Minimize To Screen Edge\\IMAGE=MINTOEDGE"
        "\\DOWNIMAGE=MINTOEDGE\\DEFAULT=yes\\DIRECTCALL=yes");
    AddOperation(
        "\\NAME=MINTOEDGEOFF\\CAPTION=Restore From Screen Edge\\HINT=Restore From Screen Edge\\IMAGE=MINTOEDGE"
        "\\DOWNIMAGE=MINTOEDGE\\DEFAULT=no\\DIRECTCALL=yes");
    SetCurrentOperation("MINTOEDGEOFF");
}

bool TMinToEdgeAction::ApplyOperation(const std::string& name) {
    try {
        if (name == "MINTOEDGEON") return minimized_ || GoToEdge();  // one icon window at a time
        if (name == "MINTOEDGEOFF") return !minimized_ || ComeBack();
        return false;
    } catch (...) {
        return false;
    }
}

bool TMinToEdgeAction::GoToEdge() {
    HWND window = Window();
    if (!window || !IsWindow(window)) return false;
    HICON icon = nullptr;
    if (!CallHost([&](HWND w) { icon = useLargeIcon_ ? GetWindowBigIcon(w) : GetWindowSmallIcon(w); }))
        return false;
    // Without its icon window a hidden window would be lost to the user: it
    // is hidden only once the icon window stands.
    TIconWnd::TOwner iconWindow = TIconWnd::Create(icon, useLargeIcon_);
    iconWindow->SetOnHide([this](TIconWnd*) {
        // The window's return runs its program's code, which may take a
        // detach that lets go of this action.
        IPtr<IAction> self(this);
        IconWindowHidden();
    });
    // The hooked window itself may never take the detach notice: its host may
    // have cut the library out of its chain, or the hook went before its
    // thread ran again.
    iconWindow->SetOnDetach([this](TIconWnd*) {
        IPtr<IAction> self(this);
        if (IPtr<IWindowHandler> handler = WindowHandler()) handler->LetGo();
    });
    POINT place = IconWindowPlace(*iconWindow);
    iconWindow->SetLeft(place.x);
    iconWindow->SetTop(place.y);
    iconWindow_ = std::move(iconWindow);
    // At the edge before it hides: the hiding's own messages see it there,
    // as it will come back.
    showState_ = static_cast<std::uint8_t>(GetWindowShowState(window));
    minimized_ = true;
    // The icon window stands before the window goes: a host that waits or
    // opens a box inside the hiding never shows a hidden window without its
    // way back. Showing it moves the activation away from the program.
    return CallHost([this](HWND) {
               if (iconWindow_) iconWindow_->Show();
           }) && CallHost([](HWND w) { HideWithOwner(w); });
}

bool TMinToEdgeAction::ComeBack() {
    KeepIconWindowPlace();
    minimized_ = false;
    if (!CallHost([this](HWND w) { ShowWithOwner(w, showState_); })) return false;
    DropIconWindow();
    return true;
}

void TMinToEdgeAction::KeepIconWindowPlace() {
    if (!iconWindow_) return;
    iconLeft_ = iconWindow_->Left();
    iconTop_ = iconWindow_->Top();
}

void TMinToEdgeAction::DropIconWindow(bool later) {
    KeepIconWindowPlace();
    TIconWnd::TOwner iconWindow = std::move(iconWindow_);
    if (!iconWindow) return;
    iconWindow->SetOnHide(nullptr);
    iconWindow->SetOnDetach(nullptr);
    if (later) {
        TIconWnd::ReleaseLater(std::move(iconWindow));
        return;
    }
    iconWindow->Hide();
}  // a click on it may still be handled: it goes once that returned

POINT TMinToEdgeAction::IconWindowPlace(const TIconWnd& iconWindow) const {
    // A stored place is anything the registry held: bounded before adding.
    constexpr int FAR_OFF = 1 << 24;
    int left = std::clamp(iconLeft_, -FAR_OFF, FAR_OFF);
    int top = std::clamp(iconTop_, -FAR_OFF, FAR_OFF);
    RECT area{left, top, left + iconWindow.Width(), top + iconWindow.Height()};
    if (MonitorFromRect(&area, MONITOR_DEFAULTTONULL)) return POINT{left, top};
    return POINT{0, 0};
}

void TMinToEdgeAction::AttachWindow() {
    try {
        TMessageHandlerAction::AttachWindow();
        LoadIconWindowPosition();
    } catch (...) {
    }
}

void TMinToEdgeAction::DetachWindow() {
    try {
        TakeBackAtDetach();
        // Shown again, or coming back once its program shows it.
        SetCurrentOperation("MINTOEDGEOFF");
        SaveIconWindowPosition();
    } catch (...) {
    }
    TMessageHandlerAction::DetachWindow();
}

void TMinToEdgeAction::TakeBack(HWND window, bool dying) {
    TakeBackHiding(window, minimized_, showState_, dying);
    DropIconWindow(dying);
}

void TMinToEdgeAction::LoadIconWindowPosition() {
    try {
        if (!WindowHandler()) return;
        std::string path = RuleKeyPath();
        std::string text;
        int value = 0;
        if (!ReadRegString(HKEY_CURRENT_USER, path, ICON_WINDOW_LEFT_VALUE, text) || !ParseInteger(text, value))
            return;
        iconLeft_ = value;
        if (!ReadRegString(HKEY_CURRENT_USER, path, ICON_WINDOW_TOP_VALUE, text) || !ParseInteger(text, value))
            return;
        iconTop_ = value;
    } catch (...) {
    }
}

void TMinToEdgeAction::SaveIconWindowPosition() {
    try {
        if (!WindowHandler()) return;
        std::string path = RuleKeyPath();
        if (!WriteRegString(HKEY_CURRENT_USER, path, ICON_WINDOW_LEFT_VALUE, std::to_string(iconLeft_))) return;
        WriteRegString(HKEY_CURRENT_USER, path, ICON_WINDOW_TOP_VALUE, std::to_string(iconTop_));
    } catch (...) {
    }
}

void TMinToEdgeAction::IconWindowHidden() { ExecuteOperation("MINTOEDGEOFF"); }

}  // namespace vpw
