// The command server thread in this process, against a client of the real
// channel and a rule lookup that the test controls.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "AppConsts.h"
#include "ProcessesCommunication.h"
#include "uControlCenterThread.h"

using namespace vpw;

namespace {

// Answers one window with a fixed text; throws for another.
class TFakeControlCenter : public TDebugInterfacedObject, public IControlCenter {
public:
    TFakeControlCenter(HWND match, std::string text, HWND throwing = nullptr)
        : match_(match), text_(std::move(text)), throwing_(throwing) {}
    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<IControlCenter>(this, iid, out) || TDebugInterfacedObject::QueryInterface(iid, out);
    }
    int AddRef() override { return TDebugInterfacedObject::AddRef(); }
    int Release() override { return TDebugInterfacedObject::Release(); }
    void GetWindowRuleData(HWND window, std::string& text) override {
        if (throwing_ && window == throwing_) throw std::runtime_error("lookup failed");
        text = window == match_ ? text_ : window == kHuge ? HugeText() : std::string();
    }
    static inline const HWND kHuge = reinterpret_cast<HWND>(0x000DEF00);
    static std::string HugeText() { return std::string(TProcessesCommunication::MAX_DATA_LENGTH + 1, 'x'); }

private:
    HWND match_;
    std::string text_;
    HWND throwing_;
};

struct TReply {
    int result = -100;
    int code = 0;
    int length = 0;
    std::string data;
};

TReply Send(int command, const std::vector<char>& payload, DWORD timeout = 500) {
    TProcessesCommunication client(CONTROL_CENTER_CHANNEL_NAME);
    client.SetTimeout(timeout);
    TChannelBuffer reply;
    TReply r;
    r.result = client.SendCommand(command, payload.size(), payload.empty() ? nullptr : payload.data(), reply,
                                  r.length, r.code);
    r.data.assign(reply.begin(), reply.end());
    return r;
}

std::vector<char> WindowPayload(HWND window) {
    auto raw = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
    std::vector<char> p(4);
    std::memcpy(p.data(), &raw, 4);
    return p;
}

const HWND kMatching = reinterpret_cast<HWND>(0x00012340);
const HWND kOther = reinterpret_cast<HWND>(0x00056780);
const HWND kThrowing = reinterpret_cast<HWND>(0x0009ABC0);
const std::string kRuleData = "\\WINDOWRULENAME=Rule 1\\ACTION=STAYONTOPACTION{\\NAME=A}";

// A running server thread whose events count what it was asked to do.
class ServerThread : public ::testing::Test {
protected:
    void SetUp() override {
        thread_ = std::make_unique<TControlCenterThread>();
        thread_->OnStart = [this] {
            startThread_ = GetCurrentThreadId();
            SetEvent(serving_);
        };
        thread_->OnReloadConfig = [this] { ++reloads_; };
        thread_->OnStopControlCenter = [this] { ++stops_; };
        thread_->OnApplySettings = [this] { ++settings_; };
        thread_->OnRuleServed = [this] { ++served_; };
        IPtr<TFakeControlCenter> facet(new TFakeControlCenter(kMatching, kRuleData, kThrowing));
        thread_->SetControlCenter(facet.get());
        thread_->Resume();
        // Commands sent before the server starts are dropped on purpose.
        ASSERT_EQ(WaitForSingleObject(serving_, 5000), WAIT_OBJECT_0);
    }
    void TearDown() override {
        thread_.reset();
        CloseHandle(serving_);
    }

    std::unique_ptr<TControlCenterThread> thread_;
    HANDLE serving_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> startThread_{0};
    std::atomic<int> reloads_{0}, stops_{0}, settings_{0}, served_{0};
};

TEST_F(ServerThread, AnswersEachCommandAsItsTableSays) {
    struct Case {
        const char* what;
        int command;
        std::vector<char> payload;
        int result, code;
        std::string data;
        int reloads, stops, settings, served;
    } cases[] = {
        {"rule for a matching window", CMD_GET_WINDOW_RULE, WindowPayload(kMatching), 0, CMD_REPLY_DONE, kRuleData,
         0, 0, 0, 1},
        {"no rule for another window", CMD_GET_WINDOW_RULE, WindowPayload(kOther), 0, CMD_REPLY_DONE, "", 0, 0, 0, 0},
        {"no payload", CMD_GET_WINDOW_RULE, {}, 0, CMD_REPLY_BAD_REQUEST, "", 0, 0, 0, 0},
        {"3 bytes", CMD_GET_WINDOW_RULE, {1, 2, 3}, 0, CMD_REPLY_BAD_REQUEST, "", 0, 0, 0, 0},
        {"8 bytes", CMD_GET_WINDOW_RULE, {1, 2, 3, 4, 5, 6, 7, 8}, 0, CMD_REPLY_BAD_REQUEST, "", 0, 0, 0, 0},
        {"reload", CMD_RELOAD_CONFIG, {9}, 0, CMD_REPLY_DONE, "", 1, 0, 0, 0},
        {"stop", CMD_STOP_CONTROL_CENTER, {}, 0, CMD_REPLY_DONE, "", 0, 1, 0, 0},
        {"settings", CMD_APPLY_SETTINGS, {}, 0, CMD_REPLY_DONE, "", 0, 0, 1, 0},
        {"unknown command: no reply", 7, {}, TProcessesCommunication::RESULT_TIMEOUT, 0, "", 0, 0, 0, 0},
        {"rule text longer than the block", CMD_GET_WINDOW_RULE, WindowPayload(TFakeControlCenter::kHuge), 0,
         CMD_REPLY_BAD_REQUEST, "", 0, 0, 0, 0},
        {"lookup that throws: no reply", CMD_GET_WINDOW_RULE, WindowPayload(kThrowing),
         TProcessesCommunication::RESULT_TIMEOUT, 0, "", 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reloads_ = stops_ = settings_ = served_ = 0;
        TReply r = Send(c.command, c.payload);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.length, static_cast<int>(c.data.size()));
        EXPECT_EQ(r.data, c.data);
        // The action follows the reply; the next command is served after it.
        Send(CMD_GET_WINDOW_RULE, WindowPayload(kOther));
        EXPECT_EQ(reloads_, c.reloads);
        EXPECT_EQ(stops_, c.stops);
        EXPECT_EQ(settings_, c.settings);
        EXPECT_EQ(served_, c.served);
    }
    EXPECT_EQ(startThread_, thread_->ThreadID());
}

TEST_F(ServerThread, RepliesBeforeItActs) {
    // The action waits for the client to have its reply: were the reply sent
    // afterwards, the client would time out.
    HANDLE replied = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> sawReply{false};
    auto waitForReply = [&] { sawReply = WaitForSingleObject(replied, 3000) == WAIT_OBJECT_0; };
    for (int command : {CMD_RELOAD_CONFIG, CMD_STOP_CONTROL_CENTER, CMD_APPLY_SETTINGS}) {
        SCOPED_TRACE(command);
        ResetEvent(replied);
        sawReply = false;
        thread_->OnReloadConfig = thread_->OnStopControlCenter = thread_->OnApplySettings = waitForReply;
        TReply r = Send(command, {});
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.code, CMD_REPLY_DONE);
        SetEvent(replied);
        Send(CMD_GET_WINDOW_RULE, WindowPayload(kOther), 4000);
        EXPECT_TRUE(sawReply);
    }
    CloseHandle(replied);
}

TEST_F(ServerThread, LooksUpThroughTheFacetItHoldsNow) {
    // A reload on the server thread swaps the facet; without one every
    // lookup is empty.
    IPtr<TFakeControlCenter> next(new TFakeControlCenter(kOther, "\\WINDOWRULENAME=Next"));
    thread_->OnReloadConfig = [&] { thread_->SetControlCenter(next.get()); };
    ASSERT_EQ(Send(CMD_RELOAD_CONFIG, {}).result, 0);
    EXPECT_EQ(Send(CMD_GET_WINDOW_RULE, WindowPayload(kOther)).data, "\\WINDOWRULENAME=Next");
    EXPECT_EQ(Send(CMD_GET_WINDOW_RULE, WindowPayload(kMatching)).length, 0);

    thread_->OnReloadConfig = [&] { thread_->ReleaseControlCenter(); };
    ASSERT_EQ(Send(CMD_RELOAD_CONFIG, {}).result, 0);
    TReply r = Send(CMD_GET_WINDOW_RULE, WindowPayload(kOther));
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.code, CMD_REPLY_DONE);
    EXPECT_EQ(r.length, 0);
    EXPECT_EQ(served_, 1);
}

TEST(ServerThreadLife, EndsWithinOneWaitWhenAskedAndAtOnceWhenStopped) {
    struct Case {
        const char* what;
        bool stop;
        DWORD within;
    } cases[] = {{"Terminate: noticed after the current wait", false, 1500}, {"Stop: the wait ends at once", true, 200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TControlCenterThread thread;
        HANDLE serving = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread.OnStart = [&] { SetEvent(serving); };
        thread.Resume();
        ASSERT_EQ(WaitForSingleObject(serving, 5000), WAIT_OBJECT_0);
        CloseHandle(serving);
        ASSERT_EQ(Send(CMD_GET_WINDOW_RULE, WindowPayload(kOther)).result, 0);
        DWORD t0 = GetTickCount();
        if (c.stop)
            thread.Stop();
        else
            thread.Terminate();
        thread.WaitFor();
        EXPECT_LT(GetTickCount() - t0, c.within);
        EXPECT_TRUE(thread.Finished());
    }
}

}  // namespace
