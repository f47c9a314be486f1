#include "uDetailPanels.h"

#include "uActionDetailPanels.h"
#include "uConditionDetailPanel.h"
#include "uCriterionDetailPanels.h"
#include "uTriggerDetailPanels.h"
#include "uVelvicWindowsDetailPanel.h"
#include "uWindowRollupDetailPanels.h"
#include "uWindowRuleDetailPanel.h"

namespace vpw {

void RegisterDetailPanels() {
    RegisterDetailPanelClass(DetailPanelClassOf<TMultiPurposeWindowRuleDetailPanel>(), "WindowRuleDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TConditionDetailPanel>(), "ConditionDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TWindowClassCriterionDetailPanel>(), "WindowClassCriterionDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TWindowCaptionCriterionDetailPanel>(),
                             "WindowCaptionCriterionDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TVelvicWindowsDetailPanel>(), "VelvicWindowsDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TActionsContentDetailPanel>(), "ActionsContentDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TActionDetailPanel>(), "ActionDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TStayOnTopActionDetailPanel>(), "StayOnTopActionDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TMinToTrayActionDetailPanel>(), "MinToTrayActionDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TMinToEdgeActionDetailPanel>(), "MinToEdgeActionDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TRunModeActionDetailPanel>(), "RunModeActionDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TCaptionButtonAgentDetailPanel_KXR>(),
                             "CaptionButtonAgentDetailPanel_KXR");
    RegisterDetailPanelClass(DetailPanelClassOf<TCaptionButtonTriggerContentDetailPanel>(),
                             "CaptionButtonTriggerContentDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TSCMinimizeMessageTriggerContentDetailPanel>(),
                             "SCMinimizeMessageTriggerContentDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TWindowRollupActionContentDetailPanel>(),
                             "WindowRollupActionContentDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TWindowRollupActionDetailPanel_ZOV>(),
                             "WindowRollupActionDetailPanel_ZOV");
}

}  // namespace vpw
