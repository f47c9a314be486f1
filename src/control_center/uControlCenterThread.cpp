#include "uControlCenterThread.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "AppConsts.h"
#include "XMLStorage.h"

namespace vpw {

namespace {
// A channel whose wait fails returns at once; pausing keeps a broken
// channel from spinning this thread.
constexpr DWORD kFailurePause = 50;
}  // namespace

TControlCenterThread::TControlCenterThread()
    : TThread(true), channel_(std::make_unique<TProcessesCommunication>(CONTROL_CENTER_CHANNEL_NAME)) {}

TControlCenterThread::~TControlCenterThread() {
    // The body uses the channel and the facet: stop it before they go.
    if (!Finished() && !Suspended()) {
        Terminate();
        WaitFor();
    }
    ReleaseControlCenter();
    channel_.reset();
}

void TControlCenterThread::SetControlCenter(IControlCenter* controlCenter) { controlCenter_ = controlCenter; }

void TControlCenterThread::ReleaseControlCenter() { controlCenter_ = nullptr; }

void TControlCenterThread::Stop() {
    Terminate();
    if (channel_) channel_->Interrupt();
}

void TControlCenterThread::Fire(const std::function<void()>& event) {
    if (event) event();
}

void TControlCenterThread::Execute() {
    TComInit com;  // the model loads through MSXML on this thread
    channel_->StartServer();
    try {
        Fire(OnStart);
    } catch (...) {
        // The first attach pass is a courtesy; serving matters more.
    }
    while (!Terminated()) {
        int command = 0, length = 0;
        TChannelBuffer payload;
        int result = channel_->WaitForCommand(command, length, payload);
        while (result == TProcessesCommunication::RESULT_TIMEOUT) {
            if (Terminated()) return;
            result = channel_->WaitForCommand(command, length, payload);
        }
        if (result != TProcessesCommunication::RESULT_DONE) {
            Sleep(kFailurePause);
            continue;
        }
        try {
            Dispatch(command, length, payload);
        } catch (...) {
            // One bad command must not end the service.
        }
    }
}

void TControlCenterThread::Dispatch(int command, int length, const TChannelBuffer& payload) {
    switch (command) {
        case CMD_GET_WINDOW_RULE:
            ProcessWindowRuleRequest(length, payload);
            break;
        case CMD_RELOAD_CONFIG:
            channel_->Reply(CMD_REPLY_DONE, 0, nullptr);
            Fire(OnReloadConfig);
            break;
        case CMD_STOP_CONTROL_CENTER:
            channel_->Reply(CMD_REPLY_DONE, 0, nullptr);
            Fire(OnStopControlCenter);
            break;
        case CMD_APPLY_SETTINGS:
            channel_->Reply(CMD_REPLY_DONE, 0, nullptr);
            Fire(OnApplySettings);
            break;
        default:
            // Unknown commands get no reply; the sender times out.
            break;
    }
}

void TControlCenterThread::ProcessWindowRuleRequest(int length, const TChannelBuffer& payload) {
    if (length != sizeof(TWindowRuleRequest) || payload.size() != sizeof(TWindowRuleRequest)) {
        channel_->Reply(CMD_REPLY_BAD_REQUEST, 0, nullptr);
        return;
    }
    try {
        TWindowRuleRequest request{};
        std::memcpy(&request, payload.data(), sizeof request);
        HWND window = WireToHandle<HWND>(request.window);
        std::string text;
        if (IPtr<IControlCenter> controlCenter = controlCenter_) controlCenter->GetWindowRuleData(window, text);
        if (text.size() > TProcessesCommunication::MAX_DATA_LENGTH) {
            // Answered, so that the client does not try again.
            channel_->Reply(CMD_REPLY_BAD_REQUEST, 0, nullptr);
            return;
        }
        channel_->Reply(CMD_REPLY_DONE, text.size(), text.data());
        if (!text.empty()) Fire(OnRuleServed);
    } catch (...) {
        // Before the reply the requester times out; after it nothing is lost.
    }
}

}  // namespace vpw
