#include "uHooks.h"

#include <atomic>
#include <unordered_map>

#include "AppConsts.h"
#include "SubclassMessages.h"
#include "uEAGeneralClasses.h"

namespace vpw {

// What the library knows about one subclassed window. The window's entry in
// the process-wide table holds one reference, its TWHook another, and every
// running call of the subclass procedure one more.
struct THookRecord {
    HWND window;
    WNDPROC previous;
    bool unicode;
    TWindowProcTarget* target;  // none: messages pass straight to `previous`
    int refs;
    bool listed;
};

namespace {

// Never destroyed: a subclass procedure may still run while the library unloads.
TLock& HookLock() {
    static TLock* lock = new TLock();
    return *lock;
}

std::unordered_map<HWND, THookRecord*>& Records() {
    static auto* records = new std::unordered_map<HWND, THookRecord*>();
    return *records;
}

// All reference work happens under HookLock.
void ReleaseRecord(THookRecord* r) {
    if (--r->refs == 0) delete r;
}

void UnlistRecord(THookRecord* r) {
    if (!r->listed) return;
    Records().erase(r->window);
    r->listed = false;
    ReleaseRecord(r);
}

WNDPROC CurrentProc(HWND window, bool unicode) {
    LONG_PTR p = unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC) : GetWindowLongPtrA(window, GWLP_WNDPROC);
    return reinterpret_cast<WNDPROC>(p);
}

LONG_PTR InstallProc(HWND window, bool unicode, WNDPROC proc) {
    LONG_PTR p = reinterpret_cast<LONG_PTR>(proc);
    return unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, p) : SetWindowLongPtrA(window, GWLP_WNDPROC, p);
}

LRESULT CallProc(WNDPROC proc, bool unicode, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!proc) return unicode ? DefWindowProcW(window, message, wParam, lParam)
                              : DefWindowProcA(window, message, wParam, lParam);
    return unicode ? CallWindowProcW(proc, window, message, wParam, lParam)
                   : CallWindowProcA(proc, window, message, wParam, lParam);
}

// Sent down a window's chain to see whether it still reaches the library;
// answered at once by the library's procedure and ignored by anyone else's.
const UINT g_chainProbe = RegisterMessageOrFallback("{0E6A3C71-5B2D-4E98-9F14-7C8D2A61B5E3}", 33673);
constexpr WPARAM CHAIN_PROBE_COOKIE = 0x56505750;
constexpr LRESULT CHAIN_PROBE_ANSWER = 0x5650574C;

bool HasRecord(HWND window) {
    TLockGuard guard(HookLock());
    return Records().count(window) != 0;
}

// Whether a message sent to the window still runs the library's procedure.
// Only the window's own thread may call its procedures: elsewhere the answer
// is yes, as if nobody had touched the chain.
bool ChainReachesLibrary(HWND window, bool unicode) {
    WNDPROC current = CurrentProc(window, unicode);
    if (current == &TWHook::SubclassProc) return true;
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return true;
    return CallProc(current, unicode, window, g_chainProbe, CHAIN_PROBE_COOKIE, 0) == CHAIN_PROBE_ANSWER;
}

// Code that another window procedure may still call must never be unloaded.
// Never called under HookLock: pinning takes the loader's lock.
bool PinLibrary() {
    static std::atomic<bool> pinned{false};
    if (pinned) return true;
    HMODULE module = nullptr;
    pinned = GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                reinterpret_cast<LPCSTR>(&TWHook::SubclassProc), &module) != FALSE;
    return pinned;
}

}  // namespace

TWHook::TWHook(HWND window, TWindowProcTarget* target) : window_(window), target_(target) { Hook(); }

TWHook::~TWHook() {
    try {
        Unhook();
        TLockGuard guard(HookLock());
        if (record_) ReleaseRecord(record_);
        record_ = nullptr;
    } catch (...) {
    }
}

void TWHook::Hook() {
    if (installed_) return;
    try {
        // From the first subclassed window on, a frame of SubclassProc may
        // sit on any stack of this process: the code stays for good. Code
        // that may be unloaded never goes into a chain.
        if (!PinLibrary()) return;
        unicode_ = IsWindowUnicode(window_) != FALSE;
        // Asked outside the lock: the probe runs the host's procedures.
        const bool stillInChain = !HasRecord(window_) || ChainReachesLibrary(window_, unicode_);
        {
            TLockGuard guard(HookLock());
            if (record_) ReleaseRecord(record_);
            record_ = nullptr;
            auto it = Records().find(window_);
            if (it != Records().end() && !stillInChain && !it->second->target) {
                // A pass-through place the host cut out of its chain: nobody
                // calls it any more, so a new extender would hear nothing there.
                UnlistRecord(it->second);
                it = Records().end();
            }
            if (it != Records().end()) {
                // The library is in this window's chain already, passing
                // through: take that place over instead of installing twice,
                // which would make the chain call itself.
                THookRecord* r = it->second;
                if (!r->target) {
                    r->target = target_;
                    ++r->refs;
                    record_ = r;
                }
                installed_ = true;
                return;
            }
            record_ = new THookRecord{window_, CurrentProc(window_, unicode_), unicode_, target_, 2, true};
            Records()[window_] = record_;
        }
        SetLastError(0);
        LONG_PTR old = InstallProc(window_, unicode_, &TWHook::SubclassProc);
        TLockGuard guard(HookLock());
        if (old == 0 && GetLastError() != 0) {
            record_->target = nullptr;
            UnlistRecord(record_);
        } else {
            record_->previous = reinterpret_cast<WNDPROC>(old);
        }
    } catch (...) {
    }
    installed_ = true;
}

void TWHook::Unhook() {
    if (!installed_) return;
    installed_ = false;
    try {
        TLockGuard guard(HookLock());
        THookRecord* r = record_;
        if (!r) return;
        r->target = nullptr;
        if (!r->listed) return;
        if (!IsWindow(window_)) {
            UnlistRecord(r);
        } else if (CurrentProc(window_, r->unicode) == &TWHook::SubclassProc) {
            InstallProc(window_, r->unicode, r->previous);
            UnlistRecord(r);
        }
        // Otherwise another procedure was installed over this one and still
        // calls it: it stays in the chain as a plain pass-through (the library
        // is pinned since it first subclassed).
    } catch (...) {
    }
}

void TWHook::CallPrevious(TMessage& message) {
    WNDPROC previous = nullptr;
    bool unicode = unicode_;
    HWND window = window_;
    {
        TLockGuard guard(HookLock());
        if (record_) previous = record_->previous;
    }
    // `this` may be gone once the procedure returns.
    message.Result = CallProc(previous, unicode, window, message.Msg, message.WParam, message.LParam);
}

bool TWHook::Receiving() const {
    TLockGuard guard(HookLock());
    return installed_ && record_ && record_->listed && record_->target == target_;
}

bool TWHook::ReachedByChain() const { return Receiving() && ChainReachesLibrary(window_, unicode_); }

WNDPROC TWHook::PreviousProc() const {
    TLockGuard guard(HookLock());
    return record_ ? record_->previous : nullptr;
}

void TWHook::SetPreviousProc(WNDPROC proc) {
    TLockGuard guard(HookLock());
    if (record_) record_->previous = proc;
}

LRESULT CALLBACK TWHook::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == g_chainProbe && wParam == CHAIN_PROBE_COOKIE) return CHAIN_PROBE_ANSWER;
    try {
        THookRecord* r = nullptr;
        TWindowProcTarget* target = nullptr;
        WNDPROC previous = nullptr;
        bool unicode = false;
        {
            TLockGuard guard(HookLock());
            auto it = Records().find(window);
            if (it != Records().end()) {
                r = it->second;
                ++r->refs;
                target = r->target;
                if (target) target->AddRef();  // the target outlives this call
                unicode = r->unicode;
                if (!target) {
                    if (message == WM_SUBCLASSREPLACED && reinterpret_cast<WNDPROC>(wParam) == r->previous)
                        r->previous = reinterpret_cast<WNDPROC>(lParam);
                    // Back on top of the chain: leave it for good.
                    if (CurrentProc(window, unicode) == &TWHook::SubclassProc) {
                        InstallProc(window, unicode, r->previous);
                        UnlistRecord(r);
                    }
                }
                previous = r->previous;
            }
        }
        if (!r) {
            // Called after the library left the window: go on to whatever
            // procedure the window has now.
            bool u = IsWindowUnicode(window) != FALSE;
            WNDPROC current = CurrentProc(window, u);
            return CallProc(current == &TWHook::SubclassProc ? nullptr : current, u, window, message, wParam,
                            lParam);
        }

        TMessage m{message, wParam, lParam, 0};
        if (target) {
            try {
                target->WindowProc(m);
            } catch (...) {
            }
            target->Release();
        } else {
            m.Result = CallProc(previous, unicode, window, message, wParam, lParam);
        }

        TLockGuard guard(HookLock());
        if (message == WM_NCDESTROY) UnlistRecord(r);
        ReleaseRecord(r);
        return m.Result;
    } catch (...) {
        return 0;
    }
}

}  // namespace vpw
