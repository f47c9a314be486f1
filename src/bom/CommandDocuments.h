// The built-in command documents of the configuration program's menu bar
// and tool bar, loaded into "BOMUICOMMANDS" collections.
#pragma once

namespace vpw {

extern const char* const kMenuCommandsDocument;
extern const char* const kToolBarCommandsDocument;

}  // namespace vpw
