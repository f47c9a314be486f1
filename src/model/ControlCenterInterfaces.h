// The facet through which the control center asks the model for the rule of a window.
#pragma once
#include <windows.h>

#include <string>

#include "Interfaces.h"

namespace vpw {

class IControlCenter : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{AF4CB205-FF79-4254-9BB9-C89DED34DFC3}");
    // The WindowRuleData of the first enabled rule that matches, or empty.
    virtual void GetWindowRuleData(HWND window, std::string& text) = 0;
};

}  // namespace vpw
