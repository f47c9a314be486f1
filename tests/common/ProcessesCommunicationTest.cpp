#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <thread>

#include "ChannelPeer.h"
#include "ProcessesCommunication.h"
#include "WinTestSupport.h"

using namespace vpw;
using namespace vpw::test;
using Channel = TProcessesCommunication;

namespace {

// Every test on a channel of its own, apart from a control center that may run.
std::string UniqueBase() {
    static int n = 0;
    return "{vpw-channel-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n) + "}";
}

struct Sent {
    int result = -1;
    int replyResult = -1;
    int replyLength = -1;
    TChannelBuffer reply;
    std::string Text() const { return std::string(reply.begin(), reply.end()); }
};

Sent Send(Channel& channel, int command, const std::string& payload) {
    Sent s;
    s.result = channel.SendCommand(command, payload.size(), payload.data(), s.reply, s.replyLength, s.replyResult);
    return s;
}

// The block and the events opened by name, as any process of the desktop could.
struct RawChannel {
    HANDLE mapping = nullptr, newCommand = nullptr, complete = nullptr;
    char* view = nullptr;
    explicit RawChannel(const std::string& base) {
        mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, (base + "SharedMemory").c_str());
        if (mapping) view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        newCommand = OpenEventA(EVENT_ALL_ACCESS, FALSE, (base + "NewCommandEvent").c_str());
        complete = OpenEventA(EVENT_ALL_ACCESS, FALSE, (base + "CommandCompleteEvent").c_str());
    }
    ~RawChannel() {
        if (view) UnmapViewOfFile(view);
        for (HANDLE h : {mapping, newCommand, complete})
            if (h) CloseHandle(h);
    }
    bool Ok() const { return view && newCommand && complete; }
    std::int32_t Code() const {
        std::int32_t v;
        std::memcpy(&v, view, 4);
        return v;
    }
    void Write(std::int32_t code, std::int32_t length, const std::string& payload) {
        std::memcpy(view, &code, 4);
        std::memcpy(view + 4, &length, 4);
        std::memcpy(view + 8, payload.data(), payload.size());
    }
};

// The peer program serving a channel in another process.
class PeerServer {
public:
    explicit PeerServer(const std::string& base)
        : ready_(CreateEventA(nullptr, TRUE, FALSE, (base + "PeerReady").c_str())),
          process_(CHANNEL_PEER_EXE, {"server", base}) {}
    ~PeerServer() { CloseHandle(ready_); }
    bool Ready() { return process_.Started() && WaitForSingleObject(ready_, 10000) == WAIT_OBJECT_0; }

    // What the server took from the channel so far, in order.
    std::vector<std::int32_t> Log(Channel& channel) {
        Sent s = Send(channel, PEER_LOG, "");
        std::vector<std::int32_t> log(s.reply.size() / 4);
        if (!log.empty()) std::memcpy(log.data(), s.reply.data(), s.reply.size());
        return log;
    }

private:
    HANDLE ready_;
    ChildProcess process_;
};

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + 3);
    return s;
}

DWORD ElapsedSince(DWORD start) { return GetTickCount() - start; }

}  // namespace

TEST(ProcessesCommunication, CommandsAndRepliesBetweenProcesses) {
    std::string base = UniqueBase();
    PeerServer server(base);
    ASSERT_TRUE(server.Ready());
    Channel client(base);

    const std::string full = Pattern(Channel::MAX_DATA_LENGTH);
    struct Case {
        const char* what;
        int command;
        std::string payload;
        int result, replyResult;
        std::string reply;
    } cases[] = {
        {"text", PEER_ECHO, "hello", 0, PEER_ECHO + PEER_REPLY_OFFSET, "hello"},
        {"full block", PEER_ECHO, full, 0, PEER_ECHO + PEER_REPLY_OFFSET, full},
        {"no payload", PEER_ECHO, "", 0, PEER_ECHO + PEER_REPLY_OFFSET, ""},
        {"empty reply", PEER_EMPTY, "ignored", 0, -7, ""},
        {"reply too long", PEER_TOO_LONG, "", 1, 0, ""},
        {"no reply", 7, "x", 1, 0, ""},
        {"after time-outs", PEER_ECHO, std::string("a\0b", 3), 0, PEER_ECHO + PEER_REPLY_OFFSET,
         std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        Sent s = Send(client, c.command, c.payload);
        EXPECT_EQ(s.result, c.result) << c.what;
        EXPECT_EQ(s.replyResult, c.replyResult) << c.what;
        EXPECT_EQ(s.replyLength, static_cast<int>(c.reply.size())) << c.what;
        EXPECT_EQ(s.reply.size(), c.reply.size()) << c.what;
        EXPECT_TRUE(s.Text() == c.reply) << c.what;
    }
}

TEST(ProcessesCommunication, WithoutServer) {
    Channel client(UniqueBase());
    client.SetTimeout(2000);
    DWORD start = GetTickCount();
    Sent s = Send(client, PEER_ECHO, std::string(Channel::MAX_DATA_LENGTH + 1, 'x'));
    EXPECT_EQ(s.result, 2);
    EXPECT_LT(ElapsedSince(start), 500u) << "a payload over the capacity is refused before any wait";

    // The command lock is free and only the completion is waited for.
    client.SetTimeout(300);
    start = GetTickCount();
    s = Send(client, PEER_ECHO, "x");
    DWORD elapsed = ElapsedSince(start);
    EXPECT_EQ(s.result, 1);
    EXPECT_GE(elapsed, 280u);
    EXPECT_LT(elapsed, 590u);
    EXPECT_TRUE(s.reply.empty());
    EXPECT_EQ(s.replyLength, 0);
}

// A client that gives up must not leave its late reply to the next one, even
// when the next request is byte for byte the same.
TEST(ProcessesCommunication, LateReplyIsNotTakenByTheNextClient) {
    struct Case {
        const char* what;
        int command;
        std::string payload;
        int replyResult;
    } cases[] = {
        {"different request", PEER_ECHO, "B", PEER_ECHO + PEER_REPLY_OFFSET},
        {"same request", PEER_SLOW, "A", PEER_SLOW + PEER_REPLY_OFFSET},
    };
    for (const auto& c : cases) {
        std::string base = UniqueBase();
        PeerServer server(base);
        ASSERT_TRUE(server.Ready()) << c.what;
        Channel a(base), b(base);
        a.SetTimeout(100);
        b.SetTimeout(3000);

        EXPECT_EQ(Send(a, PEER_SLOW, "A").result, 1) << c.what;
        Sent s = Send(b, c.command, c.payload);
        EXPECT_EQ(s.result, 0) << c.what;
        EXPECT_EQ(s.replyResult, c.replyResult) << c.what;
        EXPECT_EQ(s.Text(), c.payload) << c.what;
        // The server saw two requests and nothing of its own writing.
        EXPECT_EQ(server.Log(b), (std::vector<std::int32_t>{PEER_SLOW, c.command})) << c.what;
    }
}

TEST(ProcessesCommunication, SecondClientWaitsForTheCommandLock) {
    std::string base = UniqueBase();
    PeerServer server(base);
    ASSERT_TRUE(server.Ready());
    RawChannel raw(base);
    ASSERT_TRUE(raw.Ok());

    Sent first;
    std::thread t([&] {
        Channel a(base);
        a.SetTimeout(3000);
        first = Send(a, PEER_SLOW, "A");
    });
    // The first client writes its request only while it holds the command lock.
    DWORD start = GetTickCount();
    while (raw.Code() != PEER_SLOW && ElapsedSince(start) < 5000) Sleep(5);

    Channel b(base);
    b.SetTimeout(100);
    EXPECT_EQ(Send(b, PEER_ECHO, "B").result, 1);
    t.join();
    EXPECT_EQ(first.result, 0);
    EXPECT_EQ(first.replyResult, PEER_SLOW + PEER_REPLY_OFFSET);
    EXPECT_EQ(first.Text(), "A");
    EXPECT_EQ(server.Log(b), std::vector<std::int32_t>{PEER_SLOW});
}

// Any process can write the length field: out of range it is a failure on
// both sides, and nothing is copied.
TEST(ProcessesCommunication, LengthOutsideTheBlockIsAFailure) {
    struct Case {
        std::int32_t length;
        int result;
    } cases[] = {{3, 0}, {-1, 2}, {INT32_MIN, 2}, {16377, 2}, {INT32_MAX, 2}};

    std::string base = UniqueBase();
    Channel server(base);
    server.SetTimeout(1000);
    RawChannel raw(base);
    ASSERT_TRUE(raw.Ok());
    for (const auto& c : cases) {
        raw.Write(100, c.length, "abc");
        SetEvent(raw.newCommand);
        int command = -1, length = -1;
        TChannelBuffer data;
        EXPECT_EQ(server.WaitForCommand(command, length, data), c.result) << c.length;
        EXPECT_EQ(command, c.result == 0 ? 100 : 0) << c.length;
        EXPECT_EQ(length, c.result == 0 ? 3 : 0) << c.length;
        EXPECT_EQ(std::string(data.begin(), data.end()), c.result == 0 ? "abc" : "") << c.length;
    }

    Channel client(base);
    client.SetTimeout(1000);
    for (const auto& c : cases) {
        std::thread fakeServer([&] {
            if (WaitForSingleObject(raw.newCommand, 2000) != WAIT_OBJECT_0) return;
            raw.Write(5, c.length, "xyz");
            SetEvent(raw.complete);
        });
        Sent s = Send(client, 1, "");
        fakeServer.join();
        EXPECT_EQ(s.result, c.result) << c.length;
        EXPECT_EQ(s.replyLength, c.result == 0 ? 3 : 0) << c.length;
        EXPECT_EQ(s.Text(), c.result == 0 ? "xyz" : "") << c.length;
    }
}

TEST(ProcessesCommunication, StartServerDropsLeftOverCommand) {
    std::string base = UniqueBase();
    Channel client(base);
    client.SetTimeout(100);
    // Sent while no server runs: the new-command signal stays set.
    ASSERT_EQ(Send(client, 3, "").result, 1);
    RawChannel raw(base);
    ASSERT_TRUE(raw.Ok());
    ASSERT_EQ(WaitForSingleObject(raw.newCommand, 0), WAIT_OBJECT_0);
    SetEvent(raw.newCommand);

    Channel server(base);
    server.SetTimeout(200);
    server.StartServer();
    int command = -1, length = -1;
    TChannelBuffer data;
    EXPECT_EQ(server.WaitForCommand(command, length, data), 1);
    EXPECT_EQ(command, 0);

    // Commands sent from now on are served.
    Sent s;
    std::thread t([&] {
        Channel fresh(base);
        fresh.SetTimeout(3000);
        s = Send(fresh, 9, "new");
    });
    server.SetTimeout(3000);
    EXPECT_EQ(server.WaitForCommand(command, length, data), 0);
    EXPECT_EQ(command, 9);
    server.Reply(1, 2, "ok");
    t.join();
    EXPECT_EQ(s.result, 0);
    EXPECT_EQ(s.Text(), "ok");
}

TEST(ProcessesCommunication, ObjectsThatCannotBeCreatedGiveFailure) {
    std::string base = UniqueBase();
    // The block's name is taken by an object of another kind.
    HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, (base + "SharedMemory").c_str());
    ASSERT_NE(squatter, nullptr);
    {
        Channel channel(base);
        channel.SetTimeout(100);
        EXPECT_EQ(Send(channel, 1, "abcd").result, 2);
        int command = -1, length = -1;
        TChannelBuffer data;
        EXPECT_EQ(channel.WaitForCommand(command, length, data), 2);
        channel.Reply(1, 4, "abcd");
    }
    CloseHandle(squatter);
}
