// A timer that needs no window framework: ticks arrive as WM_TIMER at a
// hidden utility window, so it works inside any foreign process. Create,
// change and destroy it on the thread whose messages drive it.
#pragma once
#include <windows.h>

#include <functional>

#include "WinHandles.h"

namespace vpw {

class TTimer {
public:
    using THandler = std::function<void(TTimer* sender)>;

    TTimer();
    virtual ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    void SetOnTimer(THandler handler);
    HWND Window() const { return window_.Get(); }

    // Class of the utility windows (never attached to by the library).
    static constexpr char WINDOW_CLASS[] = "TPUtilWindow";

protected:
    // One tick: calls the handler when there is one.
    virtual void Timer();

private:
    void UpdateTimer();
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    int interval_ = 1000;
    TWindow window_;
    THandler onTimer_;
    bool enabled_ = false;
};

}  // namespace vpw
