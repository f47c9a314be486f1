// The control center's end and the channel's hostile users, with the real
// control center, the real hook library and test programs in other processes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EndToEndSupport.h"

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kRuleClass[] = "VPW_E2E_Target";
constexpr char kHandlerClass[] = "VPW_CommandCenterHandlerWindow";

bool Attached(HWND window) { return QueryTarget(window, kQueryAttached) >= 1; }
bool Subclassed(HWND window) { return QueryTarget(window, kQuerySubclassed) == 1; }
// The stay-on-top button answers its place as border, the bare title bar as caption.
bool HasCaptionButton(HWND window) {
    POINT at = Center(ExpectedButton(window));
    return HitTest(window, at.x, at.y) == HTBORDER;
}

// Someone on the desktop holding the channel's block, who also says that a
// command is waiting there.
class TChannelHog {
public:
    TChannelHog()
        : mutex_(CreateMutexA(nullptr, FALSE, (std::string(CONTROL_CENTER_CHANNEL_NAME) + "WriteLockMutex").c_str())) {
        held_ = mutex_ && WaitForSingleObject(mutex_, 2000) == WAIT_OBJECT_0;
        HANDLE command = OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(CONTROL_CENTER_CHANNEL_NAME) + "NewCommandEvent").c_str());
        if (command) {
            SetEvent(command);
            CloseHandle(command);
        }
    }
    ~TChannelHog() { Free(); }
    bool Held() const { return held_; }
    void Free() {
        if (held_) ReleaseMutex(mutex_);
        held_ = false;
        if (mutex_) CloseHandle(mutex_);
        mutex_ = nullptr;
    }

private:
    HANDLE mutex_;
    bool held_ = false;
};

TEST(ControlCenterLife, QuittingFromTheTrayMenuDetachesEveryWindowHiddenOnesToo) {
    LetWineManageNoWindowsOf(kCenterExe);
    TSystemFolder system(Bin(), StayOnTopConfig({{"E2E Quit", kRuleClass, false}}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    auto first = StartTarget(ModuleDir(), {"open", kRuleClass, "E2E quit one", std::string("~") + kRuleClass,
                                           "E2E quit hidden"});
    auto second = StartTarget(ModuleDir(), {"open", kRuleClass, "E2E quit two"});
    HWND one = WaitForWindow(kRuleClass, "E2E quit one");
    HWND hidden = WaitForWindow(kRuleClass, "E2E quit hidden");
    HWND two = WaitForWindow(kRuleClass, "E2E quit two");
    ASSERT_TRUE(one && hidden && two);
    ASSERT_FALSE(IsWindowVisible(hidden));
    ASSERT_EQ(GetWindow(hidden, GW_OWNER), one);
    for (HWND w : {one, hidden, two})
        ASSERT_TRUE(WaitUntil([&] { return Attached(w) && Subclassed(w) && HasCaptionButton(w); }, 10000));

    ASSERT_TRUE(ChooseTrayClose());
    DWORD chosen = GetTickCount();
    EXPECT_EQ(system.WaitForCenter(5000), 0u);
    EXPECT_LT(GetTickCount() - chosen, 1000u);

    for (HWND w : {one, hidden, two}) EXPECT_TRUE(WaitUntil([&] { return !HasCaptionButton(w); }, 3000));
    EXPECT_EQ(first->Wait(0), STILL_ACTIVE);
    EXPECT_EQ(second->Wait(0), STILL_ACTIVE);
    for (HWND w : {one, two}) PostMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(first->Wait(10000), 0u);
    EXPECT_EQ(second->Wait(10000), 0u);
}

TEST(ControlCenterLife, ASessionEndSentByAnotherProcessEndsItQuickly) {
    TSystemFolder system(Bin(), StayOnTopConfig({{"E2E Session", kRuleClass, false}}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    auto target = StartTarget(ModuleDir(), {"open", kRuleClass, "E2E session"});
    HWND window = WaitForWindow(kRuleClass, "E2E session");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Attached(window); }, 10000));
    HWND handler = FindWindowA(kHandlerClass, nullptr);
    ASSERT_NE(handler, nullptr);

    DWORD start = GetTickCount();
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(handler, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    SendMessageTimeoutA(handler, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_EQ(system.WaitForCenter(10000), 0u);
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(target->Wait(0), STILL_ACTIVE);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(target->Wait(10000), 0u);
}

TEST(ControlCenterLife, AProcessHoldingTheChannelFreezesNeitherTheCenterNorHookedPrograms) {
    TSystemFolder system(Bin(), StayOnTopConfig({{"E2E Hog", kRuleClass, false}}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    DWORD start = GetTickCount();
    TChannelHog hog;
    ASSERT_TRUE(hog.Held());

    // A program that opens a window meanwhile: its rule request cannot get
    // through, and the window keeps answering.
    auto target = StartTarget(ModuleDir(), {"open", kRuleClass, "E2E while held"});
    HWND window = WaitForWindow(kRuleClass, "E2E while held");
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 10; ++i) {
        DWORD asked = GetTickCount();
        EXPECT_EQ(QueryTarget(window, kQueryAttached), 0);
        EXPECT_LT(GetTickCount() - asked, 500u);
        Sleep(100);
    }

    ASSERT_TRUE(ChooseTrayClose());
    DWORD chosen = GetTickCount();
    EXPECT_EQ(system.WaitForCenter(10000), 0u);
    EXPECT_LT(GetTickCount() - chosen, 2000u);
    EXPECT_EQ(QueryTarget(window, kQueryAttached), 0);

    // Held for 10 s in all; then a new control center serves again.
    while (GetTickCount() - start < 10000) Sleep(50);
    hog.Free();
    ASSERT_TRUE(system.StartCenter());
    EXPECT_TRUE(CenterServes());
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(target->Wait(10000), 0u);
    EXPECT_EQ(system.StopCenter(), 0u);
}

TEST(ControlCenterLife, FiftyWindowsOpenedAtOnceInFiveProgramsAllGetTheirExtenders) {
    TSystemFolder system(Bin(), StayOnTopConfig({{"E2E Many", kRuleClass, false}}));
    ASSERT_TRUE(system.Copied());
    ASSERT_TRUE(system.StartCenter());
    std::vector<std::unique_ptr<ChildProcess>> programs;
    for (int i = 0; i < 5; ++i) programs.push_back(StartTarget(ModuleDir(), {"many", kRuleClass, "10", "5000"}));
    for (auto& program : programs) EXPECT_EQ(program->Wait(30000), 0u);
    EXPECT_TRUE(CenterServes());
    EXPECT_EQ(system.StopCenter(), 0u);
}

}  // namespace
