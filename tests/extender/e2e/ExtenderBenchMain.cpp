// Benchmark (not a test): what the hook library costs a program.
//   bench_extender.exe [MESSAGES] [WINDOWS]
// The cost of one message sent to a window (MESSAGES per round, the median
// of seven rounds): in this process without and with an extender attached
// directly (the library's own share); then in the test program with no hook
// installed, with a hook that only passes the call on (what the system's
// hook dispatch costs by itself), with the library's hook but no rule for
// the window, and with an extender attached (one stay-on-top caption
// button, the window-message triggers with roll-up and saved placement);
// the last two also side by side in alternating rounds, which see the same
// load. Then the time from creating a window until its extender is
// attached, over WINDOWS windows. The test program's runs go against the
// real control center and hook library, copied with a configuration file
// into a folder of their own. Each figure is also given as a ratio to its
// floor measured in the same run: the hook's cost to a hook that only passes
// on; the attach time to one command-1 round trip plus one hand-off to
// another thread's window; the memory the library adds (the committed
// private memory one window adds beyond what it adds without the library,
// and the pages of the library's image that are the program's own) to 1 MiB.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BenchmarkSupport.h"
#include "EndToEndSupport.h"
#include "uEAGeneralClasses.h"
#include "uEALoadClasses.h"
#include "uEAOperations.h"
#include "uEAWindowExtender.h"

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kRuleClass[] = "VPW_Bench_Rule";
constexpr char kPlainClass[] = "VPW_Bench_Plain";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the test program in one bench mode; its result file's text, or empty.
std::string RunTarget(const std::vector<std::string>& args, const std::string& resultFile) {
    DeleteFileA(resultFile.c_str());
    auto target = StartTarget(ModuleDir(), args);
    DWORD code = target->Wait(300000);
    if (code != 0) {
        std::printf("  the test program failed (exit code %lu)\n", code);
        return {};
    }
    return ReadFile(resultFile);
}

// What the rule's window-message triggers add to a descriptor, as the
// control center renders the configuration below.
const std::string kMessageTriggers =
    "\\ACTION=WINDOWROLLUPACTION{\\NAME=WindowRollup\\SAVECURRENTOPERATION=no\\}"
    "\\ACTION=SAVESIZEPOSACTION{\\NAME=SaveSizePos\\SAVECURRENTOPERATION=no\\}"
    "\\TRIGGER=WMCREATEMESSAGETRIGGER{\\LAG_ENABLED=no\\LAG_INTERVAL=0\\AGENT={\\NAME=RestoreSizePosAgent"
    "\\ACTIONNAME=SaveSizePos\\ACTIONKIND=concrete\\OPERATIONNAME=RESTORESIZEPOS}}"
    "\\TRIGGER=WMDESTROYMESSAGETRIGGER{\\LAG_ENABLED=no\\LAG_INTERVAL=0\\AGENT={\\NAME=SaveSizePosAgent"
    "\\ACTIONNAME=SaveSizePos\\ACTIONKIND=concrete\\OPERATIONNAME=SAVESIZEPOS}}"
    "\\TRIGGER=SCMINIMIZEMESSAGETRIGGER{\\LAG_ENABLED=no\\LAG_INTERVAL=0\\AGENT={\\NAME=MinimizeEventAgent"
    "\\ACTIONNAME=\\ACTIONKIND=next}}"
    "\\TRIGGER=SCDEFAULTMESSAGETRIGGER{\\LAG_ENABLED=no\\LAG_INTERVAL=0\\AGENT={\\NAME=WindowRollupSCDefaultAgent_JRY"
    "\\ACTIONNAME=WindowRollup\\ACTIONKIND=next}}"
    "\\TRIGGER=WMACTIVATEWINDOWMESSAGETRIGGER{\\LAG_ENABLED=no\\LAG_INTERVAL=250\\AGENT={\\NAME=WMActivateWindowEvent"
    "\\ACTIONNAME=WindowRollup\\ACTIONKIND=concrete\\OPERATIONNAME=WINDOWUNROLL}}"
    "\\TRIGGER=WMINACTIVATEWINDOWMESSAGETRIGGER{\\LAG_ENABLED=yes\\LAG_INTERVAL=1000\\AGENT={\\NAME=WMInActivateWindowEvent"
    "\\ACTIONNAME=WindowRollup\\ACTIONKIND=concrete\\OPERATIONNAME=WINDOWROLLUP}}";

// The stay-on-top caption button with the template's message triggers and
// the actions they drive switched on.
std::string BenchConfig() {
    auto on = [](const char* element, const char* name, const char* type, const std::string& content = {}) {
        return ItemXml(element, name, type, {{"enabled", "yes"}}, content);
    };
    return RulesConfig(
        {{"Bench Rule", kRuleClass,
          ItemXml("action", "StayOnTopForCaptionButton", "STAYONTOPACTION",
                  {{"enabled", "yes"}, {"save_current_operation", "no"}}) +
              on("action", "WindowRollup", "WINDOWROLLUPACTION") + on("action", "SaveSizePos", "SAVESIZEPOSACTION"),
          on("trigger", "CaptionButtons", "CAPTIONBUTTONTRIGGER",
             AgentsXml(on("agent", "StayOnTopCaptionButton", "CAPTIONBUTTONAGENT"))) +
              on("trigger", "SCDefaultMessageTrigger", "SCDEFAULTMESSAGETRIGGER",
                 AgentsXml(on("agent", "WindowRollupSCDefaultAgent_JRY", "MESSAGEAGENT"))) +
              on("trigger", "ActivateWindowMessageTrigger", "WMACTIVATEWINDOWMESSAGETRIGGER") +
              on("trigger", "InActivateWindowMessageTrigger", "WMINACTIVATEWINDOWMESSAGETRIGGER")}});
}

LRESULT CALLBACK QuietProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

double MedianMessageCost(HWND window, int messages) {
    std::vector<double> rounds;
    for (int r = 0; r < 7; ++r) {
        LARGE_INTEGER start = Now();
        for (int i = 0; i < messages; ++i) SendMessageA(window, WM_USER + 1, 0, 0);
        rounds.push_back(Elapsed(start, Now(), 1e9) / messages);
    }
    return Median(rounds);
}

// The library's own share: the same extender built and attached in this
// process, with no system hook in the way.
void InProcessExtenderCost(int messages, double& bare, double& extended) {
    CreateItemClasses();
    RegisterEAOperationClasses();
    RegisterEAWindowExtenderClasses();
    RegisterEAItemClasses();
    WNDCLASSA wc{};
    wc.lpfnWndProc = &QuietProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VPW_Bench_InProcess";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    bare = MedianMessageCost(window, messages);
    IPtr<IWindowExtender> extender = Supports<IWindowExtender>(CreateEAItemByClassName(
        "\\WINDOWRULENAME=Bench\\ACTION=STAYONTOPACTION{\\NAME=StayOnTopForCaptionButton\\SAVECURRENTOPERATION=no\\}"
        "\\TRIGGER=CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=StayOnTopCaptionButton\\ACTIONNAME=StayOnTopForCaptionButton"
        "\\ACTIONKIND=next\\OPERATIONNAME=}}" +
            kMessageTriggers,
        "WINDOWEXTENDER"));
    extended = -1;
    if (extender) {
        extender->SetOwner(nullptr);
        extender->Connect();
        extender->AttachWindow(window);
        extended = MedianMessageCost(window, messages);
        extender->DetachWindow();
        extender->Disconnect();
        extender->ReleaseOwner();
        extender = nullptr;
    }
    DestroyWindow(window);
    FreeItemClasses();
}

// One command 1 to the running control center and its answer.
double MedianRoundTrip(int count) {
    TProcessesCommunication client(CONTROL_CENTER_CHANNEL_NAME);
    auto handle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(GetDesktopWindow()));
    std::vector<double> samples;
    for (int i = 0; i < count; ++i) {
        TChannelBuffer reply;
        int length = 0, code = 0;
        LARGE_INTEGER a = Now();
        if (client.SendCommand(CMD_GET_WINDOW_RULE, sizeof handle, &handle, reply, length, code) == 0)
            samples.push_back(Milliseconds(a, Now()));
    }
    return Median(samples, -1);
}

// One message handed from this thread to a window of another thread, until
// that window's procedure has it.
struct THandOff {
    HANDLE received = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    LARGE_INTEGER at{};
    HWND window = nullptr;
};
THandOff* g_handOff = nullptr;

LRESULT CALLBACK HandOffProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        g_handOff->at = Now();
        SetEvent(g_handOff->received);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI HandOffThread(LPVOID) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &HandOffProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VPW_Bench_HandOff";
    RegisterClassA(&wc);
    // Message-only: no hook attaches to it.
    g_handOff->window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        wc.hInstance, nullptr);
    SetEvent(g_handOff->ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (g_handOff->window) DestroyWindow(g_handOff->window);
    return 0;
}

double MedianHandOff(int count) {
    THandOff handOff;
    g_handOff = &handOff;
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, &HandOffThread, nullptr, 0, &threadId);
    std::vector<double> samples;
    if (thread && WaitForSingleObject(handOff.ready, 5000) == WAIT_OBJECT_0 && handOff.window) {
        for (int i = 0; i < count; ++i) {
            LARGE_INTEGER a = Now();
            SendNotifyMessageA(handOff.window, WM_APP, 0, 0);
            if (WaitForSingleObject(handOff.received, 5000) != WAIT_OBJECT_0) break;
            samples.push_back(Milliseconds(a, handOff.at));
        }
    }
    if (thread) {
        PostThreadMessageA(threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
    }
    CloseHandle(handOff.received);
    CloseHandle(handOff.ready);
    g_handOff = nullptr;
    return Median(samples, -1);
}

// Bytes: the committed private memory one window of CLASS adds to the test
// program, and the pages of the library's image that are the program's own.
struct TMemory {
    double committed = -1, image = -1;
};

TMemory MemoryOf(const char* cls, const char* mode, const std::string& resultFile) {
    std::istringstream text(RunTarget({"bench-memory", cls, resultFile, mode}, resultFile));
    TMemory memory;
    if (!(text >> memory.committed >> memory.image)) memory = TMemory{};
    return memory;
}

double MessageCost(const char* cls, int messages, bool attach, const std::string& resultFile) {
    std::string text = RunTarget({"bench-messages", cls, std::to_string(messages), resultFile,
                                  attach ? "attach" : "none"},
                                 resultFile);
    return text.empty() ? -1 : std::atof(text.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    int messages = argc > 1 ? std::atoi(argv[1]) : 20000;
    int windows = argc > 2 ? std::atoi(argv[2]) : 30;
    if (messages <= 0 || windows <= 0) {
        std::printf("usage: bench_extender.exe [MESSAGES] [WINDOWS]\n");
        return 1;
    }
    if (FindWindowA("VPW_CommandCenterHandlerWindow", nullptr)) {
        std::printf("a control center is running already; stop it first\n");
        return 1;
    }
    std::string bin = ModuleDir() + BIN_FROM_TESTS;
    TSystemFolder system(bin, BenchConfig());
    if (!system.Copied()) {
        std::printf("cannot copy the control center and the hook library from %s\n", bin.c_str());
        return 1;
    }
    std::string result = system.Dir() + "result.txt";

    std::printf("cost of one sent message (ns, median of 7 rounds of %d):\n", messages);
    double bare = MessageCost(kRuleClass, messages, false, result);
    auto ratio = [bare](double v) { return bare > 0 && v > 0 ? v / bare : 0.0; };
    std::printf("  no hook installed            %10.1f\n", bare);

    TMemory memoryBare = MemoryOf(kRuleClass, "none", result);

    double inBare = 0, inExtended = 0;
    InProcessExtenderCost(messages, inBare, inExtended);
    std::printf("  in one process, no hook:     %10.1f   extender attached %.1f (+%.1f)\n", inBare, inExtended,
                inExtended - inBare);

    // Any system-wide hook, before the library does anything, and the
    // library's hook with no rule, taken in turns: the cost of the system's
    // hook dispatch drifts with the load of the machine.
    HMODULE nullHook = LoadLibraryA((ModuleDir() + "bench_null_hook.dll").c_str());
    auto nullProc = nullHook ? reinterpret_cast<HOOKPROC>(GetProcAddress(nullHook, "CallProcHook")) : nullptr;
    std::vector<double> passOns, hookeds;
    for (int turn = 0; turn < 3; ++turn) {
        if (HHOOK hook = nullProc ? SetWindowsHookExA(WH_CALLWNDPROC, nullProc, nullHook, 0) : nullptr) {
            passOns.push_back(MessageCost(kRuleClass, messages, false, result));
            UnhookWindowsHookEx(hook);
        }
        if (!system.StartCenter()) {
            std::printf("the control center did not start\n");
            return 1;
        }
        hookeds.push_back(MessageCost(kPlainClass, messages, false, result));
        if (turn < 2) system.StopCenter();
    }
    double passOn = Median(passOns), hooked = Median(hookeds);
    double extended = MessageCost(kRuleClass, messages, true, result);
    std::printf("  a hook that only passes on   %10.1f   (x%.2f)\n", passOn, ratio(passOn));
    std::printf("  hooked, no rule              %10.1f   (x%.2f)\n", hooked, ratio(hooked));
    std::printf("  hooked, extender attached    %10.1f   (x%.2f)\n", extended, ratio(extended));
    // The hooked window without a rule is what a pass-through hook costs;
    // alternating rounds in one program see the same load.
    std::istringstream pair(
        RunTarget({"bench-pair", kPlainClass, kRuleClass, std::to_string(messages), result}, result));
    double pairPlain = 0, pairExtended = 0, pairRatio = 0;
    if (pair >> pairPlain >> pairExtended >> pairRatio)
        std::printf("  side by side, alternating:   no rule %.1f   extender %.1f   (x%.3f, median of the rounds' ratios)\n",
                    pairPlain, pairExtended, pairRatio);
    if (passOn > 0 && hooked > 0)
        std::printf("ratio hooked, no rule / a hook that only passes on: %.3f   (bound 1.05; medians of 3 turns)\n",
                    hooked / passOn);

    std::string text = RunTarget({"bench-attach", kRuleClass, std::to_string(windows), result}, result);
    std::vector<double> latencies, creations;
    std::istringstream lines(text);
    for (double v, c; lines >> v >> c;) {
        latencies.push_back(v);
        creations.push_back(c);
    }
    if (latencies.empty()) {
        std::printf("no attach time measured\n");
    } else {
        std::sort(latencies.begin(), latencies.end());
        double sum = 0, median = Median(latencies);
        for (double v : latencies) sum += v;
        std::printf("window creation until the extender is attached (ms, %zu windows):\n", latencies.size());
        std::printf("  min %.2f   median %.2f   mean %.2f   max %.2f\n", latencies.front(), median,
                    sum / latencies.size(), latencies.back());
        std::printf("  of which the call that creates the window: median %.2f\n", Median(creations));
        double roundTrip = MedianRoundTrip(200), handOff = MedianHandOff(200);
        double floor = roundTrip + handOff;
        double bound = std::max(10.0, 3 * floor);
        std::printf("  floor: command 1 round trip %.3f + hand-off to a window's thread %.3f = %.3f ms\n", roundTrip,
                    handOff, floor);
        std::printf("ratio attach median / floor: %.2f   (median %.2f ms; bound %.2f ms: 10 ms or 3 x floor)\n",
                    median / floor, median, bound);
    }
    TMemory memoryHooked = MemoryOf(kPlainClass, "none", result);
    TMemory memoryAttached = MemoryOf(kRuleClass, "attach", result);
    if (memoryBare.committed > 0 && memoryAttached.committed > 0) {
        double committed = (memoryAttached.committed - memoryBare.committed) / 1024.0;
        double image = memoryAttached.image / 1024.0;
        std::printf("committed private memory one window adds: %.0f KiB without the library, %.0f KiB with it and "
                    "no rule, %.0f KiB attached\n",
                    memoryBare.committed / 1024.0, memoryHooked.committed / 1024.0, memoryAttached.committed / 1024.0);
        std::printf("the library's image, pages of the program's own: %.0f KiB with no rule, %.0f KiB attached\n",
                    memoryHooked.image / 1024.0, image);
        std::printf("ratio memory the library adds / 1 MiB: %.2f   (%.0f KiB committed + %.0f KiB of its image = "
                    "%.0f KiB; bound 1)\n",
                    (committed + image) / 1024.0, committed, image, committed + image);
    }
    system.StopCenter();
    return 0;
}
