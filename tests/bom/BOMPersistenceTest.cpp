#include <gtest/gtest.h>

#include "BOMTestTree.h"
#include "MemoryStorage.h"

using namespace vpw;
using namespace vpw::test;

namespace {

std::shared_ptr<TMemoryNode> SaveToMemory(IBOMObject* obj) {
    IPtr<IPersistObject> persist = Supports<IPersistObject>(obj);
    auto node = std::make_shared<TMemoryNode>();
    node->tag = persist->GetStorageTag();
    persist->Save(TMemoryStorage::Open(node).get());
    return node;
}

void LoadFromMemory(IBOMObject* obj, const std::string& text) {
    Supports<IPersistObject>(obj)->Load(TMemoryStorage::Open(Parse(text)).get());
}

const char kSaved[] =
    "<root name=\"R\">"
    "<params name=\"params\"><param name=\"name\">R</param></params>"
    "<rules name=\"rules\">"
    "<params name=\"params\"><param name=\"name\">rules</param></params>"
    "<content>"
    "<rule name=\"A\" type=\"RECOBJECT\"><params name=\"params\"><param name=\"name\">A</param>"
    "<param name=\"enabled\">no</param><param name=\"count\" type=\"TESTPARAM\">5</param></params></rule>"
    "<rule name=\"B\" type=\"RECOBJECT\"><params name=\"params\"><param name=\"name\">B</param>"
    "<param name=\"enabled\">no</param></params></rule>"
    "</content>"
    "</rules>"
    "<object name=\"other\"><params name=\"params\"><param name=\"name\">other</param>"
    "<param name=\"enabled\">no</param></params></object>"
    "</root>";

}  // namespace

class Persistence : public SampleTree {
protected:
    void SetUp() override {
        SampleTree::SetUp();
        IPtr<IBOMParam> count = Supports<IBOMParam>(CreateBOMObject("TESTPARAM", "count"));
        count->SetValue(5);
        Supports<IBOMCollection>(At("rules/A/params"))->Add(count.get());
    }
};

TEST_F(Persistence, SaveLayout) {
    EXPECT_EQ(Dump(*SaveToMemory(root.get())), kSaved);

    IPtr<IBOMObjectSlave> empty = CreateBOMObject("BOMCOLLECTION", "empty");
    EXPECT_EQ(Dump(*SaveToMemory(empty.get())),
              "<collection name=\"empty\"><params name=\"params\"><param name=\"name\">empty</param></params>"
              "<content/></collection>");
}

TEST_F(Persistence, RoundTripGivesTextValues) {
    IPtr<IBOMObjectSlave> copy = CreateBOMObject("RECROOT", "");
    LoadFromMemory(copy.get(), kSaved);
    copy->SetOwner(nullptr);
    EXPECT_EQ(copy->GetName(), "R");
    EXPECT_EQ(Dump(*SaveToMemory(copy.get())), kSaved);

    IPtr<IBOMParam> count = Supports<IBOMParam>(copy->Resolve("rules/A/params/count"));
    ASSERT_TRUE(count);
    EXPECT_EQ(Supports<IBOMObjectSlave>(count)->GetTypeName(), "TESTPARAM");
    EXPECT_EQ(count->GetValue().kind(), Variant::Kind::String);
    EXPECT_EQ(count->GetValue(), Variant("5"));
    EXPECT_EQ(copy->Resolve("rules/B/.."), copy->Resolve("rules"));  // wired by SetOwner
    copy->Detach();
}

TEST_F(Persistence, LoadMergesIntoTheTree) {
    Param("rules/B/params/enabled")->SetValue(9);
    LoadFromMemory(root.get(),
                   "<root>"
                   "<params name=\"params\"><param name=\"extra\">1</param></params>"
                   "<rules name=\"rules\"><content>"
                   "<rule name=\"b\" type=\"RECOBJECT\"><params name=\"params\">"
                   "<param name=\"enabled\">yes</param></params></rule>"
                   "<rule name=\"N\"><params name=\"params\"><param name=\"enabled\">1</param></params></rule>"
                   "<rule name=\"Z\" type=\"NOSUCH\"/>"
                   "<rule><params name=\"params\"><param name=\"enabled\">first</param></params></rule>"
                   "<rule><params name=\"params\"><param name=\"enabled\">second</param></params></rule>"
                   "<item name=\"I\" type=\"RECOBJECT\"/>"
                   "</content></rules>"
                   "<object><params name=\"params\"><param>unnamed</param><param name=\"enabled\">1st</param>"
                   "<param name=\"new\" type=\"NOSUCH\">x</param></params></object>"
                   "<object><params name=\"params\"><param name=\"enabled\">2nd</param></params></object>"
                   "</root>");

    EXPECT_EQ(root->GetName(), "R");  // no "name" attribute: kept
    EXPECT_EQ(Param("params/extra")->GetValue(), Variant("1"));

    // Same name in another case reloads in place; the others are appended in
    // file order; an unregistered type, a foreign element name and a second
    // unnamed item add nothing.
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "b", "N", ""}));
    EXPECT_EQ(Param("rules/B/params/enabled")->GetValue(), Variant("yes"));
    EXPECT_EQ(Param("rules/B/params/name")->GetValue(), Variant("b"));
    EXPECT_EQ(Param("rules/A/params/count")->GetValue(), Variant(5));  // not in the file
    IPtr<IBOMObject> n = At("rules/N");
    EXPECT_EQ(dynamic_cast<TRecObject*>(n.get()) != nullptr, true);  // the default item class
    EXPECT_EQ(n->Resolve(".."), IPtr<IBOMObject>(rules.get()));       // added to a wired collection
    EXPECT_EQ(Param("rules/N/params/enabled")->GetValue(), Variant("1"));
    EXPECT_EQ(Supports<IBOMParam>(rules->Item(3)->Resolve("params/enabled"))->GetValue(), Variant("first"));

    // The first of two elements of a fixed child's tag is the one loaded.
    auto otherParams = Supports<IBOMCollection>(At("other/params"));
    EXPECT_EQ(Param("other/params/enabled")->GetValue(), Variant("1st"));
    ASSERT_EQ(otherParams->Count(), 3);  // name, enabled and the unnamed one
    EXPECT_EQ(otherParams->Item(2)->GetName(), "");
    EXPECT_EQ(Supports<IBOMParam>(otherParams->Item(2))->GetValue(), Variant("unnamed"));
    EXPECT_EQ(At("other/params/"), IPtr<IBOMObject>(otherParams.get()));
}
