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

void TerminateEAThreads() {
    // Under the loader lock: no waiting, no killing. Each thread holds its own
    // reference on the library, so none can be running code that goes away.
    g_stopping = true;
    TEAThreadList* list = g_threads;
    if (!list) return;
    bool empty = false;
    {
        TLockGuard guard(list->lock);
        for (TEAThread* t : list->threads) t->Terminate();
        empty = list->threads.empty();
    }
    // At a real unload every thread has given its reference back already.
    if (!empty) return;
    g_threads = nullptr;
    delete list;
}

namespace {
// A request needs little stack: 256 KiB of address space is reserved for it
// (the default is 2 MiB). Under Wine (8.0, measured) a thread costs its host
// the same 2112 KiB of committed memory for any stack size up to 1 MiB: the
// stack is raised to at least 1 MiB and committed whole, and Wine adds 1 MiB
// for its own side and 64 KiB; a 2 MiB stack costs 3136 KiB. An ended
// thread's share stays until another thread of the host ends, and is then
// given back. scripts/bench-extender.sh shows it in the memory that one
// window adds. A size above 1 MiB would cost more there; below it, only
// reserved address space shrinks.
constexpr unsigned kRequestStackSize = 256 * 1024;
}  // namespace

TEAThread::TEAThread(HWND window, unsigned request)
    : TThread(true, kRequestStackSize), window_(window), request_(request) {
    SetFreeOnTerminate(true);
    if (!Handle()) return;
    // Listed before it can run, so that an unload always knows about it.
    RegisterThread();
    HMODULE module = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ThreadProc), &module))
        SetExitModule(module);
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
        const TWindowRuleRequest request{HandleToWire(window_)};
        std::string text;
        for (int attempt = 0; attempt < MAX_TRIES; ++attempt) {
            if (Terminated() || g_stopping) break;
            TChannelBuffer reply;
            int length = 0, code = 0;
            int result = channel.SendCommand(CMD_GET_WINDOW_RULE, sizeof request, &request, reply, length, code);
            if (result == TProcessesCommunication::RESULT_DONE && code == CMD_REPLY_DONE) {
                text = ReplyText(reply, length);
                break;
            }
            if (result != TProcessesCommunication::RESULT_TIMEOUT) break;
        }
        if (Terminated() || g_stopping) return;
        IPtr<TEmbededApplication> app = EmbededApplication();
        if (!app) return;
        // No rule (or no answer): the window is unlisted, so that a later
        // attach message asks again.
        if (text.empty())
            app->UnlistRequest(window_, request_);
        else
            app->DeliverWindowRuleData(window_, request_, text);
    } catch (...) {
    }
}

}  // namespace vpw
