#include "uWexlThreads.h"

#include <process.h>

namespace vpw {

namespace {
// Dynamic initialisation runs on the thread that loads the program (or the
// library), before any TThread exists.
const DWORD g_mainThreadId = GetCurrentThreadId();
}  // namespace

DWORD MainThreadId() { return g_mainThreadId; }

unsigned __stdcall ThreadProc(void* object) noexcept {
    auto* thread = static_cast<TThread*>(object);
    thread->started_ = true;
    try {
        thread->Execute();
    } catch (...) {
        // A thread body must never take the host process down.
    }
    bool freeIt = thread->freeOnTerminate_;
    int result = thread->returnValue_;
    HMODULE module = thread->exitModule_.Release();
    thread->finished_ = true;
    // Without free-on-terminate the owner may delete the object from here on.
    if (freeIt) delete thread;
    // The thread's own reference on the code it runs goes last, and the
    // system ends the thread without returning into it.
    if (module) FreeLibraryAndExitThread(module, static_cast<DWORD>(result));
    return static_cast<unsigned>(result);
}

TThread::TThread(bool CreateSuspended, unsigned stackSize) : suspended_(CreateSuspended) {
    // Always start suspended, so that the handle and id are stored before
    // the body can run.
    unsigned id = 0;
    unsigned flags = CREATE_SUSPENDED | (stackSize ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0);
    handle_.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, stackSize, ThreadProc, this, flags, &id)));
    threadId_ = id;
    if (handle_ && !CreateSuspended) ResumeThread(handle_.Get());
}

TThread::~TThread() {
    if (handle_ && !finished_ && !suspended_) {
        Terminate();
        WaitFor();
    }
    // A thread still suspended here never runs; it is not waited for. The
    // module reference of a thread that never ran is given back with it.
    if (started_) exitModule_.Release();
}

void TThread::Suspend() {
    suspended_ = true;
    if (handle_) SuspendThread(handle_.Get());
}

void TThread::Resume() {
    HANDLE handle = handle_.Get();
    if (!handle) return;
    if (freeOnTerminate_) {
        suspended_ = false;
        ResumeThread(handle);
        return;
    }
    if (ResumeThread(handle) == 1) suspended_ = false;
}

DWORD TThread::WaitFor() {
    if (!handle_) return 0;
    HANDLE h = handle_.Get();
    if (GetCurrentThreadId() == MainThreadId()) {
        // A worker may be sending to windows of this thread: deliver those
        // messages while waiting, or both threads would wait for ever.
        for (;;) {
            DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_SENDMESSAGE);
            if (r != WAIT_OBJECT_0 + 1) break;
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        }
    } else {
        WaitForSingleObject(h, INFINITE);
    }
    DWORD code = 0;
    GetExitCodeThread(h, &code);
    return code;
}

}  // namespace vpw
