#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "FormHook.h"
#include "WinTestSupport.h"

using namespace vpw;
using vpw::test::Pump;

namespace {

constexpr UINT kProbe = WM_APP + 1;

// Messages that reached the window's own procedure.
std::vector<UINT> g_windowSaw;

LRESULT CALLBACK OwnProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kProbe || msg == WM_DESTROY) g_windowSaw.push_back(msg);
    if (msg == kProbe) return 7;
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// A control whose window can be destroyed and created again.
class TTestControl : public TWinControl {
public:
    TTestControl() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA cls{};
            cls.lpfnWndProc = OwnProc;
            cls.hInstance = GetModuleHandleA(nullptr);
            cls.lpszClassName = "VPWFormHookTestControl";
            RegisterClassA(&cls);
            registered = true;
        }
    }
    ~TTestControl() override {
        destroying_ = true;
        if (wnd_) DestroyWindow(wnd_);
    }
    HWND Handle() const override { return wnd_; }
    HWND HandleNeeded() override {
        if (!wnd_)
            wnd_ = CreateWindowExA(0, "VPWFormHookTestControl", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        return wnd_;
    }
    bool Destroying() const override { return destroying_; }
    // Destroys the window; the next HandleNeeded creates a new one.
    void DestroyHandle() {
        HWND old = wnd_;
        wnd_ = nullptr;
        DestroyWindow(old);
    }

private:
    HWND wnd_ = nullptr;
    bool destroying_ = false;
};

// A window hook that logs its calls as "<name>:before" / "<name>:after".
struct TLoggingHook {
    TFormWindowHook hook;
    TLoggingHook(const std::string& name, std::vector<std::string>& log, bool handleBefore = false) {
        hook.BeforeMessage = [&log, name, handleBefore](TFormWindowHook*, TMessage& m, bool& handled) {
            if (m.Msg != kProbe && m.Msg != WM_DESTROY) return;
            log.push_back(name + ":before");
            if (handleBefore) {
                handled = true;
                m.Result = 99;
            }
        };
        hook.AfterMessage = [&log, name](TFormWindowHook*, TMessage& m, bool&) {
            if (m.Msg == kProbe || m.Msg == WM_DESTROY) log.push_back(name + ":after");
        };
    }
};

// Another component that subclasses the window after the hook.
WNDPROC below = nullptr;
int laterSaw = 0;
LRESULT CALLBACK LaterSubclasser(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == kProbe) ++laterSaw;
    return CallWindowProcA(below, w, m, wp, lp);
}

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)); }

// One control, and the log its window hooks write.
class FormHook : public ::testing::Test {
protected:
    void SetUp() override { g_windowSaw.clear(); }
    TTestControl control;
    std::vector<std::string> log;
};

}  // namespace

TEST_F(FormHook, HooksShareOneSubclassAndTheLastAttachedRunsFirst) {
    TLoggingHook a("a", log), b("b", log);
    a.hook.SetWinControl(&control);
    HWND wnd = control.Handle();
    ASSERT_TRUE(wnd);
    WNDPROC subclassed = ProcOf(wnd);
    EXPECT_NE(subclassed, reinterpret_cast<WNDPROC>(OwnProc));
    b.hook.SetWinControl(&control);
    EXPECT_EQ(ProcOf(wnd), subclassed);
    EXPECT_EQ(GetHookList()->FindHookOf(&control), GetHookList()->HookOf(&control));

    EXPECT_EQ(SendMessageA(wnd, kProbe, 0, 0), 7);
    EXPECT_EQ(log, (std::vector<std::string>{"b:before", "a:before", "b:after", "a:after"}));
    EXPECT_EQ(g_windowSaw, std::vector<UINT>{kProbe});

    a.hook.SetActive(false);
    b.hook.SetActive(false);
    EXPECT_EQ(ProcOf(wnd), reinterpret_cast<WNDPROC>(OwnProc));
    Pump();  // the emptied control hook is freed after the message in progress
    EXPECT_EQ(GetHookList()->FindHookOf(&control), nullptr);
}

TEST_F(FormHook, AHandledMessageReachesNeitherEarlierHooksNorTheWindow) {
    TLoggingHook a("a", log), b("b", log, true);
    a.hook.SetWinControl(&control);
    b.hook.SetWinControl(&control);
    EXPECT_EQ(SendMessageA(control.Handle(), kProbe, 0, 0), 99);
    EXPECT_EQ(log, std::vector<std::string>{"b:before"});
    EXPECT_TRUE(g_windowSaw.empty());

    // WM_DESTROY reaches the window even when a hook handles it.
    log.clear();
    control.DestroyHandle();
    EXPECT_EQ(g_windowSaw, std::vector<UINT>{WM_DESTROY});
    EXPECT_EQ(log, (std::vector<std::string>{"b:before", "b:after"}));
}

TEST_F(FormHook, DetachingLeavesALaterSubclasserInstalled) {
    TLoggingHook a("a", log);
    a.hook.SetWinControl(&control);
    HWND wnd = control.Handle();

    laterSaw = 0;
    WNDPROC later = LaterSubclasser;
    below = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(later)));

    a.hook.SetActive(false);
    EXPECT_EQ(ProcOf(wnd), later);
    EXPECT_EQ(SendMessageA(wnd, kProbe, 0, 0), 7);  // the chain still reaches the window
    EXPECT_EQ(laterSaw, 1);
    EXPECT_TRUE(log.empty());

    // Attaching again does not put a second copy into the chain.
    a.hook.SetActive(true);
    EXPECT_EQ(SendMessageA(wnd, kProbe, 0, 0), 7);
    EXPECT_EQ(log, (std::vector<std::string>{"a:before", "a:after"}));
    EXPECT_EQ(laterSaw, 2);
    a.hook.SetActive(false);
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(below));
}

TEST_F(FormHook, RecreatingTheWindowKeepsTheHooksWorking) {
    TLoggingHook a("a", log);
    a.hook.SetWinControl(&control);
    HWND first = control.Handle();
    control.DestroyHandle();
    Pump();  // the re-hook request creates and subclasses the new window
    HWND second = control.Handle();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    log.clear();
    EXPECT_EQ(SendMessageA(second, kProbe, 0, 0), 7);
    EXPECT_EQ(log, (std::vector<std::string>{"a:before", "a:after"}));
}

TEST_F(FormHook, AThrowingHandlerDoesNotStopTheOthers) {
    TLoggingHook a("a", log);
    TFormWindowHook thrower;
    thrower.BeforeMessage = [](TFormWindowHook*, TMessage& m, bool&) {
        if (m.Msg == kProbe) throw std::runtime_error("handler failed");
    };
    a.hook.SetWinControl(&control);
    thrower.SetWinControl(&control);
    EXPECT_EQ(SendMessageA(control.Handle(), kProbe, 0, 0), 7);
    EXPECT_EQ(log, (std::vector<std::string>{"a:before", "a:after"}));
    EXPECT_EQ(g_windowSaw, std::vector<UINT>{kProbe});
}

TEST_F(FormHook, SwitchingControlsMovesTheHook) {
    TTestControl one, two;
    TLoggingHook a("a", log);
    a.hook.SetWinControl(&one);
    a.hook.SetWinControl(&two);
    EXPECT_EQ(a.hook.GetWinControl(), &two);
    EXPECT_EQ(ProcOf(one.Handle()), reinterpret_cast<WNDPROC>(OwnProc));
    SendMessageA(one.Handle(), kProbe, 0, 0);
    EXPECT_TRUE(log.empty());
    SendMessageA(two.Handle(), kProbe, 0, 0);
    EXPECT_EQ(log.size(), 2u);
    // An inactive hook remembers its control without hooking it.
    a.hook.SetActive(false);
    EXPECT_EQ(a.hook.GetWinControl(), &two);
    EXPECT_EQ(ProcOf(two.Handle()), reinterpret_cast<WNDPROC>(OwnProc));
}
