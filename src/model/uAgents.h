// Agents: what a trigger runs, by the name of an action of the same rule.
#pragma once
#include "uEnabledItem.h"

namespace vpw {

// Registers "Agents".
void RegisterAgentClasses();

class TAgent : public TEnabledItem, public virtual IRuleActivator {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;

    bool IsEnabled() override { return TEnabledItem::IsEnabled(); }
    virtual void GetExtraConfig(std::string& text);
    // {\NAME=...\ACTIONNAME=...\ACTIONKIND=...\OPERATIONNAME=...}: no type name,
    // the hook library takes the trigger's agent class.
    void GetConfigString(std::string& text) override;

    std::string GetActionName();
};

class TAgents : public TBOM_UI_Collection {
public:
    void Initialize() override;
    std::string GetDisplayText() override;
};

}  // namespace vpw
