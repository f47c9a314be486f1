// Stands in for the window extender library in the control center's tests.
// Loaded by the system-wide hook into every program, it logs into
// "vpwemb.log" beside itself:
//   load pid=<id> hook=<handle read from the hook-handle mapping>
//   attach pid=<id> window=<handle> class=<class name>
//   detach pid=<id> window=<handle>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "AppConsts.h"

namespace {

HMODULE gModule = nullptr;
HHOOK gHook = nullptr;

std::string LogPath() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(gModule, buf, MAX_PATH);
    std::string path(buf, n < MAX_PATH ? n : 0);
    return path.substr(0, path.find_last_of("\\/") + 1) + "vpwemb.log";
}

// Lines of several processes must never overwrite each other, and an
// append from several processes at once is not atomic everywhere: one
// named lock serialises the writers.
void Log(const std::string& line) {
    HANDLE lock = CreateMutexA(nullptr, FALSE, "VpwTestHookLibraryLogLock");
    if (lock) WaitForSingleObject(lock, 2000);
    HANDLE file = CreateFileA(LogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        std::string text = line + "\n";
        DWORD written = 0;
        SetFilePointer(file, 0, nullptr, FILE_END);
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    if (lock) {
        ReleaseMutex(lock);
        CloseHandle(lock);
    }
}

std::string Hex(std::uintptr_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08lX", static_cast<unsigned long>(value));
    return buf;
}

std::string Pid() { return std::to_string(GetCurrentProcessId()); }

void ReadHookHandle() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, vpw::HOOK_HANDLE_MAPPING_NAME);
    if (!mapping) return;
    if (void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4)) {
        gHook = reinterpret_cast<HHOOK>(static_cast<std::uintptr_t>(*static_cast<std::uint32_t*>(view)));
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK CallProcHook(int code, WPARAM wParam, LPARAM lParam) {
    try {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code >= 0 && message && message->hwnd) {
            std::string window = Hex(reinterpret_cast<std::uintptr_t>(message->hwnd));
            if (message->message == vpw::WM_ATTACHEXTENDER) {
                char cls[256] = "";
                GetClassNameA(message->hwnd, cls, sizeof cls);
                Log("attach pid=" + Pid() + " window=" + window + " class=" + cls);
            } else if (message->message == vpw::WM_DETACHEXTENDER) {
                Log("detach pid=" + Pid() + " window=" + window);
            }
        }
    } catch (...) {
    }
    return CallNextHookEx(gHook, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
        ReadHookHandle();
        Log("load pid=" + Pid() + " hook=" + Hex(reinterpret_cast<std::uintptr_t>(gHook)));
    }
    return TRUE;
}
