// The control center: a program without a visible window that loads the
// rules, installs the system-wide hook, serves the command channel through
// its server thread and lives in the notification area.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "AppConsts.h"
#include "BOMInterfaces.h"
#include "ControlCenterInterfaces.h"
#include "WinHandles.h"

namespace vpw {

class TControlCenterThread;

inline constexpr char CC_HANDLER_WINDOW_CLASS[] = "VPW_CommandCenterHandlerWindow";
inline constexpr char CC_HOOK_LIBRARY[] = "vpwemb.dll";
inline constexpr char CC_HOOK_PROCEDURE[] = "CallProcHook";
inline constexpr char CC_CONFIG_PROGRAM[] = "VelvicPlimsyWindowsConfig.exe";
inline constexpr char CC_HELP_FILE[] = "VelvicPlimsyWindows.chm";

// How long the end of the control center waits for the windows' threads to
// take the detach notice, all together: the time the system gives a window
// before it takes it as hung. Windows it takes as hung already are not
// waited for.
inline constexpr DWORD CC_DETACH_WAIT_MS = 5000;

inline constexpr UINT TRAY_ANIMATION_TIMER_ID = 1;
inline constexpr UINT TRAY_ANIMATION_INTERVAL = 250;
inline constexpr UINT IDM_TRAY_CLOSE = 1000;
inline constexpr UINT IDM_TRAY_CONFIGURE = 1002;
inline constexpr UINT IDM_TRAY_HELP = 1003;

// Requests of the server thread that the main thread carries out, since the
// tray icon and its timer belong to the handler window.
inline constexpr UINT WM_CC_START_ANIMATION = WM_APP + 1;
inline constexpr UINT WM_CC_APPLY_SETTINGS = WM_APP + 2;

class TCCApp {
public:
    // Programs' directory and configuration file name; no hook, no icon.
    TCCApp();
    ~TCCApp();
    TCCApp(const TCCApp&) = delete;
    TCCApp& operator=(const TCCApp&) = delete;

    // False when the control center must not run; what was built is released.
    bool Initialize();
    void Run();
    // Safe to run more than once.
    void Shutdown();

    LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Steps of the server thread.
    void ReloadModel();
    void PostClose();
    void ApplySettings();
    void StartTrayAnimation();
    void ReattachWindows();
    bool HasWindowRule(HWND window);

    const std::string& Title() const { return title_; }

private:
    bool CheckSingleInstance();
    bool CheckCom();
    void ReadSettings();
    bool CreateHandlerWindow();
    IPtr<IBOMObjectSlave> LoadRoot();
    bool LoadModel();
    void ReleaseModel();
    IPtr<IControlCenter> ControlCenterFacet();
    bool StartControlCenterThread();
    void StopControlCenterThread();
    bool InstallHook();
    void UninstallHook();
    void DetachAllWindows();
    void ShowTrayIcon();
    void HideTrayIcon();
    void UpdateTrayIcon();
    void RestartTrayAnimation();
    void AdvanceTrayAnimation();
    void ApplySettingsNow();
    void ShowTrayMenu();
    void OpenInProgramsDirectory(const char* fileName);
    void EndSession();
    bool Stopping() const;

    // The server thread posts to it.
    std::atomic<HWND> handlerWindow_{nullptr};
    bool trayIconEnabled_ = true;
    bool trayIconShown_ = false;
    IPtr<IBOMObjectSlave> root_;
    std::unique_ptr<TControlCenterThread> thread_;
    THook hook_;
    TModule hookLibrary_;
    TMappedView hookView_;
    TKernelHandle hookMapping_;
    HOOKPROC hookProcedure_ = nullptr;
    int frame_ = 0;
    UINT taskbarCreatedMessage_ = 0;

    std::string title_;
    std::unique_ptr<TComInit> comCheck_;  // balances the COM check
    bool classRegistered_ = false;
};

// The process's application object: created at start-up, freed by
// FreeCCApp or, if still present, at exit.
TCCApp* CCApp();
void FreeCCApp();

// Initialize, Run when it succeeded, Shutdown, free: the program's body
// once COM and the language are set up.
void RunCCApp();

LRESULT CALLBACK CCAppWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace vpw
