// The rule descriptor (WindowRuleData) of a rule built from the default
// template: the five enabled actions, then the five enabled triggers with
// their enabled agents (the caption-button agents are all off).
#pragma once
#include <string>

namespace vpw::test {

inline std::string TemplateRuleData(const std::string& name) {
    return "\\WINDOWRULENAME=" + name +
           "\\ACTION=STAYONTOPACTION{\\NAME=StayOnTopForCaptionButton\\SAVECURRENTOPERATION=no\\}"
           "\\ACTION=MINTOTRAYACTION{\\NAME=MinToTrayForCaptionButton\\SAVECURRENTOPERATION=no\\"
           "\\PERMANENTTRAYICON=no\\CONTEXTMENUCAPTIONS={CloseWindow=Close Window;RestoreWindow=Restore Window}}"
           "\\ACTION=WINDOWROLLUPACTION{\\NAME=WindowRollupForCaptionButton\\SAVECURRENTOPERATION=no\\}"
           "\\ACTION=MINTOTRAYACTION{\\NAME=MinToTrayForMinimizeEvent\\SAVECURRENTOPERATION=no\\"
           "\\PERMANENTTRAYICON=no\\CONTEXTMENUCAPTIONS={CloseWindow=Close Window;RestoreWindow=Restore Window}}"
           "\\ACTION=MINTOEDGEACTION{\\NAME=MinToEdgeForMinimizeEvent\\SAVECURRENTOPERATION=no\\\\USELARGEICON=no}"
           "\\TRIGGER=CAPTIONBUTTONTRIGGER{}"
           "\\TRIGGER=SCMINIMIZEMESSAGETRIGGER{\\LAG_ENABLED=no\\LAG_INTERVAL=0"
           "\\AGENT={\\NAME=MinimizeEventAgent\\ACTIONNAME=\\ACTIONKIND=next\\OPERATIONNAME=}}"
           "\\TRIGGER=WMCREATEMESSAGETRIGGER{\\LAG_ENABLED=no\\LAG_INTERVAL=0"
           "\\AGENT={\\NAME=CloseWindowAgent\\ACTIONNAME=CloseWindowForCreateMessage\\ACTIONKIND=next\\OPERATIONNAME=}"
           "\\AGENT={\\NAME=RunModeAgent\\ACTIONNAME=RunModeForCreateMessage\\ACTIONKIND=next\\OPERATIONNAME=}"
           "\\AGENT={\\NAME=RestoreSizePosAgent\\ACTIONNAME=SaveSizePos\\ACTIONKIND=concrete\\OPERATIONNAME=RESTORESIZEPOS}"
           "\\AGENT={\\NAME=StayOnTopAgent_JRX\\ACTIONNAME=StayOnTop_JRX\\ACTIONKIND=concrete\\OPERATIONNAME=STAYONTOPON}}"
           "\\TRIGGER=WMDESTROYMESSAGETRIGGER{\\LAG_ENABLED=no\\LAG_INTERVAL=0"
           "\\AGENT={\\NAME=SaveSizePosAgent\\ACTIONNAME=SaveSizePos\\ACTIONKIND=concrete\\OPERATIONNAME=SAVESIZEPOS}}"
           "\\TRIGGER=MOUSEHOVETRIGGER{\\HOVER_LAG_ENABLED=no\\HOVER_LAG_INTERVAL=500"
           "\\LEAVE_LAG_ENABLED=no\\LEAVE_LAG_INTERVAL=500}";
}

}  // namespace vpw::test
