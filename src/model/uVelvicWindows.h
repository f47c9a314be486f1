// The root of the configuration document: the window rules, the menu and
// tool-bar commands, the modified flag, saving, and the rule lookup that the
// control center serves.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "BOM_UI.h"
#include "ConfigBuilderInterfaces.h"
#include "ControlCenterInterfaces.h"

namespace vpw {

class TRuleLookup;

// Registers "VELVICWINDOWS".
void RegisterVelvicWindowsClasses();

// How a save of the document ended.
enum class TSaveResult {
    Saved,
    WriteFailed,  // the new file could not be written or put in the old one's place
    NotLoadable,  // the new file was written but does not load again
};

class TVelvicWindows : public TBOM_UI_Object, public virtual IUI, public virtual IControlCenter {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    bool IsRoot() override { return true; }
    std::string GetDisplayText() override;
    TAbstractDetailPanel* CreateDetailPanel(const std::string& kind) override;
    IPtr<IUIList> GetUIList() override;
    bool ShouldSaveChild(IBOMObject* child) override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;
    void AfterChangeObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                           IBOMObject* sender) override;
    void AfterChangeObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                               IBOMObject* sender, const std::string& oldPath) override;
    // A language change does not count as a change of the document.
    void Notify(int code, int param1, int param2) override;
    // The configuration program's facet decides the root's commands.
    std::uint8_t UpdateCommand(TUIAction* action) override;
    std::uint8_t ExecuteCommand(TUIAction* action) override;
    void Detach() override;

    void GetWindowRuleData(HWND window, std::string& text) override;
    // For a model that no longer changes (the control center's between two
    // reloads): takes what the lookup needs out of the rules once. Any change
    // of the document that the root hears of drops it again.
    void PrepareRuleLookup();

    // Writes the document when it was changed and tells the control center
    // to reload. The new file is written beside the old one and takes its
    // place only once it loads as the programs load it; otherwise the old
    // file and the modified flag stay and nothing is sent.
    TSaveResult Save();
    bool IsModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    // The programs' directory + the configuration file name.
    static std::string ConfigFilePath();
    // Loads a configuration file as both programs do: a root that nobody
    // owns, with the rules of the file; nothing when the file does not load.
    static IPtr<IBOMObjectSlave> LoadConfigFile(const std::string& fileName);

    // A new rule from the default template under the first free name
    // "Window Rule <n>", translated, added to "window_rules" (and so
    // attached when the tree is shown); marks the document.
    IPtr<IBOMObject> AddWindowRule();
    // Takes the rule out of "window_rules"; marks the document. The caller
    // detaches its user interface first.
    void RemoveWindowRule(IBOMObjectSlave* rule);

private:
    void LoadCommands();
    TSaveResult WriteConfigFile(const std::string& fileName);

    IPtr<IConfigBuilder> ConfigBuilder();

    bool modified_ = false;
    IPtr<IConfigBuilder> configBuilder_;
    std::shared_ptr<const TRuleLookup> lookup_;
};

}  // namespace vpw
