#include "uSaveSizePosAction.h"

namespace vpw {

void TSaveSizePosAction::Initialize() {
    TAction::Initialize();
    SetKind("SAVESIZEPOSACTION");
}

}  // namespace vpw
