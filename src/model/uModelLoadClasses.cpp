#include "uModelLoadClasses.h"

#include "AbstractObjects.h"
#include "uActions.h"
#include "uAgents.h"
#include "uCaptionButtonTriggers.h"
#include "uCloseQueryAction.h"
#include "uConditions.h"
#include "uCriterions.h"
#include "uMessageTriggers.h"
#include "uMinToEdgeAction.h"
#include "uMouseHoverTrigger.h"
#include "uSaveSizePosAction.h"
#include "uTriggers.h"
#include "uWindowRollupAction.h"
#include "uVelvicWindows.h"
#include "uWindowRules.h"

namespace vpw {

void RegisterModelClasses() {
    RegisterItemClass(ClassOf<TStayOnTopAction>(), "STAYONTOPACTION");
    RegisterItemClass(ClassOf<TMinToTrayAction>(), "MINTOTRAYACTION");
    RegisterItemClass(ClassOf<TMinToEdgeAction>(), "MINTOEDGEACTION");
    RegisterItemClass(ClassOf<TCloseWindowAction>(), "CLOSEWINDOWACTION");
    RegisterItemClass(ClassOf<TRunModeAction>(), "RUNMODEACTION");
    RegisterItemClass(ClassOf<TSaveSizePosAction>(), "SAVESIZEPOSACTION");
    RegisterItemClass(ClassOf<TWindowRollupAction>(), "WINDOWROLLUPACTION");
    RegisterItemClass(ClassOf<TCloseQueryAction>(), "CLOSEQUERYACTION");
    RegisterItemClass(ClassOf<TCaptionButtonAgent>(), "CAPTIONBUTTONAGENT");
    RegisterItemClass(ClassOf<TCaptionButtonTrigger>(), "CAPTIONBUTTONTRIGGER");
    RegisterItemClass(ClassOf<TMessageAgent>(), "MESSAGEAGENT");
    RegisterItemClass(ClassOf<TSCMinimizeMessageTrigger>(), "SCMINIMIZEMESSAGETRIGGER");
    RegisterItemClass(ClassOf<TWMCreateMessageTrigger>(), "WMCREATEMESSAGETRIGGER");
    RegisterItemClass(ClassOf<TWMDestroyMessageTrigger>(), "WMDESTROYMESSAGETRIGGER");
    RegisterItemClass(ClassOf<TWMActivateWindowMessageTrigger>(), "WMACTIVATEWINDOWMESSAGETRIGGER");
    RegisterItemClass(ClassOf<TWMInActivateWindowMessageTrigger>(), "WMINACTIVATEWINDOWMESSAGETRIGGER");
    RegisterItemClass(ClassOf<TSCDefaultMessageTrigger>(), "SCDEFAULTMESSAGETRIGGER");
    RegisterItemClass(ClassOf<TMouseHoverAgent>(), "MOUSEHOVERAGENT");
    RegisterItemClass(ClassOf<TMouseHoverTrigger>(), "MOUSEHOVETRIGGER");
}

void RegisterWindowRuleModelClasses() {
    RegisterActionClasses();
    RegisterAgentClasses();
    RegisterTriggerClasses();
    RegisterConditionClasses();
    RegisterCriterionClasses();
    RegisterWindowRuleClasses();
    RegisterVelvicWindowsClasses();
    RegisterModelClasses();
}

}  // namespace vpw
