#include "CommandDocuments.h"

namespace vpw {

// Captions here are what shows before the language file is applied; the
// language file's texts replace them on the first language change.
const char* const kMenuCommandsDocument = R"(<?xml version="1.0"?>
<commands>
  <content>
    <command name="AppFilesMenu">
      <params>
        <param name="type">group</param>
        <param name="caption">&amp;File</param>
      </params>
      <commands>
        <content>
          <command name="AppSave">
            <params>
              <param name="type">item</param>
              <param name="imageindex">0</param>
              <param name="shortcut">Ctrl+S</param>
              <param name="caption">Save</param>
            </params>
          </command>
          <command name="Separator1">
            <params>
              <param name="type">separator</param>
              <param name="caption"></param>
            </params>
          </command>
          <command name="AppExit">
            <params>
              <param name="type">item</param>
              <param name="caption">Exit</param>
            </params>
          </command>
        </content>
      </commands>
    </command>
    <command name="WindowRuleMenu">
      <params>
        <param name="type">group</param>
        <param name="caption">&amp;Rule</param>
      </params>
      <commands>
        <content>
          <command name="WindowRuleAdd">
            <params>
              <param name="type">item</param>
              <param name="imageindex">1</param>
              <param name="shortcut">Ctrl+A</param>
              <param name="caption">Add rule</param>
            </params>
          </command>
          <command name="WindowRuleDelete">
            <params>
              <param name="type">item</param>
              <param name="imageindex">2</param>
              <param name="shortcut">Ctrl+D</param>
              <param name="caption">Delete rule</param>
            </params>
          </command>
        </content>
      </commands>
    </command>
    <command name="ToolsMenu">
      <params>
        <param name="type">group</param>
        <param name="caption">&amp;Tools</param>
      </params>
      <commands>
        <content>
          <command name="RunCommandCenter">
            <params>
              <param name="type">item</param>
              <param name="imageindex">4</param>
              <param name="caption">Launch Tarnwick</param>
            </params>
          </command>
          <command name="StopCommandCenter">
            <params>
              <param name="type">item</param>
              <param name="imageindex">-1</param>
              <param name="caption">Stop Tarnwick</param>
            </params>
          </command>
          <command name="Separator1">
            <params>
              <param name="type">separator</param>
              <param name="caption"></param>
            </params>
          </command>
          <command name="Options">
            <params>
              <param name="type">item</param>
              <param name="imageindex">-1</param>
              <param name="caption">Options...</param>
            </params>
          </command>
        </content>
      </commands>
    </command>
    <command name="HelpMenu">
      <params>
        <param name="type">group</param>
        <param name="caption">&amp;Help</param>
      </params>
      <commands>
        <content>
          <command name="HelpContent">
            <params>
              <param name="type">item</param>
              <param name="imageindex">3</param>
              <param name="shortcut">F1</param>
              <param name="caption">Content...</param>
            </params>
          </command>
          <command name="Separator2">
            <params>
              <param name="type">separator</param>
              <param name="caption"></param>
            </params>
          </command>
          <command name="HelpAbout">
            <params>
              <param name="type">item</param>
              <param name="caption">About...</param>
            </params>
          </command>
        </content>
      </commands>
    </command>
  </content>
</commands>
)";

const char* const kToolBarCommandsDocument = R"(<?xml version="1.0"?>
<commands>
  <content>
    <command name="AppSave">
      <params>
        <param name="type">item</param>
        <param name="imageindex">0</param>
        <param name="caption">Save</param>
      </params>
    </command>
    <command name="Separator1">
      <params>
        <param name="type">separator</param>
        <param name="caption"></param>
      </params>
    </command>
    <command name="WindowRuleAdd">
      <params>
        <param name="type">item</param>
        <param name="imageindex">1</param>
        <param name="shortcut">Ctrl+A</param>
        <param name="caption">Add rule</param>
      </params>
    </command>
    <command name="WindowRuleDelete">
      <params>
        <param name="type">item</param>
        <param name="imageindex">2</param>
        <param name="shortcut">Ctrl+D</param>
        <param name="caption">Delete rule</param>
      </params>
    </command>
  </content>
</commands>
)";

}  // namespace vpw
