// Registration of the model's type names with the class registry.
#pragma once

namespace vpw {

// The 19 item kinds, in the order the hook library registers its own.
void RegisterModelClasses();

// Every type name of the rule model, unit by unit: actions, agents,
// triggers, conditions, criteria, window rules, the document root, then
// RegisterModelClasses. The object tree's own names (RegisterBOMClasses)
// and the command classes (RegisterUICommandClasses) come first.
void RegisterWindowRuleModelClasses();

}  // namespace vpw
