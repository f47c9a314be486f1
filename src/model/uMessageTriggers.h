// Triggers that fire on window messages, optionally after a delay.
#pragma once
#include "uAgents.h"
#include "uTriggers.h"

namespace vpw {

class TMessageAgent : public TAgent {
public:
    void Initialize() override;
};

// The base of the six message kinds: the delay parameters.
class TMessageTrigger : public TTrigger {
public:
    void Initialize() override;
    void GetExtraConfig(std::string& text) override;
};

class TWMCreateMessageTrigger : public TMessageTrigger {
public:
    void Initialize() override;
};

class TWMDestroyMessageTrigger : public TMessageTrigger {
public:
    void Initialize() override;
};

class TWMActivateWindowMessageTrigger : public TMessageTrigger {
public:
    void Initialize() override;
};

class TWMInActivateWindowMessageTrigger : public TMessageTrigger {
public:
    void Initialize() override;
};

class TSCMinimizeMessageTrigger : public TMessageTrigger {
public:
    void Initialize() override;
};

class TSCDefaultMessageTrigger : public TMessageTrigger {
public:
    void Initialize() override;
};

}  // namespace vpw
