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
    void AttachWindow() override;
    // Never leaves the window rolled up without an attached action. Only the
    // first detachment of an attachment counts: a second one would save the
    // unrolled state over the rolled-up one.
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

private:
    bool RollUp(HWND window);
    bool Unroll(HWND window);

    RECT savedRect_{0, 0, 0, 0};
    bool hasSavedRect_ = false;
    bool attached_ = false;
};

}  // namespace vpw
