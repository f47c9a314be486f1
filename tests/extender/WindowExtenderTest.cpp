// The window extender: built from rule text, subclassing its window, fanning
// messages out, and surviving its own release inside a window call.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <thread>
#include <utility>

#include "AppConsts.h"
#include "ExtenderTestSupport.h"
#include "SubclassMessages.h"
#include "uEALibrary.h"
#include "uEAOperations.h"
#include "uEAWindowExtender.h"
#include "uEmbededApplication.h"

namespace vpw {
namespace {

using test::Calls;
using test::TFakeAction;
using test::TFakeTrigger;
using test::TTestWindow;

// Records what the extender asks of its owner.
class TFakeOwner : public TAbstractItem, public virtual IWindowExtenderOwner {
public:
    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<IWindowExtenderOwner, IOwner>(this, iid, out) || TAbstractItem::QueryInterface(iid, out);
    }
    void ReleaseSlave(ISlave* slave) override {
        Calls().push_back("owner.ReleaseSlave");
        if (slave) {
            slave->Disconnect();
            slave->ReleaseOwner();
        }
    }
    void RemoveExtender(HWND, ISlave*) override {}
};

// Tells whether it was destroyed while one of its window calls still ran.
class TProbeExtender : public TWindowExtender {
public:
    static inline int depth = 0;
    static inline bool diedInCall = false;
    static inline int destroyed = 0;
    void WindowProc(TMessage& message) override {
        ++depth;
        TWindowExtender::WindowProc(message);
        --depth;
    }

protected:
    ~TProbeExtender() override {
        if (depth > 0) diedInCall = true;
        ++destroyed;
    }
};

class WindowExtender : public ::testing::Test {
protected:
    void SetUp() override {
        live_ = TDebugInterfacedObject::LiveObjects();
        CreateItemClasses();
        RegisterEAItemClass(ItemClassOf<TFakeAction>(), "FAKEACTION");
        RegisterEAItemClass(ItemClassOf<TFakeTrigger>(), "FAKETRIGGER");
        Calls().clear();
        TTestWindow::Seen().clear();
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
        FreeItemClasses();
        EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), live_) << "items left alive";
    }
    IPtr<TWindowExtender> Build(const std::string& text) {
        RegisterEAWindowExtenderClasses();
        IPtr<IItem> item = CreateEAItemByClassName(text, "WINDOWEXTENDER");
        return IPtr<TWindowExtender>(dynamic_cast<TWindowExtender*>(item.get()));
    }
    // Builds, owns, connects and attaches an extender to a new test window.
    IPtr<TWindowExtender> Attached(const std::string& text, IPtr<TFakeOwner>& owner) {
        window_ = TTestWindow::Create();
        return AttachedTo(window_, text, owner);
    }
    IPtr<TWindowExtender> AttachedTo(HWND window, const std::string& text, IPtr<TFakeOwner>& owner) {
        IPtr<TWindowExtender> ext = Build(text);
        owner = IPtr<TFakeOwner>(new TFakeOwner());
        ext->SetOwner(static_cast<IOwner*>(owner.get()));
        ext->Connect();
        ext->AttachWindow(window);
        return ext;
    }
    static bool Called(const std::string& call) {
        return std::find(Calls().begin(), Calls().end(), call) != Calls().end();
    }
    // Let go of, the library stays in the window's chain as a pass-through
    // (a host may have kept its address): the window's own procedure still
    // gets each message once.
    static void ExpectPassesThrough(HWND window) {
        EXPECT_TRUE(TWHook::IsLibraryProcedure(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC))));
        TTestWindow::Seen().clear();
        SetWindowTextA(window, "passed through");
        EXPECT_EQ(std::count(TTestWindow::Seen().begin(), TTestWindow::Seen().end(), WM_SETTEXT), 1);
    }
    int live_ = 0;
    HWND window_ = nullptr;
};

TEST_F(WindowExtender, BuildsActionsAndTriggersFromRuleText) {
    IPtr<TWindowExtender> ext = Build(
        "\\WINDOWRULENAME=Rule 1"
        "\\ACTION=FAKEACTION{\\NAME=a\\SAVECURRENTOPERATION=no}"
        "\\ACTION=NOSUCHACTION{\\NAME=u}"
        "\\ACTION=FAKETRIGGER{\\NAME=t0}"
        "\\ACTION=fakeaction{\\NAME=A}"
        "\\TRIGGER=FAKETRIGGER{\\NAME=t\\AGENT={\\NAME=b\\ACTIONNAME=a}}"
        "\\TRIGGER=FAKEACTION{\\NAME=x}"
        "\\NAME=ignored");
    ASSERT_TRUE(ext);
    EXPECT_EQ(ext->GetWindowRuleName(), "Rule 1");
    ASSERT_EQ(ext->GetActions()->Count(), 1);  // unknown, wrong kind and duplicate name dropped
    EXPECT_TRUE(ext->GetActions()->GetAction(Variant("a")));
    ASSERT_EQ(ext->GetTriggers()->Count(), 1);
    EXPECT_TRUE(ext->GetTriggers()->GetActionsActivator(Variant("t")));

    IPtr<TWindowExtender> next = Build("");
    std::string n1 = ext->GetName(), n2 = next->GetName();
    ASSERT_EQ(n1.rfind("WindowExtender", 0), 0u);
    EXPECT_EQ(std::stoi(n2.substr(14)), std::stoi(n1.substr(14)) + 1);
}

TEST_F(WindowExtender, DrivesItsPartsInOrderAndSubclassesTheWindow) {
    IPtr<TFakeOwner> owner;
    IPtr<TWindowExtender> ext =
        Attached("\\WINDOWRULENAME=r\\ACTION=FAKEACTION{\\NAME=a}\\TRIGGER=FAKETRIGGER{\\NAME=t}", owner);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"a.SetOwner", "t.SetOwner", "a.Connect", "t.Connect",
                                                 "a.AttachWindow", "t.AttachWindow"}));
    EXPECT_TRUE(TWHook::IsLibraryProcedure(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC))));
    EXPECT_TRUE(TTestWindow::Saw(WM_EXTENDERATTACHED));
    EXPECT_EQ(ext->GetMessageHandlers()->Count(), 2);

    Calls().clear();
    ext->Disconnect();
    ext->ReleaseOwner();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"a.Disconnect", "t.Disconnect", "a.DetachWindow", "t.DetachWindow",
                                                 "a.ReleaseOwner", "t.ReleaseOwner"}));
    ExpectPassesThrough(window_);
    EXPECT_EQ(ext->GetWindow(), nullptr);
    EXPECT_EQ(ext->GetMessageHandlers()->Count(), 0);
}

TEST_F(WindowExtender, DetachMessageGoesToTheOwnerOnly) {
    IPtr<TFakeOwner> owner;
    IPtr<TWindowExtender> ext = Attached("\\WINDOWRULENAME=r", owner);
    TTestWindow::Seen().clear();
    EXPECT_EQ(SendMessageA(window_, WM_DETACHEXTENDER, 0, 0), 0);
    EXPECT_FALSE(TTestWindow::Saw(WM_DETACHEXTENDER));
    EXPECT_TRUE(Called("owner.ReleaseSlave"));
    ExpectPassesThrough(window_);
    TTestWindow::Seen().clear();
    EXPECT_EQ(SendMessageA(window_, WM_DETACHEXTENDER, 0, 0), 0);
    EXPECT_FALSE(TTestWindow::Saw(WM_DETACHEXTENDER)) << "nor a late one, through the place left behind";
}

TEST_F(WindowExtender, HandledMessageSkipsTheWindowButNotTheAfterStep) {
    IPtr<TFakeOwner> owner;
    IPtr<TWindowExtender> ext =
        Attached("\\ACTION=FAKEACTION{\\NAME=blocker\\BLOCKCLOSE=yes}\\ACTION=FAKEACTION{\\NAME=other}", owner);
    TTestWindow::Seen().clear();
    SendMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window_));
    EXPECT_FALSE(TTestWindow::Saw(WM_CLOSE));
    EXPECT_TRUE(Called("blocker.Before.WM_CLOSE"));
    EXPECT_TRUE(Called("blocker.After.WM_CLOSE.handled"));
    EXPECT_TRUE(Called("other.After.WM_CLOSE.handled"));
    ext->ReleaseOwner();
}

LRESULT CALLBACK ReplacementProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER + 7) return 77;
    return CallWindowProcA(&TTestWindow::Proc, w, m, wp, lp);
}

TEST_F(WindowExtender, SubclassReplacedSwapsOnlyTheSavedProcedure) {
    struct Case {
        bool matching;
        LRESULT expected;
    };
    for (Case c : {Case{false, 0}, Case{true, 77}}) {
        SCOPED_TRACE(c.matching ? "matching" : "other procedure");
        IPtr<TFakeOwner> owner;
        IPtr<TWindowExtender> ext = Attached("\\WINDOWRULENAME=r", owner);
        TTestWindow::Seen().clear();
        WPARAM old = c.matching ? reinterpret_cast<WPARAM>(&TTestWindow::Proc) : reinterpret_cast<WPARAM>(&DefWindowProcA);
        SendMessageA(window_, WM_SUBCLASSREPLACED, old, reinterpret_cast<LPARAM>(&ReplacementProc));
        EXPECT_TRUE(TTestWindow::Saw(WM_SUBCLASSREPLACED));  // passed on either way
        EXPECT_EQ(SendMessageA(window_, WM_USER + 7, 0, 0), c.expected);
        ext->ReleaseOwner();
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

// The window's own procedure on WM_DESTROY: is the library still in front?
LONG_PTR g_procAtDestroy = 0;
LRESULT CALLBACK DestroyWatchProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) g_procAtDestroy = GetWindowLongPtrA(w, GWLP_WNDPROC);
    return DefWindowProcA(w, m, wp, lp);
}

TEST_F(WindowExtender, DestroyUnsubclassesFirstAndReleasesAfterwards) {
    IPtr<TFakeOwner> owner;
    IPtr<TWindowExtender> ext;
    window_ = TTestWindow::Create();
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DestroyWatchProc));
    ext = Build("\\WINDOWRULENAME=r\\ACTION=FAKEACTION{\\NAME=a}");
    owner = IPtr<TFakeOwner>(new TFakeOwner());
    ext->SetOwner(static_cast<IOwner*>(owner.get()));
    ext->AttachWindow(window_);
    Calls().clear();
    DestroyWindow(window_);
    window_ = nullptr;
    EXPECT_EQ(g_procAtDestroy, reinterpret_cast<LONG_PTR>(&DestroyWatchProc));
    EXPECT_TRUE(Called("owner.ReleaseSlave"));
    EXPECT_TRUE(Called("a.DetachWindow"));
}

// A procedure that another program installs over the library's.
WNDPROC g_belowForeign = nullptr;
int g_foreignCalls = 0;
LRESULT CALLBACK ForeignProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    ++g_foreignCalls;
    return CallWindowProcA(g_belowForeign, w, m, wp, lp);
}

TEST_F(WindowExtender, LeavesAChainIntactWhenSomeoneSubclassedOnTop) {
    IPtr<TFakeOwner> owner;
    IPtr<TWindowExtender> ext = Attached("\\WINDOWRULENAME=r", owner);
    g_belowForeign = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
    ASSERT_TRUE(TWHook::IsLibraryProcedure(g_belowForeign));
    ext->ReleaseOwner();
    ext = nullptr;
    owner = nullptr;

    // The foreign procedure still calls the library, which passes through.
    EXPECT_EQ(GetWindowLongPtrA(window_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ForeignProc));
    TTestWindow::Seen().clear();
    SetWindowTextA(window_, "still working");
    EXPECT_TRUE(TTestWindow::Saw(WM_SETTEXT));

    // The foreign one leaves: the library's place is on top again, still
    // passing through, and a new extender takes it over.
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_belowForeign));
    ExpectPassesThrough(window_);
    const int places = TWHook::PlaceCount();
    IPtr<TWindowExtender> again = AttachedTo(window_, "\\WINDOWRULENAME=r\\ACTION=FAKEACTION{\\NAME=a}", owner);
    EXPECT_EQ(TWHook::PlaceCount(), places);
    EXPECT_EQ(GetWindowLongPtrA(window_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(g_belowForeign));
    Calls().clear();
    SetWindowTextA(window_, "served");
    EXPECT_EQ(std::count(Calls().begin(), Calls().end(), "a.After.WM_SETTEXT"), 1);
    again->Disconnect();
    again->ReleaseOwner();
}

// What a host's own subclass, put over the library's, does with the messages
// it does not know, and with the chain.
enum class THostWay {
    ForwardsAll,
    SwallowsRegistered,   // answers 0 and passes nothing of 0xC000 and up on
    AnswersRegistered,    // passes them on, then returns a value of its own
    AnswersNull,          // passes WM_NULL on, then answers it with 1 itself
    SwallowsAllButSystem, // also WM_NULL: no probe of anybody reaches below it
    CutsLibraryOut,       // writes back the window's class procedure
    SubclassesAgain,      // over the library again after every reload
};

struct THostLayer {
    WNDPROC below = nullptr;
    int setTexts = 0;
    int detachNotices = 0;
};
THostWay g_hostWay = THostWay::ForwardsAll;
constexpr int kMaxHostLayers = 16;
THostLayer g_hostLayers[kMaxHostLayers];
int g_hostDepth = 0;

template <int N>
LRESULT CALLBACK HostLayerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    THostLayer& layer = g_hostLayers[N];
    if (m == WM_SETTEXT) ++layer.setTexts;
    if (m == WM_DETACHEXTENDER) ++layer.detachNotices;
    // A chain that calls itself ends here, so that the test fails instead of the stack.
    if (g_hostDepth > 16) return 0;
    const bool registered = m >= 0xC000 && m <= 0xFFFF;
    if (registered && g_hostWay == THostWay::SwallowsRegistered) return 0;
    if ((registered || m == WM_NULL) && g_hostWay == THostWay::SwallowsAllButSystem) return 0;
    ++g_hostDepth;
    LRESULT result = CallWindowProcA(layer.below, w, m, wp, lp);
    --g_hostDepth;
    if (registered && g_hostWay == THostWay::AnswersRegistered) return 0x1234;
    if (m == WM_NULL && g_hostWay == THostWay::AnswersNull) return 1;
    return result;
}
template <int... N>
constexpr std::array<WNDPROC, sizeof...(N)> HostLayerProcs(std::integer_sequence<int, N...>) {
    return {&HostLayerProc<N>...};
}
constexpr auto kHostLayers = HostLayerProcs(std::make_integer_sequence<int, kMaxHostLayers>());

// The window's chain gains a host layer on top of whatever it has.
void AddHostLayer(HWND window, int n) {
    g_hostLayers[n] = THostLayer{};
    g_hostLayers[n].below = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kHostLayers[n])));
}

// Extenders come and go (reloads) while a host keeps its own subclass over
// the library's: whatever the host does, one message runs each procedure of
// the chain once, and the extender attached last hears it.
TEST_F(WindowExtender, ExtendersAttachedAgainOverAHostsOwnSubclassHearEachMessageOnce) {
    struct Case {
        const char* what;
        THostWay way;
    } cases[] = {{"forwards everything", THostWay::ForwardsAll},
                 {"swallows registered messages", THostWay::SwallowsRegistered},
                 {"answers registered messages itself", THostWay::AnswersRegistered},
                 {"swallows WM_NULL and registered messages", THostWay::SwallowsAllButSystem},
                 {"cuts the library out of its chain", THostWay::CutsLibraryOut},
                 {"subclasses again on top after a reload", THostWay::SubclassesAgain}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_hostWay = c.way;
        g_hostDepth = 0;
        window_ = TTestWindow::Create();
        const int reloads = c.way == THostWay::SubclassesAgain ? 2 : 1;
        int layers = 0;
        for (int reload = 0; reload < reloads; ++reload) {
            IPtr<TFakeOwner> owner;
            IPtr<TWindowExtender> ext = AttachedTo(window_, "\\WINDOWRULENAME=r\\ACTION=FAKEACTION{\\NAME=a}", owner);
            if (reload == 0 || c.way == THostWay::SubclassesAgain) AddHostLayer(window_, layers++);
            ext->Disconnect();
            ext->ReleaseOwner();
        }
        if (c.way == THostWay::CutsLibraryOut)
            SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTestWindow::Proc));

        IPtr<TFakeOwner> owner;
        IPtr<TWindowExtender> again = AttachedTo(window_, "\\WINDOWRULENAME=r\\ACTION=FAKEACTION{\\NAME=b}", owner);
        for (int n = 0; n < layers; ++n) g_hostLayers[n].setTexts = 0;
        TTestWindow::Seen().clear();
        Calls().clear();
        SetWindowTextA(window_, "once");
        EXPECT_EQ(std::count(Calls().begin(), Calls().end(), "b.After.WM_SETTEXT"), 1) << "the extender heard it once";
        EXPECT_EQ(std::count(TTestWindow::Seen().begin(), TTestWindow::Seen().end(), WM_SETTEXT), 1);
        const bool hostInChain = c.way != THostWay::CutsLibraryOut;
        for (int n = 0; n < layers; ++n)
            EXPECT_EQ(g_hostLayers[n].setTexts, hostInChain ? 1 : 0) << "host layer " << n;

        again->Disconnect();
        again->ReleaseOwner();
        again = nullptr;
        // Let go of: the window keeps working, each procedure still once.
        for (int n = 0; n < layers; ++n) g_hostLayers[n].setTexts = 0;
        TTestWindow::Seen().clear();
        SetWindowTextA(window_, "after");
        EXPECT_EQ(std::count(TTestWindow::Seen().begin(), TTestWindow::Seen().end(), WM_SETTEXT), 1);
        for (int n = 0; n < layers; ++n) EXPECT_EQ(g_hostLayers[n].setTexts, hostInChain ? 1 : 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

// A host that puts a layer of its own on top after every attach, through
// reloads: the extender attached last hears each message once, every
// procedure of the chain runs once, and the window's places stay one,
// whatever the host does with WM_NULL and registered messages, as long as
// it passes its ordinary messages on.
TEST_F(WindowExtender, ReloadsOverAHostThatSubclassesAfterEveryAttachKeepOnePlace) {
    struct Case {
        const char* what;
        THostWay way;
    } cases[] = {{"forwards everything", THostWay::ForwardsAll},
                 {"swallows registered messages", THostWay::SwallowsRegistered},
                 {"answers registered messages itself", THostWay::AnswersRegistered},
                 {"swallows WM_NULL and registered messages", THostWay::SwallowsAllButSystem}};
    constexpr int kReloads = 12;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_hostWay = c.way;
        g_hostDepth = 0;
        window_ = TTestWindow::Create();
        // Counted once the first attach gave back the places of earlier
        // cases' windows.
        int places = -1;
        for (int reload = 0; reload < kReloads; ++reload) {
            SCOPED_TRACE("attach " + std::to_string(reload + 1));
            IPtr<TFakeOwner> owner;
            IPtr<TWindowExtender> ext = AttachedTo(window_, "\\WINDOWRULENAME=r\\ACTION=FAKEACTION{\\NAME=a}", owner);
            if (reload == 0) places = TWHook::PlaceCount();
            AddHostLayer(window_, reload);
            for (int n = 0; n <= reload; ++n) g_hostLayers[n].setTexts = 0;
            TTestWindow::Seen().clear();
            Calls().clear();
            SetWindowTextA(window_, "once");
            EXPECT_EQ(std::count(Calls().begin(), Calls().end(), "a.After.WM_SETTEXT"), 1) << "the rule reaches it";
            EXPECT_EQ(std::count(TTestWindow::Seen().begin(), TTestWindow::Seen().end(), WM_SETTEXT), 1);
            for (int n = 0; n <= reload; ++n) EXPECT_EQ(g_hostLayers[n].setTexts, 1) << "host layer " << n;
            EXPECT_EQ(TWHook::PlaceCount(), places);
            // The reload's notice: whatever the host does with it, the
            // extender is let go of.
            SendMessageA(window_, WM_DETACHEXTENDER, 0, 0);
            ext->Disconnect();
            ext->ReleaseOwner();
        }
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

// The window's own procedure: counts what it gets and refuses to close, as a
// program does that asks first whether to save its changes.
int g_ownSetTexts = 0;
LRESULT CALLBACK CloseRefusingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_SETTEXT) ++g_ownSetTexts;
    if (m == WM_CLOSE) return 0;
    return DefWindowProcA(w, m, wp, lp);
}

HWND CreateCloseRefusingWindow() {
    static bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &CloseRefusingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VPW_CloseRefusingWindow";
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    return CreateWindowExA(0, "VPW_CloseRefusingWindow", "refusing", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

// A host keeps the address of a procedure of the library that was in its
// window's chain and calls it after the extender left: every other procedure
// of the window still runs once a send, the program's own included.
TEST_F(WindowExtender, AHostCallingALibraryProcedureItKeptReachesEveryProcedureOnce) {
    enum class TPattern { SavedOnce, OutOfOrder };
    struct Case {
        const char* what;
        TPattern pattern;
    } cases[] = {{"a layer that saves what it replaced only once, on and off", TPattern::SavedOnce},
                 {"two layers that leave out of order", TPattern::OutOfOrder}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_hostWay = THostWay::ForwardsAll;
        g_hostDepth = 0;
        window_ = CreateCloseRefusingWindow();
        IPtr<TFakeOwner> owner;
        IPtr<TWindowExtender> ext = AttachedTo(window_, "\\WINDOWRULENAME=r", owner);
        auto install = [&](int n) {
            return reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kHostLayers[n])));
        };
        std::vector<int> inChain;
        if (c.pattern == TPattern::SavedOnce) {
            g_hostLayers[0] = THostLayer{};
            g_hostLayers[0].below = install(0);  // saved this once
            SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_hostLayers[0].below));  // off
            ext->Disconnect();
            ext->ReleaseOwner();
            install(0);  // on again, over what it saved before
            inChain = {0};
        } else {
            AddHostLayer(window_, 0);
            AddHostLayer(window_, 1);
            // The lower layer leaves first, cutting the upper one out.
            SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_hostLayers[0].below));
            ext->Disconnect();
            ext->ReleaseOwner();
            SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kHostLayers[0]));
            inChain = {0};
        }
        for (int n : inChain) g_hostLayers[n].setTexts = 0;
        g_ownSetTexts = 0;
        SetWindowTextA(window_, "once");
        EXPECT_EQ(g_ownSetTexts, 1) << "the program's own procedure";
        for (int n : inChain) EXPECT_EQ(g_hostLayers[n].setTexts, 1) << "host layer " << n;
        SendMessageA(window_, WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindow(window_)) << "the program's answer to WM_CLOSE holds";
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

// The hook procedure and the extenders' owner as in a host, on this thread.
class WindowExtenderInAHost : public WindowExtender {
protected:
    void SetUp() override {
        WindowExtender::SetUp();
        RegisterEAWindowExtenderClasses();
        CreateEmbededApplication();
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, &CallProcHook, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook_, nullptr);
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
        if (hook_) UnhookWindowsHookEx(hook_);
        FreeEmbededApplication();
        WindowExtender::TearDown();
    }
    // What the hook procedure does once the control center answered.
    static void ApplyRule(HWND window) {
        EmbededApplication()->ApplyWindowRuleData(window, "\\WINDOWRULENAME=r\\ACTION=FAKEACTION{\\NAME=a}");
    }
    HHOOK hook_ = nullptr;
};

// Reloads (the detach notice, then a new extender) over a host's subclass
// on top of the library's: whatever the host answers, the new extender takes
// over the place the last one left instead of subclassing on top again.
TEST_F(WindowExtenderInAHost, ReloadsOverAHostsOwnSubclassKeepOnePlaceInTheChain) {
    struct Case {
        const char* what;
        THostWay way;
    } cases[] = {{"forwards everything", THostWay::ForwardsAll},
                 {"swallows registered messages", THostWay::SwallowsRegistered},
                 {"answers registered messages itself", THostWay::AnswersRegistered},
                 {"answers WM_NULL itself", THostWay::AnswersNull}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_hostWay = c.way;
        g_hostDepth = 0;
        window_ = TTestWindow::Create();
        ApplyRule(window_);
        // Counted once the attach gave back the places of earlier windows.
        const int places = TWHook::PlaceCount();
        AddHostLayer(window_, 0);
        for (int reload = 0; reload < 10; ++reload) {
            SendMessageA(window_, WM_DETACHEXTENDER, 0, 0);
            ApplyRule(window_);
        }
        ASSERT_EQ(EmbededApplication()->ExtenderCount(), 1);
        EXPECT_EQ(TWHook::PlaceCount(), places) << "the window's places in its chain";

        g_hostLayers[0].setTexts = 0;
        TTestWindow::Seen().clear();
        Calls().clear();
        SetWindowTextA(window_, "once");
        EXPECT_EQ(std::count(Calls().begin(), Calls().end(), "a.After.WM_SETTEXT"), 1) << "the extender heard it once";
        EXPECT_EQ(g_hostLayers[0].setTexts, 1);
        EXPECT_EQ(std::count(TTestWindow::Seen().begin(), TTestWindow::Seen().end(), WM_SETTEXT), 1);

        DestroyWindow(window_);
        window_ = nullptr;
        EXPECT_EQ(EmbededApplication()->ExtenderCount(), 0);
    }
}

// The extender left under a host's subclass, so its place stays in the chain
// passing messages on: a detach notice, the one that let it go or a later
// one, is for the library alone. The host's procedure above the place may
// see it; nothing below it does.
TEST_F(WindowExtenderInAHost, APassThroughPlaceKeepsTheDetachNoticeFromTheProceduresBelowIt) {
    g_hostWay = THostWay::ForwardsAll;
    g_hostDepth = 0;
    window_ = TTestWindow::Create();
    AddHostLayer(window_, 0);
    ApplyRule(window_);
    ASSERT_EQ(EmbededApplication()->ExtenderCount(), 1);
    AddHostLayer(window_, 1);
    TTestWindow::Seen().clear();
    for (int notice = 1; notice <= 2; ++notice) {
        SCOPED_TRACE("notice " + std::to_string(notice));
        EXPECT_EQ(SendMessageA(window_, WM_DETACHEXTENDER, 0, 0), 0);
        EXPECT_EQ(EmbededApplication()->ExtenderCount(), 0);
        EXPECT_EQ(g_hostLayers[0].detachNotices, 0) << "the host's procedure below the place";
        EXPECT_FALSE(TTestWindow::Saw(WM_DETACHEXTENDER)) << "the window's own procedure";
    }
    // Still a chain that runs every procedure.
    SetWindowTextA(window_, "after");
    EXPECT_EQ(g_hostLayers[0].setTexts, 1);
    EXPECT_EQ(g_hostLayers[1].setTexts, 1);
    EXPECT_TRUE(TTestWindow::Saw(WM_SETTEXT));
}

// A host that cut the library out of its chain never brings it WM_NCDESTROY:
// the place is given back once the hook procedure has seen the window go.
TEST_F(WindowExtender, APlaceTheHostCutOutIsGivenBackWhenItsWindowGoes) {
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &CallProcHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    g_hostWay = THostWay::ForwardsAll;
    window_ = TTestWindow::Create();
    int places = 0;
    {
        IPtr<TFakeOwner> owner;
        IPtr<TWindowExtender> ext = AttachedTo(window_, "\\WINDOWRULENAME=r", owner);
        // Counted once the attach gave back the places of earlier windows.
        places = TWHook::PlaceCount();
        AddHostLayer(window_, 0);
        ext->Disconnect();
        ext->ReleaseOwner();
    }
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTestWindow::Proc));
    EXPECT_EQ(TWHook::PlaceCount(), places) << "kept while the window lives: a host might still call it";
    DestroyWindow(window_);
    window_ = nullptr;
    DestroyWindow(TTestWindow::Create());  // any window coming or going
    EXPECT_EQ(TWHook::PlaceCount(), places - 1);
    UnhookWindowsHookEx(hook);
}

// Takes a detach notice while it attaches, as a host does that waits on
// another thread inside a call the action made into it.
struct TDetachedWhileAttaching : test::TFakeAction {
    void AttachWindow() override {
        TFakeAction::AttachWindow();
        if (IPtr<IWindowHandler> handler = owner()) SendMessageA(handler->GetWindow(), WM_DETACHEXTENDER, 0, 0);
    }
    IPtr<IWindowHandler> owner() { return handler_; }
    void SetOwner(IOwner* o) override {
        TFakeAction::SetOwner(o);
        if (IPtr<IWindowPartOwner> part = Supports<IWindowPartOwner>(o)) handler_ = part->GetWindowHandler();
    }
    void ReleaseOwner() override {
        TFakeAction::ReleaseOwner();
        handler_ = nullptr;
    }
    IPtr<IWindowHandler> handler_;
};

TEST_F(WindowExtender, ADetachArrivingWhileItAttachesEndsTheAttach) {
    RegisterEAItemClass(ItemClassOf<TDetachedWhileAttaching>(), "DETACHINGACTION");
    IPtr<TFakeOwner> owner;
    IPtr<TWindowExtender> ext = Attached(
        "\\WINDOWRULENAME=r\\ACTION=DETACHINGACTION{\\NAME=a}\\ACTION=FAKEACTION{\\NAME=b}"
        "\\TRIGGER=FAKETRIGGER{\\NAME=t}",
        owner);
    EXPECT_TRUE(Called("owner.ReleaseSlave"));
    EXPECT_FALSE(Called("b.AttachWindow")) << "nothing attaches to a released extender";
    EXPECT_FALSE(Called("t.AttachWindow"));
    EXPECT_TRUE(Called("a.DetachWindow"));
    // A part never attached saves nothing over what an earlier attachment kept.
    EXPECT_FALSE(Called("b.DetachWindow"));
    EXPECT_FALSE(Called("t.DetachWindow"));
    EXPECT_FALSE(TTestWindow::Saw(WM_EXTENDERATTACHED));
    EXPECT_EQ(ext->GetWindow(), nullptr);
    EXPECT_EQ(ext->GetMessageHandlers()->Count(), 0);
    ExpectPassesThrough(window_);
}

// The close button: WM_CLOSE reaches the default procedure, which destroys
// the window inside the extender's own call; the extender is released there
// (by the hook procedure's detach, or by its own WM_DESTROY handling).
TEST_F(WindowExtender, SurvivesDestroyWindowInsideItsOwnCall) {
    for (bool withHook : {true, false}) {
        SCOPED_TRACE(withHook ? "hook procedure detaches" : "extender releases itself");
        FreeItemClasses();
        CreateItemClasses();
        RegisterEAItemClass(ItemClassOf<TProbeExtender>(), "WINDOWEXTENDER");
        RegisterEAItemClass(ItemClassOf<TFakeAction>(), "FAKEACTION");
        CreateEmbededApplication();
        HHOOK hook = withHook ? SetWindowsHookExA(WH_CALLWNDPROC, &CallProcHook, nullptr, GetCurrentThreadId()) : nullptr;
        TProbeExtender::diedInCall = false;
        TProbeExtender::destroyed = 0;

        HWND w = TTestWindow::Create();
        EmbededApplication()->ApplyWindowRuleData(w, "\\WINDOWRULENAME=r\\ACTION=FAKEACTION{\\NAME=a}");
        ASSERT_EQ(EmbededApplication()->ExtenderCount(), 1);
        SendMessageA(w, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(w));
        EXPECT_FALSE(TProbeExtender::diedInCall);
        EXPECT_EQ(TProbeExtender::destroyed, 1);
        EXPECT_EQ(EmbededApplication()->ExtenderCount(), 0);
        EXPECT_FALSE(EmbededApplication()->IsListed(w));

        if (hook) UnhookWindowsHookEx(hook);
        FreeEmbededApplication();
    }
}

// Notes the thread on which it is attached.
struct TThreadProbe : test::TFakeAction {
    static inline DWORD* where = nullptr;
    void AttachWindow() override {
        if (where) *where = GetCurrentThreadId();
        TFakeAction::AttachWindow();
    }
};

TEST_F(WindowExtender, RuleTextFromAnotherThreadIsAppliedOnTheWindowsThread) {
    RegisterEAWindowExtenderClasses();
    CreateEmbededApplication();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &CallProcHook, nullptr, GetCurrentThreadId());
    window_ = TTestWindow::Create();

    DWORD attachThread = 0;
    TThreadProbe::where = &attachThread;
    RegisterEAItemClass(ItemClassOf<TThreadProbe>(), "PROBEACTION");

    std::thread([w = window_] {
        EmbededApplication()->ApplyWindowRuleData(w, "\\WINDOWRULENAME=r\\ACTION=PROBEACTION{\\NAME=p}");
    }).join();
    EXPECT_EQ(EmbededApplication()->ExtenderCount(), 0);  // not built on the sending thread
    MSG msg;
    DWORD start = GetTickCount();
    while (EmbededApplication()->ExtenderCount() == 0 && GetTickCount() - start < 3000) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
    EXPECT_EQ(EmbededApplication()->ExtenderCount(), 1);
    EXPECT_EQ(attachThread, GetCurrentThreadId());
    EXPECT_EQ(EmbededApplication()->PendingTexts(), 0);
    TThreadProbe::where = nullptr;

    UnhookWindowsHookEx(hook);
    FreeEmbededApplication();
}

}  // namespace
}  // namespace vpw
