#include <gtest/gtest.h>

#include <map>

#include "RXProps.h"

using namespace vpw;

TEST(StoredItems, MakeSplitRename) {
    EXPECT_EQ(MakeStoredItem("TreeView", "Width"), "TreeView.Width");
    EXPECT_EQ(MakeStoredItem("", "Width"), "");
    EXPECT_EQ(MakeStoredItem("TreeView", ""), "");

    std::string component, prop;
    EXPECT_TRUE(SplitStoredItem(" TreeView . Width ", component, prop));
    EXPECT_EQ(component, "TreeView");
    EXPECT_EQ(prop, "Width");
    EXPECT_TRUE(SplitStoredItem("A.B.C", component, prop));
    EXPECT_EQ(prop, "B.C");
    for (const char* bad : {"NoPoint", ".Width", "TreeView.", " . "}) EXPECT_FALSE(SplitStoredItem(bad, component, prop)) << bad;

    EXPECT_EQ(RenameStoredItem("TreeView.Width", "Tree"), "Tree.Width");
    EXPECT_EQ(RenameStoredItem("broken", "Tree"), "");
}

namespace {

// A form with a tree view and a tool bar whose properties live in plain fields,
// and a store that is a map.
struct Fixture {
    int treeWidth = 161;
    int barLeft = 11;
    std::string caption = "Rules";
    int align = 1;
    TStorableComponent tree{"TreeView", {}};
    TStorableComponent bar{"MenuToolBar", {}};
    TComponentList form;
    std::map<std::string, std::string> store;

    Fixture() {
        tree.Props.Add(IntegerProp("Width", [this] { return treeWidth; }, [this](int v) { treeWidth = v; }));
        tree.Props.Add(StringProp("Caption", [this] { return caption; }, [this](const std::string& v) { caption = v; }));
        tree.Props.Add(EnumProp("Align", {"alNone", "alTop", "alLeft"}, [this] { return align; },
                                [this](int v) { align = v; }));
        bar.Props.Add(IntegerProp("Left", [this] { return barLeft; }, [this](int v) { barLeft = v; }));
        form.Add(&tree);
        form.Add(&bar);
    }

    TPropsStorage Storage() {
        TPropsStorage s;
        s.Section = "TCBAppForm";
        s.OnWriteString = [this](const std::string& section, const std::string& item, const std::string& text) {
            store[section + "\\" + item] = text;
        };
        s.OnReadString = [this](const std::string& section, const std::string& item, const std::string& def) {
            auto it = store.find(section + "\\" + item);
            return it == store.end() ? def : it->second;
        };
        return s;
    }

    TStoredEntries Entries(std::initializer_list<const char*> texts) {
        TStoredEntries list;
        for (const char* t : texts) list.push_back({t, nullptr});
        SyncStoredList(form, list, true);
        return list;
    }
};

}  // namespace

TEST(SyncStoredList, DropsEntriesWithoutComponentAndFollowsRenames) {
    Fixture f;
    TStoredEntries list = f.Entries({"TreeView.Width", "Gone.Width", "broken", "menutoolbar.Left"});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Component, &f.tree);
    EXPECT_EQ(list[1].Component, &f.bar);

    f.tree.Name = "RuleTree";
    list.push_back({"Loose.Width", nullptr});
    SyncStoredList(f.form, list, false);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Text, "RuleTree.Width");
    EXPECT_EQ(list[1].Text, "MenuToolBar.Left");
}

TEST(PropsStorage, SavesUnderComponentUnderscoreProperty) {
    Fixture f;
    TStoredEntries list = f.Entries({"TreeView.Width", "MenuToolBar.Left", "TreeView.Caption", "TreeView.Align",
                                     "TreeView.NoSuchProperty"});
    f.caption = "";
    f.Storage().SaveObjectProps(f.form, list);
    EXPECT_EQ(f.store, (std::map<std::string, std::string>{{"TCBAppForm\\TreeView_Width", "161"},
                                                          {"TCBAppForm\\MenuToolBar_Left", "11"},
                                                          {"TCBAppForm\\TreeView_Caption", ""},
                                                          {"TCBAppForm\\TreeView_Align", "alTop"}}));
}

TEST(PropsStorage, LoadsBackAndFallsBack) {
    Fixture f;
    TStoredEntries list = f.Entries({"TreeView.Width", "MenuToolBar.Left", "TreeView.Caption", "TreeView.Align"});
    f.store = {{"TCBAppForm\\TreeView_Width", " 240 "},
               {"TCBAppForm\\TreeView_Caption", "  Other "},
               {"TCBAppForm\\TreeView_Align", "ALLEFT"}};
    f.Storage().LoadObjectProps(f.form, list);
    EXPECT_EQ(f.treeWidth, 240);
    EXPECT_EQ(f.barLeft, 11);  // missing: the present value stays
    EXPECT_EQ(f.caption, "Other");
    EXPECT_EQ(f.align, 2);

    f.store = {{"TCBAppForm\\TreeView_Width", "wide"}, {"TCBAppForm\\TreeView_Align", "alSideways"}};
    f.Storage().LoadObjectProps(f.form, list);
    EXPECT_EQ(f.treeWidth, 0);  // not a number
    EXPECT_EQ(f.align, 2);      // no such name: unchanged
}

TEST(PropsStorage, ASetterThatThrowsLeavesTheRestLoading) {
    Fixture f;
    f.tree.Props = {};
    f.tree.Props.Add(IntegerProp("Width", [] { return 1; }, [](int) { throw std::runtime_error("no"); }));
    TStoredEntries list = f.Entries({"TreeView.Width", "MenuToolBar.Left"});
    f.store = {{"TCBAppForm\\TreeView_Width", "5"}, {"TCBAppForm\\MenuToolBar_Left", "77"}};
    f.Storage().LoadObjectProps(f.form, list);
    EXPECT_EQ(f.barLeft, 77);
}
