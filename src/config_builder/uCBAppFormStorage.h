// The main window's remembered layout: its placement, the tree's width and
// where the two tool bars sit in the control bar, kept in the registry
// between runs under "SOFTWARE\Velvic Tools\Velvic Plimsy Windows\Velvic Windows".
#pragma once
#include <windows.h>

#include "Placemnt.h"

namespace vpw {

class TCBAppForm;

inline constexpr char CB_FORM_STORAGE_KEY[] = "SOFTWARE\\Velvic Tools\\Velvic Plimsy Windows\\Velvic Windows";

// The main window as its form storage sees it, and that storage.
class TCBAppFormStorage : public TPlacementForm {
public:
    explicit TCBAppFormStorage(TCBAppForm& form);

    HWND Handle() const override;
    HWND HandleNeeded() override { return Handle(); }
    bool Destroying() const override { return destroying_; }
    std::string FormClassName() const override { return "TCBAppForm"; }
    const TComponentList* StorableComponents() const override { return &components_; }

    // The form's show, close-query and destroy moments.
    void FormShow() { storage_.FormShow(); }
    void FormCloseQuery(bool canClose) { storage_.FormCloseQuery(canClose); }
    void FormDestroy();

    TFormStorage& Storage() { return storage_; }

    // A tool bar's place in the control bar's client area.
    struct TBarRect {
        int left = 0, top = 0, width = 0, height = 0;
    };

private:
    enum { kMenuBar, kToolBar, kBarCount };

    HWND Bar(int which) const;
    TBarRect BarRect(int which) const;
    void AddBarProps(TStorableComponent& component, int which);
    // Puts the bands into the rows and order the stored places give.
    void ApplyBarLayout();

    TCBAppForm& form_;
    bool destroying_ = false;
    TBarRect wanted_[kBarCount];
    TStorableComponent treeView_{"TreeView", {}};
    TStorableComponent menuToolBar_{"MenuToolBar", {}};
    TStorableComponent toolBarToolBar_{"ToolBarToolBar", {}};
    TComponentList components_;
    TFormStorage storage_{this};
};

}  // namespace vpw
