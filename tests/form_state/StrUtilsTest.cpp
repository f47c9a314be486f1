#include <gtest/gtest.h>

#include "StrUtils.h"

using namespace vpw;

TEST(ReplaceAllText, Cases) {
    struct Case {
        const char *source, *find, *replacement, *expected;
    } cases[] = {
        {"1,5", ",", ".", "1.5"},
        {"ab", "abc", "x", "ab"},             // find longer than the source
        {"aaa", "aa", "b", "ba"},             // no overlap, left to right
        {"AbAb", "ab", "x", "AbAb"},          // case-sensitive
        {"abc", "", "x", "abc"},              // empty find
        {"a.b.c", ".", "", "abc"},
        {"x", "x", "xx", "xx"},               // the replacement is not searched again
    };
    for (const auto& c : cases) EXPECT_EQ(ReplaceAllText(c.source, c.find, c.replacement), c.expected) << c.source;
}

TEST(Words, CountStartAndNth) {
    const std::string text = " 10, 20,,30 ";
    const std::string delims = " ,";
    EXPECT_EQ(CountWords(text, delims), 3);
    EXPECT_EQ(NthWord(2, text, delims), "20");
    EXPECT_EQ(NthWord(4, text, delims), "");
    EXPECT_EQ(WordStart(1, text, delims), 2);
    EXPECT_EQ(WordStart(3, text, delims), 10);
    EXPECT_EQ(WordStart(4, text, delims), 0);
    EXPECT_EQ(WordStart(0, text, delims), 0);
    EXPECT_EQ(NthWord(0, text, delims), "");
    EXPECT_EQ(CountWords("", delims), 0);
    EXPECT_EQ(CountWords(",, ", delims), 0);
    EXPECT_EQ(NthWord(3, "[fpState, fpPosition]", " ,[]"), "");
    EXPECT_EQ(NthWord(2, "[fpState, fpPosition]", " ,[]"), "fpPosition");
    EXPECT_EQ(NthWord(1, "abc", ""), "abc");
}

TEST(XorHex, EncodeDecode) {
    EXPECT_EQ(XorHexEncode("", "abc"), "616263");
    EXPECT_EQ(XorHexDecode("", "616263"), "abc");
    EXPECT_EQ(XorHexDecode("", "61626"), "ab");        // trailing odd character ignored
    EXPECT_EQ(XorHexDecode("", "zz61"), " a");         // a pair that is no number is a blank
    EXPECT_EQ(XorHexDecode("", "4A4a"), "JJ");
    EXPECT_EQ(XorHexEncode("", std::string("\xff\x00", 2)), "ff00");
    // The key cycles over the source.
    EXPECT_EQ(XorHexEncode("\x01\x02", "aaa"), "606360");
    for (const std::string key : {"", "k", "secret key"}) {
        const std::string source = std::string("text with \x80\xff and \0 bytes", 24);
        EXPECT_EQ(XorHexDecode(key, XorHexEncode(key, source)), source) << key;
        EXPECT_EQ(XorHexEncode(key, source).size(), source.size() * 2);
    }
}

TEST(StrToIntDef, Cases) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"42", 42}, {"-7", -7}, {"+3", 3}, {"  12", 12}, {"$1F", 31}, {"", -1}, {"12a", -1}, {"1 2", -1},
        {"-", -1}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}, {"2147483648", -1},
        {"99999999999", -1}, {"1.5", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(StrToIntDef(c.text, -1), c.expected) << c.text;
}
