// Ask before a window is closed.
#pragma once
#include "uActions.h"

namespace vpw {

class TCloseQueryAction : public TAction {
public:
    void Initialize() override;
    void GetExtraConfig(std::string& text) override;
};

}  // namespace vpw
