#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "AppConsts.h"
#include "SubclassMessages.h"
#include "WinTestSupport.h"

using namespace vpw;

TEST(AppMessages, AnotherProcessGetsTheSameNumbers) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string file = std::string(dir) + "vpw-messages-" + std::to_string(GetCurrentProcessId()) + ".txt";
    test::ChildProcess peer(CHANNEL_PEER_EXE, {"messages", file});
    ASSERT_EQ(peer.Wait(10000), 0u);
    unsigned n[5] = {};
    FILE* f = std::fopen(file.c_str(), "r");
    ASSERT_NE(f, nullptr);
    int read = std::fscanf(f, "%u %u %u %u %u", &n[0], &n[1], &n[2], &n[3], &n[4]);
    std::fclose(f);
    DeleteFileA(file.c_str());
    ASSERT_EQ(read, 5);

    UINT mine[5] = {WM_TRAYICONNOTIFY, WM_EXTENDERATTACHED, WM_ATTACHEXTENDER, WM_DETACHEXTENDER,
                    WM_SUBCLASSREPLACED};
    std::set<UINT> distinct;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(n[i], mine[i]) << i;
        // Registered, not the fallback: the system's range of named messages.
        EXPECT_GE(mine[i], 0xC000u) << i;
        EXPECT_LE(mine[i], 0xFFFFu) << i;
        distinct.insert(mine[i]);
    }
    EXPECT_EQ(distinct.size(), 5u);
}

namespace {
std::vector<std::string> asked;
std::set<std::string> refused;
// Stands in for the system: refuses some names, numbers the others by call.
UINT FakeRegister(const char* name) {
    asked.push_back(name);
    return refused.count(name) ? 0 : 50000 + static_cast<UINT>(asked.size() - 1);
}
}  // namespace

TEST(AppMessages, FallbackWhenRegistrationIsRefused) {
    const std::vector<std::string> names = {WM_TRAYICONNOTIFY_NAME, WM_EXTENDERATTACHED_NAME,
                                            WM_ATTACHEXTENDER_NAME, WM_DETACHEXTENDER_NAME};
    struct Case {
        std::set<std::string> refused;
        std::vector<UINT> numbers;
    } cases[] = {
        {{}, {50000, 50001, 50002, 50003}},
        {{names.begin(), names.end()}, {33668, 33669, 33670, 33671}},
        {{WM_ATTACHEXTENDER_NAME}, {50000, 50001, 33670, 50003}},
    };
    for (const auto& c : cases) {
        asked.clear();
        refused = c.refused;
        TAppMessageNumbers m = RegisterAppMessages(FakeRegister);
        EXPECT_EQ((std::vector<UINT>{m.TrayIconNotify, m.ExtenderAttached, m.AttachExtender, m.DetachExtender}),
                  c.numbers);
        EXPECT_EQ(asked, names);
    }

    asked.clear();
    refused = {};
    EXPECT_EQ(RegisterSubclassReplacedMessage(FakeRegister), 50000u);
    EXPECT_EQ(asked, std::vector<std::string>{"C4C786E5-5A66-4F41-8581-5F80061C52EC"});
    refused = {"C4C786E5-5A66-4F41-8581-5F80061C52EC"};
    EXPECT_EQ(RegisterSubclassReplacedMessage(FakeRegister), 33257u);
}

// A handle from a process of the other bitness widens as the system's
// LongToHandle does: sign-extended, so that -1 and handles with the top bit
// set come back as themselves.
TEST(WireHandles, WidenSignExtendedAndNarrowToTheLow32Bits) {
    struct Case {
        TWireHandle wire;
        std::intptr_t handle;
    } cases[] = {
        {0u, 0},
        {0x00010086u, 0x00010086},
        {0x7FFFFFFFu, 0x7FFFFFFF},
        {0xFFFFFFFFu, -1},
        {0x80000000u, static_cast<std::intptr_t>(INT32_MIN)},
    };
    for (const auto& c : cases) {
        HWND window = WireToHandle<HWND>(c.wire);
        EXPECT_EQ(reinterpret_cast<std::intptr_t>(window), c.handle) << std::hex << c.wire;
        EXPECT_EQ(HandleToWire(window), c.wire) << std::hex << c.wire;
    }
    EXPECT_EQ(WireToHandle<HANDLE>(HandleToWire(INVALID_HANDLE_VALUE)), INVALID_HANDLE_VALUE);
}
