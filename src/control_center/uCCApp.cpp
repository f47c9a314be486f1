#include "uCCApp.h"

#include <shellapi.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "AbstractObjects.h"
#include "AppConsts.h"
#include "AppGlobals.h"
#include "MultiLanguages.h"
#include "RegistryRoutines.h"
#include "SingleAppInstance.h"
#include "TaskBar.h"
#include "uControlCenterThread.h"
#include "uVelvicWindows.h"

namespace vpw {

namespace {

TCCApp* gCCApp = nullptr;

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) noexcept {
    try {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

// Every top-level window, hidden and owned ones included: a broadcast
// misses owned windows, which is what the tray and edge actions hide.
std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Sent without waiting, so that a hung window can hold nobody up.
void NotifyWindows(const std::vector<HWND>& windows, UINT message) {
    for (HWND window : windows) SendNotifyMessageA(window, message, 0, 0);
}

// The notices of each waiting round not yet taken, by round. Only the
// sending thread touches it: the system calls back on that thread. A round
// that gave up is gone, so that a late answer finds nothing.
std::map<ULONG_PTR, int>& OpenNotices() {
    static auto* notices = new std::map<ULONG_PTR, int>();
    return *notices;
}

void CALLBACK NoticeTaken(HWND, UINT, ULONG_PTR round, LRESULT) noexcept {
    try {
        auto it = OpenNotices().find(round);
        if (it != OpenNotices().end()) --it->second;
    } catch (...) {
    }
}

// Sends the message to every window and returns once each window's thread
// has taken it, or after `bound` ms; windows the system takes as hung get it
// without being waited for. Meanwhile only messages sent to this thread are
// handled.
void NotifyWindowsAndWait(const std::vector<HWND>& windows, UINT message, DWORD bound) {
    static ULONG_PTR lastRound = 0;
    const ULONG_PTR round = ++lastRound;
    int& open = OpenNotices()[round];
    for (HWND window : windows) {
        if (IsHungAppWindow(window)) {
            SendNotifyMessageA(window, message, 0, 0);
            continue;
        }
        // Counted first: a window of this thread is called back at once.
        ++open;
        if (!SendMessageCallbackA(window, message, 0, 0, NoticeTaken, round)) --open;
    }
    const DWORD start = GetTickCount();
    for (DWORD waited = 0; open > 0 && waited < bound; waited = GetTickCount() - start) {
        MsgWaitForMultipleObjectsEx(0, nullptr, bound - waited, QS_SENDMESSAGE, 0);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    OpenNotices().erase(round);
}

void ShowStartFailure(const std::string& title, const std::string& file) {
    std::string text = Translate("AppCC_FileNotLoaded", "This file is missing or cannot be loaded:") + "\n" + file;
    MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

// The unit's own lifetime: the application object exists from start-up and
// is shut down and freed at exit if the program body did not do it.
struct TCCAppUnit {
    TCCAppUnit() {
        try {
            gCCApp = new TCCApp();
        } catch (...) {
            gCCApp = nullptr;
        }
    }
    ~TCCAppUnit() { FreeCCApp(); }
} gCCAppUnit;

}  // namespace

TCCApp* CCApp() { return gCCApp; }

void FreeCCApp() {
    TCCApp* app = std::exchange(gCCApp, nullptr);
    if (!app) return;
    try {
        app->Shutdown();
    } catch (...) {
    }
    delete app;
}

void RunCCApp() {
    TCCApp* app = CCApp();
    if (!app) return;
    try {
        if (app->Initialize()) app->Run();
    } catch (...) {
        // Whatever went wrong, shut down what is there.
    }
    app->Shutdown();
    FreeCCApp();
}

LRESULT CALLBACK CCAppWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (TCCApp* app = CCApp()) return app->WndProc(window, message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into the system's dispatcher.
    }
    return 0;
}

// --- TCCApp

TCCApp::TCCApp() {
    SetProgramsDirectory(ExecutableDirectory());
    SetConfigFileName(kConfigFileName);
    taskbarCreatedMessage_ = RegisterWindowMessageA("TaskbarCreated");
}

TCCApp::~TCCApp() {
    try {
        Shutdown();
    } catch (...) {
    }
}

bool TCCApp::Initialize() {
    title_ = Translate("AppCCTitle", "%appname%");
    bool ok = CheckSingleInstance() && CheckCom();
    if (ok) {
        ReadSettings();
        ok = CreateHandlerWindow();
    }
    if (ok && !LoadModel()) {
        ShowStartFailure(title_, ProgramsDirectory() + ConfigFileName());
        ok = false;
    }
    ok = ok && StartControlCenterThread();
    if (ok && !InstallHook()) {
        // Only a library that is missing or lacks its hook procedure is the
        // user's to mend; a failed hook or mapping ends quietly.
        if (!hookLibrary_ || !hookProcedure_) ShowStartFailure(title_, ProgramsDirectory() + CC_HOOK_LIBRARY);
        ok = false;
    }
    if (!ok) {
        Shutdown();
        return false;
    }
    ShowTrayIcon();
    return true;
}

bool TCCApp::CheckSingleInstance() {
    // Silently: a second control center just ends. The mapping the first
    // one created stays open for the life of the process.
    TSingleAppInstance guard(CC_SINGLE_INSTANCE_MAPPING);
    return !guard.CheckAndRegister();
}

bool TCCApp::CheckCom() {
    auto com = std::make_unique<TComInit>();
    if (com->Ok()) {
        comCheck_ = std::move(com);
        return true;
    }
    MessageBoxA(nullptr, Translate("Error_COMInitialization", "COM initialization error.").c_str(), title_.c_str(),
                MB_OKCANCEL);
    return false;
}

void TCCApp::ReadSettings() {
    // A Boolean is a 32-bit integer; anything else counts as unreadable.
    std::uint32_t value = 1;
    trayIconEnabled_ = !ReadRegDword(HKEY_CURRENT_USER, CC_SETTINGS_KEY, CC_TRAY_ICON_VALUE, value) || value != 0;
}

bool TCCApp::CreateHandlerWindow() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = CCAppWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = CC_HANDLER_WINDOW_CLASS;
    classRegistered_ = RegisterClassA(&wc) != 0;
    handlerWindow_ = CreateWindowExA(0, CC_HANDLER_WINDOW_CLASS, title_.c_str(), 0, 0, 0, 0, 0, nullptr, nullptr,
                                     instance, nullptr);
    if (!handlerWindow_) return false;
    SetWindowTextA(handlerWindow_, title_.c_str());
    ShowWindow(handlerWindow_, SW_HIDE);
    return true;
}

IPtr<IBOMObjectSlave> TCCApp::LoadRoot() {
    try {
        IPtr<IBOMObjectSlave> root = TVelvicWindows::LoadConfigFile(TVelvicWindows::ConfigFilePath());
        // Nothing changes the rules here until the next reload.
        if (auto* rules = dynamic_cast<TVelvicWindows*>(root.get())) rules->PrepareRuleLookup();
        return root;
    } catch (...) {
        return {};
    }
}

bool TCCApp::LoadModel() {
    root_ = LoadRoot();
    return root_ != nullptr;
}

void TCCApp::ReleaseModel() {
    IPtr<IBOMObjectSlave> root = std::exchange(root_, nullptr);
    if (!root) return;
    try {
        root->Detach();
    } catch (...) {
    }
}

IPtr<IControlCenter> TCCApp::ControlCenterFacet() {
    if (!root_) return {};
    return Supports<IControlCenter>(root_->GetInterfaceByName("ControlCenter"));
}

bool TCCApp::HasWindowRule(HWND window) {
    IPtr<IControlCenter> controlCenter = ControlCenterFacet();
    if (!controlCenter) return false;
    std::string text;
    controlCenter->GetWindowRuleData(window, text);
    return !text.empty();
}

bool TCCApp::StartControlCenterThread() {
    try {
        auto thread = std::make_unique<TControlCenterThread>();
        if (!thread->Handle()) return false;
        // The first attach pass runs on the server thread too, so that only
        // that thread reads the model once the program runs.
        thread->OnStart = [this] { ReattachWindows(); };
        thread->OnReloadConfig = [this] { ReloadModel(); };
        thread->OnStopControlCenter = [this] { PostClose(); };
        thread->OnApplySettings = [this] { ApplySettings(); };
        thread->OnRuleServed = [this] { StartTrayAnimation(); };
        thread->SetControlCenter(ControlCenterFacet().get());
        thread_ = std::move(thread);
        return true;
    } catch (...) {
        return false;
    }
}

void TCCApp::StopControlCenterThread() {
    if (!thread_) return;
    try {
        thread_->Stop();
        if (!thread_->Suspended()) thread_->WaitFor();
        thread_->ReleaseControlCenter();
    } catch (...) {
    }
    try {
        thread_.reset();
    } catch (...) {
    }
}

bool TCCApp::InstallHook() {
    if (hook_) return true;
    // By full path: the library is injected into every program, so a stray
    // copy on the search path must never stand in for it.
    hookLibrary_.Reset(LoadLibraryA((ProgramsDirectory() + CC_HOOK_LIBRARY).c_str()));
    if (!hookLibrary_) return false;
    hookProcedure_ = reinterpret_cast<HOOKPROC>(GetProcAddress(hookLibrary_.Get(), CC_HOOK_PROCEDURE));
    if (!hookProcedure_) return false;
    hook_.Reset(SetWindowsHookExA(WH_CALLWNDPROC, hookProcedure_, hookLibrary_.Get(), 0));
    if (!hook_) return false;
    hookMapping_.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          sizeof(THookHandleRecord), HOOK_HANDLE_MAPPING_NAME));
    if (!hookMapping_) return false;
    hookView_.Reset(MapViewOfFile(hookMapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(THookHandleRecord)));
    if (!hookView_) {
        hookMapping_.Reset();
        return false;
    }
    static_cast<THookHandleRecord*>(hookView_.Get())->hook = HandleToWire(hook_.Get());
    return true;
}

void TCCApp::UninstallHook() {
    if (hook_) {
        hook_.Reset();
        // Hooked programs run their message loops, so the system can unload
        // the library from them.
        SendNotifyMessageA(HWND_BROADCAST, WM_NULL, 0, 0);
    }
    hookView_.Reset();
    hookMapping_.Reset();
    hookLibrary_.Reset();
    hookProcedure_ = nullptr;
}

void TCCApp::DetachAllWindows() {
    // Only while the hook is in: without it no window was ever attached.
    // The hook stays until the windows' threads have taken the notice: a
    // window whose host cut the extender out of its chain is let go (and
    // shown again) only by the hook procedure.
    if (hook_) NotifyWindowsAndWait(TopLevelWindows(), WM_DETACHEXTENDER, CC_DETACH_WAIT_MS);
}

void TCCApp::Run() {
    if (thread_) thread_->Resume();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TCCApp::Shutdown() {
    try {
        HideTrayIcon();
    } catch (...) {
    }
    // No more lookups, then every window lets its extender go (a window
    // hidden by an action comes back), and only then the hook goes.
    StopControlCenterThread();
    try {
        DetachAllWindows();
        UninstallHook();
    } catch (...) {
    }
    ReleaseModel();
    try {
        if (HWND window = handlerWindow_.exchange(nullptr)) {
            // Still there after a failed start or at session end; a class
            // with a window cannot be unregistered.
            if (IsWindow(window) && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
                DestroyWindow(window);
        }
        if (std::exchange(classRegistered_, false)) UnregisterClassA(CC_HANDLER_WINDOW_CLASS, GetModuleHandleA(nullptr));
    } catch (...) {
    }
    comCheck_.reset();
}

bool TCCApp::Stopping() const { return thread_ && thread_->Terminated(); }

void TCCApp::ReattachWindows() {
    std::vector<HWND> windows = TopLevelWindows();
    NotifyWindows(windows, WM_DETACHEXTENDER);
    std::vector<HWND> ruled;
    for (HWND window : windows) {
        if (Stopping()) return;
        try {
            if (HasWindowRule(window)) ruled.push_back(window);
        } catch (...) {
            // This window is skipped; the others still get their rule.
        }
    }
    // Not waited for: the windows' rule requests come to this very thread.
    NotifyWindows(ruled, WM_ATTACHEXTENDER);
}

void TCCApp::ReloadModel() {
    // A file that does not load leaves the working rules in place.
    IPtr<IBOMObjectSlave> root = LoadRoot();
    if (!root) return;
    if (thread_) thread_->ReleaseControlCenter();
    ReleaseModel();
    root_ = root;
    if (thread_) thread_->SetControlCenter(ControlCenterFacet().get());
    ReattachWindows();
}

void TCCApp::PostClose() {
    if (handlerWindow_) PostMessageA(handlerWindow_, WM_CLOSE, 0, 0);
}

void TCCApp::ApplySettings() {
    if (handlerWindow_) PostMessageA(handlerWindow_, WM_CC_APPLY_SETTINGS, 0, 0);
}

void TCCApp::StartTrayAnimation() {
    if (handlerWindow_) PostMessageA(handlerWindow_, WM_CC_START_ANIMATION, 0, 0);
}

void TCCApp::ApplySettingsNow() {
    ReadSettings();
    if (trayIconEnabled_)
        ShowTrayIcon();
    else
        HideTrayIcon();
}

void TCCApp::ShowTrayIcon() {
    if (!trayIconEnabled_ || trayIconShown_) return;
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), TRAY_ICON_DEFAULT);
    if (!icon) return;
    trayIconShown_ = true;
    TaskBarAddIcon(handlerWindow_, 0, icon, APP_DISPLAY_NAME, WM_TRAYICONNOTIFY);
}

void TCCApp::HideTrayIcon() {
    if (trayIconShown_) TaskBarDeleteIcon(handlerWindow_, 0);
    trayIconShown_ = false;
}

void TCCApp::UpdateTrayIcon() {
    if (!trayIconShown_) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    std::string name = frame_ == 0 ? std::string(TRAY_ICON_DEFAULT) : TRAY_ICON_FRAME_PREFIX + std::to_string(frame_);
    HICON icon = LoadIconA(instance, name.c_str());
    if (!icon) icon = LoadIconA(instance, TRAY_ICON_DEFAULT);
    TaskBarModifyIcon(handlerWindow_, 0, NIF_ICON, std::string(), icon);
}

void TCCApp::RestartTrayAnimation() {
    if (!handlerWindow_) return;
    KillTimer(handlerWindow_, TRAY_ANIMATION_TIMER_ID);
    frame_ = 1;
    UpdateTrayIcon();
    SetTimer(handlerWindow_, TRAY_ANIMATION_TIMER_ID, TRAY_ANIMATION_INTERVAL, nullptr);
}

void TCCApp::AdvanceTrayAnimation() {
    if (++frame_ > TRAY_ANIMATION_FRAMES) {
        frame_ = 0;
        if (handlerWindow_) KillTimer(handlerWindow_, TRAY_ANIMATION_TIMER_ID);
    }
    UpdateTrayIcon();
}

void TCCApp::ShowTrayMenu() {
    TMenu owned(CreatePopupMenu());
    HMENU menu = owned.Get();
    if (!menu) return;
    AppendMenuA(menu, MF_STRING, IDM_TRAY_CLOSE, Translate("AppCCMenu_Close", "Close").c_str());
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_TRAY_HELP, Translate("AppCCMenu_HelpContent", "Help").c_str());
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_TRAY_CONFIGURE, Translate("AppCCMenu_Config", "Configure...").c_str());
    SetMenuDefaultItem(menu, IDM_TRAY_CONFIGURE, FALSE);
    // The menu closes when the user clicks elsewhere only if its owner is
    // the foreground window; the WM_NULL afterwards is the classic cure.
    SetForegroundWindow(handlerWindow_);
    POINT at{};
    GetCursorPos(&at);
    TrackPopupMenu(menu, TPM_CENTERALIGN, at.x, at.y, 0, handlerWindow_, nullptr);
    PostMessageA(handlerWindow_, WM_NULL, 0, 0);
}

void TCCApp::OpenInProgramsDirectory(const char* fileName) {
    // The shell's work (associations, starting programs, a slow folder) runs
    // off this thread: it installed the hook, and the system runs the hook
    // for programs of the other bitness on it.
    std::string directory = ProgramsDirectory();
    std::string path = directory + fileName;
    std::string missing;
    if (fileName == std::string(CC_HELP_FILE))
        missing = Translate("Error_HelpFileMissing", "The help file does not exist:") + "\n" + path;
    HWND owner = handlerWindow_;
    std::string title = title_;
    try {
        std::thread([=]() noexcept {
            try {
                if (!missing.empty() && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
                    MessageBoxA(nullptr, missing.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
                    return;
                }
                HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
                ShellExecuteA(owner, nullptr, path.c_str(), nullptr, directory.c_str(), SW_SHOWNORMAL);
                if (SUCCEEDED(com)) CoUninitialize();
            } catch (...) {
            }
        }).detach();
    } catch (...) {
    }
}

void TCCApp::EndSession() {
    Shutdown();
    std::exit(0);
}

LRESULT TCCApp::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (taskbarCreatedMessage_ != 0 && message == taskbarCreatedMessage_) {
        // A new taskbar has no icons.
        trayIconShown_ = false;
        ShowTrayIcon();
    } else if (message == WM_TRAYICONNOTIFY) {
        if (wParam == 0) {
            UINT mouse = static_cast<UINT>(lParam);
            if (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN)
                ShowTrayMenu();
            else if (mouse == WM_LBUTTONDBLCLK)
                OpenInProgramsDirectory(CC_CONFIG_PROGRAM);
        }
    } else {
        switch (message) {
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
            case WM_ENDSESSION:
                // Only a session that really ends ends the program; after a
                // cancelled one everything keeps running.
                if (wParam) EndSession();
                break;
            case WM_COMMAND:
                if (wParam == IDM_TRAY_CLOSE)
                    PostClose();
                else if (wParam == IDM_TRAY_CONFIGURE)
                    OpenInProgramsDirectory(CC_CONFIG_PROGRAM);
                else if (wParam == IDM_TRAY_HELP)
                    OpenInProgramsDirectory(CC_HELP_FILE);
                break;
            case WM_TIMER:
                if (wParam == TRAY_ANIMATION_TIMER_ID) AdvanceTrayAnimation();
                break;
            case WM_CC_START_ANIMATION:
                RestartTrayAnimation();
                break;
            case WM_CC_APPLY_SETTINGS:
                ApplySettingsNow();
                break;
            default:
                break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace vpw
