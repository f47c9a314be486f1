// Observers of one window's messages: any number of TFormWindowHook share one
// TControlHook per control, which replaces the control's window procedure.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "WinHandles.h"

namespace vpw {

inline constexpr UINT HOOK_REHOOK_MESSAGE = 0xB052;
inline constexpr UINT HOOK_FREE_MESSAGE = 0xB053;

// A windowed control whose window may be destroyed and created again. Its
// window hooks leave it (or are freed) before it goes.
class TWinControl {
public:
    virtual ~TWinControl() = default;
    // The present window, or none.
    virtual HWND Handle() const = 0;
    // Creates the window when there is none.
    virtual HWND HandleNeeded() = 0;
    // True while the control itself goes, as opposed to its window being recreated.
    virtual bool Destroying() const = 0;
};

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

class TControlHook;

class TFormWindowHook {
public:
    using THookMessageEvent = std::function<void(TFormWindowHook* sender, TMessage& msg, bool& handled)>;

    TFormWindowHook() = default;
    TFormWindowHook(const TFormWindowHook&) = delete;
    TFormWindowHook& operator=(const TFormWindowHook&) = delete;
    virtual ~TFormWindowHook();

    bool GetActive() const { return active_; }
    void SetActive(bool active);
    TWinControl* GetWinControl() const;
    void SetWinControl(TWinControl* control);

    THookMessageEvent BeforeMessage;
    THookMessageEvent AfterMessage;

protected:
    virtual void DoBeforeMessage(TMessage& msg, bool& handled);
    virtual void DoAfterMessage(TMessage& msg, bool& handled);

private:
    friend class TControlHook;
    void Attach();
    void Detach();

    bool active_ = true;
    TWinControl* control_ = nullptr;
    TControlHook* controlHook_ = nullptr;
};

class TControlHook {
public:
    TControlHook() = default;
    TControlHook(const TControlHook&) = delete;
    TControlHook& operator=(const TControlHook&) = delete;
    ~TControlHook();

    TWinControl* Control() const { return control_; }
    bool HasWindowHooks() const { return !hooks_.empty(); }

    void AddWindowHook(TFormWindowHook* hook);
    void RemoveWindowHook(TFormWindowHook* hook);
    void SetTarget(TWinControl* control);
    void Subclass();
    void Unsubclass();

private:
    friend class THookList;
    static LRESULT CALLBACK StaticWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HookedWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void CallWindowHooks(bool before, TMessage& msg, bool& handled);

    TWinControl* control_ = nullptr;
    WNDPROC prevWndProc_ = nullptr;
    HWND subclassed_ = nullptr;
    std::vector<TFormWindowHook*> hooks_;
    bool destroying_ = false;
};

// The process's control hooks and the hidden window that re-subclasses and
// frees them after the message in progress.
class THookList {
public:
    THookList();
    THookList(const THookList&) = delete;
    THookList& operator=(const THookList&) = delete;
    ~THookList();

    TControlHook* FindHookOf(TWinControl* control) const;
    TControlHook* HookOf(TWinControl* control);
    void Remove(TControlHook* hook);
    bool Contains(TControlHook* hook) const;
    HWND Window() const { return window_.Get(); }

private:
    static LRESULT CALLBACK UtilWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    std::vector<TControlHook*> hooks_;
    TWindow window_;
};

// Created on first use; nothing once the process is shutting down.
THookList* GetHookList(bool create = true);

}  // namespace vpw
