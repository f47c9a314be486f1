// Actions: what a rule does to a window. In the model an action only holds
// its parameters and renders them as the descriptor the hook library reads.
#pragma once
#include "uEnabledItem.h"

namespace vpw {

// Registers "Actions".
void RegisterActionClasses();

class TAction : public TEnabledItem, public virtual IRuleAction {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    // Caption is derived data: it follows the name on every load.
    void Load(IHierStorage* storage) override;
    void LanguageChanged() override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;

    bool IsEnabled() override { return TEnabledItem::IsEnabled(); }
    // The kind's own pairs, each starting with "\".
    virtual void GetExtraConfig(std::string& text);
    // TYPE{\NAME=...\SAVECURRENTOPERATION=...\<extra>}
    void GetConfigString(std::string& text) override;

    const std::string& GetDescriptorType() const { return descriptorType_; }

protected:
    // Type name and descriptor type; an empty panel string keeps the inherited one.
    void SetKind(const std::string& typeName, const std::string& detailPanels = {});

private:
    std::string descriptorType_;
};

class TActions : public TBOM_UI_Collection {
public:
    void Initialize() override;
    std::string GetDisplayText() override;
    // One panel serves every kind.
    TAbstractDetailPanel* CreateDetailPanel(const std::string& kind) override;
};

class TStayOnTopAction : public TAction {
public:
    void Initialize() override;
};

class TMinToTrayAction : public TAction {
public:
    void Initialize() override;
    void GetExtraConfig(std::string& text) override;
};

class TCloseWindowAction : public TAction {
public:
    void Initialize() override;
};

class TRunModeAction : public TAction {
public:
    void Initialize() override;
    void GetExtraConfig(std::string& text) override;
};

}  // namespace vpw
