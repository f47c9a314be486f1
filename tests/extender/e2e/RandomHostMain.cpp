// A host program for the seeded random end-to-end test: windows whose chains
// and thread do what the test asks of them, one request at a time, through
// the tests' query message. The test draws the requests from its seed; this
// program draws nothing.
//
//   vpw_e2e_random_host.exe CLASS CAPTION [CLASS CAPTION]...
//       one window per pair, four a row, none over another. A CLASS written
//       "^CLASS" gets a layer of the program's own before any message loop,
//       so below the hook library (and again for a window made to replace it).
//
// What the program can be asked to do to a window (see AnswerQuery):
// - layers: subclass on top from one of its slots, each with a procedure of
//   its own; leave by writing back what the slot saved, whatever is on top
//   now; a slot may save only once (`if (!old) old = ...`) and go on and off;
//   a layer passes everything on, or swallows or answers registered
//   messages, or swallows WM_NULL; a layer on top after every attach;
// - re-enter inside one of WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATE,
//   WM_SIZE: send itself SC_MINIMIZE, SC_RESTORE or SC_CLOSE, call
//   ShowWindow or SetWindowPos, once or twice, a bounded number of times;
// - wait there on another thread that talks to the window, taking only sent
//   messages meanwhile;
// - destroy the window there; a new window of the same class replaces it;
// - put its own procedure back on top, cutting everything over it out;
// - be busy (posted: the thread does nothing for a while).
// The window's own procedure answers WM_CLOSE with 0 (as a program whose
// "save changes?" the user declined) until the test ends the program.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// Queries shared with the other test program (EndToEndSupport.h).
constexpr WPARAM QUERY_LIBRARY_HANDLES = 5;
constexpr WPARAM QUERY_BUSY = 7;
constexpr WPARAM QUERY_TEST_RUNS = 8;
constexpr WPARAM QUERY_EXTENDED = 9;
constexpr WPARAM QUERY_LIBRARY_RECORDS = 10;
constexpr WPARAM QUERY_START_WATCH = 11;
constexpr WPARAM QUERY_STOP_WATCH = 12;
constexpr WPARAM QUERY_IN_PLACE = 13;
// This program's own (RandomHostEndToEndTest.cpp).
constexpr WPARAM QUERY_LAYER_ON = 30;
constexpr WPARAM QUERY_LAYER_OFF = 31;
constexpr WPARAM QUERY_REENTER = 32;
constexpr WPARAM QUERY_WAIT = 33;
constexpr WPARAM QUERY_DESTROY = 34;
constexpr WPARAM QUERY_LAYER_AFTER_ATTACH = 35;
constexpr WPARAM QUERY_ARMED = 36;
constexpr WPARAM QUERY_CLOSES = 37;
constexpr WPARAM QUERY_END = 38;
constexpr WPARAM QUERY_PLACED = 39;
constexpr WPARAM QUERY_ITEMS = 40;
constexpr WPARAM QUERY_DESCRIBE = 41;
constexpr WPARAM QUERY_LAYERS_ON = 42;
constexpr WPARAM QUERY_RECORDS_APART = 43;
constexpr WPARAM QUERY_LAST_PING = 44;
constexpr WPARAM QUERY_CUT_OUT = 45;

constexpr UINT TEST_MESSAGE = WM_USER + 2;  // wParam: its number
constexpr UINT INSTALL_LAYER_MESSAGE = WM_USER + 3;
// Posted by the test behind what it did; its number is kept once the
// program got this far in its queue (QUERY_LAST_PING).
constexpr UINT PING_MESSAGE = WM_USER + 4;
constexpr UINT REPLACE_WINDOW_MESSAGE = WM_APP + 1;  // posted to the thread; wParam: the window's index

constexpr int kSlots = 12;
constexpr int kOwn = -1;
constexpr int kTopSlot = 0xFF;  // the window's own procedure in the host's picture of its chain
constexpr int kMaxDepth = 24;

enum class TLayerKind { Forward, SwallowRegistered, AnswerRegistered, SwallowNull };

// The messages a re-entry or a wait can be armed in, and what a re-entry does.
constexpr UINT kArmedMessages[] = {WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATE, WM_SIZE};
enum class TReaction { Minimise, Restore, Close, Show, SetPos };
constexpr DWORD kWaitDelays[] = {0, 50, 200, 500};

struct TLayer {
    WNDPROC below = nullptr;  // what the slot saved
    int belowSlot = kOwn;     // the same in the host's picture, where the library is not
    bool saved = false;
    bool on = false;
    bool savedOnce = false;
    TLayerKind kind = TLayerKind::Forward;
};

// Armed in one message: `message` an index into kArmedMessages, -1 off; for
// WM_SHOWWINDOW `when` 0 any, 1 hiding, 2 showing.
struct TArming {
    int message = -1;
    int when = 0;
    int what = 0;   // a TReaction, or an index into kWaitDelays
    int count = 1;  // how often at one time
    int left = 0;   // how many more times
};

struct TWindow {
    int index = 0;
    std::string cls;
    std::string caption;
    bool layerAtCreation = false;
    RECT created{};
    TLayer layers[kSlots];
    int top = kOwn;  // the top of the host's picture of the chain
    TArming reenter;
    TArming wait;
    TArming destroy;
    int layerAfterAttach = -1;  // a TLayerKind, -1 none
    int closes = 0;
    bool reacting = false;
    int depth[kSlots] = {};
    WPARAM runsNumber = 0;
    int runs[kSlots + 1] = {};  // [0] the own procedure, [1 + n] slot n
};

struct TOpening {
    std::string cls;
    std::string caption;
    bool layerAtCreation;
    int generation = 0;
};

UINT g_attachedMessage = 0;
UINT g_queryMessage = 0;
std::map<HWND, TWindow> g_windows;
std::vector<TOpening> g_openings;
int g_openTopLevel = 0;
bool g_ending = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT AnswerQuery(HWND window, WPARAM what, LPARAM argument);
WPARAM g_lastPing = 0;

TWindow* Find(HWND window) {
    auto it = g_windows.find(window);
    return it == g_windows.end() ? nullptr : &it->second;
}

void CountRun(HWND window, UINT message, WPARAM number, int procedure) {
    if (message != TEST_MESSAGE) return;
    TWindow* w = Find(window);
    if (!w) return;
    if (w->runsNumber != number) {
        w->runsNumber = number;
        std::fill(std::begin(w->runs), std::end(w->runs), 0);
    }
    ++w->runs[procedure];
}

bool ForeignRegistered(UINT message) { return message >= 0xC000 && message <= 0xFFFF && message != g_queryMessage; }

template <int N>
LRESULT CALLBACK LayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CountRun(window, message, wParam, N + 1);
    // The tests' questions are answered whatever the chain below does.
    if (message == g_queryMessage) return AnswerQuery(window, wParam, lParam);
    TWindow* w = Find(window);
    if (!w) return DefWindowProcA(window, message, wParam, lParam);
    const TLayer layer = w->layers[N];  // the window may go during the call
    if (layer.kind == TLayerKind::SwallowRegistered && ForeignRegistered(message)) return 0;
    if (layer.kind == TLayerKind::AnswerRegistered && ForeignRegistered(message)) return 1;
    if (layer.kind == TLayerKind::SwallowNull && message == WM_NULL) return 0;
    if (!layer.below) return DefWindowProcA(window, message, wParam, lParam);
    // A chain that calls itself ends here, so that the test sees the count.
    if (w->depth[N] >= kMaxDepth) return 0;
    ++w->depth[N];
    LRESULT result = CallWindowProcA(layer.below, window, message, wParam, lParam);
    if (TWindow* still = Find(window)) --still->depth[N];
    return result;
}

template <int... N>
constexpr std::array<WNDPROC, sizeof...(N)> LayerProcs(std::integer_sequence<int, N...>) {
    return {&LayerProc<N>...};
}
constexpr auto kLayerProcs = LayerProcs(std::make_integer_sequence<int, kSlots>());

// The host's picture of its chain from the top: its layers down to its own
// procedure, as they would run with no library in between; empty when the
// picture calls itself.
std::vector<int> PicturedChain(const TWindow& w, int top) {
    std::vector<int> chain;
    for (int at = top; at != kOwn; at = w.layers[at].belowSlot) {
        if (std::find(chain.begin(), chain.end(), at) != chain.end()) return {};
        chain.push_back(at);
    }
    return chain;
}

// 1 when done; 0 when the slot is on already or going on would make the
// program's own chain call itself (a host's own fault, not the library's).
LRESULT LayerOn(HWND window, int slot, TLayerKind kind, bool savedOnce) {
    TWindow* w = Find(window);
    if (!w || slot < 0 || slot >= kSlots || w->layers[slot].on) return 0;
    TLayer& layer = w->layers[slot];
    const bool keep = savedOnce && layer.saved;
    TLayer before = layer;
    int below = keep ? layer.belowSlot : w->top;
    layer.belowSlot = below;
    if (PicturedChain(*w, slot).empty()) {
        layer = before;
        return 0;
    }
    layer.kind = kind;
    layer.savedOnce = savedOnce;
    layer.on = true;
    WNDPROC old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kLayerProcs[slot])));
    if (!keep) layer.below = old;
    layer.saved = true;
    w->top = slot;
    return 1;
}

// Writes back what the slot saved, whatever is on top now (kTopSlot: the
// top of the host's picture); 1 when it was on.
LRESULT LayerOff(HWND window, int slot) {
    TWindow* w = Find(window);
    if (w && slot == kTopSlot) slot = w->top;
    if (!w || slot < 0 || slot >= kSlots || !w->layers[slot].on) return 0;
    TLayer& layer = w->layers[slot];
    layer.on = false;
    w->top = layer.belowSlot;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(layer.below));
    return 1;
}

int FreeSlot(const TWindow& w) {
    for (int s = 0; s < kSlots; ++s)
        if (!w.layers[s].on && !w.layers[s].saved) return s;
    return -1;
}

template <class F>
F LibraryExport(const char* name) {
    HMODULE library = GetModuleHandleA("vpwemb.dll");
    return library ? reinterpret_cast<F>(GetProcAddress(library, name)) : nullptr;
}

// 0 none, -1 no test library; else the number of the window's extender, or
// (`all`) every record the library holds for it.
LRESULT LibraryRecords(HWND window, bool all) {
    using TRecords = void (*)(HWND, long*, long*, long*, long*);
    auto records = LibraryExport<TRecords>("GetLibraryRecords");
    if (!records) return -1;
    long own = 0, extenders = 0, listed = 0, pending = 0;
    records(window, &own, &extenders, &listed, &pending);
    return all ? extenders + listed + pending : own;
}

// The same apart, 8 bits each: the window listed, rule texts waiting for
// it, extenders in the process.
LRESULT RecordsApart(HWND window) {
    using TRecords = void (*)(HWND, long*, long*, long*, long*);
    auto records = LibraryExport<TRecords>("GetLibraryRecords");
    if (!records) return -1;
    long own = 0, extenders = 0, listed = 0, pending = 0;
    records(window, &own, &extenders, &listed, &pending);
    return (listed & 0xFF) | (pending & 0xFF) << 8 | (extenders & 0xFF) << 16;
}

bool Extended(HWND window) { return LibraryRecords(window, false) > 0; }

LRESULT Placed(HWND window) {
    auto placed = LibraryExport<long (*)(HWND)>("GetExtenderPlaced");
    return placed ? placed(window) : -2;
}

// Places in chains, extenders and icon windows of this process, 8 bits each.
LRESULT Items() {
    auto counts = LibraryExport<void (*)(long*, long*, long*)>("GetLiveItemCounts");
    if (!counts) return -1;
    long places = 0, extenders = 0, icons = 0;
    counts(&places, &extenders, &icons);
    return (places & 0xFF) | (extenders & 0xFF) << 8 | (icons & 0xFF) << 16;
}

LRESULT LibraryHandles() {
    auto counts = LibraryExport<void (*)(long*, long*, long*)>("GetLiveHandleCounts");
    if (!counts) return -1;
    long gdi = 0, icons = 0, menus = 0;
    counts(&gdi, &icons, &menus);
    return gdi + icons + menus;
}

LRESULT StartWatch() {
    auto start = LibraryExport<void (*)()>("StartFreedMemoryWatch");
    if (!start) return 0;
    start();
    return 1;
}

LRESULT StopWatch() {
    auto stop = LibraryExport<long (*)()>("StopFreedMemoryWatch");
    return stop ? stop() : -1;
}

// 1 when the latest test message ran the own procedure and each layer of the
// host's picture once and no other procedure; else 0x10000 | own runs | the
// first wrong slot + 1 << 4 | its runs << 12.
LRESULT TestRuns(HWND window, WPARAM number) {
    TWindow* w = Find(window);
    if (!w) return -1;
    if (w->runsNumber != number) return 0x10000;
    std::vector<int> chain = PicturedChain(*w, w->top);
    int own = w->runs[0];
    for (int s = 0; s < kSlots; ++s) {
        int want = std::find(chain.begin(), chain.end(), s) != chain.end() ? 1 : 0;
        if (w->runs[1 + s] != want) return 0x10000 | (own & 0xF) | (s + 1) << 4 | (w->runs[1 + s] & 0xF) << 12;
    }
    return own == 1 ? 1 : 0x10000 | (own & 0xF);
}

DWORD WINAPI TouchWindow(LPVOID parameter) {
    auto* p = static_cast<std::pair<HWND, DWORD>*>(parameter);
    Sleep(p->second);
    char text[256] = {};
    SendMessageTimeoutA(p->first, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000, nullptr);
    SendMessageTimeoutA(p->first, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000, nullptr);
    return 0;
}

// As a framework's modal wait: for another thread, handling only what is
// sent to the window's thread meanwhile; three seconds at most.
void WaitOnAnotherThread(HWND window, DWORD delay) {
    std::pair<HWND, DWORD> parameter{window, delay};
    HANDLE thread = CreateThread(nullptr, 0, &TouchWindow, &parameter, 0, nullptr);
    if (!thread) return;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 3000 &&
           MsgWaitForMultipleObjects(1, &thread, FALSE, 3000, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    // The thread uses `parameter`: it must be done before this frame goes.
    WaitForSingleObject(thread, 3000);
    CloseHandle(thread);
}

void React(HWND window, TReaction reaction) {
    switch (reaction) {
    case TReaction::Minimise:
        SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        break;
    case TReaction::Restore:
        SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        break;
    case TReaction::Close:
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case TReaction::Show:
        ShowWindow(window, SW_SHOWNORMAL);
        break;
    case TReaction::SetPos:
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        break;
    }
}

bool Fires(const TArming& arming, int message, WPARAM wParam) {
    if (arming.message != message || arming.left <= 0) return false;
    if (kArmedMessages[message] == WM_SHOWWINDOW && arming.when == 1 && wParam) return false;
    if (kArmedMessages[message] == WM_SHOWWINDOW && arming.when == 2 && !wParam) return false;
    return true;
}

// What the program does inside one of the armed messages, while the library
// serves the window (so inside the library's calls, mostly) and not already
// inside one of its own reactions. The window may be gone after it.
void OnArmedMessage(HWND window, UINT message, WPARAM wParam) {
    int index = static_cast<int>(std::find(std::begin(kArmedMessages), std::end(kArmedMessages), message) -
                                 std::begin(kArmedMessages));
    TWindow* w = Find(window);
    if (!w || w->reacting || !Extended(window)) return;
    if (Fires(w->destroy, index, wParam)) {
        w->destroy.left = 0;
        PostThreadMessageA(GetCurrentThreadId(), REPLACE_WINDOW_MESSAGE, static_cast<WPARAM>(w->index), 0);
        DestroyWindow(window);
        return;
    }
    if (Fires(w->wait, index, wParam)) {
        --w->wait.left;
        w->reacting = true;
        WaitOnAnotherThread(window, kWaitDelays[w->wait.what]);
        if (!(w = Find(window))) return;
        w->reacting = false;
    }
    if (Fires(w->reenter, index, wParam)) {
        --w->reenter.left;
        w->reacting = true;
        auto reaction = static_cast<TReaction>(w->reenter.what);
        for (int i = 0, n = w->reenter.count; i < n && IsWindow(window); ++i) React(window, reaction);
        if ((w = Find(window))) w->reacting = false;
    }
}

// After an attach, once the extender is in place: a layer that goes on top.
void OnAttached(HWND window) {
    if (TWindow* w = Find(window); w && w->layerAfterAttach >= 0) PostMessageA(window, INSTALL_LAYER_MESSAGE, 0, 0);
}

void InstallLayerAfterAttach(HWND window) {
    TWindow* w = Find(window);
    if (!w || w->layerAfterAttach < 0) return;
    int slot = FreeSlot(*w);
    if (slot >= 0) LayerOn(window, slot, static_cast<TLayerKind>(w->layerAfterAttach), false);
}

TArming ArmingOf(LPARAM argument) {
    auto a = static_cast<DWORD>(argument);
    TArming arming;
    arming.message = static_cast<int>(a & 0xFF) - 1;
    if (arming.message >= static_cast<int>(std::size(kArmedMessages))) arming.message = -1;
    arming.when = static_cast<int>((a >> 8) & 0xF);
    arming.what = static_cast<int>((a >> 12) & 0xF);
    arming.count = static_cast<int>((a >> 16) & 0xF);
    arming.left = static_cast<int>((a >> 20) & 0xF);
    return arming;
}

// Armed states, as bits: 1 a re-entry left, 2 that re-entry minimises, 4 a
// wait left, 8 a destroy left, 16 a layer after every attach, 32 a layer
// on, 64 a layer that is on is not in the host's picture (cut out).
LRESULT Armed(const TWindow& w) {
    LRESULT bits = 0;
    if (w.reenter.message >= 0 && w.reenter.left > 0) bits |= 1;
    if (bits & 1 && static_cast<TReaction>(w.reenter.what) == TReaction::Minimise) bits |= 2;
    if (w.wait.message >= 0 && w.wait.left > 0) bits |= 4;
    if (w.destroy.message >= 0 && w.destroy.left > 0) bits |= 8;
    if (w.layerAfterAttach >= 0) bits |= 16;
    std::vector<int> chain = PicturedChain(w, w.top);
    for (int s = 0; s < kSlots; ++s) {
        if (!w.layers[s].on) continue;
        bits |= 32;
        if (std::find(chain.begin(), chain.end(), s) == chain.end()) bits |= 64;
    }
    return bits;
}

// The window's chain as the host pictures it, for the test's failure text:
// written into the file the test names (lParam: an atom of its path).
LRESULT Describe(HWND window, LPARAM atom) {
    TWindow* w = Find(window);
    char path[MAX_PATH] = {};
    if (!w || !GlobalGetAtomNameA(static_cast<ATOM>(atom), path, sizeof path)) return 0;
    FILE* f = std::fopen(path, "w");
    if (!f) return 0;
    static const char* kinds[] = {"forward", "swallows registered", "answers registered", "swallows WM_NULL"};
    std::fprintf(f, "chain from the top:");
    for (int s : PicturedChain(*w, w->top)) std::fprintf(f, " layer %d (%s) ->", s, kinds[static_cast<int>(w->layers[s].kind)]);
    std::fprintf(f, " own; layers on:");
    for (int s = 0; s < kSlots; ++s)
        if (w->layers[s].on) std::fprintf(f, " %d%s", s, w->layers[s].savedOnce ? " (saved once)" : "");
    std::fprintf(f, "; runs of the last test message: own %d", w->runs[0]);
    for (int s = 0; s < kSlots; ++s)
        if (w->runs[1 + s]) std::fprintf(f, ", layer %d: %d", s, w->runs[1 + s]);
    std::fclose(f);
    return 1;
}

LRESULT AnswerQuery(HWND window, WPARAM what, LPARAM argument) {
    TWindow* w = Find(window);
    if (!w) return -1;
    auto a = static_cast<DWORD>(argument);
    switch (what) {
    case QUERY_LIBRARY_HANDLES:
        return LibraryHandles();
    case QUERY_BUSY:
        Sleep(a);
        return 0;
    case QUERY_TEST_RUNS:
        return TestRuns(window, static_cast<WPARAM>(argument));
    case QUERY_EXTENDED:
        return LibraryRecords(window, false);
    case QUERY_LIBRARY_RECORDS:
        return LibraryRecords(window, true);
    case QUERY_START_WATCH:
        return StartWatch();
    case QUERY_STOP_WATCH:
        return StopWatch();
    case QUERY_IN_PLACE: {
        RECT now{};
        GetWindowRect(window, &now);
        const RECT& made = w->created;
        return now.left == made.left && now.top == made.top && now.right == made.right && now.bottom == made.bottom;
    }
    case QUERY_LAYER_ON:
        return LayerOn(window, static_cast<int>(a & 0xFF), static_cast<TLayerKind>((a >> 8) & 0x3), (a >> 16) & 1);
    case QUERY_LAYER_OFF:
        return LayerOff(window, static_cast<int>(a & 0xFF));
    case QUERY_CUT_OUT:
        // Its own procedure back on top, whatever was over it: the library
        // and the layers are out of the chain.
        for (TLayer& layer : w->layers) layer.on = false;
        w->top = kOwn;
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
        return 1;
    case QUERY_REENTER:
        w->reenter = ArmingOf(argument);
        return 1;
    case QUERY_WAIT:
        w->wait = ArmingOf(argument);
        return 1;
    case QUERY_DESTROY:
        w->destroy = ArmingOf(argument);
        return 1;
    case QUERY_LAYER_AFTER_ATTACH:
        w->layerAfterAttach = static_cast<int>(a) - 1;
        return 1;
    case QUERY_ARMED:
        return Armed(*w);
    case QUERY_CLOSES:
        return w->closes;
    case QUERY_END:
        g_ending = true;
        for (const auto& [h, state] : g_windows) PostMessageA(h, WM_CLOSE, 0, 0);
        return 1;
    case QUERY_PLACED:
        return Placed(window);
    case QUERY_ITEMS:
        return Items();
    case QUERY_DESCRIBE:
        return Describe(window, argument);
    case QUERY_LAST_PING:
        return static_cast<LRESULT>(g_lastPing);
    case QUERY_RECORDS_APART:
        return RecordsApart(window);
    case QUERY_LAYERS_ON: {
        // The slots on, and those off that saved a procedure once (<< 16).
        LRESULT on = 0;
        for (int slot = 0; slot < kSlots; ++slot) {
            if (w->layers[slot].on) on |= LRESULT{1} << slot;
            if (!w->layers[slot].on && w->layers[slot].saved) on |= LRESULT{1} << (16 + slot);
        }
        return on;
    }
    default:
        return -1;
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CountRun(window, message, wParam, 0);
    if (message == TEST_MESSAGE) return 0;
    if (message == PING_MESSAGE) {
        g_lastPing = std::max(g_lastPing, wParam);
        return 0;
    }
    if (message == INSTALL_LAYER_MESSAGE) {
        InstallLayerAfterAttach(window);
        return 0;
    }
    if (message == g_attachedMessage) {
        OnAttached(window);
        return 0;
    }
    if (message == g_queryMessage) return AnswerQuery(window, wParam, lParam);
    switch (message) {
    case WM_SHOWWINDOW:
    case WM_WINDOWPOSCHANGING:
    case WM_ACTIVATE:
    case WM_SIZE:
        OnArmedMessage(window, message, wParam);
        if (!IsWindow(window)) return 0;
        break;
    case WM_CLOSE:
        if (TWindow* w = Find(window)) ++w->closes;
        if (!g_ending) return 0;
        break;
    case WM_NCDESTROY:
        g_windows.erase(window);
        if (--g_openTopLevel == 0 && g_ending) PostQuitMessage(0);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterWindowClass(const std::string& name) {
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name.c_str(), &wc)) return;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name.c_str();
    RegisterClassA(&wc);
}

// Four windows a row, apart, below the shell's tray window at the top left.
HWND OpenWindow(int index) {
    TOpening& o = g_openings[static_cast<std::size_t>(index)];
    RegisterWindowClass(o.cls);
    int x = 12 + (index % 4) * 252, y = 110 + (index / 4) * 230;
    std::string caption = o.generation ? o.caption + " #" + std::to_string(o.generation) : o.caption;
    // The record first: the window's first messages find it.
    HWND window = CreateWindowExA(0, o.cls.c_str(), caption.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 236, 190,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window) return nullptr;
    ++g_openTopLevel;
    TWindow& w = g_windows[window];
    w.index = index;
    w.cls = o.cls;
    w.caption = caption;
    w.layerAtCreation = o.layerAtCreation;
    GetWindowRect(window, &w.created);
    // Before any message loop: the extender's rule cannot have come yet.
    if (o.layerAtCreation) LayerOn(window, 0, TLayerKind::Forward, false);
    return window;
}

void RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!msg.hwnd && msg.message == REPLACE_WINDOW_MESSAGE) {
            if (msg.wParam < g_openings.size() && !g_ending) {
                ++g_openings[msg.wParam].generation;
                OpenWindow(static_cast<int>(msg.wParam));
            }
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

int main(int argc, char** argv) {
    g_attachedMessage = RegisterWindowMessageA("{D3A4FA4B-976F-4B40-9A0E-1E9BB97E6C39}");
    g_queryMessage = RegisterWindowMessageA("VPW_E2E_TargetQuery");
    if (argc < 3 || argc % 2 == 0) return 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string cls = argv[i];
        bool layer = cls[0] == '^';
        g_openings.push_back({layer ? cls.substr(1) : cls, argv[i + 1], layer});
    }
    for (int i = 0; i < static_cast<int>(g_openings.size()); ++i)
        if (!OpenWindow(i)) return 1;
    RunMessageLoop();
    return 0;
}
