// Save and restore a window's size and position.
#pragma once
#include "uActions.h"

namespace vpw {

class TSaveSizePosAction : public TAction {
public:
    void Initialize() override;
};

}  // namespace vpw
