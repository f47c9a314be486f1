#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>
#include <vector>
#include <functional>
#include <stdexcept>

#include "uWexlThreads.h"

using namespace vpw;

namespace {

// A thread whose body is given by the test. Its state lives outside the
// object where the test looks at it after the object is gone.
class TTestThread : public TThread {
public:
    explicit TTestThread(std::function<void(TTestThread&)> body, bool freeOnTerminate = false,
                         std::atomic<bool>* destroyed = nullptr)
        : TThread(true), body_(std::move(body)), destroyed_(destroyed) {
        SetFreeOnTerminate(freeOnTerminate);
    }
    ~TTestThread() override {
        // The body uses our fields: stop it before they go.
        if (!Finished() && !Suspended()) {
            Terminate();
            WaitFor();
        }
        if (destroyed_) *destroyed_ = true;
    }
    using TThread::SetReturnValue;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TTestThread&)> body_;
    std::atomic<bool>* destroyed_;
};

// A thread with no fields of its own, so that the base destruction's wait
// is what stops it.
class TPollingThread : public TThread {
public:
    explicit TPollingThread(std::atomic<int>* state) : TThread(true), state_(state) {}

protected:
    void Execute() override {
        *state_ = 1;
        while (!Terminated()) Sleep(1);
        Sleep(50);
        *state_ = 2;
    }

private:
    std::atomic<int>* const state_;
};

}  // namespace

TEST(TThread, RunsBodyAndReturnsItsValue) {
    std::atomic<DWORD> ranOn{0};
    TTestThread t([&](TTestThread& self) {
        ranOn = GetCurrentThreadId();
        self.SetReturnValue(42);
    });
    ASSERT_NE(t.Handle(), nullptr);
    EXPECT_TRUE(t.Suspended());
    t.Resume();
    EXPECT_FALSE(t.Suspended());
    EXPECT_EQ(t.WaitFor(), 42u);
    EXPECT_TRUE(t.Finished());
    EXPECT_EQ(t.ReturnValue(), 42);
    EXPECT_EQ(ranOn.load(), t.ThreadID());
}

TEST(TThread, TerminateIsOnlyARequestThatTheBodyPolls) {
    std::atomic<int> loops{0};
    TTestThread t([&](TTestThread& self) {
        while (!self.Terminated()) {
            ++loops;
            Sleep(1);
        }
        self.SetReturnValue(7);
    });
    t.Resume();
    while (loops < 3) Sleep(1);
    EXPECT_FALSE(t.Finished());
    t.Terminate();
    EXPECT_TRUE(t.Terminated());
    EXPECT_EQ(t.WaitFor(), 7u);
}

TEST(TThread, DestroyingARunningThreadWaitsForItsEnd) {
    std::atomic<int> state{0};
    auto* t = new TPollingThread(&state);
    t->Resume();
    while (state == 0) Sleep(1);
    delete t;
    EXPECT_EQ(state.load(), 2);
}

TEST(TThread, ResumeClearsSuspendedOnlyAtTheLastSuspend) {
    std::atomic<bool> ran{false};
    TTestThread t([&](TTestThread&) { ran = true; });
    t.Suspend();  // suspended twice: at creation and now
    t.Resume();
    EXPECT_TRUE(t.Suspended());
    Sleep(100);
    EXPECT_FALSE(ran);
    t.Resume();
    EXPECT_FALSE(t.Suspended());
    t.WaitFor();
    EXPECT_TRUE(ran);
}

TEST(TThread, DestroyingANeverResumedThreadReturnsAtOnceAndNeverRuns) {
    std::atomic<bool> ran{false};
    DWORD start = GetTickCount();
    delete new TTestThread([&](TTestThread&) { ran = true; });
    EXPECT_LT(GetTickCount() - start, 1000u);
    Sleep(100);
    EXPECT_FALSE(ran);
}

namespace {
LRESULT CALLBACK AnswerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_APP) return 1234;
    return DefWindowProcA(w, m, wp, lp);
}
}  // namespace

TEST(TThread, WaitForOnTheMainThreadAnswersMessagesSentByTheWorker) {
    ASSERT_EQ(GetCurrentThreadId(), MainThreadId());
    WNDCLASSA wc{};
    wc.lpfnWndProc = AnswerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VpwThreadTestWindow";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(w, nullptr);

    // A time-out instead of a plain SendMessage, so that a wait that does
    // not answer fails the test rather than hanging it.
    TTestThread t([w](TTestThread& self) {
        int answered = 0;
        for (int i = 0; i < 3; ++i) {
            DWORD_PTR result = 0;
            if (SendMessageTimeoutA(w, WM_APP, 0, 0, SMTO_NORMAL, 10000, &result) && result == 1234) ++answered;
        }
        self.SetReturnValue(answered);
    });
    t.Resume();
    EXPECT_EQ(t.WaitFor(), 3u);
    DestroyWindow(w);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

TEST(TThread, ExceptionLeavingTheBodyStillEndsTheThreadProperly) {
    struct Case {
        const char* name;
        std::function<void()> raise;
    } cases[] = {
        {"no exception", [] {}},
        {"std::exception", [] { throw std::runtime_error("boom"); }},
        {"foreign type", [] { throw 5; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            TTestThread t([&](TTestThread& self) {
                self.SetReturnValue(9);
                c.raise();
            });
            t.Resume();
            EXPECT_EQ(t.WaitFor(), 9u);
            EXPECT_TRUE(t.Finished());
        }
        {
            // Free on terminate: the object is freed by the thread itself.
            std::atomic<bool> destroyed{false};
            auto* t = new TTestThread(
                [&](TTestThread& self) {
                    self.SetReturnValue(11);
                    c.raise();
                },
                true, &destroyed);
            HANDLE h = nullptr;
            ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), t->Handle(), GetCurrentProcess(), &h, 0, FALSE,
                                        DUPLICATE_SAME_ACCESS));
            t->Resume();
            EXPECT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0);
            DWORD code = 0;
            GetExitCodeThread(h, &code);
            CloseHandle(h);
            EXPECT_EQ(code, 11u);
            EXPECT_TRUE(destroyed);
        }
    }
}

namespace {

// A free-on-terminate thread whose freed memory is poisoned and kept, so
// that a write into it after its deletion shows.
class TPoisonedThread : public TThread {
public:
    TPoisonedThread() : TThread(true) { SetFreeOnTerminate(true); }
    static void operator delete(void* p, std::size_t size) {
        std::memset(p, kPoison, size);
        freed.push_back({static_cast<unsigned char*>(p), size});
        ++deletions;
    }
    static constexpr unsigned char kPoison = 0xAB;
    static inline std::vector<std::pair<unsigned char*, std::size_t>> freed;
    static inline std::atomic<int> deletions{0};

protected:
    void Execute() override {}
};

}  // namespace

TEST(TThread, ResumeTouchesNothingOfAThreadThatFreesItself) {
    constexpr int kRounds = 1500;
    int touched = 0;
    for (int i = 0; i < kRounds; ++i) {
        (new TPoisonedThread())->Resume();
        while (TPoisonedThread::deletions < i + 1) Sleep(0);
        Sleep(0);
        auto [p, size] = TPoisonedThread::freed.back();
        touched += std::any_of(p, p + size, [](unsigned char b) { return b != TPoisonedThread::kPoison; });
    }
    EXPECT_EQ(touched, 0) << "of " << kRounds;
}
