// Test helper: another process of the "same program".
//   peer check NAME PID TID  -> CheckAndRegister and IsAnotherInstanceRunning
//        must both find the instance PID/TID; exit 0 when they do
//   peer hold NAME [visible|minimized|hung]
//        -> owns one window (hidden unless asked; "hung": minimised, and no
//           message is handled after registering), registers, then waits for
//           the event NAME.quit; exit 0, or 2 when it could not register
//   peer race NAME  -> waits for NAME.start, checks and registers, releases
//        the semaphore NAME.done, waits for NAME.quit; exit 1 when another
//        instance was found, 0 when this one registered
#include <windows.h>

#include <cstdlib>
#include <string>

#include "SingleAppInstance.h"

using vpw::TSingleAppInstance;

static HANDLE OpenEventNamed(const std::string& name) { return OpenEventA(SYNCHRONIZE, FALSE, name.c_str()); }

int main(int argc, char** argv) {
    if (argc < 3) return 10;
    const std::string mode = argv[1], name = argv[2];
    TSingleAppInstance instance(name);

    if (mode == "check" && argc == 5) {
        DWORD pid = std::strtoul(argv[3], nullptr, 10), tid = std::strtoul(argv[4], nullptr, 10);
        if (!instance.CheckAndRegister()) return 3;
        if (instance.StoredProcessId() != pid || instance.StoredThreadId() != tid) return 4;
        TSingleAppInstance again(name);
        if (!again.IsAnotherInstanceRunning() || again.StoredProcessId() != pid) return 5;
        return 0;
    }

    if (mode == "hold") {
        const std::string show = argc > 3 ? argv[3] : "";
        HANDLE quit = OpenEventNamed(name + ".quit");
        if (!quit) return 11;
        DWORD style = WS_OVERLAPPEDWINDOW;
        if (show == "visible") style |= WS_VISIBLE;
        if (show == "minimized" || show == "hung") style |= WS_VISIBLE | WS_MINIMIZE;
        CreateWindowExA(0, "STATIC", ("peer " + name).c_str(), style, 50, 50, 300, 200, nullptr, nullptr, nullptr,
                        nullptr);
        // Registered only once the window is complete, so that whoever sees
        // the registration also sees the window as it will stay.
        if (instance.CheckAndRegister()) return 2;
        if (show == "hung") {
            WaitForSingleObject(quit, INFINITE);
            return 0;
        }
        // Keep answering messages to our window while waiting.
        for (;;) {
            DWORD r = MsgWaitForMultipleObjects(1, &quit, FALSE, INFINITE, QS_ALLINPUT);
            if (r != WAIT_OBJECT_0 + 1) break;
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        }
        return 0;
    }

    if (mode == "race") {
        HANDLE start = OpenEventNamed(name + ".start"), quit = OpenEventNamed(name + ".quit");
        HANDLE done = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, (name + ".done").c_str());
        if (!start || !quit || !done) return 11;
        WaitForSingleObject(start, INFINITE);
        bool another = instance.CheckAndRegister();
        ReleaseSemaphore(done, 1, nullptr);
        WaitForSingleObject(quit, INFINITE);
        return another ? 1 : 0;
    }
    return 10;
}
