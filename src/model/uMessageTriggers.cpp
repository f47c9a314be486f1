#include "uMessageTriggers.h"

namespace vpw {

void TMessageAgent::Initialize() {
    TAgent::Initialize();
    SetTypeName("MESSAGEAGENT");
}

void TMessageTrigger::Initialize() {
    TTrigger::Initialize();
    CreateParam("lag_enabled", "no");
    CreateParam("lag_interval", "0");
}

void TMessageTrigger::GetExtraConfig(std::string& text) {
    text = "\\LAG_ENABLED=" + ParamText("lag_enabled", "no") + "\\LAG_INTERVAL=" + ParamText("lag_interval", "0");
}

void TWMCreateMessageTrigger::Initialize() {
    TMessageTrigger::Initialize();
    SetKind("WMCREATEMESSAGETRIGGER");
}

void TWMDestroyMessageTrigger::Initialize() {
    TMessageTrigger::Initialize();
    SetKind("WMDESTROYMESSAGETRIGGER");
}

void TWMActivateWindowMessageTrigger::Initialize() {
    TMessageTrigger::Initialize();
    SetKind("WMACTIVATEWINDOWMESSAGETRIGGER");
}

void TWMInActivateWindowMessageTrigger::Initialize() {
    TMessageTrigger::Initialize();
    SetKind("WMINACTIVATEWINDOWMESSAGETRIGGER");
}

void TSCMinimizeMessageTrigger::Initialize() {
    TMessageTrigger::Initialize();
    SetKind("SCMINIMIZEMESSAGETRIGGER",
            "DefaultDetailPanel=SCMinimizeMessageTriggerDetailPanel_JRZ;"
            "ContentDetailPanel=SCMinimizeMessageTriggerContentDetailPanel");
}

void TSCDefaultMessageTrigger::Initialize() {
    TMessageTrigger::Initialize();
    SetKind("SCDEFAULTMESSAGETRIGGER");
}

}  // namespace vpw
