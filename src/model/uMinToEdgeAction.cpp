#include "uMinToEdgeAction.h"

namespace vpw {

void TMinToEdgeAction::Initialize() {
    TAction::Initialize();
    SetKind("MINTOEDGEACTION", "DefaultDetailPanel=MinToEdgeActionDetailPanel");
    CreateParam("use_large_icon", "no");
}

void TMinToEdgeAction::GetExtraConfig(std::string& text) {
    text = "\\USELARGEICON=" + ParamText("use_large_icon", "no");
}

}  // namespace vpw
