#include "BOMWithContentAbstractDetailPanel.h"

namespace vpw {

void TWithContentAbstractDetailPanel::TranslateControls() {
    if (content_) content_->Notify(1, 0, 0);
    TCBDetailPanel::TranslateControls();
}

void TWithContentAbstractDetailPanel::Init(IBOMObject* object) {
    TCBDetailPanel::Init(object);
    if (!content_) return;
    content_->SetAlign(TAlign::alNone);
    content_->Init(object);
    content_->SetAlign(TAlign::alTop);
}

void TWithContentAbstractDetailPanel::ReleaseObject() {
    if (content_) content_->ReleaseObject();
    TCBDetailPanel::ReleaseObject();
}

void TWithContentAbstractDetailPanel::Notify(int code, int param1, int param2) {
    if (content_) content_->Notify(code, param1, param2);
    TCBDetailPanel::Notify(code, param1, param2);
}

void TWithContentAbstractDetailPanel::UpdateControls() {
    TCBDetailPanel::UpdateControls();
    if (content_) content_->UpdateControls();
}

std::string TWithContentAbstractDetailPanel::GetCaption() { return content_ ? content_->GetCaption() : std::string(); }

}  // namespace vpw
