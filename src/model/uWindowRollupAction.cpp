#include "uWindowRollupAction.h"

namespace vpw {

void TWindowRollupAction::Initialize() {
    TAction::Initialize();
    SetKind(
        "WINDOWROLLUPACTION",
        "DefaultDetailPanel=WindowRollupActionDetailPanel_ZOV;ContentDetailPanel=WindowRollupActionDetailPanel_ZOV");
}

}  // namespace vpw
