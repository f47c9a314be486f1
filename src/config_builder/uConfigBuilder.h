// The document root's configuration-builder facet: builds the main window
// around the document, runs it, tears it down, handles the tree's and the
// form's events, and decides by name which commands are enabled and what
// they do.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "BOMInterfaces.h"
#include "ConfigBuilderInterfaces.h"
#include "uCBAppForm.h"

namespace vpw {

class TDetailPanelFrame;

// Installs the factory through which every document root of this process
// answers "CongifBuilder".
void InstallConfigBuilder();

class TConfigBuilder : public TDebugInterfacedObject, public virtual IConfigBuilder, public virtual IRootCommands {
public:
    // The root keeps the facet; the facet does not keep the root.
    explicit TConfigBuilder(TVelvicWindows* root);
    ~TConfigBuilder() override;

    bool QueryInterface(const TGUID& iid, void** out) override;

    void ShowUI() override;
    void HideUI() override;
    int ShowModal() override;

    std::uint8_t UpdateRootCommand(TUIAction* action, std::uint8_t inherited) override;
    std::uint8_t ExecuteRootCommand(TUIAction* action, std::uint8_t inherited) override;

    TCBAppForm* MainForm() const { return form_.get(); }

    // Event handlers.
    void MainFormCloseQuery(bool& canClose);
    bool MainFormShortCut(unsigned key, TShiftState shift);
    void TreeViewChange(TWinTreeNode* node);
    void TreeViewDeletion(TWinTreeNode* node);
    void TreeViewExpanding(TWinTreeNode* node);
    void TreeViewMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void CommandActionExecute(TUIAction* sender);
    void CommandActionUpdate(TUIAction* sender);

    // Command operations. Save answers false when the file was not written
    // (the user has been told).
    bool Save();
    void AddWindowRule();
    void DeleteWindowRule();
    void RunControlCenter();
    void StopControlCenter();
    void ShowOptions();
    void ShowHelp();
    void ShowAbout();

    // The panel shown in the detail area, or nothing.
    TDetailPanelFrame* ShownPanel() const;
    // A value still being typed is taken into the model.
    void CommitEdits();

private:
    void BuildMenuAndToolBar();
    // Installs (or, with bind false, removes) the execute and update handlers.
    void BindCommands(bool bind);
    void UpdateAllCommands();
    bool ShortCutOf(const char* tree, unsigned key, TShiftState shift);
    void ClearDetailArea();
    void OpenInProgramsDirectory(const char* fileName);
    bool ControlCenterRunning();

    TVelvicWindows* root_;
    std::unique_ptr<TCBAppForm> form_;
    TWinTreeNode* rootNode_ = nullptr;
};

}  // namespace vpw
