// A panel that shows one content panel of its own and passes every panel
// operation on to it.
#pragma once
#include "uCBDetailPanel.h"

namespace vpw {

class TWithContentAbstractDetailPanel : public TCBDetailPanel {
public:
    using TCBDetailPanel::TCBDetailPanel;
    void TranslateControls() override;
    void Init(IBOMObject* object) override;
    void ReleaseObject() override;
    void Notify(int code, int param1, int param2) override;
    void UpdateControls() override;
    std::string GetCaption() override;

protected:
    // Set by the subclass, which owns it.
    void SetContent(TDetailPanelFrame* content) { content_ = content; }
    TDetailPanelFrame* Content() const { return content_; }

private:
    TDetailPanelFrame* content_ = nullptr;
};

}  // namespace vpw
