// A minimal thread class without any window framework, so that the hook
// library can use it inside foreign processes.
#pragma once
#include <windows.h>

#include <atomic>

#include "WinHandles.h"

namespace vpw {

// The thread that loaded this unit: the program's main thread.
DWORD MainThreadId();

unsigned __stdcall ThreadProc(void* object) noexcept;

class TThread {
public:
    // Created running, the body may start before a subclass's constructor
    // has finished; subclasses that need their fields first create it
    // suspended and resume it at the end of their own constructor.
    // stackSize: the reservation of the thread's stack in bytes; 0 takes
    // the program's default.
    explicit TThread(bool CreateSuspended, unsigned stackSize = 0);
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // Unless finished or suspended: Terminate and WaitFor. This runs after a
    // subclass's own fields are gone, so a subclass whose body uses them
    // stops the thread in its own destructor.
    virtual ~TThread();

    void Suspend();
    // A free-on-terminate object may be gone as soon as the thread runs:
    // nothing of it is touched after the thread is resumed.
    void Resume();
    void Terminate() { terminated_ = true; }
    // The thread's exit code; on the main thread sent messages keep being
    // answered meanwhile.
    DWORD WaitFor();

    HANDLE Handle() const { return handle_.Get(); }
    DWORD ThreadID() const { return threadId_; }
    bool Terminated() const { return terminated_; }
    bool Suspended() const { return suspended_; }
    bool FreeOnTerminate() const { return freeOnTerminate_; }
    bool Finished() const { return finished_; }
    int ReturnValue() const { return returnValue_; }

protected:
    // The thread body; it is expected to poll Terminated. Exceptions that
    // leave it are swallowed by the thread entry.
    virtual void Execute() = 0;
    void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
    // A module reference the thread gives back as it ends, through
    // FreeLibraryAndExitThread, so that the code it runs stays mapped until
    // its very last instruction. Released here if the thread never ran.
    void SetExitModule(HMODULE module) { exitModule_.Reset(module); }
    void SetReturnValue(int value) { returnValue_ = value; }

private:
    friend unsigned __stdcall ThreadProc(void* object) noexcept;

    TKernelHandle handle_;
    DWORD threadId_ = 0;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> suspended_{false};
    std::atomic<bool> freeOnTerminate_{false};
    std::atomic<bool> finished_{false};
    std::atomic<int> returnValue_{0};
    std::atomic<bool> started_{false};
    TModule exitModule_;
};

}  // namespace vpw
