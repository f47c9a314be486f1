// The short-lived thread that asks the control center for one window's rule.
#pragma once
#include <windows.h>

#include <vector>

#include "uEAGeneralClasses.h"
#include "uWexlThreads.h"

namespace vpw {

class TEAThread : public TThread {
public:
    // Created suspended and freeing itself when its body returns.
    TEAThread(HWND window, unsigned request);
    ~TEAThread() override;

    static constexpr int MAX_TRIES = 5;

protected:
    void Execute() override;

private:
    void RegisterThread();
    void UnregisterThread();

    HWND window_;
    unsigned request_;
    bool registered_ = false;
};

void CreateEAThreadList();
// Asks every running request thread to stop; waits for none of them.
void TerminateEAThreads();
int RunningEAThreads();

}  // namespace vpw
