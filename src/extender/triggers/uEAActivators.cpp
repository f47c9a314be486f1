#include "uEAActivators.h"

#include <atomic>

#include "EARoutines.h"
#include "Routines.h"

namespace vpw {

namespace {

// Default trigger names only have to be unique within one extender; the
// counter is never reset while the library stays loaded.
std::atomic<int> triggerCounter{0};

}  // namespace

// ------------------------------------------------------ TActionsActivator

bool TActionsActivator::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<ITrigger, IWindowPart, IMessageHandler, IActionActivatorOwner, IWindowPartOwner, ISlave,
                         IOwner>(this, iid, out))
        return true;
    return TAbstractParamsItem::QueryInterface(iid, out);
}

void TActionsActivator::Initialize() {
    TAbstractParamsItem::Initialize();
    name_ = std::string(DEFAULT_NAME_PREFIX) + std::to_string(++triggerCounter);
    agents_ = NewItem<TActionActivators>();
}

void TActionsActivator::ParseParam(const std::string& key, const std::string& value) {
    try {
        TAbstractParamsItem::ParseParam(key, value);
        if (key != "AGENT" || defaultAgentClass_.empty()) return;
        IPtr<IAgent> agent = Supports<IAgent>(CreateEAItemByClassName(value, defaultAgentClass_));
        // The collection keeps the first agent of a name.
        if (agent && agents_) agents_->Add(agent.get());
    } catch (...) {
        DebugOut("TActionsActivator.ParseParam: Err = " + CurrentExceptionMessage());
    }
}

void TActionsActivator::Fire() {
    try {
        ForEachAgent([](const IPtr<IAgent>& agent) { agent->Execute(); });
    } catch (...) {
    }
}

void TActionsActivator::SetOwner(IOwner* owner) {
    try {
        owner_ = Supports<IActionsActivatorOwner>(owner);
        ForEachAgent([this](const IPtr<IAgent>& agent) {
            if (IPtr<ISlave> slave = Supports<ISlave>(agent)) slave->SetOwner(static_cast<IOwner*>(this));
        });
    } catch (...) {
    }
}

void TActionsActivator::ReleaseOwner() {
    try {
        ForEachAgent([](const IPtr<IAgent>& agent) {
            if (IPtr<ISlave> slave = Supports<ISlave>(agent)) slave->ReleaseOwner();
        });
    } catch (...) {
    }
    owner_ = nullptr;
}

void TActionsActivator::Connect() {
    try {
        ForEachAgent([](const IPtr<IAgent>& agent) {
            if (IPtr<ISlave> slave = Supports<ISlave>(agent)) slave->Connect();
        });
    } catch (...) {
    }
}

void TActionsActivator::Disconnect() {
    try {
        ForEachAgent([](const IPtr<IAgent>& agent) {
            if (IPtr<ISlave> slave = Supports<ISlave>(agent)) slave->Disconnect();
        });
    } catch (...) {
    }
}

void TActionsActivator::AttachWindow() {
    try {
        if (IPtr<IWindowHandler> handler = GetWindowHandler())
            handler->AddMessageHandler(static_cast<IMessageHandler*>(this));
        ForEachAgent([](const IPtr<IAgent>& agent) { agent->AttachWindow(); });
    } catch (...) {
    }
}

void TActionsActivator::DetachWindow() {
    try {
        ForEachAgent([](const IPtr<IAgent>& agent) { agent->DetachWindow(); });
        if (IPtr<IWindowHandler> handler = GetWindowHandler())
            handler->RemoveMessageHandler(static_cast<IMessageHandler*>(this));
    } catch (...) {
    }
}

HWND TActionsActivator::Window() {
    IPtr<IWindowHandler> handler = GetWindowHandler();
    return handler ? handler->GetWindow() : nullptr;
}

IPtr<IWindowHandler> TActionsActivator::GetWindowHandler() {
    try {
        IPtr<IActionsActivatorOwner> owner = owner_;
        if (!owner) return {};
        return owner->GetWindowHandler();
    } catch (...) {
        return {};
    }
}

// ------------------------------------------------------- TActionActivator

bool TActionActivator::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<IAgent, IWindowPart, IObserver, ISlave>(this, iid, out)) return true;
    return TAbstractParamsItem::QueryInterface(iid, out);
}

void TActionActivator::ParseParam(const std::string& key, const std::string& value) {
    try {
        TAbstractParamsItem::ParseParam(key, value);
        if (key == "ACTIONNAME")
            actionName_ = value;
        else if (key == "OPERATIONNAME")
            operationName_ = value;
        else if (key == "ACTIONKIND")
            concrete_ = UpperCaseAscii(value) == "CONCRETE" ? 1 : 0;
    } catch (...) {
    }
}

void TActionActivator::SetOwner(IOwner* owner) {
    try {
        owner_ = Supports<IActionActivatorOwner>(owner);
    } catch (...) {
    }
}

void TActionActivator::ReleaseOwner() { owner_ = nullptr; }

IPtr<IWindowHandler> TActionActivator::WindowHandler() {
    IPtr<IActionActivatorOwner> owner = owner_;
    if (!owner) return {};
    return owner->GetWindowHandler();
}

IPtr<IAction> TActionActivator::FindAction() {
    IPtr<IWindowHandler> handler = WindowHandler();
    if (!handler) return {};
    IPtr<IActions> actions = handler->GetActions();
    if (!actions) return {};
    return actions->GetAction(actionName_);
}

void TActionActivator::Connect() {
    try {
        if (IPtr<IAction> action = FindAction())
            if (IPtr<IPublisher> publisher = action->GetPublisher())
                publisher->Subscribe(static_cast<IObserver*>(this));
    } catch (...) {
    }
}

void TActionActivator::Disconnect() {
    try {
        if (IPtr<IAction> action = FindAction())
            if (IPtr<IPublisher> publisher = action->GetPublisher())
                publisher->Unsubscribe(static_cast<IObserver*>(this));
    } catch (...) {
    }
}

void TActionActivator::AttachWindow() { attached_ = 1; }

void TActionActivator::DetachWindow() { attached_ = 0; }

void TActionActivator::Execute() {
    try {
        IPtr<IAction> action = FindAction();
        if (!action) return;
        if (concrete_ == 1)
            action->ExecuteOperation(operationName_);
        else
            action->ExecuteNextOperation();
    } catch (...) {
    }
}

}  // namespace vpw
