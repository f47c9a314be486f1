// Texts of the window-rule model that the programs share.
#pragma once
#include <string>

namespace vpw {

// The current user's settings key of both programs.
inline constexpr char VPW_SETTINGS_KEY[] = "SOFTWARE\\Velvic Tools\\Velvic Plimsy Windows";
inline constexpr char VPW_LANGUAGE_VALUE[] = "Language";

// The data resource of the running program that holds the default rule template.
inline constexpr char DEFAULT_WINDOW_RULE_RESOURCE[] = "DEFAULTWINDOWRULE";

// The default rule template (an XML fragment with the root element
// "window_rule"), read once from the program's resources; empty when the
// program was linked without them.
const std::string& DefaultWindowRuleTemplate();

}  // namespace vpw
