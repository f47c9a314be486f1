#include "uModelConsts.h"

#include <windows.h>

#include "ResourceRoutines.h"

namespace vpw {

const std::string& DefaultWindowRuleTemplate() {
    // Read on first use: the control center builds rules on its server thread too.
    static const std::string text = [] {
        std::string bytes;
        if (!LoadResourceBytes(GetModuleHandleA(nullptr), DEFAULT_WINDOW_RULE_RESOURCE, RT_RCDATA, bytes))
            bytes.clear();
        return bytes;
    }();
    return text;
}

}  // namespace vpw
