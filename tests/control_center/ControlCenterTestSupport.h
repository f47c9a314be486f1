// Helpers of the tests that run the real control center: a folder of its own
// with the program, the logging stand-in for the hook library and a
// configuration file, and a client of its command channel.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "AppConsts.h"
#include "ProcessesCommunication.h"
#include "TemplateRuleData.h"
#include "WinTestSupport.h"

namespace vpw::test {

inline constexpr char kCenterExe[] = "VelvicPlimsyWindowsCenter.exe";
inline constexpr char kHandlerClass[] = "VPW_CommandCenterHandlerWindow";
inline constexpr char kSettingsKey[] = "SOFTWARE\\Velvic Tools\\Velvic Plimsy Windows\\Command Center";

inline void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Deletes a folder and everything in it, as far as nothing holds it open.
inline void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(dir + name + "\\");
            else
                DeleteFileA((dir + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}

// A folder with a copy of the control center and the stand-in hook library.
class CenterFolder {
public:
    explicit CenterFolder(bool withHookLibrary = true) {
        static int counter = 0;
        std::string base = ModuleDir() + "cc-scratch\\";
        // Earlier runs' folders: their programs ended with their session.
        if (counter == 0) RemoveTree(base);
        CreateDirectoryA(base.c_str(), nullptr);
        dir_ = base + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        CopyFileA((ModuleDir() + CENTER_EXE_FROM_TESTS).c_str(), (dir_ + kCenterExe).c_str(), FALSE);
        if (withHookLibrary) CopyFileA((ModuleDir() + "testhook\\vpwemb.dll").c_str(), (dir_ + "vpwemb.dll").c_str(), FALSE);
    }
    const std::string& Dir() const { return dir_; }
    std::string Path(const std::string& name) const { return dir_ + name; }
    void WriteConfig(const std::string& text) const { WriteTextFile(Path("velvicplimsywindows.ini"), text); }
    std::string Log() const { return ReadTextFile(Path("vpwemb.log")); }

private:
    std::string dir_;
};

// The configuration file with one rule per (name, window class), in order.
// Every rule comes from the default template; only its class criterion is set.
inline std::string RulesConfig(const std::vector<std::pair<std::string, std::string>>& rules) {
    std::string xml = "<velvic_windows name=\"\"><window_rules name=\"window_rules\"><content>";
    for (const auto& [name, cls] : rules)
        xml += "<window_rule name=\"" + name +
               "\" type=\"WINDOWRULE\"><conditions name=\"conditions\"><content>"
               "<condition name=\"DefaultCondition\"><criterions name=\"criterions\"><content>"
               "<criterion name=\"WINDOWCLASSNAMECRITERION\" type=\"WINDOWCLASSNAMECRITERION\">"
               "<params name=\"params\"><param name=\"window_class_name\">" +
               cls + "</param></params></criterion></content></criterions></condition></content></conditions>"
                     "</window_rule>";
    return xml + "</content></window_rules></velvic_windows>";
}

struct Reply {
    int result = -100;  // of SendCommand: 0 done, 1 time-out, 2 failure
    int code = 0;
    int length = 0;
    std::string data;
};

inline Reply SendToCenter(int command, const std::vector<char>& payload = {}, DWORD timeout = 500) {
    TProcessesCommunication client(CONTROL_CENTER_CHANNEL_NAME);
    client.SetTimeout(timeout);
    TChannelBuffer reply;
    Reply r;
    r.result = client.SendCommand(command, payload.size(), payload.empty() ? nullptr : payload.data(), reply,
                                  r.length, r.code);
    r.data.assign(reply.begin(), reply.end());
    return r;
}

inline std::vector<char> WindowPayload(HWND window) {
    auto raw = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
    std::vector<char> p(4);
    std::memcpy(p.data(), &raw, 4);
    return p;
}

inline Reply LookUp(HWND window, DWORD timeout = 500) {
    return SendToCenter(CMD_GET_WINDOW_RULE, WindowPayload(window), timeout);
}

// True once a lookup is answered.
inline bool WaitUntilServing(DWORD ms = 15000) {
    DWORD start = GetTickCount();
    do {
        if (LookUp(GetDesktopWindow()).result == 0) return true;
    } while (GetTickCount() - start < ms);
    return false;
}

// The handle the control center published, or 0 when there is no mapping.
inline std::uint32_t PublishedHookHandle() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, HOOK_HANDLE_MAPPING_NAME);
    if (!mapping) return 0;
    std::uint32_t value = 0;
    if (void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4)) {
        std::memcpy(&value, view, 4);
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return value;
}

inline bool MappingExists(const char* name) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (mapping) CloseHandle(mapping);
    return mapping != nullptr;
}

// Whether the shell holds icon 0 of that window: modifying nothing
// succeeds only for an icon that is there.
inline bool TrayIconShown(HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

inline bool WaitFor(bool (*condition)(HWND), HWND window, bool wanted, DWORD ms = 5000) {
    DWORD start = GetTickCount();
    do {
        if (condition(window) == wanted) return true;
        Sleep(20);
    } while (GetTickCount() - start < ms);
    return false;
}

inline std::string HexHandle(std::uintptr_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08lX", static_cast<unsigned long>(value));
    return buf;
}

inline std::string HexHandle(HWND window) { return HexHandle(reinterpret_cast<std::uintptr_t>(window)); }

inline int CountOf(const std::string& text, const std::string& piece) {
    int n = 0;
    for (std::size_t p = text.find(piece); p != std::string::npos; p = text.find(piece, p + 1)) ++n;
    return n;
}

// The "trayicon" setting; absent when `value` is negative.
inline void SetTrayIconSetting(int value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (value < 0) {
        RegDeleteValueA(key, "trayicon");
    } else {
        DWORD v = static_cast<DWORD>(value);
        RegSetValueExA(key, "trayicon", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    }
    RegCloseKey(key);
}

}  // namespace vpw::test

namespace vpw::test {

// The frame of the control center's tray icon as the screen shows it in
// the shell's tray window (no window manager: Wine's own "Wine System
// Tray"): 0 the default icon, 1 to 3 the animation frame whose caption
// button is lit, -1 when no icon is seen.
inline int TrayFrameOnScreen() {
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    if (!tray) return -1;
    RECT rc{};
    GetClientRect(tray, &rc);
    POINT origin{0, 0};
    ClientToScreen(tray, &origin);
    int w = rc.right, h = rc.bottom;
    if (w <= 0 || h <= 0) return -1;
    TScreenShot shot(RECT{origin.x, origin.y, origin.x + w, origin.y + h});
    auto like = [](int a, int b) { return a - b < 40 && b - a < 40; };
    int blueMin = w, blueMax = -1, litSum = 0, litCount = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t p = shot.Pixel(origin.x + x, origin.y + y);
            int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (like(r, 0x1F) && like(g, 0x4E) && like(b, 0x9A)) {
                blueMin = x < blueMin ? x : blueMin;
                blueMax = x > blueMax ? x : blueMax;
            } else if (like(r, 0xFF) && like(g, 0x8C) && b < 60) {
                litSum += x;
                ++litCount;
            }
        }
    if (blueMax < 0) return -1;
    if (litCount == 0) return 0;
    double at = (static_cast<double>(litSum) / litCount - blueMin) / (blueMax - blueMin + 1);
    return at < 0.45 ? 1 : at < 0.7 ? 2 : 3;
}

}  // namespace vpw::test
