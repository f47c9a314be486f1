#include "uEmbededApplication.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "AppConsts.h"
#include "EARoutines.h"
#include "WinFuncs.h"
#include "uEAThread.h"

namespace vpw {

const char EXCLUDED_WINDOW_CLASSES[] =
    ";OleMainThreadWndClass;;OleMainThreadWndClass 0x######## ;;OleDdeWndClass;;OleDdeWndClass 0x######## ;;"
    "OleObjectRpcWindow;;CicMarshalWndClass;;DdeCommonWindowClass;;DDEMLMom;;DDEMLEvent;;CLIPBRDWNDCLASS;;"
    "CLIPBRDWNDCLASS 0x######## ;;ThorConnWndClass;;CSpThreadTask Window;;SapiTipWorkerClassV1.0;;"
    "CSpNotify Notify Window;;WorkerW;;URL Moniker Notification Window;;IMMIF UI;;IME;;Internet Explorer_Hidden;;"
    "Ghost;;TPUtilWindow;;#43;;RnaEngClass;;TapisrvWndClass;;TapiDllWinClass;;Tsp3216LWindowClass;;WAN_Class;;"
    "UmdmSP Class;;SysFader;;SysShadow;;SysDragImage;;OfficeTooltip;;tooltips_class32;";

bool IsExcludedWindowClass(const std::string& className) {
    return std::strstr(EXCLUDED_WINDOW_CLASSES, (";" + className + ";").c_str()) != nullptr;
}

bool IsLibraryWindow(HWND window) {
    // Timer and icon windows: attaching to them would look them up, and a
    // rule that minimises new windows would make icons of icons.
    return reinterpret_cast<HINSTANCE>(GetClassLongPtrA(window, GCLP_HMODULE)) == LibraryInstance();
}

UINT ApplyWindowRuleMessage() {
    static const UINT message = RegisterMessageOrFallback("{7B0E4C2A-93D5-4F1B-A86E-52C1D9F03B47}", 33672);
    return message;
}

std::string ReplyText(const TChannelBuffer& data, int length) {
    if (length <= 0 || static_cast<std::size_t>(length) > data.size() ||
        static_cast<std::size_t>(length) > TProcessesCommunication::MAX_DATA_LENGTH)
        return {};
    std::string text(data.data(), static_cast<std::size_t>(length));
    // A sender that counted its terminator adds nothing to the text.
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

namespace {

TEmbededApplication* g_app = nullptr;  // holds one reference while set

}  // namespace

TLock& EmbededApplicationLock() {
    static TLock* lock = new TLock();  // outlives every thread that may still ask
    return *lock;
}

IPtr<TEmbededApplication> EmbededApplication() {
    TLockGuard guard(EmbededApplicationLock());
    return IPtr<TEmbededApplication>(g_app);
}

void CreateEmbededApplication() {
    IPtr<TEmbededApplication> app(new TEmbededApplication());
    TLockGuard guard(EmbededApplicationLock());
    if (g_app) return;
    g_app = app.get();
    g_app->AddRef();
}

void FreeEmbededApplication() {
    // Nothing is detached: this runs under the loader lock, and an unload only
    // happens in a process where no window was ever subclassed. The object
    // goes with its last reference, outside the lock.
    IPtr<TEmbededApplication> app;
    TLockGuard guard(EmbededApplicationLock());
    app = IPtr<TEmbededApplication>::Adopt(std::exchange(g_app, nullptr));
}

TEmbededApplication::TEmbededApplication() : extenders_(new TWindowExtenders()) {}

TEmbededApplication::~TEmbededApplication() {
    try {
        extenders_->Clear();
    } catch (...) {
    }
}

bool TEmbededApplication::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IEmbededApplication, IWindowExtenderOwner, IOwner>(this, iid, out) ||
           TAbstractItem::QueryInterface(iid, out);
}

int TEmbededApplication::FindListed(HWND window) const {
    for (std::size_t i = 0; i < listed_.size(); ++i)
        if (listed_[i].window == window) return static_cast<int>(i);
    return -1;
}

bool TEmbededApplication::IsListed(HWND window) {
    TLockGuard guard(EmbededApplicationLock());
    return FindListed(window) >= 0;
}

int TEmbededApplication::ExtenderCount() {
    TLockGuard guard(EmbededApplicationLock());
    return extenders_->Count();
}

int TEmbededApplication::PendingTexts() {
    TLockGuard guard(EmbededApplicationLock());
    return static_cast<int>(pending_.size());
}

void TEmbededApplication::AttachWindow(HWND window) {
    try {
        unsigned request = 0;
        {
            TLockGuard guard(EmbededApplicationLock());
            if (FindListed(window) >= 0) return;  // requested once while listed
            request = ++nextRequest_;
            listed_.push_back({window, request});
        }
        TEAThread* thread = nullptr;
        try {
            thread = new TEAThread(window, request);
        } catch (...) {
            thread = nullptr;
        }
        if (thread && thread->Handle()) {
            thread->Resume();
            return;
        }
        delete thread;  // it never ran
        std::string text = RequestSynchronously(window);
        if (text.empty())
            UnlistRequest(window, request);
        else
            BuildExtender(window, request, text);
    } catch (...) {
    }
}

std::string TEmbededApplication::RequestSynchronously(HWND window) {
    TProcessesCommunication* channel = nullptr;
    {
        TLockGuard guard(EmbededApplicationLock());
        if (!channel_) {
            channel_ = std::make_unique<TProcessesCommunication>(CONTROL_CENTER_CHANNEL_NAME);
            channel_->SetTimeout(100);
        }
        channel = channel_.get();
    }
    const TWindowRuleRequest request{HandleToWire(window)};
    TChannelBuffer reply;
    int length = 0, code = 0;
    if (channel->SendCommand(CMD_GET_WINDOW_RULE, sizeof request, &request, reply, length, code) ==
            TProcessesCommunication::RESULT_DONE &&
        code == CMD_REPLY_DONE)
        return ReplyText(reply, length);
    return {};
}

void TEmbededApplication::ApplyWindowRuleData(HWND window, const std::string& text) {
    try {
        unsigned request = 0;
        {
            TLockGuard guard(EmbededApplicationLock());
            int i = FindListed(window);
            if (i >= 0) {
                request = listed_[i].request;
            } else {
                request = ++nextRequest_;
                listed_.push_back({window, request});
            }
        }
        DeliverWindowRuleData(window, request, text);
    } catch (...) {
    }
}

void TEmbededApplication::DeliverWindowRuleData(HWND window, unsigned request, const std::string& text) {
    try {
        if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
            BuildExtender(window, request, text);
            return;
        }
        if (!IsWindow(window)) {
            Unlist(window, nullptr);
            return;
        }
        // Subclassing, the parts' windows and timers belong to the window's
        // thread: park the text and let the hook procedure pick it up there.
        WPARAM ticket = 0;
        {
            TLockGuard guard(EmbededApplicationLock());
            int i = FindListed(window);
            if (i < 0 || listed_[i].request != request) return;
            ticket = ++nextTicket_;
            pending_[ticket] = TPendingText{window, request, text};
        }
        if (!SendNotifyMessageA(window, ApplyWindowRuleMessage(), ticket,
                                static_cast<LPARAM>(GetCurrentProcessId()))) {
            TLockGuard guard(EmbededApplicationLock());
            pending_.erase(ticket);
        }
    } catch (...) {
    }
}

void TEmbededApplication::ReceiveWindowRuleData(HWND window, WPARAM ticket) {
    try {
        TPendingText parcel;
        {
            TLockGuard guard(EmbededApplicationLock());
            auto it = pending_.find(ticket);
            if (it == pending_.end() || it->second.window != window) return;
            parcel = std::move(it->second);
            pending_.erase(it);
        }
        BuildExtender(window, parcel.request, parcel.text);
    } catch (...) {
    }
}

void TEmbededApplication::BuildExtender(HWND window, unsigned request, const std::string& text) {
    try {
        if (!IsWindow(window)) {
            Unlist(window, nullptr);
            return;
        }
        {
            // A reply for an earlier listing (detached since) is stale.
            TLockGuard guard(EmbededApplicationLock());
            int i = FindListed(window);
            if (i < 0 || listed_[i].request != request) return;
        }
        if (FindExtender(window)) return;
        IPtr<IWindowExtender> extender = Supports<IWindowExtender>(CreateEAItemByClassName(text, "WINDOWEXTENDER"));
        if (!extender) {
            UnlistRequest(window, request);
            return;
        }
        {
            TLockGuard guard(EmbededApplicationLock());
            extenders_->Add(extender.get());
        }
        extender->SetOwner(static_cast<IWindowExtenderOwner*>(this));
        extender->Connect();
        extender->AttachWindow(window);
    } catch (...) {
    }
}

IPtr<IWindowExtender> TEmbededApplication::FindExtender(HWND window) {
    TLockGuard guard(EmbededApplicationLock());
    int n = extenders_->Count();
    for (int i = 0; i < n; ++i) {
        IPtr<IWindowExtender> e = extenders_->GetWindowExtender(Variant(i));
        if (e && e->GetWindow() == window) return e;
    }
    return {};
}

void TEmbededApplication::Unlist(HWND window, IWindowExtender* extender) {
    {
        TLockGuard guard(EmbededApplicationLock());
        int i = FindListed(window);
        if (i >= 0) listed_.erase(listed_.begin() + i);
        for (auto it = pending_.begin(); it != pending_.end();)
            it = it->second.window == window ? pending_.erase(it) : std::next(it);
        // The caller still holds the extender: nothing is destroyed in here.
        if (extender) extenders_->Remove(Variant(extender->GetName()));
    }
}

void TEmbededApplication::UnlistRequest(HWND window, unsigned request) {
    TLockGuard guard(EmbededApplicationLock());
    int i = FindListed(window);
    if (i >= 0 && listed_[i].request == request) listed_.erase(listed_.begin() + i);
}

void TEmbededApplication::ForgetWindow(HWND window) {
    IPtr<IWindowExtender> found = FindExtender(window);
    if (!found) {
        Unlist(window, nullptr);
        return;
    }
    // The notice goes to the window's procedure next: when that is the
    // extender's, it lets itself go there. Otherwise it is let go of here: a
    // host's procedure on top may keep the notice from it (swallow it, or have
    // cut the library out of its chain), and only a detach brings back a
    // window that an action hid.
    auto* extender = dynamic_cast<TWindowExtender*>(found.get());
    if (!extender || !extender->FirstInChain()) DetachWindow(window);
}

void TEmbededApplication::DetachWindow(HWND window) {
    try {
        if (!IsListed(window)) return;
        IPtr<IWindowExtender> extender = FindExtender(window);
        Unlist(window, extender.get());
        if (!extender) return;  // an empty reply: only unlisted
        extender->DetachWindow();
        extender->Disconnect();
        extender->ReleaseOwner();
    } catch (...) {
    }
}

void TEmbededApplication::ReleaseSlave(ISlave* slave) {
    try {
        IPtr<IWindowExtender> extender = Supports<IWindowExtender>(slave);
        if (extender) RemoveExtender(extender->GetWindow(), extender.get());
    } catch (...) {
    }
}

void TEmbededApplication::RemoveExtender(HWND window, ISlave* slave) {
    try {
        IPtr<IWindowExtender> extender = Supports<IWindowExtender>(slave);
        if (!extender) return;
        // Only an extender of this object is let go, and only once.
        {
            TLockGuard guard(EmbededApplicationLock());
            if (extenders_->IndexOf(extender->GetName()) < 0) return;
        }
        Unlist(window, extender.get());
        extender->Disconnect();
        extender->ReleaseOwner();
    } catch (...) {
    }
}

void TEmbededApplication::DetachAll() {
    std::vector<IPtr<IWindowExtender>> all;
    try {
        TLockGuard guard(EmbededApplicationLock());
        int n = extenders_->Count();
        for (int i = 0; i < n; ++i)
            if (IPtr<IWindowExtender> e = extenders_->GetWindowExtender(Variant(i))) all.push_back(e);
    } catch (...) {
    }
    for (auto& e : all) {
        try {
            e->Disconnect();
            e->ReleaseOwner();
        } catch (...) {
        }
    }
}

void HookAttachWindow(const CWPSTRUCT& message) {
    try {
        if (IsLibraryWindow(message.hwnd) || IsExcludedWindowClass(GetWindowClassName(message.hwnd))) return;
        if (IPtr<TEmbededApplication> app = EmbededApplication()) app->AttachWindow(message.hwnd);
    } catch (...) {
    }
}

void HookDetachWindow(const CWPSTRUCT& message) {
    try {
        IPtr<TEmbededApplication> app = EmbededApplication();
        if (!app) return;
        // An extender in the window's chain lets itself go once its procedure
        // has seen WM_DESTROY, so that its destroy triggers still find the
        // actions attached; WM_NCDESTROY takes whatever is left.
        if (!app->IsListed(message.hwnd)) return;  // most windows
        IPtr<IWindowExtender> found = app->FindExtender(message.hwnd);
        auto* extender = dynamic_cast<TWindowExtender*>(found.get());
        if (message.message == WM_DESTROY && extender && extender->ReceivesMessages()) return;
        if (extender) extender->SetWindowBeingDestroyed();
        app->DetachWindow(message.hwnd);
    } catch (...) {
    }
}

void HookForgetWindow(const CWPSTRUCT& message) {
    try {
        if (IPtr<TEmbededApplication> app = EmbededApplication()) app->ForgetWindow(message.hwnd);
    } catch (...) {
    }
}

}  // namespace vpw
