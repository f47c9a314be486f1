#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "BOMTestTree.h"

using namespace vpw;
using namespace vpw::test;

namespace {

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no error)";
}

using Notices = std::vector<TNotice>;

}  // namespace

// --- paths

TEST_F(SampleTree, ResolvePaths) {
    std::map<std::string, IPtr<IBOMObject>> n = {
        {"R", At("")},
        {"rules", At("rules")},
        {"A", At("rules/A")},
        {"B", At("rules/B")},
        {"other", At("other")},
        {"A.params", At("rules/A/params")},
        {"A.enabled", At("rules/A/params/enabled")},
        {"A.all", At("rules/A/all")},
        {"-", nullptr},
    };
    for (const auto& [label, obj] : n) ASSERT_TRUE(label == "-" || obj) << label;
    ASSERT_EQ(Supports<IBOMCollection>(n["A.all"])->Item(0), n["A.params"]);

    struct {
        const char *from, *path, *expected;
    } cases[] = {
        {"A", "", "A"},
        {"A", ".", "A"},
        {"A", "./.", "A"},
        {"A", "..", "rules"},
        {"A", "../..", "R"},
        {"A", "../../..", "-"},
        {"A", "/", "R"},
        {"other", "/", "R"},
        {"A", "//other", "other"},
        {"R", "rules//other", "other"},  // two slashes restart at the root
        {"A", "../b", "B"},              // child names in any case
        {"A", "PARAMS/ENABLED", "A.enabled"},
        {"A", "params/", "A.params"},    // an empty last step is the object itself
        {"A", "all", "A.all"},
        {"A", "ALL", "-"},               // "all" is exact
        {"A", "Collection:", "rules"},
        {"A", "Collection:/..", "R"},
        {"rules", "Collection:", "rules"},
        {"other", "Collection:", "-"},
        {"A", "collection:", "-"},       // facet names are exact
        {"A", ":", "-"},
        {"A", "../../rules/B/..", "rules"},
        {"R", "nosuch", "-"},
        {"R", "rules/A/nosuch/..", "-"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(n[c.from]->Resolve(c.path), n[c.expected]) << c.from << " Resolve(\"" << c.path << "\")";

    EXPECT_EQ(n["A.enabled"]->GetPath(), "R/rules/A/params/enabled");
    EXPECT_EQ(n["A"]->GetPath(), "R/rules/A");
}

TEST_F(LeakChecked, RootlessAndDetachedTrees) {
    IPtr<IBOMObjectSlave> top = CreateBOMObject("BOMOBJECT", "top");
    auto* obj = dynamic_cast<TBOMObject*>(top.get());
    ASSERT_TRUE(obj);
    IPtr<IBOMObjectSlave> child = obj->CreateChild("BOMOBJECT", "child");
    EXPECT_FALSE(child->Resolve(".."));  // not wired yet
    top->SetOwner(nullptr);
    EXPECT_EQ(child->Resolve(".."), IPtr<IBOMObject>(top.get()));
    EXPECT_EQ(child->GetPath(), "top/child");
    EXPECT_FALSE(child->Resolve("/"));  // the top does not answer IsRoot

    IPtr<IBOMObjectSlave> late = obj->CreateChild("BOMOBJECT", "late");
    EXPECT_FALSE(late->Resolve(".."));  // wired only by the next SetOwner
    top->Detach();
    EXPECT_FALSE(child->Resolve(".."));
}

// --- notices

TEST_F(SampleTree, ParamChangeReachesEveryNodeOnce) {
    IPtr<IBOMParam> enabled = Param("rules/A/params/enabled");
    enabled->SetValue("yes");
    EXPECT_EQ(Record().changes, (Notices{
                                    {"A", "params/enabled", "params", ""},
                                    {"rules", "A/params/enabled", "A", ""},
                                    {"B", "../A/params/enabled", "..", ""},
                                    {"R", "rules/A/params/enabled", "rules", ""},
                                    {"other", "../rules/A/params/enabled", "..", ""},
                                }));
    for (const auto& n : Record().changes) EXPECT_EQ(n.obj, static_cast<IBOMObject*>(enabled.get()));

    // The same value again is a change again; the silent setter tells nobody.
    Record().Clear();
    enabled->SetValue("yes");
    EXPECT_EQ(Record().changes.size(), 5u);
    Record().Clear();
    enabled->SetValueSilent("no");
    EXPECT_TRUE(Record().changes.empty());
    EXPECT_EQ(enabled->GetValue(), Variant("no"));
}

TEST_F(SampleTree, RenameTellsEveryOtherNodeWithOldPaths) {
    IPtr<IBOMObject> a = At("rules/A");
    Supports<IBOMObjectOwner>(rules)->RenameChild(Supports<IBOMObjectSlave>(a).get(), "C");

    EXPECT_EQ(Record().renames, (Notices{
                                    {"rules", "C", "C", "C/A"},
                                    {"B", "../C", "..", "../C/A"},
                                    {"R", "rules/C", "rules", "rules/C/A"},
                                    {"other", "../rules/C", "..", "../rules/C/A"},
                                }));
    // Then the "name" parameter follows as an ordinary change.
    EXPECT_EQ(Record().changes, (Notices{
                                    {"C", "params/name", "params", ""},
                                    {"rules", "C/params/name", "C", ""},
                                    {"B", "../C/params/name", "..", ""},
                                    {"R", "rules/C/params/name", "rules", ""},
                                    {"other", "../rules/C/params/name", "..", ""},
                                }));
    EXPECT_EQ(Names(), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(a->GetPath(), "R/rules/C");
    EXPECT_EQ(Param("rules/C/params/name")->GetValue(), Variant("C"));
}

TEST_F(SampleTree, RenamingAFixedChildDirectlyIsAnError) {
    IPtr<IBOMObjectSlave> other = Supports<IBOMObjectSlave>(At("other"));
    EXPECT_EQ(ErrorOf([&] { other->SetName("x"); }),
              "AfterChangeObjectName - неверное имя ребенка. {9FC4CBFB-E5CD-4B8E-A935-8F2E08202540}");
    EXPECT_EQ(other->GetName(), "x");  // left as it was when the error came
}

TEST_F(SampleTree, NotifyReachesFixedChildrenAndItems) {
    root->Notify(1, 0, 0);
    EXPECT_EQ(Record().notified, (std::vector<std::string>{"R", "rules", "A", "B", "other"}));
}

TEST_F(LeakChecked, NamingAnUnwiredObjectTellsOnlyItsChildren) {
    IPtr<IBOMObjectSlave> obj = CreateBOMObject("RECOBJECT", "");
    obj->SetName("New");
    EXPECT_EQ(Supports<IBOMParam>(obj->Resolve("params/name"))->GetValue(), Variant("New"));
    EXPECT_TRUE(Record().changes.empty());  // params keeps it, nobody above

    Supports<IBOMCollection>(obj->Resolve("params"))->Delete("name");
    EXPECT_EQ(ErrorOf([&] { obj->SetName("Other"); }),
              "TBOMObject.UpdateNameParam: Can\"t find param \"Name\" {50360B40-C9FD-489D-84B8-053539072DA8}");
}

// --- collections

TEST_F(SampleTree, AddAndDeleteItems) {
    // A second "a" is refused and stays unwired.
    IPtr<IBOMObjectSlave> dup = CreateBOMObject("RECOBJECT", "a");
    rules->Add(dup.get());
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_FALSE(dup->Resolve(".."));

    // Added to a wired collection, an item is wired at once.
    IPtr<IBOMObjectSlave> c = CreateBOMObject("RECOBJECT", "C");
    rules->Add(c.get());
    EXPECT_EQ(c->Resolve(".."), IPtr<IBOMObject>(rules.get()));
    EXPECT_EQ(rules->IndexOf("c"), 2);

    // Removed items are unwired with their subtrees, so they are freed.
    IPtr<IBOMObject> a = At("rules/A");
    IPtr<IBOMObject> aEnabled = a->Resolve("params/enabled");
    rules->Delete("a");
    EXPECT_EQ(Names(), (std::vector<std::string>{"B", "C"}));
    EXPECT_FALSE(a->Resolve(".."));
    EXPECT_FALSE(aEnabled->Resolve(".."));
    rules->Clear();
    EXPECT_EQ(rules->Count(), 0);
    EXPECT_FALSE(c->Resolve(".."));

    EXPECT_EQ(ErrorOf([&] { rules->Delete("nosuch"); }), "Hash not found.");
    EXPECT_EQ(ErrorOf([&] { rules->Item(5); }), "Invalid index.");
    EXPECT_FALSE(rules->Item("nosuch"));
}

TEST_F(SampleTree, RenameMovesToTheEndOrDoesNothing) {
    auto owner = Supports<IBOMObjectOwner>(rules);
    auto a = Supports<IBOMObjectSlave>(At("rules/A"));
    for (const char* refused : {"b", "B", "a", "A", ""}) {  // clash, case only, same, empty
        owner->RenameChild(a.get(), refused);
        EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"})) << refused;
    }
    EXPECT_TRUE(Record().renames.empty());

    // A node that merely shares an item's name is not that item.
    IPtr<IBOMObjectSlave> stranger = CreateBOMObject("RECOBJECT", "A");
    owner->RenameChild(stranger.get(), "Z");
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));

    owner->RenameChild(a.get(), "Z");
    EXPECT_EQ(Names(), (std::vector<std::string>{"B", "Z"}));
    EXPECT_EQ(rules->Item(1), IPtr<IBOMObject>(a.get()));

    // The list's own Rename re-keys only, and never onto another entry.
    rules->Rename(a.get(), "B");
    EXPECT_EQ(Names(), (std::vector<std::string>{"B", "Z"}));
    EXPECT_EQ(rules->Item("z"), IPtr<IBOMObject>(a.get()));
}

TEST_F(SampleTree, ItemsComeBeforeFixedChildren) {
    IPtr<IBOMObjectSlave> item = CreateBOMObject("RECOBJECT", "params");
    rules->Add(item.get());
    EXPECT_EQ(rules->Resolve("params"), IPtr<IBOMObject>(item.get()));
    EXPECT_TRUE(rules->GetInterfaceByName("Collection"));
    EXPECT_FALSE(rules->GetInterfaceByName("collection"));
    EXPECT_FALSE(At("other")->GetInterfaceByName("Collection"));
}

TEST_F(LeakChecked, ItemsOfAnUnwiredCollectionAreWiredWithIt) {
    IPtr<IBOMCollection> list = Supports<IBOMCollection>(CreateBOMObject("BOMCOLLECTION", "list"));
    IPtr<IBOMObjectSlave> item = CreateBOMObject("BOMOBJECT", "item");
    list->Add(item.get());
    EXPECT_FALSE(item->Resolve(".."));
    Supports<IBOMObjectSlave>(list)->SetOwner(nullptr);
    EXPECT_EQ(item->Resolve(".."), IPtr<IBOMObject>(list.get()));
    Supports<IBOMObjectSlave>(list)->Detach();
}

// --- parameters

TEST_F(SampleTree, Parameters) {
    auto* a = dynamic_cast<TBOMObject*>(At("rules/A").get());
    ASSERT_TRUE(a);
    IPtr<IBOMParam> count = a->CreateParam("count", 0);
    EXPECT_EQ(a->GetParam("COUNT"), count);
    EXPECT_EQ(count->GetValue(), Variant(0));
    EXPECT_FALSE(a->GetParam("nosuch"));

    // A second parameter of the same name leaves the first in place, unwired.
    IPtr<IBOMParam> again = a->CreateParam("Count", 7);
    EXPECT_EQ(a->GetParam("count"), count);
    EXPECT_FALSE(again->Resolve(".."));

    auto params = Supports<IBOMCollection>(a->Resolve("params"));
    EXPECT_EQ(params->Count(), 3);
    params->Rename(a->GetParam("name").get(), "name");  // re-keyed at the end
    EXPECT_EQ(params->Item(2)->GetName(), "name");
    EXPECT_EQ(ErrorOf([&] { params->Delete("nosuch"); }), "Hash not found.");
    EXPECT_EQ(ErrorOf([&] { params->Item(3); }), "Invalid index.");

    params->Delete("count");
    EXPECT_EQ(params->Count(), 2);
    EXPECT_FALSE(count->Resolve(".."));
    count->SetValue(1);  // a removed parameter tells nobody
    EXPECT_TRUE(Record().changes.empty());
}
