#include "uHooks.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <unordered_map>
#include <utility>
#include <vector>

#include "AppConsts.h"
#include "SubclassMessages.h"
#include "uEAGeneralClasses.h"

namespace vpw {

// What the library knows about one place it holds in a window's chain. The
// window's entry in the process-wide table holds one reference, its TWHook
// another, and every running call of the place's procedure one more.
struct THookRecord {
    HWND window;
    int place;
    WNDPROC previous;
    bool unicode;
    TWindowProcTarget* target;  // none: messages pass straight to `previous`
    int refs;
    bool listed;
    bool probed;  // the last probe of the window's chain reached the library here first
};

// The places of one window, by the procedure each has.
struct TWindowPlaces {
    THookRecord* at[TWHook::PLACES] = {};
};

namespace {

// Never destroyed: a place's procedure may still run while the library unloads.
TLock& HookLock() {
    static TLock* lock = new TLock();
    return *lock;
}

std::unordered_map<HWND, TWindowPlaces>& Places() {
    static auto* places = new std::unordered_map<HWND, TWindowPlaces>();
    return *places;
}

// All of the following run under HookLock.
int g_listed = 0;
std::vector<HWND>& DestroyedWithPlaces() {
    static auto* windows = new std::vector<HWND>();
    return *windows;
}
std::atomic<bool> g_destroyedNoted{false};

THookRecord* Find(HWND window, int place) {
    auto it = Places().find(window);
    return it == Places().end() ? nullptr : it->second.at[place];
}

void ReleaseRecord(THookRecord* r) {
    if (--r->refs == 0) delete r;
}

void ListRecord(THookRecord* r) {
    Places()[r->window].at[r->place] = r;
    r->listed = true;
    ++g_listed;
}

void UnlistRecord(THookRecord* r) {
    if (!r->listed) return;
    auto it = Places().find(r->window);
    if (it != Places().end()) {
        it->second.at[r->place] = nullptr;
        const auto& at = it->second.at;
        if (std::all_of(std::begin(at), std::end(at), [](THookRecord* p) { return p == nullptr; }))
            Places().erase(it);
    }
    r->listed = false;
    --g_listed;
    ReleaseRecord(r);
}

void UnlistWindow(HWND window) {
    auto it = Places().find(window);
    if (it == Places().end()) return;
    TWindowPlaces places = it->second;
    for (THookRecord* r : places.at)
        if (r) UnlistRecord(r);
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

// Sent down a window's chain to learn which place of the library it runs
// first. What counts is that the library's procedure ran, never what anybody
// answered: a host may swallow or answer messages it does not know. WM_NULL
// is one that window procedures pass on; a host that keeps even that to
// itself still passes on its ordinary messages, so a query that changes
// nothing follows.
constexpr WPARAM PROBE_WPARAM = 0x56505750;
constexpr LPARAM PROBE_LPARAM = 0x50524F42;
constexpr UINT PROBE_MESSAGES[] = {WM_NULL, WM_GETTEXTLENGTH};

bool IsProbe(UINT message, WPARAM wParam, LPARAM lParam) {
    return (message == WM_NULL || message == WM_GETTEXTLENGTH) && wParam == PROBE_WPARAM && lParam == PROBE_LPARAM;
}

bool OnWindowsThread(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

// The place of the window that its chain runs first; -1 when none. A place
// on top of the chain is known without asking. Only the window's own thread
// may run its procedures: elsewhere the place installed last is taken.
int ReachedPlace(HWND window, bool unicode) {
    {
        TLockGuard guard(HookLock());
        auto it = Places().find(window);
        if (it == Places().end()) return -1;
        const WNDPROC top = CurrentProc(window, unicode);
        int last = -1;
        for (int p = 0; p < TWHook::PLACES; ++p) {
            if (!it->second.at[p]) continue;
            if (top == TWHook::PlaceProcedure(p)) return p;
            last = p;
        }
        if (!OnWindowsThread(window)) return last;
    }
    for (UINT probe : PROBE_MESSAGES) {
        {
            TLockGuard guard(HookLock());
            auto it = Places().find(window);
            if (it == Places().end()) return -1;
            for (THookRecord* r : it->second.at)
                if (r) r->probed = false;
        }
        // Outside the lock: the probe runs the host's procedures.
        CallProc(CurrentProc(window, unicode), unicode, window, probe, PROBE_WPARAM, PROBE_LPARAM);
        TLockGuard guard(HookLock());
        auto it = Places().find(window);
        if (it == Places().end()) return -1;
        for (int p = 0; p < TWHook::PLACES; ++p)
            if (it->second.at[p] && it->second.at[p]->probed) return p;
    }
    return -1;
}

// Calls of a place the library has left, running now on some thread: a
// chain that leads back into such a place would otherwise call itself for good.
std::vector<std::pair<HWND, DWORD>>& UnplacedCalls() {
    static auto* calls = new std::vector<std::pair<HWND, DWORD>>();
    return *calls;
}

class TUnplacedCall {
public:
    explicit TUnplacedCall(HWND window) : call_(window, GetCurrentThreadId()) {
        TLockGuard guard(HookLock());
        auto& calls = UnplacedCalls();
        entered_ = std::find(calls.begin(), calls.end(), call_) == calls.end();
        if (entered_) calls.push_back(call_);
    }
    ~TUnplacedCall() {
        if (!entered_) return;
        TLockGuard guard(HookLock());
        auto& calls = UnplacedCalls();
        calls.erase(std::find(calls.begin(), calls.end(), call_));
    }
    TUnplacedCall(const TUnplacedCall&) = delete;
    TUnplacedCall& operator=(const TUnplacedCall&) = delete;
    bool Entered() const { return entered_; }

private:
    std::pair<HWND, DWORD> call_;
    bool entered_ = false;
};

// Called through a place of a window the library no longer knows (gone, its
// handle perhaps given to another): on to whatever procedure the window has
// now, unless that comes back here.
LRESULT PassOnUnplaced(int place, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    bool unicode = IsWindowUnicode(window) != FALSE;
    WNDPROC current = CurrentProc(window, unicode);
    TUnplacedCall call(window);
    if (current == TWHook::PlaceProcedure(place) || !call.Entered()) current = nullptr;
    return CallProc(current, unicode, window, message, wParam, lParam);
}

LRESULT Dispatch(int place, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        THookRecord* r = nullptr;
        TWindowProcTarget* target = nullptr;
        WNDPROC previous = nullptr;
        bool unicode = false;
        {
            TLockGuard guard(HookLock());
            r = Find(window, place);
            if (r && IsProbe(message, wParam, lParam)) {
                r->probed = true;
                return 0;
            }
            if (r) {
                ++r->refs;
                target = r->target;
                if (target) target->AddRef();  // the target outlives this call
                unicode = r->unicode;
                if (!target) {
                    // The notice of an extender that was served from here (let
                    // go of by the hook procedure, or a late copy): the
                    // window's own procedures never see it.
                    if (message == WM_DETACHEXTENDER) {
                        ReleaseRecord(r);
                        return 0;
                    }
                    if (message == WM_SUBCLASSREPLACED && reinterpret_cast<WNDPROC>(wParam) == r->previous)
                        r->previous = reinterpret_cast<WNDPROC>(lParam);
                }
                // The window's own procedure meets its end as it was: on top,
                // the place steps aside (it is kept: a host may still call it).
                if (message == WM_DESTROY && CurrentProc(window, unicode) == TWHook::PlaceProcedure(place))
                    InstallProc(window, unicode, r->previous);
                previous = r->previous;
            }
        }
        if (!r) return PassOnUnplaced(place, window, message, wParam, lParam);

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

template <int Place>
LRESULT CALLBACK PlaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Dispatch(Place, window, message, wParam, lParam);
}

template <int... Place>
constexpr auto MakePlaceProcs(std::integer_sequence<int, Place...>) {
    return std::array<WNDPROC, sizeof...(Place)>{&PlaceProc<Place>...};
}

constexpr auto kPlaceProcs = MakePlaceProcs(std::make_integer_sequence<int, TWHook::PLACES>());

// Code that another window procedure may still call must never be unloaded.
// Never called under HookLock: pinning takes the loader's lock.
bool PinLibrary() {
    static std::atomic<bool> pinned{false};
    if (pinned) return true;
    HMODULE module = nullptr;
    pinned = GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                reinterpret_cast<LPCSTR>(kPlaceProcs[0]), &module) != FALSE;
    return pinned;
}

}  // namespace

WNDPROC TWHook::PlaceProcedure(int place) { return kPlaceProcs[static_cast<std::size_t>(place)]; }

bool TWHook::IsLibraryProcedure(WNDPROC proc) {
    return std::find(kPlaceProcs.begin(), kPlaceProcs.end(), proc) != kPlaceProcs.end();
}

void TWHook::NoteWindowDestroyed(HWND window) {
    TLockGuard guard(HookLock());
    if (!Places().count(window)) return;
    auto& noted = DestroyedWithPlaces();
    if (std::find(noted.begin(), noted.end(), window) == noted.end()) noted.push_back(window);
    g_destroyedNoted = true;
}

void TWHook::GiveBackGonePlaces() {
    // Asked on every window the hook procedure sees go: mostly nothing is noted.
    if (!g_destroyedNoted) return;
    TLockGuard guard(HookLock());
    auto& noted = DestroyedWithPlaces();
    // A window still being destroyed is given back the next time.
    noted.erase(std::remove_if(noted.begin(), noted.end(),
                               [](HWND window) {
                                   if (IsWindow(window)) return false;
                                   UnlistWindow(window);
                                   return true;
                               }),
                noted.end());
    g_destroyedNoted = !noted.empty();
}

int TWHook::PlaceCount() {
    TLockGuard guard(HookLock());
    return g_listed;
}

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
        // From the first subclassed window on, a frame of a place's procedure
        // may sit on any stack of this process: the code stays for good. Code
        // that may be unloaded never goes into a chain.
        if (!PinLibrary()) return;
        unicode_ = IsWindowUnicode(window_) != FALSE;
        {
            // Windows destroyed without the library hearing it.
            TLockGuard guard(HookLock());
            std::vector<HWND> gone;
            for (const auto& entry : Places())
                if (!IsWindow(entry.first)) gone.push_back(entry.first);
            for (HWND window : gone) UnlistWindow(window);
        }
        // Asked outside the lock: the probe runs the host's procedures.
        const int reached = ReachedPlace(window_, unicode_);
        int place = -1;
        {
            TLockGuard guard(HookLock());
            if (record_) ReleaseRecord(record_);
            record_ = nullptr;
            auto it = Places().find(window_);
            if (it != Places().end()) {
                TWindowPlaces& places = it->second;
                // A place the chain runs is taken over, from whichever hook had
                // it (one still taking back its action): the hook made last
                // serves the window. A procedure of the library installed on
                // top of it would be called by it.
                if (reached >= 0 && places.at[reached]) {
                    ServeFrom(places, places.at[reached]);
                    installed_ = true;
                    return;
                }
                // Every other place may still be called by a host's
                // procedure: a new one is taken, never one of those.
                for (int p = 0; p < PLACES && place < 0; ++p)
                    if (!places.at[p]) place = p;
                if (place < 0) {
                    installed_ = true;  // out of places: the window goes without
                    return;
                }
                for (THookRecord* r : places.at)
                    if (r) r->target = nullptr;
            } else {
                place = 0;
            }
            record_ = new THookRecord{window_, place, CurrentProc(window_, unicode_), unicode_, target_, 2, false, false};
            ListRecord(record_);
        }
        SetLastError(0);
        LONG_PTR old = InstallProc(window_, unicode_, PlaceProcedure(place));
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

void TWHook::ServeFrom(TWindowPlaces& places, THookRecord* record) {
    for (THookRecord* r : places.at)
        if (r) r->target = nullptr;
    record->target = target_;
    ++record->refs;
    record_ = record;
}

void TWHook::Unhook() {
    if (!installed_) return;
    installed_ = false;
    try {
        TLockGuard guard(HookLock());
        THookRecord* r = record_;
        if (!r) return;
        // A hook made since may serve the window from this place.
        if (r->target == target_) r->target = nullptr;
        // The place stays in the chain as a plain pass-through while the
        // window lives: a host's procedure may have kept its address and
        // call it at any time, and only the library knows what it calls.
        // Nothing is ever written back.
        if (r->listed && !IsWindow(window_)) UnlistRecord(r);
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

bool TWHook::FirstInChain() const {
    TLockGuard guard(HookLock());
    return installed_ && record_ && record_->listed && record_->target == target_ &&
           CurrentProc(window_, unicode_) == PlaceProcedure(record_->place);
}

WNDPROC TWHook::PreviousProc() const {
    TLockGuard guard(HookLock());
    return record_ ? record_->previous : nullptr;
}

void TWHook::SetPreviousProc(WNDPROC proc) {
    TLockGuard guard(HookLock());
    if (record_) record_->previous = proc;
}

}  // namespace vpw
