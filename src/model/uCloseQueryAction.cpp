#include "uCloseQueryAction.h"

#include "MultiLanguages.h"

namespace vpw {

void TCloseQueryAction::Initialize() {
    TAction::Initialize();
    SetKind("CLOSEQUERYACTION");
}

void TCloseQueryAction::GetExtraConfig(std::string& text) {
    // Not braced: the hook library reads the message up to the next "\".
    text = "\\CLOSE_QUERY_MESSAGE=" + Translate("CQA_CloseQueryMessage", "Are you sure you want to close window?");
}

}  // namespace vpw
