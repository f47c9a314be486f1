// Triggers: the event sources of a rule; each holds the agents it runs.
#pragma once
#include "uEnabledItem.h"

namespace vpw {

// Registers "Triggers".
void RegisterTriggerClasses();

class TTrigger : public TEnabledItem, public virtual IRuleActivator {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    // Creates the child "agents".
    void Initialize() override;
    IPtr<IUIList> GetUIList() override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;

    bool IsEnabled() override { return TEnabledItem::IsEnabled(); }
    virtual void GetExtraConfig(std::string& text);
    // TYPE{<extra>\AGENT={...}...} with the enabled agents in order.
    void GetConfigString(std::string& text) override;

    const std::string& GetDescriptorType() const { return descriptorType_; }

protected:
    void SetDescriptorType(const std::string& descriptorType) { descriptorType_ = descriptorType; }
    // Type name and descriptor type alike; an empty panel string keeps the inherited one.
    void SetKind(const std::string& typeName, const std::string& detailPanels = {});

private:
    std::string descriptorType_;
};

class TTriggers : public TBOM_UI_Collection {
public:
    void Initialize() override;
    std::string GetDisplayText() override;
};

}  // namespace vpw
