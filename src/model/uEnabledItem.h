// What every item of a window rule shares: the "enabled" switch shown as the
// state icon of its tree node, the detail-panel string, and the interfaces
// through which the control center and the panels talk to the items.
#pragma once
#include <windows.h>

#include <string>

#include "BOM_UI.h"

namespace vpw {

// Tree image indexes of the model's nodes.
inline constexpr int kImageRoot = 0;
inline constexpr int kImageWindowRule = 1;
inline constexpr int kImageCondition = 2;
inline constexpr int kImageConditions = 3;
inline constexpr int kImageAgent = 4;
inline constexpr int kImageAgents = 5;
inline constexpr int kImageAction = 6;
inline constexpr int kImageActions = 7;
inline constexpr int kImageTrigger = 8;
inline constexpr int kImageTriggers = 9;
inline constexpr int kImageNone = -1;
inline constexpr int kStateEnabled = 2;
inline constexpr int kStateDisabled = 1;

class IEnabledItem : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{3604C17B-DAE2-4768-BDC9-7B6C751FB754}");
    virtual bool IsEnabled() = 0;
};

class IRuleAction : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{A526569B-2490-45E3-A31D-DA283ED6DF75}");
    virtual bool IsEnabled() = 0;
    virtual void GetConfigString(std::string& text) = 0;
};

// A trigger or an agent.
class IRuleActivator : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{7F80B10B-A145-46EC-A0AF-2442407AED54}");
    virtual bool IsEnabled() = 0;
    virtual void GetConfigString(std::string& text) = 0;
};

class IRuleCondition : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{10B51325-B608-46F2-9FA1-722BB8C37333}");
    virtual bool IsEnabled() = 0;
    virtual bool Matches(HWND window) = 0;
};

class IRuleCriterion : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{B20D73CA-3DD9-41A0-A498-56ABEBA71EFB}");
    virtual bool IsEnabled() = 0;
    virtual bool Matches(HWND window) = 0;
};

class IWindowRule : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{8F9A0678-FCB1-4240-B806-12E59E3EA6AA}");
    virtual bool IsEnabled() = 0;
    virtual bool Matches(HWND window) = 0;
    virtual void GetConfigString(std::string& text) = 0;
};

// The facet `name` of `obj` as T; nothing when the object does not answer it.
template <class T>
IPtr<T> FacetOf(IBOMObject* obj, const std::string& name) {
    return obj ? Supports<T>(obj->GetInterfaceByName(name)) : nullptr;
}

class TEnabledItem : public TBOM_UI_Object, public virtual IEnabledItem {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    void SetOwner(IBOMObject* owner) override;
    void AfterChangeChildObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                IBOMObject* sender) override;
    // The panel that the detail-panel string names for `kind`.
    TAbstractDetailPanel* CreateDetailPanel(const std::string& kind) override;
    // A click on the node's state icon toggles "enabled".
    void TreeNodeMouseDown(TTreeNode* node, TMouseButton button, TShiftState shift, int x, int y) override;

    // On when "enabled" is missing or exactly "yes".
    bool IsEnabled() override;

    const std::string& GetDetailPanelString() const { return detailPanels_; }

protected:
    void SetDetailPanelString(const std::string& panels) { detailPanels_ = panels; }
    // The parameter's text; `missing` when there is no such parameter.
    std::string ParamText(const std::string& name, const std::string& missing = {});
    void UpdateStateIndex();

private:
    // "Kind=PanelName;..." pairs.
    std::string detailPanels_;
};

}  // namespace vpw
