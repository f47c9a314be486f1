// Minimise to the notification area: the window is hidden and stands as an
// icon in the tray until a left click (or the icon's menu) brings it back.
// The icon belongs to the hooked window, which receives its callback
// message; the action takes that message out of the window's procedure.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "WinHandles.h"
#include "uEAActions.h"

namespace vpw {

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
    // Follows caption changes, shell restarts and showing and hiding.
    void AfterMessage(TMessage& message, bool handled) override;
    // Hidden by this action: saved as it shows when it comes back.
    void CorrectPlacement(WINDOWPLACEMENT& placement) override;

    // True when the icon is there afterwards.
    bool AddTrayIcon();
    void RemoveTrayIcon(HWND window);
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

    UINT iconId_ = 0;
    bool iconShown_ = false;
    std::uint8_t savedShowState_ = 0;
    bool permanentIcon_ = false;
    UINT taskbarCreatedMessage_ = 0;
    std::string menuCaptions_;
    TMenu trayMenu_;
    // Hidden by this action; the icon is the window's only trace.
    bool inTray_ = false;
};

}  // namespace vpw
