// Rolls a window up to its title bar, leaving only the caption and frame, and
// unrolls it to the height it had before.
#pragma once
#include <windows.h>

#include <string>

#include "uEAActions.h"

namespace vpw {

// Operations WINDOWROLLUP (next at creation) and WINDOWUNROLL (current).
// Rolled up or not is read from the window each time.
class TWindowRollupAction : public TMessageHandlerAction, public virtual IPlacementCorrector {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    void CreateOperations() override;
    bool ApplyOperation(const std::string& name) override;
    // Never leaves the window rolled up by this action without an attached
    // action; the current operation stays, so a saved roll-up comes back.
    void DetachWindow() override;

    // The window is exactly as high as its caption and frame.
    bool IsRollup();
    // A rolled-up normal rectangle gets its full height back.
    void CorrectPlacement(WINDOWPLACEMENT& placement) override;

    // Whether this attachment rolled the window up, and the window rectangle
    // it had just before.
    bool HasSavedRect() const { return hasSavedRect_; }
    RECT GetSavedRect() const { return savedRect_; }

protected:
    ~TWindowRollupAction() override = default;
    // Unrolls a window this action rolled up.
    void TakeBack(HWND window, bool dying) override;

private:
    bool RollUp(HWND window);
    bool Unroll(HWND window);
    // Only the height changes.
    void SetHeight(HWND window, int height);

    RECT savedRect_{0, 0, 0, 0};
    bool hasSavedRect_ = false;
    // Rolled up by this action and not unrolled since.
    bool rolledUp_ = false;
};

}  // namespace vpw
