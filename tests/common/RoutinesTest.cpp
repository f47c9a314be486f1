#include <gtest/gtest.h>

#include "Routines.h"

using namespace vpw;

TEST(FindClosingBrace, Cases) {
    EXPECT_EQ(FindClosingBrace("{a{b}c}", 0), 6u);
    EXPECT_EQ(FindClosingBrace("{a{b}", 0), kNoPos);
    EXPECT_EQ(FindClosingBrace("abc", 1), 1u);
    EXPECT_EQ(FindClosingBrace("abc", 3), kNoPos);
    EXPECT_EQ(FindClosingBrace("", 0), kNoPos);
}

struct SplitCase {
    const char* text;
    char sep;
    std::vector<std::string> pieces;
};

TEST(SplitParamString, Cases) {
    const SplitCase cases[] = {
        {"\\NAME=STAYONTOPON\\CAPTION=StayOnTop On", '\\', {"NAME=STAYONTOPON", "CAPTION=StayOnTop On"}},
        {"\\A=1\\\\B=2\\", '\\', {"A=1", "B=2"}},
        {"\\A={1\\B=2", '\\', {"A={1", "B=2"}},
        {"A={x\\y}{p\\q}\\B", '\\', {"A={x\\y}{p", "q}", "B"}},
        {"  \\A={x\\{y\\z}}\\B=2 \t", '\\', {"A={x\\{y\\z}}", "B=2"}},
        {"a;b; c ;", ';', {"a", "b", " c "}},
    };
    for (const auto& c : cases) {
        TOneArrayOfString pieces;
        EXPECT_EQ(SplitParamString(c.text, pieces, c.sep), static_cast<int>(c.pieces.size())) << c.text;
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
}

TEST(SplitParamString, NoPiecesLeavesOutputUntouched) {
    TOneArrayOfString pieces{"keep"};
    EXPECT_EQ(SplitParamString("   ", pieces, '\\'), 0);
    EXPECT_EQ(SplitParamString("\\\\", pieces, '\\'), 0);
    EXPECT_EQ(pieces, TOneArrayOfString{"keep"});
}

TEST(ParseNameValues, Cases) {
    struct Case {
        const char* text;
        int n;
        TTwoArrayOfString rows;
    } cases[] = {
        {"\\NAME=STAYONTOPON\\CAPTION=StayOnTop On", 2, {{"NAME", "STAYONTOPON"}, {"CAPTION", "StayOnTop On"}}},
        {"\\ACTION=STAYONTOPACTION{\\NAME=a\\SAVECURRENTOPERATION=no}\\TRIGGER=X{\\AGENT={\\NAME=b}}",
         2,
         {{"ACTION", "STAYONTOPACTION{\\NAME=a\\SAVECURRENTOPERATION=no}"}, {"TRIGGER", "X{\\AGENT={\\NAME=b}}"}}},
        {"\\AGENT={\\NAME=b\\ACTIONNAME=c}", 1, {{"AGENT", "\\NAME=b\\ACTIONNAME=c"}}},
        {"KEY=a=b", 1, {{"KEY", "a=b"}}},
        {"\\K={{a}}", 1, {{"K", "{a}"}}},
        {"\\K={", 1, {{"K", "{"}}},
        {"\\FLAG\\A=1", 2, {{"A", "1"}, {"", ""}}},
        {"\\A=1\\\\B=2\\", 2, {{"A", "1"}, {"B", "2"}}},
    };
    for (const auto& c : cases) {
        TTwoArrayOfString rows;
        EXPECT_EQ(ParseNameValues(c.text, rows, '\\', '='), c.n) << c.text;
        EXPECT_EQ(rows, c.rows) << c.text;
    }
    TTwoArrayOfString untouched{{"x", "y"}};
    EXPECT_EQ(ParseNameValues("   ", untouched, '\\', '='), 0);
    EXPECT_EQ(untouched.size(), 1u);
}

TEST(GetNameValue, FindsFirstMatchIgnoringCase) {
    std::string v = "stale";
    EXPECT_TRUE(GetNameValue("DefaultDetailPanel=ActionDetailPanel;ContentDetailPanel=ActionsContentDetailPanel",
                             "contentdetailpanel", ';', '=', v));
    EXPECT_EQ(v, "ActionsContentDetailPanel");
    EXPECT_TRUE(GetNameValue("\\A=1\\a=2", "A", '\\', '=', v));
    EXPECT_EQ(v, "1");
    EXPECT_FALSE(GetNameValue("\\FLAG\\A=1", "", '\\', '=', v) && !v.empty());
    EXPECT_FALSE(GetNameValue("\\A=1", "B", '\\', '=', v));
    EXPECT_EQ(v, "");
}
