// Minimise to a small icon window at the screen edge.
#pragma once
#include "uActions.h"

namespace vpw {

class TMinToEdgeAction : public TAction {
public:
    void Initialize() override;
    void GetExtraConfig(std::string& text) override;
};

}  // namespace vpw
