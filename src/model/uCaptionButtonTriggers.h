// The caption buttons that the hook library adds to the title bar.
#pragma once
#include "uAgents.h"
#include "uTriggers.h"

namespace vpw {

class TCaptionButtonAgent : public TAgent {
public:
    void Initialize() override;
    // A change of any parameter of the action it runs refreshes its node and panels.
    void AfterChangeOwnerObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                IBOMObject* sender) override;
};

class TCaptionButtonTrigger : public TTrigger {
public:
    void Initialize() override;
};

}  // namespace vpw
