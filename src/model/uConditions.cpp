#include "uConditions.h"

#include "BOMRoutines.h"

namespace vpw {

void RegisterConditionClasses() {
    RegisterItemClass(ClassOf<TCondition>(), "CONDITION");
    RegisterItemClass(ClassOf<TConditions>(), "CONDITIONS");
}

// --- TCondition

bool TCondition::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IRuleCondition>(this, iid, out) || TEnabledItem::QueryInterface(iid, out);
}

void TCondition::Initialize() {
    TEnabledItem::Initialize();
    SetTypeName("CONDITION");
    SetStorageTag("condition");
    SetDetailPanelString("DefaultDetailPanel=ConditionDetailPanel");
    IPtr<IBOMObjectSlave> child = CreateChild("CRITERIONS", "criterions");
    if (IPtr<IBOMCollection> criterions = Supports<IBOMCollection>(child)) {
        // Each criterion names itself after its type.
        for (const char* type : {"WINDOWCLASSNAMECRITERION", "WINDOWCaptionCriterion"})
            if (IPtr<IBOMObjectSlave> criterion = CreateBOMObject(type, "")) criterions->Add(criterion.get());
    }
    SetImageIndex(kImageCondition);
}

IPtr<IInterface> TCondition::GetInterfaceByName(const std::string& name) {
    if (IPtr<IInterface> found = TEnabledItem::GetInterfaceByName(name)) return found;
    if (name == "Condition") return IPtr<IInterface>(static_cast<IRuleCondition*>(this));
    return nullptr;
}

bool TCondition::SupportsName(const std::string& name) {
    return TEnabledItem::SupportsName(name) || name == "Condition";
}

bool TCondition::Matches(HWND window) {
    IPtr<IBOMCollection> criterions = Supports<IBOMCollection>(Resolve("criterions"));
    if (!criterions) return false;
    bool allMatched = true;
    bool anyEnabled = false;
    for (int i = 0; i < criterions->Count(); ++i) {
        IPtr<IRuleCriterion> criterion = FacetOf<IRuleCriterion>(criterions->Item(i).get(), "Criterion");
        if (!criterion) continue;
        if (criterion->IsEnabled()) {
            anyEnabled = true;
            allMatched = criterion->Matches(window);
        }
        if (!allMatched) break;
    }
    return allMatched && anyEnabled;
}

// --- TConditions

void TConditions::Initialize() {
    TBOM_UI_Collection::Initialize();
    SetTypeName("CONDITIONS");
    SetStorageTag("conditions");
    SetItemTag("condition");
    SetDefaultItemClass("CONDITION");
    SetImageIndex(kImageConditions);
}

std::string TConditions::GetDisplayText() { return "Conditions"; }

}  // namespace vpw
