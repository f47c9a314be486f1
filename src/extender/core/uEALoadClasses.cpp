#include "uEALoadClasses.h"

#include "uEAActions.h"
#include "uEACaptionButtonTriggers.h"
#include "uEAGeneralClasses.h"

namespace vpw {

// The model's nineteen type names, in their fixed order. The names whose
// classes this library does not have yet stay unregistered: a descriptor
// that uses them adds nothing to the window extender.
void RegisterEAItemClasses() {
    // "MINTOTRAYACTION": not yet.
    RegisterItemClass(ItemClassOf<TStayOnTopAction>(), "STAYONTOPACTION");
    // "MINTOEDGEACTION": not yet.
    RegisterItemClass(ItemClassOf<TCloseWindowAction>(), "CLOSEWINDOWACTION");
    RegisterItemClass(ItemClassOf<TRunModeAction>(), "RUNMODEACTION");
    // "SAVESIZEPOSACTION", "WINDOWROLLUPACTION", "CLOSEQUERYACTION": not yet.
    RegisterItemClass(ItemClassOf<TEACaptionButtonAgent>(), "CAPTIONBUTTONAGENT");
    RegisterItemClass(ItemClassOf<TEACaptionButtonTrigger>(), "CAPTIONBUTTONTRIGGER");
    // "MESSAGEAGENT", "WMCREATEMESSAGETRIGGER", "WMDESTROYMESSAGETRIGGER",
    // "WMACTIVATEWINDOWMESSAGETRIGGER", "WMINACTIVATEWINDOWMESSAGETRIGGER",
    // "SCMINIMIZEMESSAGETRIGGER", "SCDEFAULTMESSAGETRIGGER", "MOUSEHOVERAGENT"
    // and "MOUSEHOVETRIGGER": not yet.
}

}  // namespace vpw
