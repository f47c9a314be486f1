// Roll a window up to its title bar and unroll it.
#pragma once
#include "uActions.h"

namespace vpw {

class TWindowRollupAction : public TAction {
public:
    void Initialize() override;
};

}  // namespace vpw
