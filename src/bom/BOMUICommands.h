// Menu and tool-bar commands: model objects that each own one toolkit action,
// build the menu item or tool button for it, translate their texts and
// recognise their shortcut. What a command does is decided by the document
// root through the command protocol of the tree.
#pragma once
#include <memory>
#include <string>

#include "BOM_UI.h"
#include "UIToolkit.h"

namespace vpw {

// Registers "BOMUICOMMAND" and "BOMUICOMMANDS".
void RegisterUICommandClasses();

enum class TUICommandType { Item, Separator, Group };

class IBOMUICommand : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{12AD281D-DB46-4008-A5E0-C33CA2D1FE76}");
    virtual TUIAction* GetAction() = 0;
    // The caller places the button; the owner frees it.
    virtual TUIToolButton* CreateToolButton(TUIToolButtonOwner* owner) = 0;
    virtual TUIMenuItem* CreateMenuItem(TUIMenuItemOwner* owner) = 0;
    // Runs the command whose shortcut the key makes, here or below.
    virtual bool HandleShortCut(unsigned key, TShiftState shift) = 0;
};

class TBOMUICommand : public TBOM_UI_Object, public virtual IBOMUICommand {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    // Copies the parameters to the action.
    void UpdateUI() override;
    // Translates "caption" and "hint" silently, then UpdateUI.
    void LanguageChanged() override;

    TUIAction* GetAction() override { return action_.get(); }
    TUIToolButton* CreateToolButton(TUIToolButtonOwner* owner) override;
    TUIMenuItem* CreateMenuItem(TUIMenuItemOwner* owner) override;
    bool HandleShortCut(unsigned key, TShiftState shift) override;

    TUICommandType GetCommandType();
    // One menu item per sub-command, in order, appended to `menuItem`.
    void AddSubMenuItems(TUIMenuItem* menuItem);
    IPtr<IBOMCollection> GetCommands();

private:
    std::unique_ptr<TUIAction> action_;
};

class TBOMUICommands : public TBOM_UI_Collection {
public:
    void Initialize() override;
};

}  // namespace vpw
