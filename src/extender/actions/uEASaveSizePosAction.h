// Keeps a window's placement (show command, minimised and maximised
// positions, normal rectangle) under its rule in the registry and puts it
// back on request.
#pragma once
#include <windows.h>

#include <string>

#include "uEAActions.h"

namespace vpw {

// The nine values, each the action's name followed by one of these suffixes,
// in the order they are written and read (REG_DWORD each).
inline constexpr const char* PLACEMENT_VALUE_SUFFIXES[] = {
    "_showCmdSuffix",      "_MinPositionX",      "_MinPositionY",
    "_MaxPositionX",       "_MaxPositionY",      "_NormalPositionLeft",
    "_NormalPositionTop",  "_NormalPositionRight", "_NormalPositionBottom",
};

// Operations SAVESIZEPOS (next at creation) and RESTORESIZEPOS (current).
class TSaveSizePosAction : public TAction {
public:
    void CreateOperations() override;
    bool ApplyOperation(const std::string& name) override;
    // A saved RESTORESIZEPOS is replayed; a saved SAVESIZEPOS is not: it would
    // overwrite the stored placement with the new window's before anything
    // restores it.
    void AttachWindow() override;

    // Writes all nine values, and only when the placement could be read. What
    // is saved is the window as the user knows it: actions that changed it
    // for a while (rolled up, hidden) correct the placement first.
    void SavePlacement();
    // Applies the stored placement when all nine values are there.
    void RestorePlacement();

protected:
    ~TSaveSizePosAction() override = default;
};

}  // namespace vpw
