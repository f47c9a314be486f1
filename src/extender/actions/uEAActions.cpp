#include "uEAActions.h"

#include <utility>

#include "EARoutines.h"
#include "EAWinFuncs.h"
#include "Exceptions.h"
#include "RegistryRoutines.h"
#include "Routines.h"

namespace vpw {

void PlacementAfterHiding(WINDOWPLACEMENT& placement, int showState) {
    if (showState == 2)
        placement.showCmd = SW_SHOWMAXIMIZED;
    else if (showState == 1 && (placement.flags & WPF_RESTORETOMAXIMIZED))
        placement.showCmd = SW_SHOWMAXIMIZED;
    else
        placement.showCmd = SW_SHOWNORMAL;
}

bool TakeBackHiding(HWND window, bool& hidden, int showState, bool dying) {
    if (!hidden) return false;
    if (dying) {
        RestoreApplicationOwner(window);
        return false;
    }
    hidden = false;
    ShowWithOwner(window, showState);
    return true;
}

// ---------------------------------------------------------------- TAction

bool TAction::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<IAction, IWindowPart, ISlave, IPublisherOwner, IOwner>(this, iid, out)) return true;
    return TAbstractParamsItem::QueryInterface(iid, out);
}

void TAction::Initialize() {
    TAbstractParamsItem::Initialize();
    saveCurrentOperation_ = false;
    publisher_ = IPtr<TPublisher>(new TPublisher());
    operations_ = NewItem<TOperations>();
    CreateOperations();
}

void TAction::ParseParam(const std::string& key, const std::string& value) {
    TAbstractParamsItem::ParseParam(key, value);
    if (key == "SAVECURRENTOPERATION") saveCurrentOperation_ = IsYes(value);
}

void TAction::SetCurrentOperation(const std::string& name) {
    try {
        current_ = nullptr;
        next_ = nullptr;
        if (!operations_) return;
        int position = operations_->IndexOf(name);
        if (position < 0) return;
        current_ = operations_->GetOperation(name);
        int nextPosition = position + 1 < operations_->Count() ? position + 1 : 0;
        next_ = operations_->GetOperation(nextPosition);
    } catch (...) {
    }
}

bool TAction::ApplyOperation(const std::string& name) { return true; }

void TAction::SetOwner(IOwner* owner) {
    try {
        leaving_ = false;
        owner_ = Supports<IActionOwner>(owner);
        if (publisher_) publisher_->SetOwner(static_cast<IOwner*>(this));
    } catch (...) {
    }
}

void TAction::ReleaseOwner() {
    try {
        if (publisher_) publisher_->ReleaseOwner();
    } catch (...) {
    }
    owner_ = nullptr;
}

void TAction::AttachWindow() {
    try {
        if (!saveCurrentOperation_) return;
        std::string saved = LoadCurrentOperation();
        if (!saved.empty()) ExecuteOperation(saved);
    } catch (...) {
    }
}

void TAction::DetachWindow() {
    try {
        if (saveCurrentOperation_) SaveCurrentOperationToRegistry();
    } catch (...) {
    }
}

bool TAction::ExecuteOperation(const std::string& name) {
    return Request({TRequest::TKind::Execute, name});
}

bool TAction::Request(TRequest request) {
    try {
        if (leaving_) return false;
        if (running_ > 0) {
            constexpr std::size_t KEPT_AT_MOST = 8;
            if (kept_.size() == KEPT_AT_MOST) kept_.erase(kept_.begin());
            kept_.push_back(std::move(request));
            return false;
        }
        bool done = Perform(request);
        RunKeptRequests();
        return done;
    } catch (...) {
        return false;
    }
}

bool TAction::Perform(const TRequest& request) {
    switch (request.kind) {
    case TRequest::TKind::Execute:
        return ExecuteNow(request.name);
    case TRequest::TKind::ApplyHover:
        return ApplyHoverNow(request.name);
    case TRequest::TKind::RemoveHover:
        return RemoveHoverNow();
    }
    return false;
}

void TAction::RunKeptRequests() {
    if (runningKept_) return;  // an outer call goes on with them
    runningKept_ = true;
    try {
        constexpr int ROUNDS = 4;
        for (int round = 0; round < ROUNDS && !kept_.empty() && !leaving_ && Window(); ++round) {
            TRequest next = std::move(kept_.front());
            kept_.erase(kept_.begin());
            Perform(next);
        }
    } catch (...) {
    }
    kept_.clear();
    runningKept_ = false;
}

bool TAction::ApplyWhileRunning(const std::string& name) {
    ++running_;
    bool done = false;
    try {
        done = ApplyOperation(name);
    } catch (...) {
        DebugOut("TAction.ApplyOperation(" + name + "): Err = " + CurrentExceptionMessage());
    }
    --running_;
    return done;
}

bool TAction::ExecuteNow(const std::string& name) {
    if (!hoverEffect_.empty()) {
        // The window shows the hover state; the new one is applied when it ends.
        SetCurrentOperation(name);
        return true;
    }
    const bool done = ApplyWhileRunning(name);
    if (done) {
        SetCurrentOperation(name);
        NotifyObservers();
    }
    return done;
}

bool TAction::ExecuteNextOperation() {
    try {
        IPtr<IOperation> next = next_;
        if (!next) return true;
        return ExecuteOperation(next->GetName());
    } catch (...) {
        return false;
    }
}

IPtr<IPublisher> TAction::GetPublisher() { return IPtr<IPublisher>(publisher_.get()); }

bool TAction::ApplyHoverEffect(const std::string& name) {
    return Request({TRequest::TKind::ApplyHover, name});
}

bool TAction::RemoveHoverEffect() { return Request({TRequest::TKind::RemoveHover, std::string()}); }

bool TAction::ApplyHoverNow(const std::string& name) {
    hoverEffect_.clear();
    const bool done = ApplyWhileRunning(name);
    if (done) hoverEffect_ = name;
    return done;
}

bool TAction::RemoveHoverNow() {
    hoverEffect_.clear();
    IPtr<IOperation> current = current_;
    if (!current) return false;
    return ApplyWhileRunning(current->GetName());
}

void TAction::NotifyObservers() {
    try {
        if (publisher_) publisher_->NotifyObservers();
    } catch (...) {
    }
}

IPtr<IWindowHandler> TAction::WindowHandler() {
    IPtr<IActionOwner> owner = owner_;
    if (!owner) return {};
    return owner->GetWindowHandler();
}

HWND TAction::Window() {
    IPtr<IWindowHandler> handler = WindowHandler();
    return handler ? handler->GetWindow() : nullptr;
}

bool TAction::WindowBeingDestroyed() {
    IPtr<IWindowHandler> handler = WindowHandler();
    return handler && handler->IsWindowBeingDestroyed();
}

std::string TAction::RuleKeyPath() {
    IPtr<IWindowHandler> handler = WindowHandler();
    if (!handler) return {};
    return std::string(WINDOW_RULES_REGISTRY_KEY) + handler->GetWindowRuleName();
}

std::string TAction::LoadCurrentOperation() {
    std::string path = RuleKeyPath();
    if (path.empty()) return {};
    std::string value;
    if (!ReadRegString(HKEY_CURRENT_USER, path, GetName() + CURRENT_OPERATION_VALUE_SUFFIX, value)) return {};
    return value;
}

void TAction::SaveCurrentOperationToRegistry() {
    IPtr<IOperation> current = current_;
    if (!current) return;
    std::string path = RuleKeyPath();
    if (path.empty()) return;
    if (!WriteRegString(HKEY_CURRENT_USER, path, GetName() + CURRENT_OPERATION_VALUE_SUFFIX, current->GetName()))
        DebugOut("TAction.SaveCurrentOperationToRegistry: Err = the current operation could not be written under " +
                 path);
}

void TAction::AddOperation(const std::string& paramString) {
    IPtr<IOperation> operation = Supports<IOperation>(CreateEAItemByClassName(paramString, "OPERATION"));
    if (operation && operations_) operations_->Add(operation.get());
}

void TAction::SetOperations(const std::string& currentName, const std::string& nextName) {
    if (!operations_) return;
    current_ = operations_->GetOperation(currentName);
    next_ = operations_->GetOperation(nextName);
}

void TAction::TakeBackAtDetach() {
    bool dying = WindowBeingDestroyed();
    // Whatever the host asks of the action from here on comes too late.
    leaving_ = true;
    kept_.clear();
    if (hostCalls_ > 0) {
        dyingAtDetach_ = dying;
        return;
    }
    HWND window = Window();
    if (!window) return;
    ++running_;
    try {
        TakeBack(window, dying);
    } catch (...) {
        --running_;
        throw;
    }
    --running_;
}

bool TAction::EndHostCall(HWND window) noexcept {
    --hostCalls_;
    try {
        if (Window() == window) return true;
        if (hostCalls_ == 0) TakeBack(window, dyingAtDetach_ || !IsWindow(window));
    } catch (...) {
    }
    return false;
}

// --------------------------------------------------- TMessageHandlerAction

bool TMessageHandlerAction::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<IMessageHandler>(this, iid, out)) return true;
    return TAction::QueryInterface(iid, out);
}

void TMessageHandlerAction::AttachWindow() {
    try {
        TAction::AttachWindow();
        if (IPtr<IWindowHandler> handler = WindowHandler())
            handler->AddMessageHandler(static_cast<IMessageHandler*>(this));
    } catch (...) {
    }
}

void TMessageHandlerAction::DetachWindow() {
    try {
        TAction::DetachWindow();
        if (IPtr<IWindowHandler> handler = WindowHandler())
            handler->RemoveMessageHandler(static_cast<IMessageHandler*>(this));
    } catch (...) {
    }
}

// ------------------------------------------------------- TSingleCallAction

void TSingleCallAction::Initialize() {
    TAction::Initialize();
    armed_ = true;
}

bool TSingleCallAction::Disarm() {
    bool was = armed_;
    armed_ = false;
    return was;
}

// -------------------------------------------------------- TStayOnTopAction

void TStayOnTopAction::CreateOperations() {
    AddOperation(
        "\\NAME=STAYONTOPON\\CAPTION=StayOnTop On\\HINT=StayOnTop On\\IMAGE=STAYONTOPON\\DOWNIMAGE=STAYONTOPOFF"
        "\\IMAGE_SMALL=STAYONTOPON_SMALL\\DOWNIMAGE_SMALL=STAYONTOPOFF_SMALL\\DEFAULT=yes\\DIRECTCALL=yes");
    AddOperation(
        "\\NAME=STAYONTOPOFF\\CAPTION=StayOnTop Off\\HINT=StayOnTop Off\\IMAGE=STAYONTOPOFF\\DOWNIMAGE=STAYONTOPON"
        "\\IMAGE_SMALL=STAYONTOPOFF_SMALL\\DOWNIMAGE_SMALL=STAYONTOPON_SMALL\\DEFAULT=no\\DIRECTCALL=yes");
    // A new window is taken as not on top: the first toggle makes it topmost.
    SetCurrentOperation("STAYONTOPOFF");
}

bool TStayOnTopAction::ApplyOperation(const std::string& name) {
    HWND insertAfter;
    if (name == "STAYONTOPON")
        insertAfter = HWND_TOPMOST;
    else if (name == "STAYONTOPOFF")
        insertAfter = HWND_NOTOPMOST;
    else
        return false;
    if (!Window()) return false;
    // Its own move is no change by others: a hover's would become current.
    bool outer = std::exchange(applying_, true);
    // Ours before the move: a detach during it takes it back.
    bool wasByAction = std::exchange(topmostByAction_, true);
    bool done = false;
    bool attached = CallHost([&](HWND window) {
        done = SetWindowPos(window, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE) != FALSE;
    });
    applying_ = outer;
    if (attached && !done) topmostByAction_ = wasByAction;
    return attached && done;
}

void TStayOnTopAction::AttachWindow() {
    programTopmost_ = (GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    topmostByAction_ = false;
    TMessageHandlerAction::AttachWindow();
}

void TStayOnTopAction::DetachWindow() {
    try {
        TakeBackAtDetach();
    } catch (...) {
    }
    TMessageHandlerAction::DetachWindow();
}

void TStayOnTopAction::TakeBack(HWND window, bool dying) {
    if (dying || !std::exchange(topmostByAction_, false)) return;
    bool outer = std::exchange(applying_, true);
    SetWindowPos(window, programTopmost_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    applying_ = outer;
}

void TStayOnTopAction::AfterMessage(TMessage& message, bool handled) {
    try {
        TMessageHandlerAction::AfterMessage(message, handled);
        if (message.Msg != WM_WINDOWPOSCHANGED || message.LParam == 0 || applying_) return;
        const WINDOWPOS& pos = *reinterpret_cast<const WINDOWPOS*>(message.LParam);
        // With SWP_NOZORDER the insert-after handle is not looked at by the
        // system, so it says nothing about the window's place.
        if (pos.flags & SWP_NOZORDER) return;
        if (pos.hwndInsertAfter == HWND_TOPMOST)
            SetOperations("STAYONTOPON", "STAYONTOPOFF");
        else if (pos.hwndInsertAfter == HWND_NOTOPMOST)
            SetOperations("STAYONTOPOFF", "STAYONTOPON");
        else
            return;
        // The program's own choice: a detach leaves it.
        programTopmost_ = pos.hwndInsertAfter == HWND_TOPMOST;
        topmostByAction_ = false;
        NotifyObservers();
    } catch (...) {
    }
}

// ------------------------------------------------------ TCloseWindowAction

void TCloseWindowAction::CreateOperations() {
    AddOperation("\\NAME=CLOSEWINDOW\\CAPTION=Close Window\\HINT=Close Window\\DEFAULT=yes\\DIRECTCALL=yes");
    SetCurrentOperation("CLOSEWINDOW");
}

bool TCloseWindowAction::ApplyOperation(const std::string& name) {
    try {
        IPtr<IOperation> next = GetNextOperation();
        if (!Armed() || !next || name != next->GetName()) return false;
        Disarm();
        PostMessageA(Window(), WM_CLOSE, 0, 0);
        return true;
    } catch (...) {
        return false;
    }
}

// ---------------------------------------------------------- TRunModeAction

void TRunModeAction::ParseParam(const std::string& key, const std::string& value) {
    TSingleCallAction::ParseParam(key, value);
    if (key != "RUNMODE") return;
    std::string mode = UpperCaseAscii(value);
    if (mode == "MINIMIZE")
        command_ = SC_MINIMIZE;
    else if (mode == "MAXIMIZE")
        command_ = SC_MAXIMIZE;
    else
        command_ = SC_RESTORE;
}

void TRunModeAction::CreateOperations() {
    AddOperation("\\NAME=RUNMODE\\CAPTION=Run Mode\\HINT=Run Mode\\DEFAULT=yes\\DIRECTCALL=yes");
    SetCurrentOperation("RUNMODE");
}

bool TRunModeAction::ApplyOperation(const std::string& name) {
    try {
        IPtr<IOperation> next = GetNextOperation();
        if (!Armed() || !next || name != next->GetName()) return false;
        Disarm();
        HWND window = Window();
        DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
        bool post = (command_ == SC_MINIMIZE && (style & WS_MINIMIZEBOX)) ||
                    (command_ == SC_MAXIMIZE && (style & WS_MAXIMIZEBOX)) || command_ == SC_RESTORE;
        if (post) PostMessageA(window, WM_SYSCOMMAND, command_, 0);
        return true;
    } catch (...) {
        DebugOut("TRunModeAction.ApplyOperation: Err = " + CurrentExceptionMessage());
        return false;
    }
}

}  // namespace vpw
