// Minimise to the screen edge: the window leaves the desktop and a small,
// always-on-top icon window stands in for it. The icon window can be
// dragged anywhere; a click on it brings the window back. Where it was left
// is kept per rule in the registry.
#pragma once
#include <windows.h>
#include <uxtheme.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "WinHandles.h"
#include "uEAActions.h"

namespace vpw {

inline constexpr char ICON_WINDOW_CLASS_NAME[] = "{57554B3D-9B00-49AC-9F77-3273F44826AE}";
inline constexpr char ICON_WINDOW_LEFT_VALUE[] = "MinToEdge_IconWndLeft";
inline constexpr char ICON_WINDOW_TOP_VALUE[] = "MinToEdge_IconWndTop";

// The icon on a push-button face in a topmost pop-up window, hidden until
// Show. The icon is borrowed. Create, use and release it on one thread.
class TIconWnd {
public:
    using THideHandler = std::function<void(TIconWnd* sender)>;
    // Owners let it go through Release, never by deleting it.
    struct TReleaser {
        void operator()(TIconWnd* iconWindow) const noexcept { iconWindow->Release(); }
    };
    using TOwner = std::unique_ptr<TIconWnd, TReleaser>;

    // Throws when the window cannot be made.
    static TOwner Create(HICON icon, bool large);
    // Destroyed from its own thread's next message, as it is: hiding or
    // destroying it now would move the activation, which tells every window
    // of the thread, a window being destroyed too. When the thread ends
    // first, its window goes with it, and the object with the next icon
    // window made or let go of.
    static void ReleaseLater(TOwner iconWindow) noexcept;
    TIconWnd(const TIconWnd&) = delete;
    TIconWnd& operator=(const TIconWnd&) = delete;

    void Show();
    void Hide();
    void SetLeft(int value);
    void SetTop(int value);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    HWND Handle() const { return window_.Get(); }
    bool IsThemed() const { return theme_ != nullptr; }
    // Called when the icon window is hidden (a click on it).
    void SetOnHide(THideHandler handler) { onHide_ = std::move(handler); }
    // Called when the control center's detach notice reaches it.
    void SetOnDetach(THideHandler handler) { onDetach_ = std::move(handler); }
    // Icon windows of this module that exist right now.
    static int LiveCount();

private:
    class TFrame;

    TIconWnd(HICON icon, bool large);
    ~TIconWnd();
    // Destroys it now, or hidden once its outermost procedure frame returns:
    // a modal loop inside that procedure (the move loop of a drag) may see
    // its owner go, and the frames still use the object afterwards.
    void Release() noexcept;
    // Takes one let go of for later off the list.
    static void Unlist(TIconWnd* iconWindow);
    // Frees those let go of for later whose thread ended before their message came.
    static void FreeOrphans() noexcept;
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateIconWindow();
    void OpenTheme();
    void CloseTheme();
    void UpdatePosition();
    void Paint(HDC dc);
    void DoHide();
    void DoDetach();
    // A press on the surface starts the system's move loop, which may keep
    // the release to itself: a press that moved nothing is a click.
    LRESULT PressOnSurface(WPARAM wParam, LPARAM lParam);

    HICON icon_;
    TThreadWindow window_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    int iconWidth_ = 0;
    int iconHeight_ = 0;
    THideHandler onHide_;
    THideHandler onDetach_;
    HTHEME theme_ = nullptr;
    int themePart_ = 1;  // BP_PUSHBUTTON
    std::wstring themeClass_ = L"button";
    int depth_ = 0;
    bool released_ = false;
};

// Key: USELARGEICON ("yes" in any case: the large icon). Operations
// MINTOEDGEON (next at creation) and MINTOEDGEOFF (current).
class TMinToEdgeAction : public TMessageHandlerAction, public virtual IPlacementCorrector {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    void ParseParam(const std::string& key, const std::string& value) override;
    void CreateOperations() override;
    bool ApplyOperation(const std::string& name) override;
    // Reads the icon position of the rule.
    void AttachWindow() override;
    // Brings a window at the edge back and keeps the icon position.
    void DetachWindow() override;
    // Hidden by this action: saved as it shows when it comes back.
    void CorrectPlacement(WINDOWPLACEMENT& placement) override;

    void LoadIconWindowPosition();
    void SaveIconWindowPosition();
    // The icon window's hide notification: brings the window back.
    void IconWindowHidden();

    bool GetMinimized() const { return minimized_; }
    int GetIconLeft() const { return iconLeft_; }
    int GetIconTop() const { return iconTop_; }
    std::uint8_t GetShowState() const { return showState_; }
    bool GetUseLargeIcon() const { return useLargeIcon_; }
    TIconWnd* GetIconWindow() const { return iconWindow_.get(); }

protected:
    ~TMinToEdgeAction() override = default;
    // Shows a window at the edge and lets the icon window go.
    void TakeBack(HWND window, bool dying) override;

private:
    // False when a detach came meanwhile.
    bool GoToEdge();
    bool ComeBack();
    // Takes the icon window's place, for the next one.
    void KeepIconWindowPlace();
    // Takes the icon window's place and lets it go.
    void DropIconWindow(bool later = false);
    // The stored place, or the primary screen's corner when no monitor shows it.
    POINT IconWindowPlace(const TIconWnd& iconWindow) const;

    TIconWnd::TOwner iconWindow_;
    bool minimized_ = false;
    int iconLeft_ = 0;
    int iconTop_ = 0;
    std::uint8_t showState_ = 0;
    bool useLargeIcon_ = false;
};

}  // namespace vpw
