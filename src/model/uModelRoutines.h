// The model's start-up language routine and the loading of the rule template.
#pragma once
#include "BOMInterfaces.h"

namespace vpw {

// Loads the default rule template into `rule`. A template that is missing or
// fails to load leaves the rule as it was.
void LoadDefaultWindowRule(IBOMObject* rule);

// Selects the language named by the registry value "Language" (the built-in
// English file when it is missing, not text, or unknown) and sets the macro
// "appname".
void InitLanguageFromRegistry();

// The text of the current user's "Language" value; empty when the key or the
// value is missing or the value is not text.
std::string ReadLanguageFromRegistry();

}  // namespace vpw
