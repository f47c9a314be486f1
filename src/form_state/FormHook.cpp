#include "FormHook.h"

#include <algorithm>
#include <memory>

namespace vpw {

namespace {

// The control hook bound to a window, and the procedure it replaced. The
// latter stays while our procedure may still sit in a later subclasser's
// chain, so that the chain keeps reaching the original procedure.
constexpr char kHookProp[] = "VPW.FormHook";
constexpr char kPrevProp[] = "VPW.FormHook.Prev";
constexpr char kUtilClass[] = "VPW_FormHookList";

WNDPROC WindowProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)); }

void HandleHookException() noexcept {
    // No application-wide handler here: the message goes on regardless.
}

std::unique_ptr<THookList>& HookListSlot() {
    static std::unique_ptr<THookList> list;
    return list;
}

}  // namespace

THookList* GetHookList(bool create) {
    auto& slot = HookListSlot();
    if (!slot && create) slot = std::make_unique<THookList>();
    return slot.get();
}

// ---- TFormWindowHook ----

TFormWindowHook::~TFormWindowHook() {
    SetActive(false);
    control_ = nullptr;
}

void TFormWindowHook::SetActive(bool active) {
    if (active == active_) return;
    if (active)
        Attach();
    else
        Detach();
}

TWinControl* TFormWindowHook::GetWinControl() const { return controlHook_ ? controlHook_->Control() : control_; }

void TFormWindowHook::SetWinControl(TWinControl* control) {
    if (control == GetWinControl()) return;
    bool wasActive = active_;
    Detach();
    control_ = control;
    if (wasActive) Attach();
}

void TFormWindowHook::Attach() {
    if (control_) GetHookList()->HookOf(control_)->AddWindowHook(this);
    active_ = true;
}

void TFormWindowHook::Detach() {
    if (TControlHook* hook = controlHook_) {
        hook->RemoveWindowHook(this);
        // Freed after the message in progress, which may be running in it.
        if (!hook->HasWindowHooks())
            if (THookList* list = GetHookList(false))
                PostMessageA(list->Window(), HOOK_FREE_MESSAGE, 0, reinterpret_cast<LPARAM>(hook));
    }
    active_ = false;
}

void TFormWindowHook::DoBeforeMessage(TMessage& msg, bool& handled) {
    if (BeforeMessage) BeforeMessage(this, msg, handled);
}

void TFormWindowHook::DoAfterMessage(TMessage& msg, bool& handled) {
    if (AfterMessage) AfterMessage(this, msg, handled);
}

// ---- TControlHook ----

TControlHook::~TControlHook() {
    destroying_ = true;
    if (THookList* list = GetHookList(false)) list->Remove(this);
    while (!hooks_.empty()) {
        TFormWindowHook* hook = hooks_.back();
        RemoveWindowHook(hook);
        hook->active_ = false;
    }
    Unsubclass();
    control_ = nullptr;
}

void TControlHook::AddWindowHook(TFormWindowHook* hook) {
    if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end()) {
        hooks_.push_back(hook);
        hook->controlHook_ = this;
        SetTarget(hook->control_);
    }
    Subclass();
}

void TControlHook::RemoveWindowHook(TFormWindowHook* hook) {
    hook->controlHook_ = nullptr;
    hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end());
    if (hooks_.empty()) Unsubclass();
}

void TControlHook::SetTarget(TWinControl* control) {
    if (control == control_) return;
    Unsubclass();
    control_ = control;
    if (!hooks_.empty()) Subclass();
}

void TControlHook::Subclass() {
    if (hooks_.empty() || !control_ || destroying_ || control_->Destroying()) return;
    HWND wnd = control_->HandleNeeded();
    if (!wnd || (subclassed_ == wnd && prevWndProc_)) return;
    if (WNDPROC left = reinterpret_cast<WNDPROC>(GetPropA(wnd, kPrevProp)); left && WindowProcOf(wnd) != StaticWndProc) {
        // Still in a later subclasser's chain: installing again would loop.
        prevWndProc_ = left;
    } else if (WindowProcOf(wnd) != StaticWndProc) {
        prevWndProc_ = WindowProcOf(wnd);
        SetPropA(wnd, kPrevProp, reinterpret_cast<HANDLE>(prevWndProc_));
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc));
    } else {
        prevWndProc_ = reinterpret_cast<WNDPROC>(GetPropA(wnd, kPrevProp));
    }
    SetPropA(wnd, kHookProp, this);
    subclassed_ = wnd;
}

void TControlHook::Unsubclass() {
    HWND wnd = subclassed_;
    if (control_ && prevWndProc_ && wnd && IsWindow(wnd)) {
        RemovePropA(wnd, kHookProp);
        // A later subclasser keeps its procedure; ours then only forwards.
        if (WindowProcOf(wnd) == StaticWndProc) {
            SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevWndProc_));
            RemovePropA(wnd, kPrevProp);
        }
    }
    prevWndProc_ = nullptr;
    subclassed_ = nullptr;
}

LRESULT CALLBACK TControlHook::StaticWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    auto* hook = static_cast<TControlHook*>(GetPropA(wnd, kHookProp));
    if (hook && hook->subclassed_ == wnd && hook->control_) {
        try {
            return hook->HookedWndProc(wnd, msg, wParam, lParam);
        } catch (...) {
            HandleHookException();
            return 0;
        }
    }
    auto prev = reinterpret_cast<WNDPROC>(GetPropA(wnd, kPrevProp));
    LRESULT result = prev ? CallWindowProcA(prev, wnd, msg, wParam, lParam) : DefWindowProcA(wnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) RemovePropA(wnd, kPrevProp);
    return result;
}

LRESULT TControlHook::HookedWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    bool handled = false;
    if (msg != WM_QUIT) CallWindowHooks(true, m, handled);
    if (!handled || msg == WM_DESTROY) {
        WNDPROC prev = prevWndProc_;
        m.Result = prev ? CallWindowProcA(prev, wnd, msg, wParam, lParam) : DefWindowProcA(wnd, msg, wParam, lParam);
        CallWindowHooks(false, m, handled);
    }
    if (msg == WM_DESTROY) {
        Unsubclass();
        THookList* list = GetHookList(false);
        // A window that goes while its control stays is being recreated.
        if (list && !destroying_ && control_ && !control_->Destroying())
            PostMessageA(list->Window(), HOOK_REHOOK_MESSAGE, 0, reinterpret_cast<LPARAM>(this));
    }
    return m.Result;
}

void TControlHook::CallWindowHooks(bool before, TMessage& msg, bool& handled) {
    if (hooks_.empty() || !control_ || destroying_ || control_->Destroying()) return;
    // A handler may attach or detach hooks: walk a copy, skip those gone.
    const std::vector<TFormWindowHook*> snapshot = hooks_;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        if (std::find(hooks_.begin(), hooks_.end(), *it) == hooks_.end()) continue;
        try {
            if (before)
                (*it)->DoBeforeMessage(msg, handled);
            else
                (*it)->DoAfterMessage(msg, handled);
        } catch (...) {
            HandleHookException();
        }
        if (handled) break;
    }
}

// ---- THookList ----

THookList::THookList() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA cls{};
    cls.lpfnWndProc = UtilWndProc;
    cls.hInstance = instance;
    cls.lpszClassName = kUtilClass;
    RegisterClassA(&cls);  // fails harmlessly when registered already
    window_.Reset(CreateWindowExA(0, kUtilClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr));
}

THookList::~THookList() {
    while (!hooks_.empty()) delete hooks_.back();  // each leaves the list itself
}

TControlHook* THookList::FindHookOf(TWinControl* control) const {
    if (!control) return nullptr;
    for (TControlHook* hook : hooks_)
        if (hook->Control() == control) return hook;
    return nullptr;
}

TControlHook* THookList::HookOf(TWinControl* control) {
    if (TControlHook* found = FindHookOf(control)) return found;
    auto hook = std::make_unique<TControlHook>();
    hooks_.push_back(hook.get());
    try {
        hook->SetTarget(control);
    } catch (...) {
        Remove(hook.get());
        throw;
    }
    return hook.release();
}

void THookList::Remove(TControlHook* hook) { hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end()); }

bool THookList::Contains(TControlHook* hook) const { return std::find(hooks_.begin(), hooks_.end(), hook) != hooks_.end(); }

LRESULT CALLBACK THookList::UtilWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg != HOOK_REHOOK_MESSAGE && msg != HOOK_FREE_MESSAGE) return DefWindowProcA(wnd, msg, wParam, lParam);
    try {
        THookList* list = GetHookList(false);
        auto* hook = reinterpret_cast<TControlHook*>(lParam);
        if (!list || !list->Contains(hook)) return 0;
        if (msg == HOOK_REHOOK_MESSAGE)
            hook->Subclass();
        else if (!hook->HasWindowHooks())
            delete hook;
    } catch (...) {
        HandleHookException();
    }
    return 0;
}

}  // namespace vpw
