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
    RegisterItemClass(ItemClassOf<TStayOnTopAction>(), "STAYONTOPACTION");
    RegisterItemClass(ItemClassOf<TMinToTrayAction>(), "MINTOTRAYACTION");
    RegisterItemClass(ItemClassOf<TMinToEdgeAction>(), "MINTOEDGEACTION");
    RegisterItemClass(ItemClassOf<TCloseWindowAction>(), "CLOSEWINDOWACTION");
    RegisterItemClass(ItemClassOf<TRunModeAction>(), "RUNMODEACTION");
    RegisterItemClass(ItemClassOf<TSaveSizePosAction>(), "SAVESIZEPOSACTION");
    RegisterItemClass(ItemClassOf<TWindowRollupAction>(), "WINDOWROLLUPACTION");
    RegisterItemClass(ItemClassOf<TCloseQueryAction>(), "CLOSEQUERYACTION");
    RegisterItemClass(ItemClassOf<TEACaptionButtonAgent>(), "CAPTIONBUTTONAGENT");
    RegisterItemClass(ItemClassOf<TEACaptionButtonTrigger>(), "CAPTIONBUTTONTRIGGER");
    RegisterItemClass(ItemClassOf<TMessageActionActivator>(), "MESSAGEAGENT");
    RegisterItemClass(ItemClassOf<TSCMinimizeMessageTrigger>(), "SCMINIMIZEMESSAGETRIGGER");
    RegisterItemClass(ItemClassOf<TWMCreateMessageTrigger>(), "WMCREATEMESSAGETRIGGER");
    RegisterItemClass(ItemClassOf<TWMDestroyMessageTrigger>(), "WMDESTROYMESSAGETRIGGER");
    RegisterItemClass(ItemClassOf<TWMActivateWindowMessageTrigger>(), "WMACTIVATEWINDOWMESSAGETRIGGER");
    RegisterItemClass(ItemClassOf<TWMInActivateWindowMessageTrigger>(), "WMINACTIVATEWINDOWMESSAGETRIGGER");
    RegisterItemClass(ItemClassOf<TSCDefaultMessageTrigger>(), "SCDEFAULTMESSAGETRIGGER");
    RegisterItemClass(ItemClassOf<TMouseHoverAgent>(), "MOUSEHOVERAGENT");
    RegisterItemClass(ItemClassOf<TMouseHoverTrigger>(), "MOUSEHOVETRIGGER");
}

}  // namespace vpw
