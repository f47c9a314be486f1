#include "uRuleLookup.h"

#include <typeinfo>

#include "uConditions.h"
#include "uCriterions.h"
#include "uWindowRules.h"

namespace vpw {

namespace {

// The collection child `name` of an item, as its Matches resolves it.
IPtr<IBOMCollection> ChildList(IInterface* item, const char* name) {
    IPtr<IBOMObject> obj = Supports<IBOMObject>(item);
    return obj ? Supports<IBOMCollection>(obj->Resolve(name)) : nullptr;
}

// Exactly these classes are read here; a subclass may match otherwise.
template <class T, class I>
T* Exactly(I* item) {
    return item && typeid(*item) == typeid(T) ? dynamic_cast<T*>(item) : nullptr;
}

}  // namespace

TRuleLookup::TRuleLookup(IBOMCollection* rules) {
    if (!rules) return;
    for (int i = 0; i < rules->Count(); ++i) {
        IPtr<IWindowRule> rule = FacetOf<IWindowRule>(rules->Item(i).get(), "WindowRule");
        if (!rule || !rule->IsEnabled()) continue;
        rules_.push_back(PrepareRule(rule.get()));
        Index(rules_.size() - 1);
    }
}

void TRuleLookup::Index(std::size_t rule) {
    const TRuleTest& test = rules_[rule];
    if (test.other) {
        anyClass_.push_back(rule);
        return;
    }
    std::vector<const std::string*> classes;
    for (const TConditionTest& condition : test.conditions) {
        const std::string* cls = condition.OnlyClass();
        if (!cls) {
            anyClass_.push_back(rule);
            return;
        }
        classes.push_back(cls);
    }
    // A rule without enabled conditions matches nothing and is filed nowhere.
    for (const std::string* cls : classes) {
        std::vector<std::size_t>& list = byClass_[*cls];
        if (list.empty() || list.back() != rule) list.push_back(rule);
    }
}

const std::string& TRuleLookup::Find(HWND window) const {
    static const std::string kNone;
    static const std::vector<std::size_t> kNoRules;
    if (rules_.empty()) return kNone;
    TWindowTextCache texts(window);
    std::string className = TWindowTextCache::ClassName(window);
    auto filed = byClass_.find(className);
    const std::vector<std::size_t>& forClass = filed == byClass_.end() ? kNoRules : filed->second;
    // Both lists are in rule order: walk them as one, so the first match wins.
    auto a = forClass.begin(), b = anyClass_.begin();
    while (a != forClass.end() || b != anyClass_.end()) {
        std::size_t next;
        if (b == anyClass_.end() || (a != forClass.end() && *a < *b))
            next = *a++;
        else
            next = *b++;
        if (rules_[next].Matches(window, className)) return rules_[next].data;
    }
    return kNone;
}

TRuleLookup::TRuleTest TRuleLookup::PrepareRule(IWindowRule* rule) {
    TRuleTest test;
    rule->GetConfigString(test.data);
    if (!Exactly<TWindowRule>(rule)) {
        test.other = rule;
        return test;
    }
    if (IPtr<IBOMCollection> conditions = ChildList(rule, "conditions"))
        for (int i = 0; i < conditions->Count(); ++i) {
            IPtr<IRuleCondition> condition = FacetOf<IRuleCondition>(conditions->Item(i).get(), "Condition");
            if (condition && condition->IsEnabled()) test.conditions.push_back(PrepareCondition(condition.get()));
        }
    return test;
}

TRuleLookup::TConditionTest TRuleLookup::PrepareCondition(IRuleCondition* condition) {
    TConditionTest test;
    if (!Exactly<TCondition>(condition)) {
        test.other = condition;
        return test;
    }
    if (IPtr<IBOMCollection> criteria = ChildList(condition, "criterions"))
        for (int i = 0; i < criteria->Count(); ++i) {
            IPtr<IRuleCriterion> criterion = FacetOf<IRuleCriterion>(criteria->Item(i).get(), "Criterion");
            if (criterion && criterion->IsEnabled()) test.criteria.push_back(PrepareCriterion(criterion.get()));
        }
    return test;
}

TRuleLookup::TCriterionTest TRuleLookup::PrepareCriterion(IRuleCriterion* criterion) {
    TCriterionTest test{TCriterionTest::TKind::Other, {}, true, nullptr};
    if (auto* byClass = Exactly<TWindowClassNameCriterion>(criterion)) {
        test.kind = TCriterionTest::TKind::ClassName;
        test.wanted = byClass->WantedClassName();
    } else if (auto* byCaption = Exactly<TWindowCaptionCriterion>(criterion)) {
        test.kind = TCriterionTest::TKind::Caption;
        test.wanted = byCaption->WantedCaption();
        test.exact = byCaption->IsExactSearch();
    } else {
        test.other = criterion;
    }
    return test;
}

bool TRuleLookup::TCriterionTest::Matches(HWND window, const std::string& className) const {
    switch (kind) {
        case TKind::ClassName:
            return className == wanted;
        case TKind::Caption:
            return TWindowCaptionCriterion::CaptionMatches(TWindowTextCache::Caption(window), wanted, exact);
        default:
            return other->Matches(window);
    }
}

// All enabled criteria match, and there is at least one.
bool TRuleLookup::TConditionTest::Matches(HWND window, const std::string& className) const {
    if (other) return other->Matches(window);
    for (const TCriterionTest& criterion : criteria)
        if (!criterion.Matches(window, className)) return false;
    return !criteria.empty();
}

const std::string* TRuleLookup::TConditionTest::OnlyClass() const {
    if (other) return nullptr;
    for (const TCriterionTest& criterion : criteria)
        if (criterion.kind == TCriterionTest::TKind::ClassName) return &criterion.wanted;
    return nullptr;
}

// Any enabled condition matches.
bool TRuleLookup::TRuleTest::Matches(HWND window, const std::string& className) const {
    if (other) return other->Matches(window);
    for (const TConditionTest& condition : conditions)
        if (condition.Matches(window, className)) return true;
    return false;
}

}  // namespace vpw
