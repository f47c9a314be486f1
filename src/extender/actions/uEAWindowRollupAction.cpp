#include "uEAWindowRollupAction.h"

#include <utility>

#include "EARoutines.h"
#include "EAWinFuncs.h"
#include "Exceptions.h"

namespace vpw {

namespace {

constexpr char ROLLUP[] = "WINDOWROLLUP";
constexpr char UNROLL[] = "WINDOWUNROLL";
// The top-left corner stays; nothing else of the window changes.
constexpr UINT RESIZE_ONLY = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING;

RECT WindowRect(HWND window) {
    RECT r{};
    if (!window || !GetWindowRect(window, &r)) throw Exception("GetWindowRect failed");
    return r;
}

int WindowHeightOf(HWND window) {
    RECT r = WindowRect(window);
    return r.bottom - r.top;
}

int WindowWidthOf(HWND window) {
    RECT r = WindowRect(window);
    return r.right - r.left;
}

bool IsRolledUp(HWND window) { return window && WindowHeightOf(window) == GetNonClientHeight(window); }

}  // namespace

bool TWindowRollupAction::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<IPlacementCorrector>(this, iid, out)) return true;
    return TMessageHandlerAction::QueryInterface(iid, out);
}

void TWindowRollupAction::CreateOperations() {
    AddOperation(
        "\\NAME=WINDOWROLLUP\\CAPTION=Rollup Window\\HINT=Rollup Window\\IMAGE=WINDOWROLLUP"
        "\\DOWNIMAGE=WINDOWROLLUP\\DEFAULT=yes\\DIRECTCALL=yes");
    AddOperation(
        "\\NAME=WINDOWUNROLL\\CAPTION=Unroll Window\\HINT=Unroll Window\\IMAGE=WINDOWUNROLL"
        "\\DOWNIMAGE=WINDOWUNROLL\\DEFAULT=no\\DIRECTCALL=yes");
    SetCurrentOperation(UNROLL);
}

bool TWindowRollupAction::IsRollup() {
    try {
        return IsRolledUp(Window());
    } catch (...) {
        DebugOut("TWindowRollupAction.IsRollup: Err = " + CurrentExceptionMessage());
        return false;
    }
}

void TWindowRollupAction::SetHeight(HWND window, int height) {
    SetWindowPos(window, nullptr, 0, 0, WindowWidthOf(window), height, RESIZE_ONLY);
}

bool TWindowRollupAction::RollUp(HWND window) {
    // Rolled up already: the first saved height stays.
    if (IsRolledUp(window)) return true;
    savedRect_ = WindowRect(window);
    hasSavedRect_ = true;
    // Before the resize: a detach during it unrolls the window again.
    rolledUp_ = true;
    return CallHost([this](HWND w) { SetHeight(w, GetNonClientHeight(w)); });
}

bool TWindowRollupAction::Unroll(HWND window) {
    // Without a height saved by this attachment there is nothing to go back to.
    if (!hasSavedRect_ || !IsRolledUp(window)) return true;
    rolledUp_ = false;
    return CallHost([this](HWND w) { SetHeight(w, savedRect_.bottom - savedRect_.top); });
}

bool TWindowRollupAction::ApplyOperation(const std::string& name) {
    try {
        HWND window = Window();
        if (name == ROLLUP) return RollUp(window);
        if (name == UNROLL) return Unroll(window);
        return false;
    } catch (...) {
        return false;
    }
}

void TWindowRollupAction::DetachWindow() {
    TMessageHandlerAction::DetachWindow();
    try {
        TakeBackAtDetach();
    } catch (...) {
        DebugOut("TWindowRollupAction.DetachWindow: Err = " + CurrentExceptionMessage());
    }
}

void TWindowRollupAction::TakeBack(HWND window, bool dying) {
    // Left rolled up, a dying window's placement is still saved at the full height.
    if (dying || !std::exchange(rolledUp_, false) || !IsRolledUp(window)) return;
    SetHeight(window, savedRect_.bottom - savedRect_.top);
}

void TWindowRollupAction::CorrectPlacement(WINDOWPLACEMENT& placement) {
    try {
        if (!hasSavedRect_) return;
        RECT& normal = placement.rcNormalPosition;
        if (normal.bottom - normal.top != GetNonClientHeight(Window())) return;
        normal.bottom = normal.top + (savedRect_.bottom - savedRect_.top);
    } catch (...) {
    }
}

}  // namespace vpw
