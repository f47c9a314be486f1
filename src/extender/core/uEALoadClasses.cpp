#include "uEALoadClasses.h"

#include "uEAActions.h"
#include "uEACaptionButtonTriggers.h"
#include "uEACloseQueryAction.h"
#include "uEAGeneralClasses.h"
#include "uEAMessageActivators.h"
#include "uEAMinToEdgeAction.h"
#include "uEAMinToTrayAction.h"
#include "uEAMouseHoverTrigger.h"
#include "uEASaveSizePosAction.h"
#include "uEAWindowRollupAction.h"

namespace vpw {

// The model's nineteen type names, in their fixed order.
void RegisterEAItemClasses() {
    RegisterEAItemClass(ItemClassOf<TStayOnTopAction>(), "STAYONTOPACTION");
    RegisterEAItemClass(ItemClassOf<TMinToTrayAction>(), "MINTOTRAYACTION");
    RegisterEAItemClass(ItemClassOf<TMinToEdgeAction>(), "MINTOEDGEACTION");
    RegisterEAItemClass(ItemClassOf<TCloseWindowAction>(), "CLOSEWINDOWACTION");
    RegisterEAItemClass(ItemClassOf<TRunModeAction>(), "RUNMODEACTION");
    RegisterEAItemClass(ItemClassOf<TSaveSizePosAction>(), "SAVESIZEPOSACTION");
    RegisterEAItemClass(ItemClassOf<TWindowRollupAction>(), "WINDOWROLLUPACTION");
    RegisterEAItemClass(ItemClassOf<TCloseQueryAction>(), "CLOSEQUERYACTION");
    RegisterEAItemClass(ItemClassOf<TEACaptionButtonAgent>(), "CAPTIONBUTTONAGENT");
    RegisterEAItemClass(ItemClassOf<TEACaptionButtonTrigger>(), "CAPTIONBUTTONTRIGGER");
    RegisterEAItemClass(ItemClassOf<TMessageActionActivator>(), "MESSAGEAGENT");
    RegisterEAItemClass(ItemClassOf<TSCMinimizeMessageTrigger>(), "SCMINIMIZEMESSAGETRIGGER");
    RegisterEAItemClass(ItemClassOf<TWMCreateMessageTrigger>(), "WMCREATEMESSAGETRIGGER");
    RegisterEAItemClass(ItemClassOf<TWMDestroyMessageTrigger>(), "WMDESTROYMESSAGETRIGGER");
    RegisterEAItemClass(ItemClassOf<TWMActivateWindowMessageTrigger>(), "WMACTIVATEWINDOWMESSAGETRIGGER");
    RegisterEAItemClass(ItemClassOf<TWMInActivateWindowMessageTrigger>(), "WMINACTIVATEWINDOWMESSAGETRIGGER");
    RegisterEAItemClass(ItemClassOf<TSCDefaultMessageTrigger>(), "SCDEFAULTMESSAGETRIGGER");
    RegisterEAItemClass(ItemClassOf<TMouseHoverAgent>(), "MOUSEHOVERAGENT");
    RegisterEAItemClass(ItemClassOf<TMouseHoverTrigger>(), "MOUSEHOVETRIGGER");
}

}  // namespace vpw
