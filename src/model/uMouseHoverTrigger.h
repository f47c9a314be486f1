// The mouse hovering over a window and leaving it.
#pragma once
#include "uAgents.h"
#include "uTriggers.h"

namespace vpw {

class TMouseHoverAgent : public TAgent {
public:
    void Initialize() override;
};

// Registered as "MOUSEHOVETRIGGER" but with an empty type name, so it is
// stored without a type and found again on load by its template name.
class TMouseHoverTrigger : public TTrigger {
public:
    void Initialize() override;
    void GetExtraConfig(std::string& text) override;
};

}  // namespace vpw
