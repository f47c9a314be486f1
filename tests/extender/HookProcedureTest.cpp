// The real vpwemb.dll loaded into this process: its hook procedure's attach
// decisions, rule requests against a stand-in control center, and unload.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "AppConsts.h"
#include "ProcessesCommunication.h"
#include "WinTestSupport.h"

namespace vpw {
namespace {

using test::Pump;
using test::PumpUntil;

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Answers command 1 like the control center, with a text chosen per window.
class TFakeControlCenter {
public:
    TFakeControlCenter() : channel_(CONTROL_CENTER_CHANNEL_NAME) {
        channel_.SetTimeout(20);
        channel_.StartServer();
        thread_ = std::thread([this] { Run(); });
    }
    ~TFakeControlCenter() {
        stop_ = true;
        thread_.join();
    }
    void SetReply(HWND window, const std::string& text) {
        std::lock_guard<std::mutex> g(mutex_);
        replies_[window] = text;
    }
    // The reply for every window without one of its own.
    void SetDefaultReply(const std::string& text) {
        std::lock_guard<std::mutex> g(mutex_);
        defaultReply_ = text;
    }
    int Requests(HWND window) {
        std::lock_guard<std::mutex> g(mutex_);
        return static_cast<int>(std::count(requests_.begin(), requests_.end(), window));
    }
    int TotalRequests() {
        std::lock_guard<std::mutex> g(mutex_);
        return static_cast<int>(requests_.size());
    }

private:
    void Run() {
        while (!stop_) {
            int command = 0, length = 0;
            TChannelBuffer data;
            if (channel_.WaitForCommand(command, length, data) != TProcessesCommunication::RESULT_DONE) continue;
            if (command != CMD_GET_WINDOW_RULE || length != 4) {
                channel_.Reply(CMD_REPLY_BAD_REQUEST, 0, nullptr);
                continue;
            }
            std::uint32_t handle = 0;
            std::memcpy(&handle, data.data(), 4);
            HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
            std::string text;
            {
                std::lock_guard<std::mutex> g(mutex_);
                requests_.push_back(window);
                auto it = replies_.find(window);
                text = it != replies_.end() ? it->second : defaultReply_;
            }
            channel_.Reply(CMD_REPLY_DONE, text.size(), text.data());
        }
    }

    TProcessesCommunication channel_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::map<HWND, std::string> replies_;
    std::string defaultReply_;
    std::vector<HWND> requests_;
};

std::vector<UINT> g_seen;
LRESULT CALLBACK LoggingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    g_seen.push_back(m);
    return DefWindowProcA(w, m, wp, lp);
}
bool Saw(UINT message) { return std::find(g_seen.begin(), g_seen.end(), message) != g_seen.end(); }

void EnsureClass(const char* name) {
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &wc)) return;
    wc.lpfnWndProc = &LoggingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

HWND MakeWindow(const char* cls, DWORD style, DWORD exStyle, HWND parent = nullptr) {
    EnsureClass(cls);
    return CreateWindowExA(exStyle, cls, "hooked", style, 10, 10, 120, 80, parent, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

int ThreadsOfThisProcess() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    int n = 0;
    if (Thread32First(snap, &te)) {
        do {
            if (te.th32OwnerProcessID == GetCurrentProcessId()) ++n;
        } while (Thread32Next(snap, &te));
    }
    CloseHandle(snap);
    return n;
}

class HookLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        threads_ = ThreadsOfThisProcess();
        dll_ = LoadLibraryA(WindowsPath(VPWEMB_DLL).c_str());
        ASSERT_TRUE(dll_) << VPWEMB_DLL;
        hookProc_ = reinterpret_cast<HOOKPROC>(GetProcAddress(dll_, "CallProcHook"));
        ASSERT_TRUE(hookProc_);
        g_seen.clear();
    }
    void TearDown() override {
        if (hook_) UnhookWindowsHookEx(hook_);
        for (HWND w : windows_)
            if (IsWindow(w)) DestroyWindow(w);
        if (dll_) FreeLibrary(dll_);
    }
    void InstallThreadHook() {
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, hookProc_, dll_, GetCurrentThreadId());
        ASSERT_TRUE(hook_);
    }
    HWND Keep(HWND w) {
        windows_.push_back(w);
        return w;
    }
    // Hands the hook procedure one message as the system would.
    void Call(HWND window, UINT message) {
        CWPSTRUCT cwp{};
        cwp.hwnd = window;
        cwp.message = message;
        hookProc_(HC_ACTION, 0, reinterpret_cast<LPARAM>(&cwp));
    }
    // The window extenders the library holds in this process.
    long Extenders() {
        using TCounts = void (*)(long*, long*, long*);
        auto counts = reinterpret_cast<TCounts>(GetProcAddress(dll_, "GetLiveItemCounts"));
        long places = 0, extenders = -1, iconWindows = 0;
        if (counts) counts(&places, &extenders, &iconWindows);
        return extenders;
    }
    HMODULE dll_ = nullptr;
    HOOKPROC hookProc_ = nullptr;
    HHOOK hook_ = nullptr;
    std::vector<HWND> windows_;
    int threads_ = 0;
};

TEST_F(HookLibrary, ExportsOnlyTheHookAndImportsOnlySystemLibraries) {
    EXPECT_EQ(GetProcAddress(dll_, MAKEINTRESOURCEA(1)), reinterpret_cast<FARPROC>(hookProc_));
    auto* base = reinterpret_cast<const BYTE*>(dll_);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    const std::vector<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                                             "shell32.dll",  "msvcrt.dll", "msimg32.dll", "comctl32.dll"};
    int count = 0;
    for (auto* imp = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
        std::string name = reinterpret_cast<const char*>(base + imp->Name);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name;
        ++count;
    }
    EXPECT_GT(count, 0);
}

TEST_F(HookLibrary, AttachesOnlyToQualifyingWindows) {
    TFakeControlCenter center;
    HWND top = Keep(MakeWindow("VPW_HookTestWindow", WS_OVERLAPPEDWINDOW, 0));
    // With a rule it stays listed (a window without one is asked again).
    center.SetReply(top, "\\WINDOWRULENAME=Top");
    struct Case {
        const char* name;
        HWND window;
        UINT message;
        int requests;
    };
    const Case cases[] = {
        {"top-level window", top, WM_CREATE, 1},
        {"child window", Keep(MakeWindow("VPW_HookTestWindow", WS_CHILD, 0, top)), WM_CREATE, 0},
        {"child tool window", Keep(MakeWindow("VPW_HookTestWindow", WS_CHILD, WS_EX_TOOLWINDOW, top)), WM_CREATE, 1},
        {"child asked to attach", Keep(MakeWindow("VPW_HookTestWindow", WS_CHILD, 0, top)), WM_ATTACHEXTENDER, 1},
        {"tooltips_class32", Keep(MakeWindow("tooltips_class32", WS_POPUP, 0)), WM_CREATE, 0},
        {"IME", Keep(MakeWindow("IME", WS_POPUP, 0)), WM_CREATE, 0},
        {"WorkerW", Keep(MakeWindow("WorkerW", WS_POPUP, 0)), WM_CREATE, 0},
        {"WorkerW asked to attach", Keep(MakeWindow("WorkerW", WS_POPUP, 0)), WM_ATTACHEXTENDER, 0},
        {"IME2", Keep(MakeWindow("IME2", WS_POPUP, 0)), WM_CREATE, 1},
        {"no window", nullptr, WM_CREATE, 0},
    };
    int expected = 0;
    for (const Case& c : cases) {
        Call(c.window, c.message);
        expected += c.requests;
    }
    // A listed window is not requested again, whatever asks.
    Call(top, WM_CREATE);
    Call(top, WM_ATTACHEXTENDER);

    ASSERT_TRUE(PumpUntil([&] { return center.TotalRequests() >= expected; }, 3000));
    Pump(200);  // room for requests that should not come
    for (const Case& c : cases) EXPECT_EQ(center.Requests(c.window), c.requests) << c.name;
    EXPECT_EQ(center.TotalRequests(), expected);
}

TEST_F(HookLibrary, BuildsTheExtenderOnTheWindowsThreadAndDetachesOnRequest) {
    TFakeControlCenter center;
    InstallThreadHook();
    HWND w = Keep(MakeWindow("VPW_HookTestWindow", WS_OVERLAPPEDWINDOW, 0));
    LONG_PTR own = reinterpret_cast<LONG_PTR>(&LoggingProc);
    center.SetReply(w, "\\WINDOWRULENAME=Rule 1");
    // The window existed before its rule was known: ask for it now.
    SendMessageA(w, WM_ATTACHEXTENDER, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Saw(WM_EXTENDERATTACHED); }, 3000));
    EXPECT_NE(GetWindowLongPtrA(w, GWLP_WNDPROC), own);
    EXPECT_EQ(Extenders(), 1);

    g_seen.clear();
    SendMessageA(w, WM_DETACHEXTENDER, 0, 0);
    EXPECT_FALSE(Saw(WM_DETACHEXTENDER));
    EXPECT_EQ(Extenders(), 0);

    // Unlisted now: the next attach asks again.
    SendMessageA(w, WM_ATTACHEXTENDER, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Saw(WM_EXTENDERATTACHED); }, 3000));
    EXPECT_EQ(center.Requests(w), 2);

    // The close button: the window ends inside the extender's own call.
    SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(HookLibrary, WindowWithoutRuleIsAskedAgainOnTheNextAttach) {
    TFakeControlCenter center;
    InstallThreadHook();
    HWND w = Keep(MakeWindow("VPW_HookTestWindow", WS_OVERLAPPEDWINDOW, 0));
    ASSERT_TRUE(PumpUntil([&] { return center.Requests(w) == 1; }, 3000));
    Pump(100);
    // A rule for it came since: the control center's reload asks again.
    center.SetReply(w, "\\WINDOWRULENAME=Rule 1");
    SendMessageA(w, WM_DETACHEXTENDER, 0, 0);
    SendMessageA(w, WM_ATTACHEXTENDER, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Saw(WM_EXTENDERATTACHED); }, 3000));
    EXPECT_EQ(center.Requests(w), 2);
    EXPECT_NE(GetWindowLongPtrA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&LoggingProc));
    // With its extender it asks only once.
    SendMessageA(w, WM_ATTACHEXTENDER, 0, 0);
    Pump(200);
    EXPECT_EQ(center.Requests(w), 2);
}

struct TLibraryWindowSearch {
    HMODULE library;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectLibraryWindow(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<TLibraryWindowSearch*>(p);
    if (reinterpret_cast<HMODULE>(GetClassLongPtrA(w, GCLP_HMODULE)) == s->library) s->found.push_back(w);
    return TRUE;
}

// This thread's top-level windows whose class the library registered.
std::vector<HWND> LibraryWindows(HMODULE library) {
    TLibraryWindowSearch search{library, {}};
    EnumThreadWindows(GetCurrentThreadId(), &CollectLibraryWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(HookLibrary, TheLibrarysOwnWindowsAreNeverLookedUp) {
    // A rule for every window: minimise it to the edge once it is created,
    // after a delay (whose timer has a window of the library too).
    TFakeControlCenter center;
    center.SetDefaultReply(
        "\\WINDOWRULENAME=HT Every Window\\ACTION=MINTOEDGEACTION{\\NAME=Edge\\SAVECURRENTOPERATION=no\\}"
        "\\TRIGGER=WMCREATEMESSAGETRIGGER{\\LAG_ENABLED=yes\\LAG_INTERVAL=50\\AGENT={\\NAME=A\\ACTIONNAME=Edge"
        "\\ACTIONKIND=concrete\\OPERATIONNAME=MINTOEDGEON}}");
    InstallThreadHook();
    HWND w = Keep(MakeWindow("VPW_HookTestWindow", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(w); }, 3000)) << "the window went to the edge";
    Pump(300);

    std::vector<HWND> own = LibraryWindows(dll_);
    int icons = 0, timers = 0;
    for (HWND o : own) {
        char cls[64] = {};
        GetClassNameA(o, cls, sizeof cls);
        icons += std::strcmp(cls, "{57554B3D-9B00-49AC-9F77-3273F44826AE}") == 0;
        timers += std::strcmp(cls, "TPUtilWindow") == 0;
    }
    EXPECT_EQ(icons, 1) << "one icon window, which did not go to the edge itself";
    EXPECT_GE(timers, 1);
    // The control center's reload asks every window under such a rule.
    for (HWND o : own) SendMessageA(o, WM_ATTACHEXTENDER, 0, 0);
    Pump(300);
    for (HWND o : LibraryWindows(dll_)) EXPECT_EQ(center.Requests(o), 0) << o;
    EXPECT_EQ(center.TotalRequests(), 1) << "only the host's window";
}

// A host's own subclass: it calls what it replaced, and when told to, keeps
// every registered message to itself.
WNDPROC g_hostBelow = nullptr;
bool g_hostSwallowsRegistered = false;
LRESULT CALLBACK HostSubclassProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (g_hostSwallowsRegistered && m >= 0xC000 && m <= 0xFFFF) return 0;
    return CallWindowProcA(g_hostBelow, w, m, wp, lp);
}

// A tray icon of the window: the library's window that owns it is owned by the window.
bool HasTrayIconOf(HWND window) {
    for (HWND owner = nullptr; (owner = FindWindowExA(nullptr, owner, "VPW_TrayIconWindow", nullptr)) != nullptr;) {
        if (GetWindow(owner, GW_OWNER) != window) continue;
        for (UINT id = 0; id < 32; ++id) {
            NOTIFYICONDATAA data{};
            data.cbSize = NOTIFYICONDATAA_V1_SIZE;
            data.hWnd = owner;
            data.uID = id;
            if (Shell_NotifyIconA(NIM_MODIFY, &data)) return true;
        }
    }
    return false;
}

TEST_F(HookLibrary, AWindowInTheTrayComesBackOnDetachWhateverTheHostDidToItsChain) {
    enum class THost { PutsItsProcedureBack, SubclassesOnTop, SwallowsRegisteredOnTop };
    struct Case {
        const char* what;
        THost host;
    } cases[] = {
        // The library drops out of the chain: the detach message never reaches it.
        {"host subclassed first and then put its original procedure back", THost::PutsItsProcedureBack},
        {"host subclassed on top of the library and calls it", THost::SubclassesOnTop},
        // The detach message is kept from the library's procedure.
        {"host subclassed on top and keeps registered messages to itself", THost::SwallowsRegisteredOnTop},
    };
    TFakeControlCenter center;
    center.SetDefaultReply(
        "\\WINDOWRULENAME=HT Tray\\ACTION=MINTOTRAYACTION{\\NAME=Tray\\SAVECURRENTOPERATION=no\\}"
        "\\TRIGGER=SCMINIMIZEMESSAGETRIGGER{\\LAG_ENABLED=no\\LAG_INTERVAL=0\\AGENT={\\NAME=A\\ACTIONNAME=Tray"
        "\\ACTIONKIND=concrete\\OPERATIONNAME=MINTOTRAYON}}");
    InstallThreadHook();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND w = Keep(MakeWindow("VPW_HookTestWindow", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0));
        auto subclass = [&] {
            g_hostBelow = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostSubclassProc)));
        };
        if (c.host == THost::PutsItsProcedureBack) subclass();
        g_seen.clear();
        ASSERT_TRUE(PumpUntil([&] { return Saw(WM_EXTENDERATTACHED); }, 3000));
        if (c.host != THost::PutsItsProcedureBack) subclass();
        g_hostSwallowsRegistered = c.host == THost::SwallowsRegisteredOnTop;

        SendMessageA(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(w) && HasTrayIconOf(w); }, 3000));
        if (c.host == THost::PutsItsProcedureBack)
            SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_hostBelow));

        SendMessageA(w, WM_DETACHEXTENDER, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(w) && !HasTrayIconOf(w); }, 2000));
        // Let go: the next attach asks again.
        SendMessageA(w, WM_ATTACHEXTENDER, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return center.Requests(w) == 2; }, 3000));
        g_hostSwallowsRegistered = false;
        DestroyWindow(w);
    }
}

TEST_F(HookLibrary, WindowsOfOtherProcessesAreLeftAlone) {
    TFakeControlCenter center;
    HWND desktop = GetDesktopWindow();
    DWORD process = 0;
    GetWindowThreadProcessId(desktop, &process);
    ASSERT_NE(process, GetCurrentProcessId());
    for (UINT message : {static_cast<UINT>(WM_CREATE), WM_ATTACHEXTENDER}) Call(desktop, message);
    Pump(700);
    EXPECT_EQ(center.Requests(desktop), 0);
}

TEST_F(HookLibrary, WithoutControlCenterTheWindowKeepsWorking) {
    InstallThreadHook();
    HWND w = Keep(MakeWindow("VPW_HookTestWindow", WS_OVERLAPPEDWINDOW, 0));
    // The request runs on its own thread: the window answers at once.
    DWORD start = GetTickCount();
    SetWindowTextA(w, "still here");
    char text[32] = {};
    GetWindowTextA(w, text, sizeof text);
    EXPECT_STREQ(text, "still here");
    EXPECT_LT(GetTickCount() - start, 200u);

    // Five tries of 500 ms, then the thread ends on its own.
    EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() <= threads_; }, 4500));
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&LoggingProc));
    EXPECT_FALSE(Saw(WM_EXTENDERATTACHED));
}

// The probe program's exit code; a crash in freed code is no 0.
DWORD RunProbe(const char* mode) {
    std::string cmd = "\"" + WindowsPath(UNLOAD_PROBE_EXE) + "\" " + mode + " \"" + WindowsPath(VPWEMB_DLL) + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1000;
    CloseHandle(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1001);
    DWORD code = 1002;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(HookLibraryRelease, AWindowInAModalLoopSurvivesTheLibraryBeingReleased) {
    TFakeControlCenter center;
    center.SetDefaultReply("\\WINDOWRULENAME=Rule 1");
    EXPECT_EQ(RunProbe("modal"), 0u);
}

TEST(HookLibraryRelease, ARequestThreadBlockedOnTheChannelEndsBeforeTheLibraryGoes) {
    // Someone holds the channel's block for 3 s.
    HANDLE lock = CreateMutexA(nullptr, FALSE, (std::string(CONTROL_CENTER_CHANNEL_NAME) + "WriteLockMutex").c_str());
    ASSERT_NE(lock, nullptr);
    ASSERT_EQ(WaitForSingleObject(lock, 0), WAIT_OBJECT_0);
    std::atomic<DWORD> code{1003};
    std::thread probe([&] { code = RunProbe("blocked"); });
    Sleep(3000);
    ReleaseMutex(lock);
    probe.join();
    CloseHandle(lock);
    EXPECT_EQ(code.load(), 0u);
}

}  // namespace
}  // namespace vpw
