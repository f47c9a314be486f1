// The control center's second thread: serves the command channel for the
// whole run, answering rule lookups and carrying out reload, stop and
// settings commands.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "ControlCenterInterfaces.h"
#include "Interfaces.h"
#include "ProcessesCommunication.h"
#include "uWexlThreads.h"

namespace vpw {

class TControlCenterThread : public TThread {
public:
    // Created suspended; the channel is opened at once so that clients meet
    // the same objects even before the thread runs.
    TControlCenterThread();
    ~TControlCenterThread() override;

    void SetControlCenter(IControlCenter* controlCenter);
    void ReleaseControlCenter();
    // Terminate, and end the wait for the next command at once.
    void Stop();

    // Run on this thread. OnStart before the first command is taken; the
    // command actions after their reply has gone out; OnRuleServed after a
    // non-empty rule was sent.
    std::function<void()> OnStart;
    std::function<void()> OnReloadConfig;
    std::function<void()> OnStopControlCenter;
    std::function<void()> OnApplySettings;
    std::function<void()> OnRuleServed;

protected:
    void Execute() override;
    void ProcessWindowRuleRequest(int length, const TChannelBuffer& payload);

private:
    void Dispatch(int command, int length, const TChannelBuffer& payload);
    static void Fire(const std::function<void()>& event);

    std::unique_ptr<TProcessesCommunication> channel_;
    IPtr<IControlCenter> controlCenter_;
};

}  // namespace vpw
