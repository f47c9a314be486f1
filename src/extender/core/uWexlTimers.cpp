#include "uWexlTimers.h"

#include "EARoutines.h"
#include "EAWinFuncs.h"

namespace vpw {

namespace {

constexpr UINT_PTR TIMER_ID = 1;

}  // namespace

TTimer::TTimer() {
    if (!RegisterLibraryWindowClass(WINDOW_CLASS)) return;
    window_.Reset(CreateWindowExA(WS_EX_TOOLWINDOW, WINDOW_CLASS, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  LibraryInstance(), nullptr));
    if (!window_) return;
    SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(window_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTimer::WndProc));
}

TTimer::~TTimer() {
    enabled_ = false;
    UpdateTimer();
    if (window_) {
        // No tick may reach the timer from here on.
        SetWindowLongPtrA(window_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
        SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
        window_.Reset();
    }
}

void TTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    UpdateTimer();
}

void TTimer::SetInterval(int milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    UpdateTimer();
}

void TTimer::SetOnTimer(THandler handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (!window_) return;
    KillTimer(window_.Get(), TIMER_ID);
    if (interval_ != 0 && enabled_ && onTimer_)
        SetTimer(window_.Get(), TIMER_ID, static_cast<UINT>(interval_), nullptr);
}

void TTimer::Timer() {
    // A copy: the handler may destroy this timer.
    if (THandler handler = onTimer_) handler(this);
}

LRESULT CALLBACK TTimer::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_TIMER) {
            if (auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
                try {
                    timer->Timer();
                } catch (...) {
                    DebugOut("TTimer.WndProc: Err = " + CurrentExceptionMessage());
                }
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

}  // namespace vpw
