// Minimise to the notification area: the window is hidden and stands as an
// icon in the tray until a left click (or the icon's menu) brings it back.
// The icon belongs to the hooked window, which receives its callback
// message; the action takes that message out of the window's procedure.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "WinHandles.h"
#include "uEAActions.h"

namespace vpw {

inline constexpr char TRAY_ICON_WINDOW_CLASS_NAME[] = "VPW_TrayIconWindow";

class TMinToTrayAction;

// The window of the library that owns a tray icon and takes its messages:
// hidden, disabled, owned by the hooked window and on its thread. The
// icon's clicks reach the action whatever the host does with its own
// window's chain, also once the control center is gone without a word.
class TTrayIconWindow {
public:
    TTrayIconWindow(TMinToTrayAction& action, HWND owner);
    ~TTrayIconWindow();
    TTrayIconWindow(const TTrayIconWindow&) = delete;
    TTrayIconWindow& operator=(const TTrayIconWindow&) = delete;
    HWND Handle() const { return window_.Get(); }

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    TThreadWindow window_;
};

// Keys: PERMANENTTRAYICON ("yes" in any case: the icon also stands for the
// visible window), CONTEXTMENUCAPTIONS ("RestoreWindow=...;CloseWindow=...",
// optionally in braces). Operations MINTOTRAYON (next at creation) and
// MINTOTRAYOFF (current).
class TMinToTrayAction : public TMessageHandlerAction, public virtual IPlacementCorrector {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    void ParseParam(const std::string& key, const std::string& value) override;
    void CreateOperations() override;
    bool ApplyOperation(const std::string& name) override;
    // Adds a permanent icon for a visible window.
    void AttachWindow() override;
    // Brings a window in the tray back and removes the icon.
    void DetachWindow() override;
    // Takes the icon's own callback messages.
    bool BeforeMessage(TMessage& message) override;
    // What the icon's window was told: a click on the icon, the shell's
    // restart, the detach notice.
    void IconWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Follows caption changes, shell restarts and showing and hiding.
    void AfterMessage(TMessage& message, bool handled) override;
    // Hidden by this action: saved as it shows when it comes back.
    void CorrectPlacement(WINDOWPLACEMENT& placement) override;

    // True when the icon is there afterwards.
    bool AddTrayIcon();
    void RemoveTrayIcon();
    // A permanent icon follows the window's visibility, except while the
    // window is in the tray.
    void UpdateTrayIcon(bool windowVisible);
    void BuildTrayMenu();
    // Modal on the window's thread until the user picks or dismisses.
    void ShowTrayMenu();
    // "RestoreWindow" or "CloseWindow"; `window` is the one the menu was for.
    void TrayMenuClick(const std::string& item, HWND window);
    // The caption of a menu item: the configured one, or its default.
    std::string MenuCaption(const std::string& item) const;

    UINT GetIconId() const { return iconId_; }
    // The window that owns the icon; none before the first icon.
    HWND GetIconWindow() const { return iconWindow_ ? iconWindow_->Handle() : nullptr; }
    bool GetIconShown() const { return iconShown_; }
    bool GetInTray() const { return inTray_; }
    bool GetPermanentIcon() const { return permanentIcon_; }
    std::uint8_t GetSavedShowState() const { return savedShowState_; }
    HMENU GetTrayMenu() const { return trayMenu_.Get(); }

protected:
    ~TMinToTrayAction() override = default;
    // Shows a window in the tray and removes the icon.
    void TakeBack(HWND window, bool dying) override;

private:
    // False when a detach came meanwhile.
    bool GoToTray(HWND window);
    bool ComeBack();
    // A mouse message of the icon.
    void IconClicked(UINT mouseMessage);
    // "TaskbarCreated": adds the icon again.
    void ShellRestarted();

    UINT iconId_ = 0;
    bool iconShown_ = false;
    std::uint8_t savedShowState_ = 0;
    bool permanentIcon_ = false;
    UINT taskbarCreatedMessage_ = 0;
    std::string menuCaptions_;
    TMenu trayMenu_;
    std::unique_ptr<TTrayIconWindow> iconWindow_;
    // Hidden by this action; the icon is the window's only trace.
    bool inTray_ = false;
};

}  // namespace vpw
