// Conditions: a condition matches a window when every enabled criterion does.
#pragma once
#include "uEnabledItem.h"

namespace vpw {

// Registers "CONDITION" and "CONDITIONS".
void RegisterConditionClasses();

class TCondition : public TEnabledItem, public virtual IRuleCondition {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    // Creates "criterions" with a class-name and a caption criterion.
    void Initialize() override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;

    bool IsEnabled() override { return TEnabledItem::IsEnabled(); }
    // At least one enabled criterion, and every enabled one matches.
    bool Matches(HWND window) override;
};

class TConditions : public TBOM_UI_Collection {
public:
    void Initialize() override;
    std::string GetDisplayText() override;
};

}  // namespace vpw
