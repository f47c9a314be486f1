// Benchmark (not a test): the round trip of a rule lookup (command 1) over
// the command channel to the real control center with 1, 100 and 1000
// rules in its file, beside the channel's own floor (command 1 with a 3-byte
// payload, answered -1 without a lookup, taken in turns with the lookups)
// and a bare event ping-pong between two processes.
//   bench_command_channel.exe [LOOKUPS]
// The looked-up window matches only the last rule, so every lookup walks
// the whole list.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchmarkSupport.h"
#include "ControlCenterTestSupport.h"

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kTargetClass[] = "VpwBenchTarget";
constexpr char kPing[] = "VpwBenchPing";
constexpr char kPong[] = "VpwBenchPong";

// Each line runs for at most this long, whatever the count asked for.
constexpr DWORD kLineBudget = 20000;

void Report(const char* what, std::vector<double> samples, int failures = 0) {
    if (samples.empty()) {
        std::printf("%-34s no samples\n", what);
        return;
    }
    double sum = 0;
    for (double s : samples) sum += s;
    std::printf("%-34s median %8.1f   mean %8.1f   p95 %8.1f   (%zu round trips", what, Median(samples),
                sum / samples.size(), Percentile(samples, 95), samples.size());
    if (failures) std::printf(", %d more timed out", failures);
    std::printf(")\n");
}

// The other side of the ping-pong: answers every ping with a pong.
int Pong() {
    HANDLE ping = CreateEventA(nullptr, FALSE, FALSE, kPing);
    HANDLE pong = CreateEventA(nullptr, FALSE, FALSE, kPong);
    while (WaitForSingleObject(ping, 5000) == WAIT_OBJECT_0) SetEvent(pong);
    return 0;
}

std::vector<double> PingPong(int count) {
    HANDLE ping = CreateEventA(nullptr, FALSE, FALSE, kPing);
    HANDLE pong = CreateEventA(nullptr, FALSE, FALSE, kPong);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ChildProcess peer(self, {"pong"});
    std::vector<double> samples;
    if (!peer.Started()) return samples;
    // The first exchanges also wait for the peer to start.
    for (int i = 0; i < 50; ++i) {
        SetEvent(ping);
        WaitForSingleObject(pong, 10000);
    }
    DWORD start = GetTickCount();
    for (int i = 0; i < count && GetTickCount() - start < kLineBudget; ++i) {
        LARGE_INTEGER a = Now();
        SetEvent(ping);
        if (WaitForSingleObject(pong, 5000) != WAIT_OBJECT_0) break;
        samples.push_back(Microseconds(a, Now()));
    }
    CloseHandle(ping);
    CloseHandle(pong);
    return samples;
}

struct TLookupRun {
    std::vector<double> lookups, floor;
    int failures = 0;
};

TLookupRun Lookups(int rules, HWND target, int count) {
    TLookupRun run;
    std::vector<std::pair<std::string, std::string>> list;
    for (int i = 1; i < rules; ++i) list.emplace_back("Rule " + std::to_string(i), "VpwBenchOther" + std::to_string(i));
    list.emplace_back("Rule " + std::to_string(rules), kTargetClass);
    CenterFolder folder;
    folder.WriteConfig(RulesConfig(list));
    ChildProcess center(folder.Path(kCenterExe), {}, folder.Dir());
    if (!center.Started() || !WaitUntilServing(60000)) {
        std::printf("the control center did not start with %d rules\n", rules);
        return run;
    }
    TProcessesCommunication client(CONTROL_CENTER_CHANNEL_NAME);
    std::vector<char> payload = WindowPayload(target);
    const char badPayload[3] = {};
    // One round trip: true when it got the reply the request deserves.
    auto once = [&](bool lookup) -> bool {
        TChannelBuffer reply;
        int length = 0, code = 0;
        if (lookup)
            return client.SendCommand(CMD_GET_WINDOW_RULE, payload.size(), payload.data(), reply, length, code) ==
                       0 &&
                   code == CMD_REPLY_DONE && length > 0;
        return client.SendCommand(CMD_GET_WINDOW_RULE, sizeof badPayload, badPayload, reply, length, code) == 0 &&
               code == CMD_REPLY_BAD_REQUEST;
    };
    auto timed = [&](bool lookup, std::vector<double>& samples) {
        LARGE_INTEGER a = Now();
        bool ok = once(lookup);
        LARGE_INTEGER b = Now();
        if (ok)
            samples.push_back(Microseconds(a, b));
        else
            ++run.failures;
    };
    for (int i = 0; i < 5; ++i) once(true), once(false);
    DWORD start = GetTickCount();
    for (int i = 0; i < count && GetTickCount() - start < kLineBudget; ++i) {
        timed(true, run.lookups);
        timed(false, run.floor);
    }
    SendToCenter(CMD_STOP_CONTROL_CENTER);
    center.Wait(10000);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "pong") return Pong();
    int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

    ChildProcess owner(ModuleDir() + WINDOW_OWNER_EXE, {kTargetClass, "Bench Target"});
    HWND target = WaitForWindow(kTargetClass, "Bench Target");
    if (!target) {
        std::printf("the window to look up did not appear\n");
        return 1;
    }
    std::printf("round trips in microseconds\n");
    std::vector<double> medians, floors;
    for (int rules : {1, 100, 1000}) {
        std::string what = "command 1, " + std::to_string(rules) + (rules == 1 ? " rule" : " rules");
        TLookupRun run = Lookups(rules, target, count);
        Report(what.c_str(), run.lookups, run.failures);
        Report("  floor: 3-byte payload, answered -1", run.floor);
        medians.push_back(Median(run.lookups));
        floors.push_back(Median(run.floor));
        std::fflush(stdout);
    }
    Report("event ping-pong, two processes", PingPong(count));
    if (medians[0] > 0 && floors[0] > 0) {
        std::printf("ratio 1 rule / floor:        %5.2f   (bound 2)\n", medians[0] / floors[0]);
        std::printf("ratio 100 rules / 1 rule:    %5.2f\n", medians[1] / medians[0]);
        std::printf("ratio 1000 rules / 1 rule:   %5.2f   (bound 1.5)\n", medians[2] / medians[0]);
    }
    return 0;
}
