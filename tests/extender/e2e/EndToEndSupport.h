// The whole system in a folder of its own: copies of the real control center
// and hook library beside a hand-written configuration file, the test
// program that owns the windows, and a client of the command channel.
#pragma once
#include <windows.h>

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

// One rule per entry: stay on top bound to the caption button, the class
// criterion set to the window class; everything else from the template.
struct TStayOnTopRule {
    std::string name;
    std::string windowClass;
    bool saveCurrentOperation = true;
};

inline std::string StayOnTopConfig(const std::vector<TStayOnTopRule>& rules) {
    std::string xml = "<velvic_windows name=\"\"><window_rules name=\"window_rules\"><content>";
    for (const TStayOnTopRule& r : rules) {
        xml += "<window_rule name=\"" + r.name + "\" type=\"WINDOWRULE\">";
        xml +=
            "<conditions name=\"conditions\"><content><condition name=\"DefaultCondition\">"
            "<criterions name=\"criterions\"><content>"
            "<criterion name=\"WINDOWCLASSNAMECRITERION\" type=\"WINDOWCLASSNAMECRITERION\"><params name=\"params\">"
            "<param name=\"enabled\">yes</param><param name=\"window_class_name\">" +
            r.windowClass +
            "</param></params></criterion></content></criterions></condition></content></conditions>";
        xml +=
            "<actions name=\"actions\"><content><action name=\"StayOnTopForCaptionButton\" type=\"STAYONTOPACTION\">"
            "<params name=\"params\"><param name=\"enabled\">yes</param><param name=\"save_current_operation\">" +
            std::string(r.saveCurrentOperation ? "yes" : "no") + "</param></params></action></content></actions>";
        xml +=
            "<triggers name=\"triggers\"><content><trigger name=\"CaptionButtons\" type=\"CAPTIONBUTTONTRIGGER\">"
            "<params name=\"params\"><param name=\"enabled\">yes</param></params>"
            "<agents name=\"agents\"><content><agent name=\"StayOnTopCaptionButton\" type=\"CAPTIONBUTTONAGENT\">"
            "<params name=\"params\"><param name=\"enabled\">yes</param></params></agent></content></agents>"
            "</trigger></content></triggers>";
        xml += "</window_rule>";
    }
    return xml + "</content></window_rules></velvic_windows>";
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

inline bool HookPublished() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, HOOK_HANDLE_MAPPING_NAME);
    if (!mapping) return false;
    std::uint32_t value = 0;
    if (void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4)) {
        std::memcpy(&value, view, 4);
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return value != 0;
}

template <class Condition>
bool WaitUntil(Condition condition, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(20);
    }
}

// A folder with the control center, the hook library and a configuration
// file; the control center runs from there while the object lives.
class TSystemFolder {
public:
    TSystemFolder(const std::string& binDir, const std::string& config) {
        static int counter = 0;
        std::string base = ModuleDir() + "e2e-scratch\\";
        CreateDirectoryA(base.c_str(), nullptr);
        dir_ = base + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        copied_ = CopyFileA((binDir + kCenterExe).c_str(), (dir_ + kCenterExe).c_str(), FALSE) &&
                  CopyFileA((binDir + kLibraryDll).c_str(), (dir_ + kLibraryDll).c_str(), FALSE);
        std::ofstream(dir_ + "velvicplimsywindows.ini", std::ios::binary | std::ios::trunc) << config;
    }
    ~TSystemFolder() { StopCenter(); }
    TSystemFolder(const TSystemFolder&) = delete;
    TSystemFolder& operator=(const TSystemFolder&) = delete;

    bool Copied() const { return copied_; }
    const std::string& Dir() const { return dir_; }

    // True once the control center answers lookups and has published its hook.
    bool StartCenter() {
        center_ = std::make_unique<ChildProcess>(dir_ + kCenterExe, std::vector<std::string>{}, dir_);
        return center_->Started() && WaitUntil(CenterServes, 20000) && WaitUntil(HookPublished, 5000);
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
    std::string dir_;
    bool copied_ = false;
    std::unique_ptr<ChildProcess> center_;
};

// The test program, started with `args`; its windows are unmanaged (above).
inline std::unique_ptr<ChildProcess> StartTarget(const std::string& targetDir, const std::vector<std::string>& args) {
    LetWineManageNoWindowsOf(kTargetExe);
    return std::make_unique<ChildProcess>(targetDir + kTargetExe, args, targetDir);
}

inline LRESULT QueryTarget(HWND window, WPARAM what) {
    static UINT query = RegisterWindowMessageA(kTargetQuery);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, query, what, 0, SMTO_ABORTIFHUNG, 2000, &result)) return -1;
    return static_cast<LRESULT>(result);
}

}  // namespace vpw::test
