#include <gtest/gtest.h>

#include <memory>

#include "BOMAbstractDetailPanel.h"
#include "UITestSupport.h"

namespace vpw::test {
namespace {

class TOtherPanel : public TAbstractDetailPanel {};

TEST(DetailPanelRegistry, CreatesByNameAndKeepsTheFirstClass) {
    RegisterFakePanel();
    std::unique_ptr<TAbstractDetailPanel> a(CreateDetailPanelByName("FakePanel"));
    std::unique_ptr<TAbstractDetailPanel> b(CreateDetailPanelByName("fakepanel"));
    ASSERT_TRUE(AsFake(a.get()) && AsFake(b.get()));
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(a->GetBoundObject(), nullptr);
    EXPECT_EQ(AsFake(a.get())->inits, 0);
    EXPECT_EQ(CreateDetailPanelByName("NoSuchPanel"), nullptr);

    RegisterDetailPanelClass(DetailPanelClassOf<TOtherPanel>(), "FAKEPANEL");
    EXPECT_EQ(FindDetailPanelClass("FakePanel"), DetailPanelClassOf<TFakePanel>());
    RegisterDetailPanelClass(nullptr, "NullPanel");
    EXPECT_EQ(FindDetailPanelClass("NullPanel"), nullptr);
}

TEST(DetailPanelList, AddsOnlyPanelsUnderFreeKeys) {
    TFakePanel p, q;
    TAbstractDetailPanels list;
    EXPECT_EQ(list.Add(nullptr, "none"), nullptr);
    EXPECT_EQ(list.Add(&p, "Kind"), &p);
    EXPECT_EQ(list.Add(&q, "KIND"), nullptr);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetItem(Variant("kind")), &p);
    EXPECT_EQ(list.GetItem(Variant(0)), &p);
    EXPECT_EQ(list.GetItem(Variant(1)), nullptr);
    EXPECT_EQ(list.GetItem(Variant("other")), nullptr);
}

TEST(DetailPanel, TranslatesOnInitAndOnLanguageNoticeOnly) {
    RegisterBOMClasses();
    IPtr<TBOMObject> obj = CreateObject<TBOMObject>();
    TFakePanel panel;
    panel.Init(obj.get());
    EXPECT_EQ(panel.GetBoundObject(), static_cast<IBOMObject*>(obj.get()));
    EXPECT_EQ(panel.translations, 1);
    EXPECT_EQ(panel.updates, 0);

    panel.Notify(2, 1, 1);
    EXPECT_EQ(panel.translations, 1);
    panel.Notify(1, 0, 0);
    EXPECT_EQ(panel.translations, 2);

    panel.ReleaseObject();
    EXPECT_EQ(panel.GetBoundObject(), nullptr);
}

// A panel opened by item A of an attached, wired tree (items A, B).
class PanelEditTest : public TWiredUITreeTest {
protected:
    void SetUp() override {
        TWiredUITreeTest::SetUp();
        root->AttachUI(host.get());
        a = Item("A");
        a->CreateParam("caption", Variant(""));
        panel = AsFake(a->GetDetailPanel(kFakePanelName));
        ASSERT_NE(panel, nullptr);
    }
    void TearDown() override {
        a = nullptr;
        TWiredUITreeTest::TearDown();
    }

    IPtr<TTestItem> a;
    TFakePanel* panel = nullptr;
};

TEST_F(PanelEditTest, RenameObject) {
    struct Case {
        const char* newName;
        const char* expectedName;
        int refreshes;
    };
    const Case cases[] = {
        {"A", "A", 0},  // the current name: nothing at all
        {"C", "C", 2},  // renamed through the collection: the "name" notice, then its own refresh
        {"B", "C", 1},  // taken: the collection refuses, the panel refreshes
    };
    for (const Case& c : cases) {
        int before = panel->updates;
        panel->RenameObject(c.newName);
        EXPECT_EQ(a->GetName(), c.expectedName) << c.newName;
        EXPECT_EQ(panel->updates - before, c.refreshes) << c.newName;
    }
    EXPECT_EQ(root->Items()->Item(Variant("C")).get(), static_cast<IBOMObject*>(a.get()));
    EXPECT_EQ(root->Items()->Item(Variant("A")), nullptr);

    // Without an owner there is nobody to rename through.
    IPtr<TTestItem> lone = NewItem("Lone");
    TFakePanel lonePanel;
    lonePanel.Init(lone.get());
    lonePanel.RenameObject("Other");
    EXPECT_EQ(lone->GetName(), "Lone");
    EXPECT_EQ(lonePanel.updates, 1);

    TFakePanel unbound;
    unbound.RenameObject("X");
    EXPECT_EQ(unbound.updates, 0);
}

TEST_F(PanelEditTest, SetParamValue) {
    int before = panel->updates;
    panel->SetParamValue("caption", Variant("hello"));
    EXPECT_EQ(a->GetParam("caption")->GetValue(), Variant("hello"));
    EXPECT_EQ(panel->updates, before + 1) << "the change notice refreshes the object's panels";

    panel->SetParamValue("missing", Variant(1));
    EXPECT_EQ(a->GetParam("missing"), nullptr);
    EXPECT_EQ(panel->updates, before + 1);

    TFakePanel unbound;
    unbound.SetParamValue("caption", Variant("x"));
    EXPECT_EQ(a->GetParam("caption")->GetValue(), Variant("hello"));
}

}  // namespace
}  // namespace vpw::test
