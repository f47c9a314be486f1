// The rule lookup taken out of a model that no longer changes (the control
// center's between two reloads): enabled flags, wanted texts and every
// rule's descriptor are read once, and rules are filed under the window
// class they ask for, so a lookup tests only the rules that can match.
#pragma once
#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "BOMInterfaces.h"
#include "uEnabledItem.h"

namespace vpw {

class TRuleLookup {
public:
    // Reads the rules of the collection, in order.
    explicit TRuleLookup(IBOMCollection* rules);

    // The descriptor of the first enabled rule that matches the window;
    // empty when none does.
    const std::string& Find(HWND window) const;

private:
    // A known kind is tested from the texts read here; any other kind is
    // asked again at every lookup.
    struct TCriterionTest {
        enum class TKind { ClassName, Caption, Other } kind;
        std::string wanted;
        bool exact = true;
        IPtr<IRuleCriterion> other;
        bool Matches(HWND window, const std::string& className) const;
    };
    struct TConditionTest {
        std::vector<TCriterionTest> criteria;  // the enabled ones
        IPtr<IRuleCondition> other;
        bool Matches(HWND window, const std::string& className) const;
        // The class every window it matches has; nullptr when any may.
        const std::string* OnlyClass() const;
    };
    struct TRuleTest {
        std::vector<TConditionTest> conditions;  // the enabled ones
        IPtr<IWindowRule> other;
        std::string data;
        bool Matches(HWND window, const std::string& className) const;
    };

    static TRuleTest PrepareRule(IWindowRule* rule);
    static TConditionTest PrepareCondition(IRuleCondition* condition);
    static TCriterionTest PrepareCriterion(IRuleCriterion* criterion);

    // Files the rule under the classes it asks for, or with the rules
    // that any window may match.
    void Index(std::size_t rule);

    std::vector<TRuleTest> rules_;  // the enabled ones
    std::unordered_map<std::string, std::vector<std::size_t>> byClass_;
    std::vector<std::size_t> anyClass_;
};

}  // namespace vpw
