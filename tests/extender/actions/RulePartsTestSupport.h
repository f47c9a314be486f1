// Fixtures of the tests of actions, triggers, agents and caption buttons: the
// library's class registry, a window whose procedure counts what reaches it,
// a rule attached to that window through a real window extender, and an
// action that only records what it is asked to apply.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "WinTestSupport.h"
#include "uEAActions.h"
#include "uEACaptionButtonTriggers.h"
#include "uEAGeneralClasses.h"
#include "uEALoadClasses.h"
#include "uEAOperations.h"
#include "uEAMinToTrayAction.h"
#include "uEAWindowExtender.h"
#include "uEmbededApplication.h"

namespace vpw::test {

// Operations FIRST (current; no image) and SECOND (next; only a large image).
class TRecordingAction : public TAction {
public:
    static std::vector<std::string>& Applied() {
        static std::vector<std::string> applied;
        return applied;
    }
    void CreateOperations() override {
        AddOperation("\\NAME=FIRST");
        AddOperation("\\NAME=SECOND\\IMAGE=STAYONTOPON");
        SetCurrentOperation("FIRST");
    }
    bool ApplyOperation(const std::string& name) override {
        Applied().push_back(name);
        return true;
    }
};

// The item classes as the library registers them at start-up, and the
// recording action.
class RulePartsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        CreateItemClasses();
        RegisterEAOperationClasses();
        RegisterEAWindowExtenderClasses();
        RegisterEAItemClasses();
        RegisterEAItemClass(ItemClassOf<TRecordingAction>(), "RECORDINGACTION");
    }
    void TearDown() override { FreeItemClasses(); }
};

// A shown top-level window that counts its messages; WM_CLOSE and
// WM_SYSCOMMAND are only recorded, so the window stays as it is. Windows are
// kept for the next test that wants the same styles and size, put back as
// they were: Wine takes two seconds to remove a visible window when no
// window manager runs.
class TTargetWindow {
public:
    explicit TTargetWindow(DWORD style = WS_OVERLAPPEDWINDOW, DWORD exStyle = 0, int width = 320, int height = 200)
        : key_{style, exStyle, width, height} {
        static bool registered = [] {
            WNDCLASSA wc{};
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = &TTargetWindow::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = "VPW_RulePartsTestWindow";
            return RegisterClassA(&wc) != 0;
        }();
        (void)registered;
        auto& spare = Spare()[key_];
        if (!spare.empty()) {
            window_ = spare.back();
            spare.pop_back();
        } else {
            window_ = CreateWindowExA(exStyle, "VPW_RulePartsTestWindow", "Rule parts", style, 40, 40, width, height,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        }
        // Above the spare windows, which stand at the same place.
        SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetWindowPos(window_, HWND_TOP, 40, 40, width, height, SWP_SHOWWINDOW);
        SetForegroundWindow(window_);
        Pump(30);
        Log()[window_] = {};
    }
    ~TTargetWindow() {
        if (GetCapture() == window_) ReleaseCapture();
        if (IsZoomed(window_) || IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
        SetWindowPos(window_, HWND_NOTOPMOST, 40, 40, key_.width, key_.height, SWP_NOACTIVATE);
        Pump(10);
        Log().erase(window_);
        Spare()[key_].push_back(window_);
    }
    TTargetWindow(const TTargetWindow&) = delete;
    TTargetWindow& operator=(const TTargetWindow&) = delete;

    HWND Get() const { return window_; }
    int Count(UINT message) const { return Log()[window_].counts[message]; }
    const std::vector<WPARAM>& SysCommands() const { return Log()[window_].sysCommands; }
    void Reset() { Log()[window_] = {}; }
    bool Topmost() const { return (GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

private:
    struct TKey {
        DWORD style, exStyle;
        int width, height;
        bool operator<(const TKey& o) const {
            return std::tie(style, exStyle, width, height) < std::tie(o.style, o.exStyle, o.width, o.height);
        }
    };
    struct TRecord {
        std::map<UINT, int> counts;
        std::vector<WPARAM> sysCommands;
    };
    static std::map<HWND, TRecord>& Log() {
        static std::map<HWND, TRecord> log;
        return log;
    }
    static std::map<TKey, std::vector<HWND>>& Spare() {
        static std::map<TKey, std::vector<HWND>> spare;
        return spare;
    }
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto it = Log().find(w);
        if (it != Log().end()) {
            it->second.counts[m]++;
            if (m == WM_SYSCOMMAND) it->second.sysCommands.push_back(wp);
        }
        if (m == WM_CLOSE) return 0;
        if (m == WM_SYSCOMMAND && (wp & 0xFFF0) != SC_KEYMENU) return 0;
        return DefWindowProcA(w, m, wp, lp);
    }

    TKey key_;
    HWND window_ = nullptr;
};

// A rule descriptor built into a real window extender and attached to a
// window, as the library does it; detached and released again at the end.
class TAttachedRule {
public:
    TAttachedRule(HWND window, const std::string& ruleData) {
        extender_ = Supports<IWindowExtender>(CreateEAItemByClassName(ruleData, "WINDOWEXTENDER"));
        if (!extender_) return;
        extender_->SetOwner(nullptr);
        extender_->Connect();
        extender_->AttachWindow(window);
    }
    ~TAttachedRule() { Release(); }
    TAttachedRule(const TAttachedRule&) = delete;
    TAttachedRule& operator=(const TAttachedRule&) = delete;

    void Release() {
        if (!extender_) return;
        extender_->DetachWindow();
        extender_->Disconnect();
        extender_->ReleaseOwner();
        extender_ = nullptr;
    }

    IPtr<IWindowExtender> Extender() const { return extender_; }
    IPtr<IWindowHandler> Handler() const { return Supports<IWindowHandler>(extender_); }
    IPtr<IAction> Action(const std::string& name) const {
        IPtr<IWindowHandler> handler = Handler();
        return handler ? handler->GetActions()->GetAction(name) : nullptr;
    }
    template <class T>
    T* ActionAs(const std::string& name) const {
        return dynamic_cast<T*>(Action(name).get());
    }
    IPtr<ITrigger> Trigger(int position) const {
        auto* ext = dynamic_cast<TWindowExtender*>(extender_.get());
        return ext ? ext->GetTriggers()->GetActionsActivator(position) : nullptr;
    }

private:
    IPtr<IWindowExtender> extender_;
};

// Runs a call on the thread that made this object when another thread asks:
// a sent message is taken inside modal loops too (message boxes, menus), so
// a detach can be made to arrive while one is open.
class TThreadCall {
public:
    explicit TThreadCall(std::function<void()> call) : call_(std::move(call)) {
        static bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = &TThreadCall::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "VPW_RulePartsThreadCall";
            return RegisterClassA(&wc) != 0;
        }();
        (void)registered;
        window_ = CreateWindowExA(0, "VPW_RulePartsThreadCall", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    }
    ~TThreadCall() { DestroyWindow(window_); }
    TThreadCall(const TThreadCall&) = delete;
    TThreadCall& operator=(const TThreadCall&) = delete;

    // From another thread: returns once the call has run.
    void Run() { SendMessageA(window_, WM_APP, 0, reinterpret_cast<LPARAM>(this)); }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_APP) {
            reinterpret_cast<TThreadCall*>(lp)->call_();
            return 0;
        }
        return DefWindowProcA(w, m, wp, lp);
    }

    std::function<void()> call_;
    HWND window_ = nullptr;
};

// A suite's host window: a class of its own whose procedure is the host's
// (registered on first use), at the place the suites put it back to.
inline HWND CreateHostWindow(const char* className, const char* caption, WNDPROC proc) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowExA(0, className, caption, WS_OVERLAPPEDWINDOW, 40, 40, 320, 200, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// The action of that name of the window's extender, if it has one.
inline IPtr<IAction> ActionOfWindow(HWND window, const char* name) {
    IPtr<IWindowHandler> handler = Supports<IWindowHandler>(EmbededApplication()->FindExtender(window));
    return handler ? handler->GetActions()->GetAction(name) : nullptr;
}

// The middle of the first caption button of a rule, on the screen.
inline POINT CaptionButtonCenter(IWindowExtender* extender) {
    auto* ext = dynamic_cast<TWindowExtender*>(extender);
    TEACaptionButtonTrigger* trigger = nullptr;
    for (int i = 0; ext && !trigger && i < ext->GetTriggers()->Count(); ++i)
        trigger = dynamic_cast<TEACaptionButtonTrigger*>(ext->GetTriggers()->GetActionsActivator(i).get());
    IPtr<IAgent> agent = trigger ? trigger->GetAgents()->GetActionActivator(0) : nullptr;
    auto* button = dynamic_cast<TEACaptionButtonAgent*>(agent.get());
    if (!button) return POINT{0, 0};
    RECT w{};
    GetWindowRect(extender->GetWindow(), &w);
    int fx = 0, fy = 0;
    trigger->GetFrameSize(fx, fy);
    RECT r = button->GetButtonRect();
    return POINT{w.left + fx + (r.left + r.right) / 2, w.top + fy + (r.top + r.bottom) / 2};
}

// The windows of the library that own a hooked window's tray icons.
inline std::vector<HWND> TrayIconWindowsOf(HWND window) {
    std::vector<HWND> owners;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, TRAY_ICON_WINDOW_CLASS_NAME, nullptr)) != nullptr;)
        if (GetWindow(w, GW_OWNER) == window) owners.push_back(w);
    return owners;
}

// The shell answers a modify only for an icon it has.
inline bool IconOf(HWND owner, UINT id) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = id;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// The window has the tray icon `id`.
inline bool IconExists(HWND window, UINT id) {
    for (HWND owner : TrayIconWindowsOf(window))
        if (IconOf(owner, id)) return true;
    return false;
}

inline std::string CurrentName(IAction* action) {
    IPtr<IOperation> op = action ? action->GetCurrentOperation() : nullptr;
    return op ? op->GetName() : std::string("<none>");
}
inline std::string NextName(IAction* action) {
    IPtr<IOperation> op = action ? action->GetNextOperation() : nullptr;
    return op ? op->GetName() : std::string("<none>");
}

// Counts the notifications of a publisher.
class TCountingObserver : public TDebugInterfacedObject, public virtual IObserver {
public:
    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<IObserver>(this, iid, out) || TDebugInterfacedObject::QueryInterface(iid, out);
    }
    void Update(IPublisher*) override { ++updates; }
    bool Unsubscribed(IPublisher*) override { return true; }
    int updates = 0;
};

}  // namespace vpw::test
