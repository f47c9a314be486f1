#include "uEAMinToTrayAction.h"

#include <atomic>
#include <utility>

#include "AppConsts.h"
#include "EARoutines.h"
#include "EAWinFuncs.h"
#include "Routines.h"
#include "TaskBar.h"

namespace vpw {

namespace {

// Process-wide: every action's icon gets an id of its own, whichever thread
// builds it.
std::atomic<UINT> g_nextIconId{0};

constexpr UINT MENU_RESTORE_WINDOW = 1;
constexpr UINT MENU_CLOSE_WINDOW = 2;

constexpr char ITEM_RESTORE_WINDOW[] = "RestoreWindow";
constexpr char ITEM_CLOSE_WINDOW[] = "CloseWindow";
constexpr char DEFAULT_MENU_CAPTIONS[] = "CloseWindow=Close Window;RestoreWindow=Restore Window";

}  // namespace

// ---------------------------------------------------------- TTrayIconWindow

TTrayIconWindow::TTrayIconWindow(TMinToTrayAction& action, HWND owner) {
    if (!RegisterLibraryWindowClass(TRAY_ICON_WINDOW_CLASS_NAME)) return;
    // Top-level, so that the shell's restart notice and the control center's
    // detach notice reach it; disabled, so that nothing ever activates it.
    window_.Reset(CreateWindowExA(WS_EX_TOOLWINDOW, TRAY_ICON_WINDOW_CLASS_NAME, "", WS_POPUP | WS_DISABLED, 0, 0, 0, 0,
                                  owner, nullptr, LibraryInstance(), nullptr));
    if (!window_) return;
    SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&action));
    SetWindowLongPtrA(window_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTrayIconWindow::WndProc));
}

TTrayIconWindow::~TTrayIconWindow() {
    if (!window_) return;
    // No message reaches the action from here on.
    SetWindowLongPtrA(window_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
    SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
    window_.Reset();
}

LRESULT CALLBACK TTrayIconWindow::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (auto* action = reinterpret_cast<TMinToTrayAction*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
            // The click may take the window back and its detach let go of the action.
            IPtr<IAction> self(action);
            action->IconWindowMessage(message, wParam, lParam);
        }
        if (message == WM_TRAYICONNOTIFY || message == WM_DETACHEXTENDER) return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    } catch (...) {
        DebugOut("TTrayIconWindow.WndProc: Err = " + CurrentExceptionMessage());
        return 0;
    }
}

// --------------------------------------------------------- TMinToTrayAction

bool TMinToTrayAction::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<IPlacementCorrector>(this, iid, out)) return true;
    return TMessageHandlerAction::QueryInterface(iid, out);
}

void TMinToTrayAction::CorrectPlacement(WINDOWPLACEMENT& placement) {
    if (inTray_) PlacementAfterHiding(placement, savedShowState_);
}

void TMinToTrayAction::Initialize() {
    TMessageHandlerAction::Initialize();
    iconId_ = g_nextIconId.fetch_add(1);
    iconShown_ = false;
    inTray_ = false;
    savedShowState_ = 0;
    permanentIcon_ = false;
    taskbarCreatedMessage_ = RegisterWindowMessageA("TaskbarCreated");
    menuCaptions_ = DEFAULT_MENU_CAPTIONS;
}

void TMinToTrayAction::ParseParam(const std::string& key, const std::string& value) {
    TMessageHandlerAction::ParseParam(key, value);
    if (key == "PERMANENTTRAYICON")
        permanentIcon_ = IsYes(value);
    else if (key == "CONTEXTMENUCAPTIONS")
        menuCaptions_ = StripBraces(value);
}

void TMinToTrayAction::CreateOperations() {
    AddOperation(
        "\\NAME=MINTOTRAYON\\CAPTION=Minimize To Tray\\HINT=Minimize To Tray\\IMAGE=MINTOTRAY\\DOWNIMAGE=MINTOTRAY"
        "\\IMAGE_SMALL=MINTOTRAY_SMALL\\DOWNIMAGE_SMALL=MINTOTRAY_SMALL\\DEFAULT=yes\\DIRECTCALL=yes");
    AddOperation(
        "\\NAME=MINTOTRAYOFF\\CAPTION=Restore From Tray\\HINT=Restore From Tray\\IMAGE=MINTOTRAY"
        "\\DOWNIMAGE=MINTOTRAY\\DEFAULT=no\\DIRECTCALL=yes");
    SetCurrentOperation("MINTOTRAYOFF");
}

bool TMinToTrayAction::ApplyOperation(const std::string& name) {
    try {
        if (name == "MINTOTRAYON") {
            if (inTray_) return true;
            HWND window = Window();
            if (!window || !IsWindow(window)) return false;
            // Without its icon a hidden window would be lost to the user.
            return AddTrayIcon() && GoToTray(window);
        }
        if (name == "MINTOTRAYOFF") return !inTray_ || ComeBack();
        return false;
    } catch (...) {
        return false;
    }
}

bool TMinToTrayAction::GoToTray(HWND window) {
    // In the tray before it hides: the hiding's own messages see it there,
    // as it will come back.
    savedShowState_ = static_cast<std::uint8_t>(GetWindowShowState(window));
    inTray_ = true;
    return CallHost([](HWND w) { HideWithOwner(w); });
}

bool TMinToTrayAction::ComeBack() {
    inTray_ = false;
    if (!CallHost([this](HWND w) {
            ShowWithOwner(w, savedShowState_);
            SetForegroundWindow(w);
        }))
        return false;
    if (!permanentIcon_) RemoveTrayIcon();
    return true;
}

void TMinToTrayAction::AttachWindow() {
    try {
        TMessageHandlerAction::AttachWindow();
        UpdateTrayIcon(WindowIsVisible(Window()));
    } catch (...) {
    }
}

void TMinToTrayAction::DetachWindow() {
    try {
        TakeBackAtDetach();
        // Shown again, or coming back once its program shows it.
        SetCurrentOperation("MINTOTRAYOFF");
    } catch (...) {
    }
    TMessageHandlerAction::DetachWindow();
}

void TMinToTrayAction::TakeBack(HWND window, bool dying) {
    if (TakeBackHiding(window, inTray_, savedShowState_, dying)) SetForegroundWindow(window);
    // No icon, nor its window, outlives the attachment.
    RemoveTrayIcon();
    iconWindow_.reset();
}

bool TMinToTrayAction::AddTrayIcon() {
    if (iconShown_) return true;
    IPtr<IWindowHandler> handler = WindowHandler();
    if (!handler) return false;
    HWND window = handler->GetWindow();
    if (!window) return false;
    if (!iconWindow_) iconWindow_ = std::make_unique<TTrayIconWindow>(*this, window);
    HWND owner = iconWindow_->Handle();
    if (!owner) return false;
    // The caption and the icon are the host's answers.
    return CallHost([&](HWND w) {
        std::string tip = handler->GetWindowCaption();
        HICON icon = GetWindowSmallIcon(w);
        // An icon the shell still has (a "TaskbarCreated" without a restart)
        // refuses a second add but takes a modify.
        iconShown_ = TaskBarAddIcon(owner, iconId_, icon, tip, WM_TRAYICONNOTIFY) ||
                     TaskBarModifyIcon(owner, iconId_, NIF_ICON | NIF_TIP, tip, icon);
    }) && iconShown_;
}

void TMinToTrayAction::RemoveTrayIcon() {
    if (!std::exchange(iconShown_, false) || !iconWindow_) return;
    HWND owner = iconWindow_->Handle();
    TaskBarModifyIcon(owner, iconId_, NIF_ICON, std::string(), nullptr);
    TaskBarDeleteIcon(owner, iconId_);
}

void TMinToTrayAction::UpdateTrayIcon(bool windowVisible) {
    if (!permanentIcon_ || inTray_) return;
    if (windowVisible)
        AddTrayIcon();
    else
        RemoveTrayIcon();
}

bool TMinToTrayAction::BeforeMessage(TMessage& message) {
    if (message.Msg != WM_TRAYICONNOTIFY || message.WParam != iconId_) return false;
    IconClicked(static_cast<UINT>(message.LParam));
    message.Result = 0;
    return true;
}

void TMinToTrayAction::IconClicked(UINT mouseMessage) {
    try {
        switch (mouseMessage) {
        case WM_LBUTTONDOWN:
            if (IPtr<IOperation> next = GetNextOperation()) ExecuteOperation(next->GetName());
            break;
        case WM_RBUTTONDOWN:
            ShowTrayMenu();
            break;
        default:
            break;
        }
    } catch (...) {
    }
}

void TMinToTrayAction::IconWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_TRAYICONNOTIFY && wParam == iconId_) {
            IconClicked(static_cast<UINT>(lParam));
        } else if (message == WM_DETACHEXTENDER) {
            // The window itself may never take it: its host may have cut
            // the library out of its chain, or the hook went before its
            // thread ran again.
            if (IPtr<IWindowHandler> handler = WindowHandler()) handler->LetGo();
        } else if (message == taskbarCreatedMessage_) {
            ShellRestarted();
        }
    } catch (...) {
    }
}

void TMinToTrayAction::ShellRestarted() {
    if (!iconShown_) return;
    // Without our icon. Told to the hooked window and to the icon's: the
    // second finds the icon there.
    iconShown_ = false;
    if (!AddTrayIcon() && inTray_) ExecuteOperation("MINTOTRAYOFF");
}

void TMinToTrayAction::AfterMessage(TMessage& message, bool handled) {
    try {
        TMessageHandlerAction::AfterMessage(message, handled);
        // The message comes before the window's visibility changes: its own
        // flag says what the window is about to be.
        if (message.Msg == WM_SHOWWINDOW) UpdateTrayIcon(message.WParam != 0);
        if (!iconShown_) return;
        if (message.Msg == WM_SETTEXT && iconWindow_) {
            if (IPtr<IWindowHandler> handler = WindowHandler())
                TaskBarModifyIcon(iconWindow_->Handle(), iconId_, NIF_TIP, handler->GetWindowCaption(), nullptr);
        } else if (message.Msg == taskbarCreatedMessage_) {
            ShellRestarted();
        }
    } catch (...) {
    }
}

std::string TMinToTrayAction::MenuCaption(const std::string& item) const {
    std::string caption;
    if (GetNameValue(menuCaptions_, item, ';', '=', caption)) return caption;
    if (GetNameValue(DEFAULT_MENU_CAPTIONS, item, ';', '=', caption)) return caption;
    return item;
}

void TMinToTrayAction::BuildTrayMenu() {
    TMenu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuA(menu.Get(), MF_STRING, MENU_RESTORE_WINDOW, MenuCaption(ITEM_RESTORE_WINDOW).c_str());
    AppendMenuA(menu.Get(), MF_STRING, MENU_CLOSE_WINDOW, MenuCaption(ITEM_CLOSE_WINDOW).c_str());
    SetMenuDefaultItem(menu.Get(), MENU_RESTORE_WINDOW, FALSE);
    trayMenu_ = std::move(menu);
}

void TMinToTrayAction::ShowTrayMenu() {
    if (!trayMenu_) BuildTrayMenu();
    HWND window = Window();
    if (!trayMenu_ || !window) return;
    POINT at{};
    GetCursorPos(&at);
    // The menu closes on a click elsewhere only when its owner is in front.
    SetForegroundWindow(window);
    // The choice comes back here: no command reaches the host's procedure.
    UINT chosen = static_cast<UINT>(TrackPopupMenu(trayMenu_.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                   at.x, at.y, 0, window, nullptr));
    PostMessageA(window, WM_NULL, 0, 0);
    // A detach in the menu's loop brought the window back and let go of it:
    // the choice then goes to the handle taken before.
    if (chosen == MENU_RESTORE_WINDOW)
        TrayMenuClick(ITEM_RESTORE_WINDOW, window);
    else if (chosen == MENU_CLOSE_WINDOW)
        TrayMenuClick(ITEM_CLOSE_WINDOW, window);
}

void TMinToTrayAction::TrayMenuClick(const std::string& item, HWND window) {
    try {
        if (CompareTextAscii(item, ITEM_CLOSE_WINDOW) == 0) {
            ExecuteOperation("MINTOTRAYOFF");
            if (window) PostMessageA(window, WM_CLOSE, 0, 0);
        } else if (CompareTextAscii(item, ITEM_RESTORE_WINDOW) == 0) {
            ExecuteOperation("MINTOTRAYOFF");
        }
    } catch (...) {
    }
}

}  // namespace vpw
