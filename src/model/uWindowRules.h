// Window rules: which windows a rule applies to, what it does to them and
// what sets that off, and the rule descriptor (WindowRuleData) handed to the
// hook library.
#pragma once
#include "uEnabledItem.h"

namespace vpw {

// Registers "WINDOWRULE" and "WINDOWRULES".
void RegisterWindowRuleClasses();

class TWindowRule : public TEnabledItem, public virtual IWindowRule, public virtual IUIList {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    // Creates "conditions", "actions" and "triggers", then loads the default
    // rule template into them.
    void Initialize() override;
    IPtr<IUIList> GetUIList() override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;

    bool IsEnabled() override { return TEnabledItem::IsEnabled(); }
    // At least one enabled condition matches.
    bool Matches(HWND window) override;
    // \WINDOWRULENAME=...\ACTION=...\TRIGGER=... for the enabled items.
    void GetConfigString(std::string& text) override;
    // The rule's three collections as child nodes.
    void FillTreeNode(TTreeNode* node) override;
};

class TWindowRules : public TBOM_UI_Collection {
public:
    void Initialize() override;
};

// "Window Rule " and the first number from 1 that names no item of `rules`.
std::string NewWindowRuleName(IBOMObject* rules);

}  // namespace vpw
