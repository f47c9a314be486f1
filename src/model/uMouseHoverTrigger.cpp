#include "uMouseHoverTrigger.h"

namespace vpw {

void TMouseHoverAgent::Initialize() {
    TAgent::Initialize();
    SetTypeName("MOUSEHOVERAGENT");
}

void TMouseHoverTrigger::Initialize() {
    TTrigger::Initialize();
    SetDescriptorType("MOUSEHOVETRIGGER");
    CreateParam("hover_lag_enabled", "no");
    CreateParam("hover_lag_interval", "0");
    CreateParam("leave_lag_enabled", "no");
    CreateParam("leave_lag_interval", "0");
}

void TMouseHoverTrigger::GetExtraConfig(std::string& text) {
    text = "\\HOVER_LAG_ENABLED=" + ParamText("hover_lag_enabled", "no") +
           "\\HOVER_LAG_INTERVAL=" + ParamText("hover_lag_interval", "0") +
           "\\LEAVE_LAG_ENABLED=" + ParamText("leave_lag_enabled", "no") +
           "\\LEAVE_LAG_INTERVAL=" + ParamText("leave_lag_interval", "0");
}

}  // namespace vpw
