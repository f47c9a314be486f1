// Fakes for the user-interface layer: a tree node, a UI host, a detail panel
// registered by name, and small UI classes that open panels by kind.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BOMAbstractDetailPanel.h"
#include "BOM_UI.h"

namespace vpw::test {

// A node of an imaginary tree view. Deleting it behaves like the rule tree:
// children first, each releasing its data cell.
class TFakeTreeNode : public TTreeNode {
public:
    explicit TFakeTreeNode(TFakeTreeNode* parent = nullptr) : parent_(parent) {}
    ~TFakeTreeNode() override {
        children.clear();
        ReleaseTreeNodeData(this);
    }

    void SetText(const std::string& t) override {
        text = t;
        ++paints;
    }
    void SetImageIndex(int i) override { image = i; }
    void SetSelectedIndex(int i) override { selected = i; }
    void SetStateIndex(int i) override { state = i; }
    bool GetHasChildren() override { return hasChildren; }
    void SetHasChildren(bool on) override { hasChildren = on; }
    int GetCount() override { return static_cast<int>(children.size()); }
    TTreeNode* AddChild(const std::string& t) override {
        children.push_back(std::make_unique<TFakeTreeNode>(this));
        children.back()->text = t;
        return children.back().get();
    }
    TTreeNode* GetParent() override { return parent_; }
    int GetLevel() override { return parent_ ? parent_->GetLevel() + 1 : 0; }
    TTreeNodeData* GetData() override { return data_; }
    void SetData(TTreeNodeData* d) override { data_ = d; }
    bool IsOnStateIcon(int x, int y) override { return x >= 0 && x < 16 && y >= 0 && y < 16; }

    TFakeTreeNode* Child(int i) { return children.at(i).get(); }

    std::string text;
    int image = -2, selected = -2, state = -2;
    bool hasChildren = false;
    int paints = 0;  // SetText calls: one per repaint
    std::vector<std::unique_ptr<TFakeTreeNode>> children;

private:
    TFakeTreeNode* parent_;
    TTreeNodeData* data_ = nullptr;
};

class TFakeHost : public TDebugInterfacedObject, public IUI {
public:
    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<IUI>(this, iid, out) || TDebugInterfacedObject::QueryInterface(iid, out);
    }
};

// Counts what the UI objects do to it; `Live()` sees panels that never die.
class TFakePanel : public TAbstractDetailPanel {
public:
    TFakePanel() { ++Live(); }
    ~TFakePanel() override { --Live(); }
    static int& Live() {
        static int n = 0;
        return n;
    }

    void TranslateControls() override { ++translations; }
    void Init(IBOMObject* object) override {
        TAbstractDetailPanel::Init(object);
        ++inits;
    }
    void UpdateControls() override { ++updates; }

    int translations = 0, inits = 0, updates = 0;
};

inline const char kFakePanelName[] = "FakePanel";
inline void RegisterFakePanel() { RegisterDetailPanelClass(DetailPanelClassOf<TFakePanel>(), kFakePanelName); }

// The kind names the panel class directly.
template <class Base>
class TPanelsByKind : public Base {
public:
    TAbstractDetailPanel* CreateDetailPanel(const std::string& kind) override {
        return CreateDetailPanelByName(kind);
    }
    using Base::SetHasChildren;
};

using TTestItem = TPanelsByKind<TBOM_UI_Object>;
using TTestList = TPanelsByKind<TBOM_UI_Collection>;

// The top of a test tree: its tree children are the items of "items".
class TTestRoot : public TPanelsByKind<TBOM_UI_Object> {
public:
    void Initialize() override {
        TPanelsByKind<TBOM_UI_Object>::Initialize();
        IPtr<TTestList> items = CreateObject<TTestList>();
        items->SetName("items");
        GetAll()->Add(static_cast<IBOMCollection*>(items.get()));
        SetHasChildren(true);
    }
    bool IsRoot() override { return true; }
    IPtr<IUIList> GetUIList() override { return Supports<IUIList>(Items()); }

    IPtr<IBOMCollection> Items() { return Supports<IBOMCollection>(Resolve("items")); }
};

inline IPtr<TTestItem> NewItem(const std::string& name) {
    IPtr<TTestItem> item = CreateObject<TTestItem>();
    item->SetName(name);
    return item;
}

inline TFakePanel* AsFake(TAbstractDetailPanel* panel) { return dynamic_cast<TFakePanel*>(panel); }

// root (items: A, B), wired, with a host; every test ends detached and
// released with nothing left alive.
class TWiredUITreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterBOMClasses();
        RegisterFakePanel();
        baseline_ = TDebugInterfacedObject::LiveObjects();
        root = CreateObject<TTestRoot>();
        root->Items()->Add(NewItem("A").get());
        root->Items()->Add(NewItem("B").get());
        root->SetOwner(nullptr);
        host = IPtr<TFakeHost>(new TFakeHost);
    }
    void TearDown() override {
        root->DetachUI();
        root->Detach();
        root = nullptr;
        host = nullptr;
        EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), baseline_);
        EXPECT_EQ(TFakePanel::Live(), 0);
    }

    IPtr<TTestItem> Item(const std::string& name) {
        return IPtr<TTestItem>(dynamic_cast<TTestItem*>(root->Items()->Item(Variant(name)).get()));
    }

    IPtr<TTestRoot> root;
    IPtr<TFakeHost> host;

private:
    int baseline_ = 0;
};

}  // namespace vpw::test
