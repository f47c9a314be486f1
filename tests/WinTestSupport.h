// Helpers of the Windows tests: other processes and their windows.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace vpw::test {

// Handles this thread's pending messages; with a time, keeps doing so that long.
inline void Pump(DWORD ms = 0) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (ms) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

// Handles this thread's messages until `done` holds; false when the time is up first.
template <class Done>
bool PumpUntil(Done done, DWORD ms = 5000) {
    DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The directory of the running test program, with a trailing backslash.
inline std::string ModuleDir() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string path(buf, n);
    return path.substr(0, path.find_last_of("\\/") + 1);
}

inline std::string Quote(const std::string& arg) {
    std::string q(1, '"');
    for (char c : arg) {
        if (c == '"') q.push_back('\\');
        q.push_back(c);
    }
    q.push_back('"');
    return q;
}

// A program of the build started in a process of its own; killed if still
// running when the object goes.
class ChildProcess {
public:
    ChildProcess(const std::string& exe, const std::vector<std::string>& args = {}, const std::string& dir = {}) {
        std::string path = exe.find_first_of("\\/:") == std::string::npos ? ModuleDir() + exe : exe;
        std::string cmd = Quote(path);
        for (const auto& a : args) {
            cmd.push_back(' ');
            cmd.append(Quote(a));
        }
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::vector<char> line(cmd.begin(), cmd.end());
        line.push_back(0);
        if (CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           dir.empty() ? nullptr : dir.c_str(), &si, &pi_))
            CloseHandle(pi_.hThread);
        else
            pi_ = {};
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (!pi_.hProcess) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi_.hProcess, 99);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hProcess);
    }
    bool Started() const { return pi_.hProcess != nullptr; }
    DWORD Id() const { return pi_.dwProcessId; }
    HANDLE Handle() const { return pi_.hProcess; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD Wait(DWORD ms) {
        if (!pi_.hProcess) return static_cast<DWORD>(-1);
        WaitForSingleObject(pi_.hProcess, ms);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_{};
};

inline HWND WaitForWindow(const char* cls, const char* caption, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    do {
        if (HWND w = FindWindowA(cls, caption)) return w;
        Sleep(20);
    } while (GetTickCount() - start < ms);
    return nullptr;
}

// Real mouse input at the cursor: one press, release or move.
inline void SendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// A user's click of the left button at the cursor, `clicks` times (2: a
// double click), with this thread's messages handled after each press and
// release.
inline void ClickAtCursor(int clicks = 1) {
    for (int i = 0; i < clicks; ++i) {
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        SendMouse(MOUSEEVENTF_LEFTUP);
        Pump(50);
    }
}

namespace detail {

struct TWindowSearch {
    std::string cls;
    DWORD process;
    bool visibleOnly;
    std::vector<HWND> found;
};

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM p) {
    auto* s = reinterpret_cast<TWindowSearch*>(p);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (lstrcmpiA(name, s->cls.c_str()) == 0 && (!s->process || owner == s->process) &&
        (!s->visibleOnly || IsWindowVisible(window)))
        s->found.push_back(window);
    return TRUE;
}

}  // namespace detail

// The top-level windows of a class, of one process (0: any), only the
// visible ones when asked.
inline std::vector<HWND> TopLevelWindows(const std::string& cls, DWORD process = 0, bool visibleOnly = false) {
    detail::TWindowSearch search{cls, process, visibleOnly, {}};
    EnumWindows(&detail::CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The first shown message box (a top-level window of the dialog class) of a
// process (0: any) that `wanted` accepts (none: any); none when there is none.
inline HWND FindMessageBox(DWORD process, const std::function<bool(HWND box)>& wanted = nullptr) {
    for (HWND box : TopLevelWindows("#32770", process, true))
        if (!wanted || wanted(box)) return box;
    return nullptr;
}

// The shown message box that `owner` owns, or none.
inline HWND FindMessageBox(HWND owner) {
    return FindMessageBox(0, [owner](HWND box) { return GetWindow(box, GW_OWNER) == owner; });
}

// What a screenshot shows of one part of the screen.
class TScreenShot {
public:
    explicit TScreenShot(const RECT& area) : area_(area) {
        int w = area.right - area.left, h = area.bottom - area.top;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        pixels_.assign(static_cast<const std::uint32_t*>(bits), static_cast<const std::uint32_t*>(bits) + w * h);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }

    // Pixels of that colour within `part` (screen coordinates).
    int Count(COLORREF colour, const RECT& part) const {
        std::uint32_t want = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        int n = 0, w = area_.right - area_.left;
        for (int y = std::max(part.top, area_.top); y < std::min(part.bottom, area_.bottom); ++y)
            for (int x = std::max(part.left, area_.left); x < std::min(part.right, area_.right); ++x)
                n += (pixels_[(y - area_.top) * w + (x - area_.left)] & 0xFFFFFF) == want;
        return n;
    }
    bool SameAs(const TScreenShot& other) const { return pixels_ == other.pixels_; }
    // 0x00RRGGBB at (x, y), screen coordinates inside the area.
    std::uint32_t Pixel(int x, int y) const {
        return pixels_[(y - area_.top) * (area_.right - area_.left) + (x - area_.left)] & 0xFFFFFF;
    }

    void SaveBitmap(const std::string& path) const {
        int w = area_.right - area_.left, h = area_.bottom - area_.top;
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER info{};
        info.biSize = sizeof info;
        info.biWidth = w;
        info.biHeight = -h;
        info.biPlanes = 1;
        info.biBitCount = 32;
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels_.size() * 4);
        // The screen has no alpha; viewers would take 0 for transparent.
        std::vector<std::uint32_t> opaque(pixels_);
        for (std::uint32_t& p : opaque) p |= 0xFF000000u;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&info), sizeof info);
        out.write(reinterpret_cast<const char*>(opaque.data()), static_cast<std::streamsize>(opaque.size() * 4));
    }

private:
    RECT area_;
    std::vector<std::uint32_t> pixels_;
};

// Window geometry as the tests compare it.
inline RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}
inline int WindowHeight(HWND window) {
    RECT r = WindowRectOf(window);
    return r.bottom - r.top;
}
// Caption and frame: the height of a window rolled up to its title bar.
inline int NonClientHeight(HWND window) {
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, GetWindowLongA(window, GWL_STYLE), FALSE, GetWindowLongA(window, GWL_EXSTYLE));
    return r.bottom - r.top;
}
inline bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace vpw::test
