// Helpers of the Windows tests: other processes and their windows.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vpw::test {

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

}  // namespace vpw::test
