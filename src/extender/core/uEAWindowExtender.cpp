#include "uEAWindowExtender.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

#include "AppConsts.h"
#include "EARoutines.h"
#include "SubclassMessages.h"
#include "WinFuncs.h"

namespace vpw {

namespace {

std::atomic<int> g_extenderCounter{0};

// Runs `f` on every item of a collection as interface T, first to last;
// a failing item does not stop the others.
template <class T, class F>
void ForEach(TAbstractCollection* items, F f) {
    if (!items) return;
    int n = items->Count();
    for (int i = 0; i < n; ++i) {
        try {
            if (IPtr<T> item = Supports<T>(items->GetItem(i))) f(item.get());
        } catch (...) {
        }
    }
}

}  // namespace

bool TMessageHandlers::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IMessageHandlers>(this, iid, out) || TAbstractCollection::QueryInterface(iid, out);
}

bool TWindowExtenders::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IWindowExtenders>(this, iid, out) || TAbstractCollection::QueryInterface(iid, out);
}

bool TWindowExtender::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IActionsActivatorOwner, IActionOwner, IWindowPartOwner, IOwner, IWindowHandler,
                            IWindowExtender, ISlave>(this, iid, out) ||
           TAbstractParamsItem::QueryInterface(iid, out);
}

TWindowExtender::~TWindowExtender() {
    // Normally detached long before; never leave a window calling into a
    // freed object.
    delete std::exchange(hook_, nullptr);
}

void TWindowExtender::Initialize() {
    TAbstractParamsItem::Initialize();
    name_ = "WindowExtender" + std::to_string(++g_extenderCounter);
    ruleName_.clear();
    actions_ = IPtr<TActions>(new TActions());
    triggers_ = IPtr<TActionsActivators>(new TActionsActivators());
    handlers_ = IPtr<TMessageHandlers>(new TMessageHandlers());
}

void TWindowExtender::ParseParam(const std::string& key, const std::string& value) {
    // "NAME" is not passed on: the extender keeps its generated name.
    try {
        if (key == "WINDOWRULENAME") {
            ruleName_ = value;
        } else if (key == "ACTION") {
            if (IPtr<IAction> action = Supports<IAction>(CreateEAItem(value))) actions_->Add(action.get());
        } else if (key == "TRIGGER") {
            if (IPtr<ITrigger> trigger = Supports<ITrigger>(CreateEAItem(value))) triggers_->Add(trigger.get());
        }
    } catch (...) {
    }
}

void TWindowExtender::SetOwner(IOwner* owner) {
    try {
        owner_ = Supports<IWindowExtenderOwner>(owner);
        IOwner* self = static_cast<IOwner*>(this);
        ForEach<ISlave>(actions_.get(), [self](ISlave* s) { s->SetOwner(self); });
        ForEach<ISlave>(triggers_.get(), [self](ISlave* s) { s->SetOwner(self); });
    } catch (...) {
    }
}

void TWindowExtender::Connect() {
    ForEach<ISlave>(actions_.get(), [](ISlave* s) { s->Connect(); });
    ForEach<ISlave>(triggers_.get(), [](ISlave* s) { s->Connect(); });
}

void TWindowExtender::Disconnect() {
    ForEach<ISlave>(actions_.get(), [](ISlave* s) { s->Disconnect(); });
    ForEach<ISlave>(triggers_.get(), [](ISlave* s) { s->Disconnect(); });
}

bool TWindowExtender::AttachParts(TAbstractCollection* parts, int& attached, unsigned detaches) {
    int n = parts ? parts->Count() : 0;
    for (int i = 0; i < n; ++i) {
        ++attached;  // before: a detach inside its attach detaches it too
        try {
            if (IPtr<IWindowPart> part = Supports<IWindowPart>(parts->GetItem(i))) part->AttachWindow();
        } catch (...) {
        }
        if (detaches_ != detaches) return false;
    }
    return true;
}

void TWindowExtender::DetachParts(TAbstractCollection* parts, int attached) {
    int n = parts ? std::min(parts->Count(), attached) : 0;
    for (int i = 0; i < n; ++i)
        if (IPtr<IWindowPart> part = Supports<IWindowPart>(parts->GetItem(i))) part->DetachWindow();
}

void TWindowExtender::AttachWindow(HWND window) {
    IPtr<IWindowExtender> self(this);  // parts may drop their references while attaching
    window_ = window;
    destroying_ = false;
    // Attaching runs host code (the chain probe, the parts' first moves, the
    // notice): a detach that arrives in there ends the attach.
    const unsigned detaches = detaches_;
    try {
        delete std::exchange(hook_, nullptr);
        auto* hook = new TWHook(window, this);
        if (detaches_ != detaches) {
            delete hook;
            return;
        }
        hook_ = hook;
        if (!AttachParts(actions_.get(), attachedActions_, detaches) ||
            !AttachParts(triggers_.get(), attachedTriggers_, detaches))
            return;
        SendMessageA(window, WM_EXTENDERATTACHED, 0, 0);
    } catch (...) {
    }
}

void TWindowExtender::DetachWindow() {
    IPtr<IWindowExtender> self(this);
    ++detaches_;
    try {
        // Only the parts that were attached: one that never was would save
        // its first state over what an earlier attachment kept.
        DetachParts(actions_.get(), std::exchange(attachedActions_, 0));
        DetachParts(triggers_.get(), std::exchange(attachedTriggers_, 0));
        // A procedure of this hook may be running further up the stack; it
        // touches nothing of the hook once the window's procedure returns.
        delete std::exchange(hook_, nullptr);
        window_ = nullptr;
    } catch (...) {
    }
}

void TWindowExtender::ReleaseOwner() {
    IPtr<IWindowExtender> self(this);
    try {
        DetachWindow();
        ForEach<ISlave>(actions_.get(), [](ISlave* s) { s->ReleaseOwner(); });
        ForEach<ISlave>(triggers_.get(), [](ISlave* s) { s->ReleaseOwner(); });
    } catch (...) {
    }
    owner_ = nullptr;
}

void TWindowExtender::AddMessageHandler(IMessageHandler* handler) {
    try {
        handlers_->Add(handler);
    } catch (...) {
    }
}

void TWindowExtender::RemoveMessageHandler(IMessageHandler* handler) {
    try {
        handlers_->RemoveHandler(handler);
    } catch (...) {
    }
}

std::string TWindowExtender::GetWindowCaption() { return vpw::GetWindowCaption(window_.load()); }

void TWindowExtender::LetGo() {
    IPtr<IWindowExtender> self(this);
    try {
        if (IPtr<IWindowExtenderOwner> owner = owner_) owner->ReleaseSlave(static_cast<ISlave*>(this));
    } catch (...) {
    }
}

void TWindowExtender::WindowProc(TMessage& message) {
    // The subclass procedure holds a reference for the length of this call.
    if (message.Msg == WM_DETACHEXTENDER) {
        LetGo();
        message.Result = 0;
        return;
    }

    bool handled = false;
    int n = handlers_->Count();
    for (int i = 0; i < n; ++i) {
        try {
            if (IPtr<IMessageHandler> h = handlers_->GetMessageHandler(Variant(i)))
                handled = h->BeforeMessage(message) || handled;
        } catch (...) {
        }
    }

    if (!handled && hook_) {
        try {
            TWHook* hook = hook_;
            if (message.Msg == WM_DESTROY) hook->Unhook();
            if (message.Msg == WM_SUBCLASSREPLACED &&
                reinterpret_cast<WNDPROC>(message.WParam) == hook->PreviousProc())
                hook->SetPreviousProc(reinterpret_cast<WNDPROC>(message.LParam));
            hook->CallPrevious(message);
        } catch (...) {
        }
    }

    n = handlers_->Count();
    for (int i = 0; i < n; ++i) {
        try {
            if (IPtr<IMessageHandler> h = handlers_->GetMessageHandler(Variant(i))) h->AfterMessage(message, handled);
        } catch (...) {
        }
    }

    if (message.Msg == WM_DESTROY) {
        destroying_ = true;
        try {
            if (IPtr<IWindowExtenderOwner> owner = owner_) owner->ReleaseSlave(static_cast<ISlave*>(this));
        } catch (...) {
        }
    }
}

void RegisterEAWindowExtenderClasses() { RegisterEAItemClass(ItemClassOf<TWindowExtender>(), "WINDOWEXTENDER"); }

}  // namespace vpw
