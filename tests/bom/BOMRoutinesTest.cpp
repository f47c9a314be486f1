#include <gtest/gtest.h>

#include "BOMTestTree.h"

using namespace vpw;
using namespace vpw::test;

TEST(BOMRoutines, SplitPath) {
    struct {
        const char *path, *first, *rest;
    } cases[] = {
        {"", "", ""},         {"/", "/", ""},         {"//x", "/", "/x"},         {"a", "a", ""},
        {"a/", "a", ""},      {"a/b/c", "a", "b/c"},  {"a//b", "a", "/b"},        {"../x", "..", "x"},
        {"Collection:/..", "Collection:", ".."},
    };
    for (const auto& c : cases) {
        std::string first = "junk", rest = "junk";
        SplitPath(c.path, first, rest);
        EXPECT_EQ(first, c.first) << c.path;
        EXPECT_EQ(rest, c.rest) << c.path;
    }
}

TEST(BOMRoutines, StartsWithAndStripTrailingSlash) {
    EXPECT_TRUE(StartsWith("", "anything"));
    EXPECT_TRUE(StartsWith("..", ".."));
    EXPECT_TRUE(StartsWith("..", "..hidden"));  // a child so named counts as coming from above
    EXPECT_FALSE(StartsWith("..", "."));
    EXPECT_FALSE(StartsWith("ab", "AB"));

    EXPECT_EQ(StripTrailingSlash("../"), "..");
    EXPECT_EQ(StripTrailingSlash("a//"), "a/");
    EXPECT_EQ(StripTrailingSlash("a"), "a");
    EXPECT_EQ(StripTrailingSlash(""), "");
}

class CreateBOMObjectTest : public LeakChecked {};

TEST_F(CreateBOMObjectTest, ByTypeName) {
    IPtr<IBOMObjectSlave> param = CreateBOMObject("BOMPARAM", "");
    ASSERT_TRUE(param);
    EXPECT_EQ(param->GetName(), "");
    EXPECT_EQ(param->GetTypeName(), "BOMPARAM");
    EXPECT_EQ(Supports<IBOMParam>(param)->GetValue(), Variant(0));

    IPtr<IBOMObjectSlave> obj = CreateBOMObject("BOMOBJECT", "Obj");
    ASSERT_TRUE(obj);
    EXPECT_EQ(obj->GetName(), "Obj");
    EXPECT_EQ(Supports<IBOMParam>(obj->Resolve("params/name"))->GetValue(), Variant("Obj"));

    EXPECT_FALSE(CreateBOMObject("NOSUCHTYPE", "x"));
    EXPECT_FALSE(CreateBOMObject("PLAINOBJECT", "x"));  // released at once: the leak check sees it
}
