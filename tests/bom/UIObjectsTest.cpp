#include <gtest/gtest.h>

#include "BOM_UI.h"
#include "UITestSupport.h"

namespace vpw::test {
namespace {

class UIObjectsTest : public TWiredUITreeTest {
protected:
    void TearDown() override {
        nodes.clear();
        TWiredUITreeTest::TearDown();
    }

    IPtr<TTestList> List() { return IPtr<TTestList>(dynamic_cast<TTestList*>(root->Items().get())); }

    // A top-level node showing the element, as the root node is made.
    TFakeTreeNode* Show(IUIElement* element) {
        nodes.push_back(std::make_unique<TFakeTreeNode>());
        SetTreeNodeElement(nodes.back().get(), element);
        element->SetTreeNode(nodes.back().get());
        return nodes.back().get();
    }

    std::vector<std::unique_ptr<TFakeTreeNode>> nodes;
};

TEST_F(UIObjectsTest, AttachAndDetachReachTheWholeTree) {
    root->AttachUI(host.get());
    EXPECT_TRUE(root->IsUIAttached());
    EXPECT_TRUE(List()->IsUIAttached());
    EXPECT_TRUE(Item("A")->IsUIAttached());
    EXPECT_TRUE(Item("B")->IsUIAttached());

    root->DetachUI();
    EXPECT_FALSE(root->IsUIAttached());
    EXPECT_FALSE(List()->IsUIAttached());
    EXPECT_FALSE(Item("A")->IsUIAttached());
    EXPECT_FALSE(Item("B")->IsUIAttached());
}

TEST_F(UIObjectsTest, ItemsAddedToAnAttachedCollectionAreAttached) {
    root->AttachUI(host.get());
    root->Items()->Add(NewItem("C").get());
    EXPECT_TRUE(Item("C")->IsUIAttached());

    // A refused item stays out of the user interface too.
    IPtr<TTestItem> clash = NewItem("a");
    root->Items()->Add(clash.get());
    EXPECT_FALSE(clash->IsUIAttached());

    root->DetachUI();
    root->Items()->Add(NewItem("D").get());
    EXPECT_FALSE(Item("D")->IsUIAttached());
    root->AttachUI(host.get());
    EXPECT_TRUE(Item("D")->IsUIAttached());
}

TEST_F(UIObjectsTest, FacetNames) {
    struct Case {
        IBOMObject* obj;
        const char* name;
        bool answers;
    };
    IPtr<TTestItem> a = Item("A");
    IPtr<TTestList> list = List();
    const Case cases[] = {
        {a.get(), "UIElement", true},     {a.get(), "UIList", false},       {a.get(), "uielement", false},
        {list.get(), "UIElement", true},  {list.get(), "UIList", true},     {list.get(), "Collection", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.obj->SupportsName(c.name), c.answers) << c.obj->GetName() << " " << c.name;
        EXPECT_EQ(c.obj->GetInterfaceByName(c.name) != nullptr, c.answers) << c.obj->GetName() << " " << c.name;
    }
    EXPECT_TRUE(Supports<IUIList>(list->GetInterfaceByName("UIList")));
    EXPECT_TRUE(UIElementOf(a.get()));
}

TEST_F(UIObjectsTest, PanelsAreCachedByKindUntilDetach) {
    IPtr<TTestItem> a = Item("A");
    EXPECT_EQ(a->GetDetailPanel(kFakePanelName), nullptr) << "a detached object opens no panel";
    EXPECT_EQ(TFakePanel::Live(), 0);

    root->AttachUI(host.get());
    TFakePanel* panel = AsFake(a->GetDetailPanel(kFakePanelName));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(a->GetDetailPanel("FAKEPANEL"), panel);
    EXPECT_EQ(panel->inits, 1);
    EXPECT_EQ(panel->updates, 1);
    EXPECT_EQ(panel->GetBoundObject(), static_cast<IBOMObject*>(a.get()));

    EXPECT_EQ(a->GetDetailPanel("NoSuchPanel"), nullptr);
    EXPECT_EQ(TFakePanel::Live(), 1);

    // Attached again, the open panel stays.
    root->AttachUI(host.get());
    EXPECT_EQ(a->GetDetailPanel(kFakePanelName), panel);
    EXPECT_EQ(TFakePanel::Live(), 1);

    root->DetachUI();
    EXPECT_EQ(TFakePanel::Live(), 0);
    root->AttachUI(host.get());
    TFakePanel* fresh = AsFake(a->GetDetailPanel(kFakePanelName));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->inits, 1);
    EXPECT_EQ(TFakePanel::Live(), 1);
}

TEST_F(UIObjectsTest, OnlyOwnParameterChangesRepaint) {
    root->AttachUI(host.get());
    IPtr<TTestItem> a = Item("A");
    a->CreateParam("caption", Variant("x"));
    TFakeTreeNode* rootNode = Show(root.get());
    TFakeTreeNode* nodeA = Show(a.get());
    TFakePanel* rootPanel = AsFake(root->GetDetailPanel(kFakePanelName));
    TFakePanel* panelA = AsFake(a->GetDetailPanel(kFakePanelName));
    ASSERT_TRUE(rootPanel && panelA);
    int rootPaints = rootNode->paints, paintsA = nodeA->paints;

    a->GetParam("caption")->SetValue(Variant("y"));
    EXPECT_EQ(nodeA->paints, paintsA + 1);
    EXPECT_EQ(panelA->updates, 2);
    // The root hears "items/A/params/caption": not its own parameter.
    EXPECT_EQ(rootNode->paints, rootPaints);
    EXPECT_EQ(rootPanel->updates, 1);
}

TEST_F(UIObjectsTest, ExpandFillsANodeOnce) {
    root->AttachUI(host.get());
    TFakeTreeNode* rootNode = Show(root.get());
    EXPECT_TRUE(rootNode->hasChildren);
    EXPECT_EQ(rootNode->image, -1);
    EXPECT_EQ(rootNode->selected, -1);
    EXPECT_EQ(rootNode->state, -1);

    root->ExpandTreeNode(rootNode);
    ASSERT_EQ(rootNode->GetCount(), 2);
    EXPECT_EQ(rootNode->Child(0)->text, "A");
    EXPECT_EQ(rootNode->Child(1)->text, "B");
    EXPECT_FALSE(rootNode->Child(0)->hasChildren);
    EXPECT_EQ(TreeNodeElement(rootNode->Child(0)), static_cast<IUIElement*>(Item("A").get()));
    EXPECT_EQ(Item("A")->GetTreeNode(), rootNode->Child(0));
    EXPECT_EQ(rootNode->Child(0)->GetLevel(), 1);

    root->Items()->Add(NewItem("C").get());
    root->ExpandTreeNode(rootNode);
    EXPECT_EQ(rootNode->GetCount(), 2);

    // Has-children without a list: the expand button goes, no children come.
    IPtr<TTestItem> a = Item("A");
    a->SetHasChildren(true);
    a->UpdateUI();
    TFakeTreeNode* nodeA = rootNode->Child(0);
    EXPECT_TRUE(nodeA->hasChildren);
    a->ExpandTreeNode(nodeA);
    EXPECT_FALSE(nodeA->hasChildren);
    EXPECT_EQ(nodeA->GetCount(), 0);
}

TEST_F(UIObjectsTest, NodeCellsHoldTheirElementUntilTheNodeGoes) {
    TFakeTreeNode* rootNode = Show(root.get());
    IPtr<TTestItem> a = Item("A");
    int refs = a->RefCount();
    root->ExpandTreeNode(rootNode);
    EXPECT_EQ(a->RefCount(), refs + 1);

    rootNode->children.erase(rootNode->children.begin());
    EXPECT_EQ(a->GetTreeNode(), nullptr);
    EXPECT_EQ(a->RefCount(), refs);
}

TEST_F(UIObjectsTest, LanguageChangeReachesPanelsOfObjectsNotOfCollections) {
    root->AttachUI(host.get());
    TFakePanel* rootPanel = AsFake(root->GetDetailPanel(kFakePanelName));
    TFakePanel* panelA = AsFake(Item("A")->GetDetailPanel(kFakePanelName));
    TFakePanel* listPanel = AsFake(List()->GetDetailPanel(kFakePanelName));
    ASSERT_TRUE(rootPanel && panelA && listPanel);
    // Init translated each once.
    root->Notify(2, 0, 0);
    EXPECT_EQ(rootPanel->translations, 1);

    root->Notify(1, 0, 0);
    EXPECT_EQ(rootPanel->translations, 2);
    EXPECT_EQ(panelA->translations, 2);
    EXPECT_EQ(listPanel->translations, 1);
}

}  // namespace
}  // namespace vpw::test
