#include "uEAWindowRollupAction.h"

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
        HWND window = Window();
        if (!window) return false;
        RECT r = WindowRect(window);
        return r.bottom - r.top == GetNonClientHeight(window);
    } catch (...) {
        DebugOut("TWindowRollupAction.IsRollup: Err = " + CurrentExceptionMessage());
        return false;
    }
}

bool TWindowRollupAction::RollUp(HWND window) {
    // Rolled up already: the first saved height stays.
    if (IsRollup()) return true;
    RECT r = WindowRect(window);
    savedRect_ = r;
    hasSavedRect_ = true;
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, GetNonClientHeight(window), RESIZE_ONLY);
    return true;
}

bool TWindowRollupAction::Unroll(HWND window) {
    // Without a height saved by this attachment there is nothing to go back to.
    if (!hasSavedRect_ || !IsRollup()) return true;
    RECT r = WindowRect(window);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, savedRect_.bottom - savedRect_.top, RESIZE_ONLY);
    return true;
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

void TWindowRollupAction::AttachWindow() {
    attached_ = true;
    TMessageHandlerAction::AttachWindow();
}

void TWindowRollupAction::DetachWindow() {
    if (!attached_) return;
    attached_ = false;
    TMessageHandlerAction::DetachWindow();
    try {
        // Left rolled up: its placement is still saved at the full height.
        if (WindowBeingDestroyed() || !IsRollup()) return;
        IPtr<IOperation> current = GetCurrentOperation();
        if (!GetHoverEffect().empty())
            ApplyOperation(UNROLL);  // rolled up only for the hover; the current operation stays
        else if (current && current->GetName() == ROLLUP)
            ExecuteOperation(UNROLL);
    } catch (...) {
        DebugOut("TWindowRollupAction.DetachWindow: Err = " + CurrentExceptionMessage());
    }
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
