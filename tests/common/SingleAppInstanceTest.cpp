#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "SingleAppInstance.h"
#include "WinTestSupport.h"

using namespace vpw;

namespace {

// A name of our own per test, so that runs and tests never meet.
std::string UniqueName(const char* tag) {
    return "{vpw-single-" + std::string(tag) + "-" + std::to_string(GetCurrentProcessId()) + "}";
}

// The ids as they stand in the named block, or {0, 0} without one.
std::pair<DWORD, DWORD> ReadBlock(const std::string& name) {
    HANDLE m = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (!m) return {0, 0};
    std::pair<DWORD, DWORD> ids{0, 0};
    if (const void* v = MapViewOfFile(m, FILE_MAP_READ, 0, 0, 8)) {
        std::memcpy(&ids.first, v, 4);
        std::memcpy(&ids.second, static_cast<const char*>(v) + 4, 4);
        UnmapViewOfFile(v);
    }
    CloseHandle(m);
    return ids;
}

struct Event {
    explicit Event(const std::string& name) : h(CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {}
    ~Event() { CloseHandle(h); }
    HANDLE h;
};

// Waits until process `pid` has registered under `name` (the block exists
// a moment before the ids are written).
bool WaitForRegistration(const std::string& name, DWORD pid, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    do {
        if (ReadBlock(name).first == pid) return true;
        Sleep(20);
    } while (GetTickCount() - start < ms);
    return false;
}

}  // namespace

TEST(SingleAppInstance, FirstInstanceRegistersAndOthersLearnItsIds) {
    const std::string name = UniqueName("first");
    TSingleAppInstance first(name);
    EXPECT_FALSE(first.IsAnotherInstanceRunning());
    EXPECT_FALSE(first.CheckAndRegister());
    EXPECT_EQ(ReadBlock(name), std::make_pair(GetCurrentProcessId(), GetCurrentThreadId()));

    // The same process asking again finds only itself, also from another object.
    EXPECT_FALSE(first.CheckAndRegister());
    TSingleAppInstance again(name);
    EXPECT_FALSE(again.CheckAndRegister());
    EXPECT_FALSE(again.IsAnotherInstanceRunning());
    EXPECT_EQ(again.StoredProcessId(), GetCurrentProcessId());

    // Another process finds us, with both calls.
    test::ChildProcess peer(PEER_EXE, {"check", name, std::to_string(GetCurrentProcessId()),
                                       std::to_string(GetCurrentThreadId())});
    ASSERT_TRUE(peer.Started());
    EXPECT_EQ(peer.Wait(10000), 0u);
    // The peer only looked: the block is still ours.
    EXPECT_EQ(ReadBlock(name), std::make_pair(GetCurrentProcessId(), GetCurrentThreadId()));
}

TEST(SingleAppInstance, NameDisappearsWithTheFirstInstance) {
    const std::string name = UniqueName("ends");
    Event quit(name + ".quit");
    {
        test::ChildProcess peer(PEER_EXE, {"hold", name});
        ASSERT_TRUE(peer.Started());
        ASSERT_TRUE(WaitForRegistration(name, peer.Id()));
        TSingleAppInstance second(name);
        EXPECT_TRUE(second.CheckAndRegister());
        EXPECT_EQ(second.StoredProcessId(), peer.Id());
        SetEvent(quit.h);
        EXPECT_EQ(peer.Wait(10000), 0u);
    }
    EXPECT_EQ(ReadBlock(name), std::make_pair(DWORD(0), DWORD(0)));
    TSingleAppInstance next(name);
    EXPECT_FALSE(next.IsAnotherInstanceRunning());
    EXPECT_FALSE(next.CheckAndRegister());
    EXPECT_EQ(ReadBlock(name), std::make_pair(GetCurrentProcessId(), GetCurrentThreadId()));
}

TEST(SingleAppInstance, ActivateBringsBackOnlyAVisibleWindow) {
    struct Case {
        const char* show;
        bool visible;
        bool answers;  // the first instance handles its messages
    } cases[] = {
        {"hidden", false, true},
        {"minimized", true, true},
        {"hung", true, false},  // minimised, and it never answers
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.show);
        const std::string name = UniqueName(c.show);
        Event quit(name + ".quit");
        test::ChildProcess peer(PEER_EXE, {"hold", name, c.show});
        ASSERT_TRUE(peer.Started());
        ASSERT_TRUE(WaitForRegistration(name, peer.Id()));
        HWND w = test::WaitForWindow("Static", ("peer " + name).c_str());
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(IsWindowVisible(w) != FALSE, c.visible);

        TSingleAppInstance second(name);
        ASSERT_TRUE(second.CheckAndRegister());
        // On a thread of its own, so that a hang fails the case instead of the run.
        HANDLE activated = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread activate([&] {
            second.ActivateAnotherInstance();
            SetEvent(activated);
        });
        EXPECT_EQ(WaitForSingleObject(activated, 3000), WAIT_OBJECT_0) << "a hung first instance holds up the second";
        if (c.answers) {
            EXPECT_TRUE(test::PumpUntil([&] { return !IsIconic(w); }, 3000));
            EXPECT_EQ(IsWindowVisible(w) != FALSE, c.visible);  // a hidden window stays hidden
            EXPECT_EQ(GetForegroundWindow() == w, c.visible);
        }
        SetEvent(quit.h);
        activate.join();
        CloseHandle(activated);
        EXPECT_EQ(peer.Wait(10000), 0u);
    }
}

TEST(SingleAppInstance, InstancesStartingTogetherRegisterOnlyOne) {
    const std::string name = UniqueName("race");
    constexpr int kPeers = 6;
    Event start(name + ".start"), quit(name + ".quit");
    HANDLE done = CreateSemaphoreA(nullptr, 0, kPeers, (name + ".done").c_str());
    ASSERT_NE(done, nullptr);
    std::unique_ptr<test::ChildProcess> peers[kPeers];
    for (auto& p : peers) {
        p = std::make_unique<test::ChildProcess>(PEER_EXE, std::vector<std::string>{"race", name});
        ASSERT_TRUE(p->Started());
    }
    Sleep(500);  // let them all reach the start line
    SetEvent(start.h);
    for (int i = 0; i < kPeers; ++i) ASSERT_EQ(WaitForSingleObject(done, 20000), WAIT_OBJECT_0);
    SetEvent(quit.h);
    int registered = 0;
    for (auto& p : peers) {
        DWORD code = p->Wait(10000);
        ASSERT_TRUE(code == 0 || code == 1) << code;
        registered += code == 0;
    }
    EXPECT_EQ(registered, 1);
    CloseHandle(done);
}
