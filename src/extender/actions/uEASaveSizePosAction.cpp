#include "uEASaveSizePosAction.h"

#include <cstdint>
#include <iterator>

#include "RegistryRoutines.h"
#include "Routines.h"

namespace vpw {

namespace {

constexpr char SAVE[] = "SAVESIZEPOS";
constexpr char RESTORE[] = "RESTORESIZEPOS";
constexpr int VALUE_COUNT = static_cast<int>(std::size(PLACEMENT_VALUE_SUFFIXES));

// Normal, minimised or maximised; anything else stands for a passing state
// (hidden, shown without activation) and counts as normal.
UINT UserShowCommand(UINT showCmd) {
    return showCmd == SW_SHOWMINIMIZED || showCmd == SW_SHOWMAXIMIZED ? showCmd : SW_SHOWNORMAL;
}

void ToValues(const WINDOWPLACEMENT& p, std::uint32_t (&v)[VALUE_COUNT]) {
    const LONG fields[VALUE_COUNT] = {static_cast<LONG>(p.showCmd), p.ptMinPosition.x, p.ptMinPosition.y,
                                      p.ptMaxPosition.x, p.ptMaxPosition.y, p.rcNormalPosition.left,
                                      p.rcNormalPosition.top, p.rcNormalPosition.right, p.rcNormalPosition.bottom};
    for (int i = 0; i < VALUE_COUNT; ++i) v[i] = static_cast<std::uint32_t>(fields[i]);
}

WINDOWPLACEMENT FromValues(const std::uint32_t (&v)[VALUE_COUNT]) {
    auto at = [&v](int i) { return static_cast<LONG>(v[i]); };
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    p.flags = 0;
    p.showCmd = UserShowCommand(v[0]);
    p.ptMinPosition = POINT{at(1), at(2)};
    p.ptMaxPosition = POINT{at(3), at(4)};
    p.rcNormalPosition = RECT{at(5), at(6), at(7), at(8)};
    return p;
}

}  // namespace

void TSaveSizePosAction::CreateOperations() {
    AddOperation(
        "\\NAME=SAVESIZEPOS\\CAPTION=Save size and position\\HINT=Save size and position\\DEFAULT=yes"
        "\\DIRECTCALL=yes");
    AddOperation(
        "\\NAME=RESTORESIZEPOS\\CAPTION=Restore size and position\\HINT=Restore size and position\\DEFAULT=no"
        "\\DIRECTCALL=yes");
    SetCurrentOperation(RESTORE);
}

bool TSaveSizePosAction::ApplyOperation(const std::string& name) {
    try {
        if (name == SAVE) {
            SavePlacement();
            return true;
        }
        if (name == RESTORE) {
            RestorePlacement();
            return true;
        }
        return false;
    } catch (...) {
        return false;
    }
}

void TSaveSizePosAction::AttachWindow() {
    try {
        if (!GetSaveCurrentOperation()) return;
        std::string saved = LoadCurrentOperation();
        if (!saved.empty() && UpperCaseAscii(saved) != SAVE) ExecuteOperation(saved);
    } catch (...) {
    }
}

void TSaveSizePosAction::SavePlacement() {
    IPtr<IWindowHandler> handler = WindowHandler();
    if (!handler) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(handler->GetWindow(), &placement)) return;
    placement.showCmd = UserShowCommand(placement.showCmd);
    if (IPtr<IActions> actions = handler->GetActions()) {
        int count = actions->Count();
        for (int i = 0; i < count; ++i)
            if (IPtr<IPlacementCorrector> corrector = Supports<IPlacementCorrector>(actions->GetAction(Variant(i))))
                corrector->CorrectPlacement(placement);
    }
    TRegKey key = OpenRegKeyForWrite(HKEY_CURRENT_USER, RuleKeyPath());
    if (!key) return;
    std::uint32_t values[VALUE_COUNT];
    ToValues(placement, values);
    for (int i = 0; i < VALUE_COUNT; ++i)
        if (!WriteRegDword(key.Get(), "", GetName() + PLACEMENT_VALUE_SUFFIXES[i], values[i])) return;
}

void TSaveSizePosAction::RestorePlacement() {
    IPtr<IWindowHandler> handler = WindowHandler();
    if (!handler) return;
    TRegKey key = OpenRegKeyForRead(HKEY_CURRENT_USER, RuleKeyPath());
    if (!key) return;
    std::uint32_t values[VALUE_COUNT];
    for (int i = 0; i < VALUE_COUNT; ++i)
        if (!ReadRegDword(key.Get(), "", GetName() + PLACEMENT_VALUE_SUFFIXES[i], values[i])) return;
    WINDOWPLACEMENT placement = FromValues(values);
    HWND window = handler->GetWindow();
    // A window its program keeps hidden gets its place, but is not shown.
    if (!IsWindowVisible(window)) placement.showCmd = SW_HIDE;
    SetWindowPlacement(window, &placement);
}

}  // namespace vpw
