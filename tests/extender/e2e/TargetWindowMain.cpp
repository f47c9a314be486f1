// A program with windows of its own classes, for the end-to-end tests and the
// benchmark: the hook library comes into it only through the system's hook.
//
//   vpw_e2e_target.exe open CLASS[/CHILDCLASS] CAPTION [CLASS[/CHILDCLASS] CAPTION]...
//       shows the windows (each with a child of CHILDCLASS when given) and
//       runs until all of them are closed. A CLASS written "~CLASS" makes a
//       hidden window owned by the first one; one written "^CLASS" is
//       subclassed by the program itself as soon as it is made.
//   vpw_e2e_target.exe hostile BEHAVIOUR CLASS CAPTION [CLASS CAPTION]...
//       the same windows side by side, none over another, with what the
//       program does to their chains and its thread (see THostile).
//   vpw_e2e_target.exe many CLASS COUNT MS
//       opens COUNT windows at once; all of them must be attached within MS.
//   vpw_e2e_target.exe cycle CLASS COUNT attach|none|hooked
//       opens and closes COUNT windows one after another; "attach" waits for
//       the extender of each, "none" and "hooked" make sure none comes
//       ("hooked": the hook library must be loaded all the same).
//   vpw_e2e_target.exe bench-messages CLASS COUNT RESULTFILE attach|none
//       the cost of one sent message to a window of CLASS, in nanoseconds.
//   vpw_e2e_target.exe bench-pair PLAINCLASS RULECLASS COUNT RESULTFILE
//       the same for a window without and one with an extender, measured
//       in alternating rounds so that both see the same load; and the
//       median of the rounds' ratios.
//   vpw_e2e_target.exe bench-attach CLASS COUNT RESULTFILE
//       the time from creating a window until its extender is attached.
//   vpw_e2e_target.exe bench-memory CLASS RESULTFILE attach|none
//       the committed private memory that opening one window of CLASS adds
//       to this process (attached first, with "attach"), and the pages of
//       the hook library's image that are this process's own (0 without the
//       library), in bytes.
//
// Exit codes: 0 done; 1 bad arguments; 2 a window was not attached; 3 a
// window was attached though none should be; 4 the hook library is not
// loaded; 5 a window did not close.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "BenchmarkSupport.h"
#include "WinTestSupport.h"

namespace {

using vpw::test::Median;
using vpw::test::Now;
using vpw::test::PumpUntil;
using vpw::test::Seconds;

// Queries the tests send to a window (wParam): how often the extender was
// attached, whether the window procedure is still the program's own,
// whether the hook library is loaded in this process, how many close
// commands (SC_CLOSE) reached the program's procedure, how many GDI objects,
// icons and menus the hook library holds here; a request that the program
// post WM_CLOSE to the window itself; and one that it take its own subclass
// away by writing back the procedure it replaced (1 when it had one).
// Posted, one that the program's thread do nothing for lParam ms. How often
// the program's procedures ran for the test message numbered lParam: the
// most any one of them ran, 0 when the window's own did not run. Through
// the test build of the hook library: whether it has an extender for the
// window, how many records it holds (extenders, the window's listing, rule
// texts in transit), and a freed-memory watch on this thread, started, and
// stopped with the number of freed blocks written to since. Whether the
// window is where and as large as it was made (1) or not (0).
constexpr WPARAM QUERY_ATTACHED = 0;
constexpr WPARAM QUERY_SUBCLASSED = 1;
constexpr WPARAM QUERY_LIBRARY_LOADED = 2;
constexpr WPARAM QUERY_CLOSE_COMMANDS = 3;
constexpr WPARAM QUERY_POST_CLOSE = 4;
constexpr WPARAM QUERY_LIBRARY_HANDLES = 5;
constexpr WPARAM QUERY_REMOVE_OWN_SUBCLASS = 6;
constexpr WPARAM QUERY_BUSY = 7;
constexpr WPARAM QUERY_TEST_RUNS = 8;
constexpr WPARAM QUERY_EXTENDED = 9;
constexpr WPARAM QUERY_LIBRARY_RECORDS = 10;
constexpr WPARAM QUERY_START_WATCH = 11;
constexpr WPARAM QUERY_STOP_WATCH = 12;
constexpr WPARAM QUERY_IN_PLACE = 13;
constexpr UINT BENCH_MESSAGE = WM_USER + 1;
constexpr UINT TEST_MESSAGE = WM_USER + 2;  // wParam: its number
constexpr UINT INSTALL_LAYER_MESSAGE = WM_USER + 3;

// What the program of "hostile" does besides showing its windows.
enum class THostile {
    None,
    Forward,     // subclasses each window at once and passes everything on
    Swallow,     // subclasses on top of the extender and drops registered messages
    Answer,      // the same, answering them with 1 itself
    Cut,         // as Forward; asked, it writes back the procedure it replaced
    Resubclass,  // subclasses on top again after every attach
    Busy,        // nothing but what the tests post (QUERY_BUSY)
    Waits,       // waits on another thread, which talks to the window, when shown or hidden
};
THostile g_hostile = THostile::None;

UINT g_attachedMessage = 0;
UINT g_queryMessage = 0;
int g_openTopLevel = 0;

struct TWindowState {
    int attached = 0;
    int closeCommands = 0;
    LARGE_INTEGER attachedAt{};
    RECT created{};
};
std::map<HWND, TWindowState> g_windows;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The program's own subclasses of a window, first (lowest) to last; each
// place has its own procedure, so that each knows what it replaced.
enum class TLayerKind { Forward, Swallow, Answer };
struct TLayer {
    WNDPROC below;
    TLayerKind kind;
};
constexpr int kMaxLayers = 8;
// A chain that calls itself ends at this depth of one place, so that the
// test sees the count instead of a dead program.
constexpr int kMaxDepth = 40;
std::map<HWND, std::vector<TLayer>> g_layers;
int g_depth[kMaxLayers] = {};

// How often each procedure of the window ran for the latest test message:
// [0] the window's own, [1 + n] layer n.
struct TRuns {
    WPARAM number = 0;
    int runs[kMaxLayers + 1] = {};
};
std::map<HWND, TRuns> g_runs;

void CountRun(HWND window, UINT message, WPARAM number, int procedure) {
    if (message != TEST_MESSAGE) return;
    TRuns& r = g_runs[window];
    if (r.number != number) r = TRuns{number, {}};
    ++r.runs[procedure];
}

// The most any procedure ran; 0 when the window's own did not run though
// none ran more than once.
LRESULT TestRuns(HWND window, WPARAM number) {
    const TRuns& r = g_runs[window];
    if (r.number != number) return 0;
    int most = *std::max_element(std::begin(r.runs), std::end(r.runs));
    return most > 1 ? most : r.runs[0];
}

LRESULT AnswerQuery(HWND window, WPARAM what, LPARAM argument);

bool ForeignRegistered(UINT message) { return message >= 0xC000 && message <= 0xFFFF && message != g_queryMessage; }

template <int N>
LRESULT CALLBACK LayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CountRun(window, message, wParam, N + 1);
    // The tests' questions are answered whatever the chain below does.
    if (message == g_queryMessage) return AnswerQuery(window, wParam, lParam);
    auto it = g_layers.find(window);
    if (it == g_layers.end() || static_cast<int>(it->second.size()) <= N)
        return DefWindowProcA(window, message, wParam, lParam);
    const TLayer layer = it->second[N];  // the list may grow during the call
    if (ForeignRegistered(message) && layer.kind == TLayerKind::Swallow) return 0;
    if (ForeignRegistered(message) && layer.kind == TLayerKind::Answer) return 1;
    if (g_depth[N] >= kMaxDepth) return 0;
    ++g_depth[N];
    LRESULT result = CallWindowProcA(layer.below, window, message, wParam, lParam);
    --g_depth[N];
    return result;
}

template <int... N>
constexpr std::array<WNDPROC, sizeof...(N)> LayerProcs(std::integer_sequence<int, N...>) {
    return {&LayerProc<N>...};
}
constexpr auto kLayerProcs = LayerProcs(std::make_integer_sequence<int, kMaxLayers>());

void InstallLayer(HWND window, TLayerKind kind) {
    std::vector<TLayer>& layers = g_layers[window];
    int n = static_cast<int>(layers.size());
    if (n >= kMaxLayers) return;
    layers.push_back({nullptr, kind});
    layers[n].below = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kLayerProcs[n])));
}

// Writes back what the first layer replaced; 1 when there was one.
LRESULT RemoveOwnSubclass(HWND window) {
    auto it = g_layers.find(window);
    if (it == g_layers.end() || it->second.empty()) return 0;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.front().below));
    return 1;
}

// After an attach, once the extender is in place: the layers that go on top.
void OnAttached(HWND window) {
    bool first = g_layers[window].empty();
    if (g_hostile == THostile::Resubclass || (first && (g_hostile == THostile::Swallow || g_hostile == THostile::Answer)))
        PostMessageA(window, INSTALL_LAYER_MESSAGE, 0, 0);
}

void InstallHostileLayer(HWND window) {
    TLayerKind kind = g_hostile == THostile::Swallow ? TLayerKind::Swallow
                      : g_hostile == THostile::Answer ? TLayerKind::Answer
                                                      : TLayerKind::Forward;
    InstallLayer(window, kind);
}

DWORD WINAPI TouchWindow(LPVOID window) {
    char text[256] = {};
    HWND w = static_cast<HWND>(window);
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000, nullptr);
    SendMessageTimeoutA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000, nullptr);
    return 0;
}

// As a framework's modal wait: for another thread, handling only what is
// sent to the window meanwhile; two seconds at most.
void WaitOnAnotherThread(HWND window) {
    HANDLE thread = CreateThread(nullptr, 0, &TouchWindow, window, 0, nullptr);
    if (!thread) return;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 2000 &&
           MsgWaitForMultipleObjects(1, &thread, FALSE, 2000, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(thread);
}

template <class F>
F LibraryExport(const char* name) {
    HMODULE library = GetModuleHandleA("vpwemb.dll");
    return library ? reinterpret_cast<F>(GetProcAddress(library, name)) : nullptr;
}

LRESULT LibraryRecords(HWND window, bool ownOnly) {
    using TRecords = void (*)(HWND, long*, long*, long*, long*);
    auto records = LibraryExport<TRecords>("GetLibraryRecords");
    if (!records) return -1;
    long own = 0, extenders = 0, listed = 0, pending = 0;
    records(window, &own, &extenders, &listed, &pending);
    return ownOnly ? own : extenders + listed + pending;
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

// The GDI objects, icons and menus the hook library holds in this
// process; -1 without the library.
LRESULT LibraryHandles() {
    using TCounts = void (*)(long*, long*, long*);
    HMODULE library = GetModuleHandleA("vpwemb.dll");
    auto counts = library ? reinterpret_cast<TCounts>(GetProcAddress(library, "GetLiveHandleCounts")) : nullptr;
    if (!counts) return -1;
    long gdi = 0, icons = 0, menus = 0;
    counts(&gdi, &icons, &menus);
    return gdi + icons + menus;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BENCH_MESSAGE) return 0;
    CountRun(window, message, wParam, 0);
    if (message == TEST_MESSAGE) return 0;
    if (message == INSTALL_LAYER_MESSAGE) {
        InstallHostileLayer(window);
        return 0;
    }
    if (message == g_attachedMessage) {
        TWindowState& state = g_windows[window];
        if (state.attached++ == 0) state.attachedAt = Now();
        OnAttached(window);
        return 0;
    }
    if (message == g_queryMessage) return AnswerQuery(window, wParam, lParam);
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) ++g_windows[window].closeCommands;
        break;
    case WM_CREATE:
        g_windows[window];
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) ++g_openTopLevel;
        break;
    case WM_SHOWWINDOW:
        if (g_hostile == THostile::Waits) WaitOnAnotherThread(window);
        break;
    case WM_NCDESTROY:
        g_windows.erase(window);
        g_layers.erase(window);
        g_runs.erase(window);
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD) && --g_openTopLevel == 0) PostQuitMessage(0);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT AnswerQuery(HWND window, WPARAM what, LPARAM argument) {
    switch (what) {
    case QUERY_ATTACHED:
        return g_windows[window].attached;
    case QUERY_SUBCLASSED:
        return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) != &WindowProc;
    case QUERY_LIBRARY_LOADED:
        return GetModuleHandleA("vpwemb.dll") != nullptr;
    case QUERY_CLOSE_COMMANDS:
        return g_windows[window].closeCommands;
    case QUERY_LIBRARY_HANDLES:
        return LibraryHandles();
    case QUERY_POST_CLOSE:
        return PostMessageA(window, WM_CLOSE, 0, 0);
    case QUERY_REMOVE_OWN_SUBCLASS:
        return RemoveOwnSubclass(window);
    case QUERY_BUSY:
        Sleep(static_cast<DWORD>(argument));
        return 0;
    case QUERY_TEST_RUNS:
        return TestRuns(window, static_cast<WPARAM>(argument));
    case QUERY_EXTENDED:
        return LibraryRecords(window, true);
    case QUERY_LIBRARY_RECORDS:
        return LibraryRecords(window, false);
    case QUERY_START_WATCH:
        return StartWatch();
    case QUERY_STOP_WATCH:
        return StopWatch();
    case QUERY_IN_PLACE: {
        RECT now{};
        const RECT& made = g_windows[window].created;
        GetWindowRect(window, &now);
        return now.left == made.left && now.top == made.top && now.right == made.right && now.bottom == made.bottom;
    }
    default:
        return -1;
    }
}

void RegisterWindowClass(const std::string& name) {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name.c_str();
    RegisterClassA(&wc);
}

HWND OpenWindowAt(const std::string& cls, const std::string& caption, const RECT& r) {
    RegisterWindowClass(cls);
    HWND window = CreateWindowExA(0, cls.c_str(), caption.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    if (window) GetWindowRect(window, &g_windows[window].created);
    return window;
}

HWND OpenWindow(const std::string& cls, const std::string& caption, int index) {
    int at = 120 + 40 * index;
    return OpenWindowAt(cls, caption, RECT{at, at, at + 420, at + 260});
}

void RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int Open(int argc, char** argv) {
    if (argc < 4 || argc % 2) return 1;
    HWND first = nullptr;
    for (int i = 2, index = 0; i + 1 < argc; i += 2, ++index) {
        std::string classes = argv[i];  // CLASS or CLASS/CHILDCLASS
        std::string cls = classes.substr(0, classes.find('/'));
        HWND window = nullptr;
        if (cls[0] == '~' && first) {
            RegisterWindowClass(cls.substr(1));
            window = CreateWindowExA(0, cls.c_str() + 1, argv[i + 1], WS_OVERLAPPEDWINDOW, 60, 60, 300, 200, first,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
        } else if (cls[0] == '^') {
            // Before any message loop: the extender's rule cannot have come yet.
            window = OpenWindow(cls.substr(1), argv[i + 1], index);
            if (window) InstallLayer(window, TLayerKind::Forward);
        } else {
            window = OpenWindow(cls, argv[i + 1], index);
        }
        if (!window) return 1;
        if (!first) first = window;
        if (classes.find('/') != std::string::npos) {
            std::string child = classes.substr(classes.find('/') + 1);
            RegisterWindowClass(child);
            CreateWindowExA(0, child.c_str(), "child", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 120, window,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
        }
    }
    RunMessageLoop();
    return 0;
}

bool ParseHostile(const std::string& name) {
    static const std::map<std::string, THostile> names{
        {"forward", THostile::Forward}, {"swallow", THostile::Swallow},       {"answer", THostile::Answer},
        {"cut", THostile::Cut},         {"resubclass", THostile::Resubclass}, {"busy", THostile::Busy},
        {"waits", THostile::Waits}};
    auto it = names.find(name);
    if (it == names.end()) return false;
    g_hostile = it->second;
    return true;
}

// Three windows a row, apart, so that a click on one never lands on another.
int Hostile(int argc, char** argv) {
    if (argc < 5 || argc % 2 == 0 || !ParseHostile(argv[2])) return 1;
    for (int i = 3, index = 0; i + 1 < argc; i += 2, ++index) {
        int x = 20 + (index % 3) * 330, y = 90 + (index / 3) * 290;
        HWND window = OpenWindowAt(argv[i], argv[i + 1], RECT{x, y, x + 310, y + 230});
        if (!window) return 1;
        if (g_hostile == THostile::Forward || g_hostile == THostile::Cut) InstallLayer(window, TLayerKind::Forward);
    }
    RunMessageLoop();
    return 0;
}

int Many(const std::string& cls, int count, DWORD ms) {
    std::vector<HWND> windows;
    for (int i = 0; i < count; ++i) {
        HWND window = OpenWindow(cls, "many " + std::to_string(i + 1), i % 8);
        if (!window) return 1;
        windows.push_back(window);
    }
    bool all = PumpUntil(
        [&windows] {
            return std::all_of(windows.begin(), windows.end(), [](HWND w) { return g_windows[w].attached > 0; });
        },
        ms);
    for (HWND window : windows) DestroyWindow(window);
    return all ? 0 : 2;
}

int Cycle(const std::string& cls, int count, const std::string& expect) {
    bool wantAttach = expect == "attach";
    for (int i = 0; i < count; ++i) {
        HWND window = OpenWindow(cls, "cycle " + std::to_string(i + 1), 0);
        if (!window) return 1;
        auto attached = [window] { return g_windows[window].attached > 0; };
        if (wantAttach) {
            if (!PumpUntil(attached, 10000)) return 2;
        } else {
            PumpUntil([] { return false; }, 20);
            if (attached()) return 3;
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (!PumpUntil([window] { return !IsWindow(window); }, 5000)) return 5;
    }
    if (expect == "hooked" && !GetModuleHandleA("vpwemb.dll")) return 4;
    return 0;
}

bool WriteResult(const char* path, const std::string& text) {
    FILE* f = std::fopen(path, "w");
    if (!f) return false;
    std::fputs(text.c_str(), f);
    std::fclose(f);
    return true;
}

int BenchMessages(const std::string& cls, int count, const char* resultFile, bool waitAttach) {
    HWND window = OpenWindow(cls, "bench messages", 0);
    if (!window) return 1;
    if (waitAttach && !PumpUntil([window] { return g_windows[window].attached > 0; }, 10000)) return 2;
    PumpUntil([] { return false; }, 200);
    // The median of several rounds: the machine may be busy with other work.
    std::vector<double> rounds;
    for (int r = 0; r < 7; ++r) {
        LARGE_INTEGER start = Now();
        for (int i = 0; i < count; ++i) SendMessageA(window, BENCH_MESSAGE, 0, 0);
        rounds.push_back(Seconds(start, Now()) * 1e9 / count);
    }
    char line[128];
    std::snprintf(line, sizeof line, "%.1f %d\n", Median(rounds), g_windows[window].attached);
    DestroyWindow(window);
    return WriteResult(resultFile, line) ? 0 : 1;
}

double RoundCost(HWND window, int count) {
    LARGE_INTEGER start = Now();
    for (int i = 0; i < count; ++i) SendMessageA(window, BENCH_MESSAGE, 0, 0);
    return Seconds(start, Now()) * 1e9 / count;
}

int BenchPair(const std::string& plainClass, const std::string& ruleClass, int count, const char* resultFile) {
    HWND plain = OpenWindow(plainClass, "bench plain", 0);
    HWND extended = OpenWindow(ruleClass, "bench extended", 1);
    if (!plain || !extended) return 1;
    if (!PumpUntil([extended] { return g_windows[extended].attached > 0; }, 10000)) return 2;
    PumpUntil([] { return false; }, 200);
    std::vector<double> plainRounds, extendedRounds, ratios;
    for (int r = 0; r < 9; ++r) {
        // Each goes first in every other round.
        double p = 0, e = 0;
        if (r % 2) {
            e = RoundCost(extended, count);
            p = RoundCost(plain, count);
        } else {
            p = RoundCost(plain, count);
            e = RoundCost(extended, count);
        }
        plainRounds.push_back(p);
        extendedRounds.push_back(e);
        ratios.push_back(e / p);
    }
    char line[128];
    std::snprintf(line, sizeof line, "%.1f %.1f %.3f\n", Median(plainRounds), Median(extendedRounds), Median(ratios));
    DestroyWindow(plain);
    DestroyWindow(extended);
    return WriteResult(resultFile, line) ? 0 : 1;
}

// What Wine reports instead of a private usage: the committed private pages.
unsigned long long CommittedPrivateBytes() {
    unsigned long long total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (static_cast<const char*>(info.BaseAddress) + info.RegionSize < at) break;  // wrapped
    }
    return total;
}

// The resident pages of the hook library's image that belong to this process
// alone, not shared with its file or another process. Windows maps an image
// from its file and shares it; Wine copies an image whose sections are not
// aligned to pages in the file (as mingw links them) into the process's
// own memory, which VirtualQuery still calls MEM_IMAGE, not MEM_PRIVATE.
unsigned long long LibraryImageOwnBytes() {
    HMODULE library = GetModuleHandleA("vpwemb.dll");
    if (!library) return 0;
    MODULEINFO module{};
    if (!GetModuleInformation(GetCurrentProcess(), library, &module, sizeof module)) return 0;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    std::vector<PSAPI_WORKING_SET_EX_INFORMATION> pages(module.SizeOfImage / system.dwPageSize);
    for (size_t i = 0; i < pages.size(); ++i)
        pages[i].VirtualAddress = static_cast<char*>(module.lpBaseOfDll) + i * system.dwPageSize;
    if (!QueryWorkingSetEx(GetCurrentProcess(), pages.data(), static_cast<DWORD>(pages.size() * sizeof pages[0])))
        return 0;
    unsigned long long own = 0;
    for (const auto& page : pages)
        if (page.VirtualAttributes.Valid && !page.VirtualAttributes.Shared) own += system.dwPageSize;
    return own;
}

int BenchMemory(const std::string& cls, const char* resultFile, bool waitAttach) {
    // Before the first window: the hook has not brought the library in yet.
    unsigned long long before = CommittedPrivateBytes();
    if (GetModuleHandleA("vpwemb.dll")) return 4;
    HWND window = OpenWindow(cls, "bench memory", 0);
    if (!window) return 1;
    if (waitAttach && !PumpUntil([window] { return g_windows[window].attached > 0; }, 10000)) return 2;
    PumpUntil([] { return false; }, 300);
    char line[64];
    std::snprintf(line, sizeof line, "%llu %llu\n", CommittedPrivateBytes() - before, LibraryImageOwnBytes());
    DestroyWindow(window);
    return WriteResult(resultFile, line) ? 0 : 1;
}

int BenchAttach(const std::string& cls, int count, const char* resultFile) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        LARGE_INTEGER created = Now();
        HWND window = OpenWindow(cls, "bench attach", 0);
        LARGE_INTEGER returned = Now();
        if (!window) return 1;
        if (!PumpUntil([window] { return g_windows[window].attached > 0; }, 10000)) return 2;
        // Both from the call that creates the window: until it returns, and
        // until the extender is attached.
        char line[64];
        std::snprintf(line, sizeof line, "%.3f %.3f\n", Seconds(created, g_windows[window].attachedAt) * 1e3,
                      Seconds(created, returned) * 1e3);
        text += line;
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (!PumpUntil([window] { return !IsWindow(window); }, 5000)) return 5;
    }
    return WriteResult(resultFile, text) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    g_attachedMessage = RegisterWindowMessageA("{D3A4FA4B-976F-4B40-9A0E-1E9BB97E6C39}");
    g_queryMessage = RegisterWindowMessageA("VPW_E2E_TargetQuery");
    if (argc < 2) return 1;
    std::string mode = argv[1];
    if (mode == "open") return Open(argc, argv);
    if (mode == "hostile") return Hostile(argc, argv);
    if (mode == "many" && argc == 5) return Many(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (mode == "cycle" && argc == 5) return Cycle(argv[2], std::atoi(argv[3]), argv[4]);
    if (mode == "bench-messages" && argc == 6)
        return BenchMessages(argv[2], std::atoi(argv[3]), argv[4], std::string(argv[5]) == "attach");
    if (mode == "bench-pair" && argc == 6) return BenchPair(argv[2], argv[3], std::atoi(argv[4]), argv[5]);
    if (mode == "bench-attach" && argc == 5) return BenchAttach(argv[2], std::atoi(argv[3]), argv[4]);
    if (mode == "bench-memory" && argc == 5) return BenchMemory(argv[2], argv[3], std::string(argv[4]) == "attach");
    return 1;
}
