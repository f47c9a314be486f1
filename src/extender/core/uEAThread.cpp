#include "uEAThread.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>

#include "AppConsts.h"
#include "ProcessesCommunication.h"
#include "uEmbededApplication.h"

namespace vpw {

namespace {

struct TEAThreadList {
    TLock lock;
    std::vector<TEAThread*> threads;
};

TEAThreadList* g_threads = nullptr;
std::atomic<bool> g_stopping{false};

}  // namespace

void CreateEAThreadList() {
    g_stopping = false;
    if (!g_threads) g_threads = new TEAThreadList();
}

int RunningEAThreads() {
    TEAThreadList* list = g_threads;
    if (!list) return 0;
    TLockGuard guard(list->lock);
    return static_cast<int>(list->threads.size());
}

void TerminateEAThreads(DWORD waitMs) {
    try {
        g_stopping = true;
        TEAThreadList* list = g_threads;
        if (!list) return;
        bool waited = false;
        {
            TLockGuard guard(list->lock);
            // A listed thread has not reached its destructor's unlisting yet,
            // so its object is still there.
            for (TEAThread* t : list->threads) t->Terminate();
            waited = !list->threads.empty();
        }
        // Never TerminateThread: a thread killed inside the channel would
        // leave its mutex abandoned and its memory in any state. Each one
        // stops at its next try.
        DWORD start = GetTickCount();
        while (RunningEAThreads() > 0 && GetTickCount() - start < waitMs) Sleep(5);
        if (RunningEAThreads() > 0) return;  // the stragglers still unlist themselves here
        if (waited) Sleep(10);  // let the last ones leave this library's code
        g_threads = nullptr;
        delete list;
    } catch (...) {
    }
}

TEAThread::TEAThread(HWND window, unsigned request) : TThread(true), window_(window), request_(request) {
    SetFreeOnTerminate(true);
    // Listed before it can run, so that an unload always knows about it.
    if (Handle()) RegisterThread();
}

TEAThread::~TEAThread() { UnregisterThread(); }

void TEAThread::RegisterThread() {
    if (TEAThreadList* list = g_threads) {
        TLockGuard guard(list->lock);
        list->threads.push_back(this);
        registered_ = true;
    }
}

void TEAThread::UnregisterThread() {
    if (!registered_) return;
    if (TEAThreadList* list = g_threads) {
        TLockGuard guard(list->lock);
        list->threads.erase(std::remove(list->threads.begin(), list->threads.end(), this), list->threads.end());
    }
    registered_ = false;
}

void TEAThread::Execute() {
    try {
        TProcessesCommunication channel(CONTROL_CENTER_CHANNEL_NAME);
        std::uint32_t handle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window_));
        std::string text;
        for (int attempt = 0; attempt < MAX_TRIES; ++attempt) {
            if (Terminated() || g_stopping) break;
            TChannelBuffer reply;
            int length = 0, code = 0;
            int result = channel.SendCommand(CMD_GET_WINDOW_RULE, sizeof handle, &handle, reply, length, code);
            if (result == TProcessesCommunication::RESULT_DONE && code == CMD_REPLY_DONE) {
                text = ReplyText(reply, length);
                break;
            }
            if (result != TProcessesCommunication::RESULT_TIMEOUT) break;
        }
        if (text.empty() || Terminated() || g_stopping) return;
        if (IPtr<TEmbededApplication> app = EmbededApplication()) app->DeliverWindowRuleData(window_, request_, text);
    } catch (...) {
    }
}

}  // namespace vpw
