// The whole system in a folder of its own: copies of the real control center
// and hook library beside a hand-written configuration file, the test
// program that owns the windows, and a client of the command channel.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AppConsts.h"
#include "ProcessesCommunication.h"
#include "WinTestSupport.h"

namespace vpw::test {

inline constexpr char kCenterExe[] = "VelvicPlimsyWindowsCenter.exe";
inline constexpr char kLibraryDll[] = "vpwemb.dll";
inline constexpr char kTargetExe[] = "vpw_e2e_target.exe";
inline constexpr char kTargetQuery[] = "VPW_E2E_TargetQuery";
inline constexpr WPARAM kQueryAttached = 0;
inline constexpr WPARAM kQuerySubclassed = 1;
inline constexpr WPARAM kQueryLibraryLoaded = 2;
inline constexpr WPARAM kQueryCloseCommands = 3;
inline constexpr WPARAM kQueryPostClose = 4;
inline constexpr WPARAM kQueryLibraryHandles = 5;
inline constexpr WPARAM kQueryRemoveOwnSubclass = 6;
inline constexpr WPARAM kQueryBusy = 7;  // posted
inline constexpr WPARAM kQueryTestRuns = 8;
inline constexpr WPARAM kQueryExtended = 9;
inline constexpr WPARAM kQueryLibraryRecords = 10;
inline constexpr WPARAM kQueryStartWatch = 11;
inline constexpr WPARAM kQueryStopWatch = 12;
inline constexpr WPARAM kQueryInPlace = 13;
inline constexpr UINT kTestMessage = WM_USER + 2;
inline constexpr char kIconWindowClass[] = "{57554B3D-9B00-49AC-9F77-3273F44826AE}";
inline constexpr char kTrayIconWindowClass[] = "VPW_TrayIconWindow";
#ifdef BIN_FROM_TESTS
// Where the build puts the programs and the library.
inline std::string Bin() { return ModuleDir() + BIN_FROM_TESTS; }
#endif

inline constexpr char kWindowRulesKey[] = "SOFTWARE\\Velvic Tools\\Velvic Plimsy Windows\\WindowRules\\";

// Without a window manager Wine waits two seconds for every visible window
// it takes off the screen; windows it does not hand to a manager skip that.
// Title bars are drawn by Wine either way.
inline void LetWineManageNoWindowsOf(const std::string& exeName) {
    std::string path = "Software\\Wine\\AppDefaults\\" + exeName + "\\X11 Driver";
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(key);
}

// Configuration files: each rule is loaded over the default rule template,
// so a rule names only what it changes: its window class criterion, and the
// actions, triggers and agents it sets (by their template names, or new).
using TParamsXml = std::vector<std::pair<std::string, std::string>>;

inline std::string ParamsXml(const TParamsXml& params) {
    std::string xml = "<params name=\"params\">";
    for (const auto& [name, value] : params) xml += "<param name=\"" + name + "\">" + value + "</param>";
    return xml + "</params>";
}

inline std::string ItemXml(const std::string& element, const std::string& name, const std::string& type,
                           const TParamsXml& params, const std::string& content = {}) {
    return "<" + element + " name=\"" + name + "\" type=\"" + type + "\">" + ParamsXml(params) + content + "</" +
           element + ">";
}

inline std::string AgentsXml(const std::string& agents) {
    return "<agents name=\"agents\"><content>" + agents + "</content></agents>";
}

struct TRuleXml {
    std::string name;
    std::string windowClass;
    std::string actions;   // <action> elements
    std::string triggers;  // <trigger> elements
};

inline std::string RulesConfig(const std::vector<TRuleXml>& rules) {
    std::string xml = "<velvic_windows name=\"\"><window_rules name=\"window_rules\"><content>";
    for (const TRuleXml& r : rules) {
        xml += "<window_rule name=\"" + r.name + "\" type=\"WINDOWRULE\">";
        xml +=
            "<conditions name=\"conditions\"><content><condition name=\"DefaultCondition\">"
            "<criterions name=\"criterions\"><content>" +
            ItemXml("criterion", "WINDOWCLASSNAMECRITERION", "WINDOWCLASSNAMECRITERION",
                    {{"enabled", "yes"}, {"window_class_name", r.windowClass}}) +
            "</content></criterions></condition></content></conditions>";
        xml += "<actions name=\"actions\"><content>" + r.actions + "</content></actions>";
        xml += "<triggers name=\"triggers\"><content>" + r.triggers + "</content></triggers>";
        xml += "</window_rule>";
    }
    return xml + "</content></window_rules></velvic_windows>";
}

inline const char* YesNo(bool value) { return value ? "yes" : "no"; }

// One rule per entry: stay on top bound to the caption button.
struct TStayOnTopRule {
    std::string name;
    std::string windowClass;
    bool saveCurrentOperation = true;
};

inline std::string StayOnTopConfig(const std::vector<TStayOnTopRule>& rules) {
    std::vector<TRuleXml> xml;
    for (const TStayOnTopRule& r : rules)
        xml.push_back({r.name, r.windowClass,
                       ItemXml("action", "StayOnTopForCaptionButton", "STAYONTOPACTION",
                               {{"enabled", "yes"}, {"save_current_operation", YesNo(r.saveCurrentOperation)}}),
                       ItemXml("trigger", "CaptionButtons", "CAPTIONBUTTONTRIGGER", {{"enabled", "yes"}},
                               AgentsXml(ItemXml("agent", "StayOnTopCaptionButton", "CAPTIONBUTTONAGENT",
                                                 {{"enabled", "yes"}})))});
    return RulesConfig(xml);
}

inline void DeleteRuleState(const std::string& ruleName) {
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kWindowRulesKey) + ruleName).c_str());
}

// The saved value, or empty.
inline std::string SavedOperation(const std::string& ruleName, const std::string& actionName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kWindowRulesKey) + ruleName).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return {};
    char data[256] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    std::string value = actionName + "_CurrentOperation";
    LONG rc = RegQueryValueExA(key, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : std::string();
}

inline int SendCommand(int command, const std::vector<char>& payload, std::string* reply = nullptr,
                       DWORD timeout = 500) {
    TProcessesCommunication client(CONTROL_CENTER_CHANNEL_NAME);
    client.SetTimeout(timeout);
    TChannelBuffer data;
    int length = 0, code = 0;
    int result = client.SendCommand(command, payload.size(), payload.empty() ? nullptr : payload.data(), data, length,
                                    code);
    if (reply) reply->assign(data.begin(), data.begin() + std::min<std::size_t>(data.size(), length > 0 ? length : 0));
    return result == 0 ? code : -100 - result;
}

inline bool CenterServes() {
    auto raw = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(GetDesktopWindow()));
    std::vector<char> payload(4);
    std::memcpy(payload.data(), &raw, 4);
    return SendCommand(CMD_GET_WINDOW_RULE, payload) == CMD_REPLY_DONE;
}

// The control center's hook as it publishes it; none when not published.
inline HHOOK PublishedHook() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, HOOK_HANDLE_MAPPING_NAME);
    if (!mapping) return nullptr;
    THookHandleRecord record{};
    if (void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof record)) {
        std::memcpy(&record, view, sizeof record);
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return WireToHandle<HHOOK>(record.hook);
}

inline bool HookPublished() { return PublishedHook() != nullptr; }

template <class Condition>
bool WaitUntil(Condition condition, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(20);
    }
}

// A folder with the control center, the hook library (from `libraryDir`
// when given) and a configuration file; the control center runs from there
// while the object lives.
class TSystemFolder {
public:
    TSystemFolder(const std::string& binDir, const std::string& config, const std::string& libraryDir = {}) {
        static int counter = 0;
        std::string base = ModuleDir() + "e2e-scratch\\";
        CreateDirectoryA(base.c_str(), nullptr);
        // A folder no earlier run had: process ids come round again, and
        // Wine's desktop process keeps every hook library it loaded, so a copy
        // over one of an earlier run fails with a sharing violation.
        do {
            dir_ = base + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "\\";
        } while (!CreateDirectoryA(dir_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
        copied_ = Copy(binDir + kCenterExe, dir_ + kCenterExe) &&
                  Copy((libraryDir.empty() ? binDir : libraryDir) + kLibraryDll, dir_ + kLibraryDll);
        WriteConfig(config);
    }
    void WriteConfig(const std::string& config) const {
        std::ofstream(dir_ + "velvicplimsywindows.ini", std::ios::binary | std::ios::trunc) << config;
    }
    ~TSystemFolder() { StopCenter(); }
    TSystemFolder(const TSystemFolder&) = delete;
    TSystemFolder& operator=(const TSystemFolder&) = delete;

    bool Copied() const { return copied_; }
    // Which copy failed and why; empty when none did.
    const std::string& CopyFailure() const { return copyFailure_; }
    const std::string& Dir() const { return dir_; }

    // True once the control center answers lookups and has published its
    // hook; otherwise `failed`, when given, says which of these it did not do.
    bool StartCenter(std::string* failed = nullptr) {
        center_ = std::make_unique<ChildProcess>(dir_ + kCenterExe, std::vector<std::string>{}, dir_);
        const char* step = !center_->Started()                ? "the control center did not start"
                           : !WaitUntil(CenterServes, 20000) ? "the control center answered no lookup in 20 s"
                           : !WaitUntil(HookPublished, 5000) ? "the control center published no hook in 5 s"
                                                             : nullptr;
        if (step && failed) *failed = step;
        return step == nullptr;
    }
    // The control center's exit code once it ended by itself, or STILL_ACTIVE.
    DWORD WaitForCenter(DWORD ms) { return center_ ? center_->Wait(ms) : 0; }
    // Ends the control center without a word, as a user's task manager does.
    // Windows removes the hook with its thread; Wine 8 keeps a killed
    // program's hook and goes on loading its library into new programs, so
    // it is taken out here as Windows would.
    void KillCenter() {
        if (!center_) return;
        HHOOK hook = PublishedHook();
        TerminateProcess(center_->Handle(), 1);
        center_->Wait(5000);
        center_.reset();
        if (hook) UnhookWindowsHookEx(hook);
    }
    // The control center's exit code, or STILL_ACTIVE when it had to be killed.
    DWORD StopCenter() {
        if (!center_) return 0;
        DWORD code = center_->Wait(0);
        if (code == STILL_ACTIVE) {
            SendCommand(CMD_STOP_CONTROL_CENTER, {}, nullptr, 2000);
            code = center_->Wait(15000);
        }
        center_.reset();
        return code;
    }

private:
    bool Copy(const std::string& from, const std::string& to) {
        if (CopyFileA(from.c_str(), to.c_str(), FALSE)) return true;
        copyFailure_ = "copying " + from + " to " + to + ": error " + std::to_string(GetLastError());
        return false;
    }

    std::string dir_;
    bool copied_ = false;
    std::string copyFailure_;
    std::unique_ptr<ChildProcess> center_;
};

// The test program, started with `args`; its windows are unmanaged (above).
inline std::unique_ptr<ChildProcess> StartTarget(const std::string& targetDir, const std::vector<std::string>& args) {
    LetWineManageNoWindowsOf(kTargetExe);
    return std::make_unique<ChildProcess>(targetDir + kTargetExe, args, targetDir);
}

inline POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

inline LRESULT HitTest(HWND window, int x, int y) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

// Where the user leaves the mouse when it should be over no test window.
inline constexpr POINT kOutOfTheWay{5, 700};

// The mouse moved to a point as a user moves it (input, not a warp).
inline void MoveMouse(POINT to) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(to.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(to.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(INPUT));
}

// The cursor jumps there and leaves again, so that nothing sees it hover.
inline void Click(POINT at, int clicks = 1) {
    SetCursorPos(at.x, at.y);
    Sleep(50);
    ClickAtCursor(clicks);
    SetCursorPos(kOutOfTheWay.x, kOutOfTheWay.y);
}

inline void PressKey(WORD key) {
    INPUT input[2]{};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1].type = INPUT_KEYBOARD;
    input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// A point in the middle of the window's title bar.
inline POINT TitleBar(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
}

inline bool Topmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

inline bool RolledUp(HWND window) { return WindowHeight(window) == NonClientHeight(window); }

// Where the first caption button of a sizeable window with all three system
// buttons belongs: right next to them.
inline RECT ExpectedButton(HWND window) {
    RECT w{};
    GetWindowRect(window, &w);
    int fx = GetSystemMetrics(SM_CXFRAME), fy = GetSystemMetrics(SM_CYFRAME);
    int width = GetSystemMetrics(SM_CXSIZE);
    int right = w.right - fx - 3 * width - 2;
    return RECT{right - width, w.top + fy, right, w.top + fy + GetSystemMetrics(SM_CYSIZE)};
}

// The middle of the title-bar button that answers `hit` (HTCLOSE,
// HTMINBUTTON...), found by asking the window; the window's top-left corner
// when it shows none.
inline POINT SystemButton(HWND window, LRESULT hit) {
    RECT r{};
    GetWindowRect(window, &r);
    int y = TitleBar(window).y;
    int right = -1, left = -1;
    for (int x = r.right - 1; x > r.left; --x) {
        bool over = HitTest(window, x, y) == hit;
        if (over && right < 0) right = x;
        if (!over && right >= 0) {
            left = x + 1;
            break;
        }
    }
    return right < 0 ? POINT{r.left, r.top} : POINT{(left + right) / 2, y};
}

inline POINT CloseButton(HWND window) { return SystemButton(window, HTCLOSE); }

// The middle of the control center's icon in the shell's own tray window
// (no desktop here provides one), found by its blue; false when not seen.
inline bool TrayIconPoint(POINT& at) {
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    RECT rc{};
    if (!tray || !GetClientRect(tray, &rc) || rc.right <= 0 || rc.bottom <= 0) return false;
    POINT origin{0, 0};
    ClientToScreen(tray, &origin);
    TScreenShot shot(RECT{origin.x, origin.y, origin.x + rc.right, origin.y + rc.bottom});
    auto like = [](int a, int b) { return a - b < 40 && b - a < 40; };
    long sumX = 0, sumY = 0, n = 0;
    for (int y = 0; y < rc.bottom; ++y)
        for (int x = 0; x < rc.right; ++x) {
            std::uint32_t p = shot.Pixel(origin.x + x, origin.y + y);
            if (like((p >> 16) & 0xFF, 0x1F) && like((p >> 8) & 0xFF, 0x4E) && like(p & 0xFF, 0x9A)) {
                sumX += x;
                sumY += y;
                ++n;
            }
        }
    if (n == 0) return false;
    at = POINT{origin.x + static_cast<int>(sumX / n), origin.y + static_cast<int>(sumY / n)};
    return true;
}

// Chooses the first item (Close) of the control center's tray menu with real
// clicks: on the icon, then on the item. False when the menu did not show.
inline bool ChooseTrayClose() {
    POINT icon{};
    if (!TrayIconPoint(icon)) return false;
    Click(icon);
    HWND menu = nullptr;
    if (!WaitUntil(
            [&] {
                menu = FindWindowA("#32768", nullptr);
                return menu && IsWindowVisible(menu);
            },
            3000))
        return false;
    RECT r{};
    GetWindowRect(menu, &r);
    Click(POINT{(r.left + r.right) / 2, r.top + 10});
    return true;
}

inline UINT TargetQueryMessage() {
    static UINT query = RegisterWindowMessageA(kTargetQuery);
    return query;
}

inline LRESULT QueryTarget(HWND window, WPARAM what, LPARAM argument = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, TargetQueryMessage(), what, argument, SMTO_ABORTIFHUNG, 2000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

// The test program's thread does nothing for `ms` from when it takes this.
inline void MakeTargetBusy(HWND window, DWORD ms) {
    PostMessageA(window, TargetQueryMessage(), kQueryBusy, static_cast<LPARAM>(ms));
}

// The window's minimise button, clicked. Right after a window came back,
// Wine may still route the click to where the window was not yet: a user
// whose click did nothing clicks again.
inline void Minimise(HWND window) {
    WaitUntil([&] { return GetForegroundWindow() == window; }, 2000);
    for (int attempt = 0; attempt < 3; ++attempt) {
        Sleep(200);
        Click(SystemButton(window, HTMINBUTTON));
        if (WaitUntil([&] { return IsIconic(window) || !IsWindowVisible(window); }, 2000)) return;
    }
}

inline NOTIFYICONDATAA IconData(HWND window, UINT id) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = id;
    return data;
}

// The hook library's windows that own a hooked window's tray icons.
inline std::vector<HWND> TrayIconWindowsOf(HWND window) {
    std::vector<HWND> owners;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, kTrayIconWindowClass, nullptr)) != nullptr;)
        if (GetWindow(w, GW_OWNER) == window) owners.push_back(w);
    return owners;
}

// The ids of the window's icons in the tray (the shell answers a modify
// only for an icon it has).
inline std::vector<UINT> TrayIcons(HWND window) {
    std::vector<UINT> ids;
    for (HWND owner : TrayIconWindowsOf(window))
        for (UINT id = 0; id < 32; ++id) {
            NOTIFYICONDATAA data = IconData(owner, id);
            if (Shell_NotifyIconA(NIM_MODIFY, &data)) ids.push_back(id);
        }
    return ids;
}

inline bool HasTrayIcon(HWND window) { return !TrayIcons(window).empty(); }

// The record of the window's tray icon `id`, as the shell knows it: its
// owner is the library's window.
inline NOTIFYICONDATAA TrayIconData(HWND window, UINT id) {
    for (HWND owner : TrayIconWindowsOf(window)) {
        NOTIFYICONDATAA data = IconData(owner, id);
        if (Shell_NotifyIconA(NIM_MODIFY, &data)) return data;
    }
    return IconData(window, id);
}

// The colour the tests paint a window's tray icon in, to find it on the screen.
inline constexpr COLORREF kTrayIconMarker = RGB(0, 200, 120);

// A small icon of that colour.
inline HICON MarkerIcon() {
    static HICON icon = [] {
        int w = GetSystemMetrics(SM_CXSMICON), h = GetSystemMetrics(SM_CYSMICON);
        HDC screen = GetDC(nullptr);
        HBITMAP colour = CreateCompatibleBitmap(screen, w, h);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, colour);
        HBRUSH brush = CreateSolidBrush(kTrayIconMarker);
        RECT r{0, 0, w, h};
        FillRect(dc, &r, brush);
        SelectObject(dc, old);
        DeleteObject(brush);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        std::vector<BYTE> maskBits(((w + 15) / 16) * 2 * h, 0);
        HBITMAP mask = CreateBitmap(w, h, 1, 1, maskBits.data());
        ICONINFO info{TRUE, 0, 0, mask, colour};
        HICON made = CreateIconIndirect(&info);
        DeleteObject(mask);
        DeleteObject(colour);
        return made;
    }();
    return icon;
}

// Where the window's tray icon shows: its picture is swapped for one of
// the marker colour, which is then looked for in the shell's tray window.
inline bool FindTrayIcon(HWND window, POINT& at) {
    std::vector<UINT> ids = TrayIcons(window);
    if (ids.empty()) return false;
    NOTIFYICONDATAA data = TrayIconData(window, ids.front());
    data.uFlags = NIF_ICON;
    data.hIcon = MarkerIcon();
    if (!Shell_NotifyIconA(NIM_MODIFY, &data)) return false;
    const std::uint32_t marker = (GetRValue(kTrayIconMarker) << 16) | (GetGValue(kTrayIconMarker) << 8) |
                                 GetBValue(kTrayIconMarker);
    return WaitUntil(
        [&] {
            HWND tray = FindWindowA(nullptr, "Wine System Tray");
            RECT r{};
            if (!tray || !GetWindowRect(tray, &r)) return false;
            // A desktop's tray stands over the windows (a maximised one would
            // cover Wine's tray window).
            SetWindowPos(tray, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            TScreenShot shot(r);
            long sx = 0, sy = 0, n = 0;
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    if (shot.Pixel(x, y) == marker) {
                        sx += x;
                        sy += y;
                        ++n;
                    }
            if (n < 20) return false;
            at = POINT{static_cast<LONG>(sx / n), static_cast<LONG>(sy / n)};
            return true;
        },
        3000);
}

}  // namespace vpw::test
