// The escaped form of stored texts that XML 1.0 cannot carry.
#include <gtest/gtest.h>

#include <string>

#include "StoredText.h"

using namespace vpw;

namespace {

// Every byte below 0x20 that XML 1.0 refuses, in order.
std::string ForbiddenBytes() {
    std::string s;
    for (int c = 0; c < 0x20; ++c)
        if (c != '\t' && c != '\n' && c != '\r') s += static_cast<char>(c);
    return s;
}

}  // namespace

TEST(StoredText, WhichTextsNeedTheEscapedForm) {
    for (char c : ForbiddenBytes()) EXPECT_TRUE(NeedsEscapedForm(std::string("a") + c + "b")) << int(c);
    const std::string plain[] = {"", "plain", "tab\there", "two\nlines\r\n", "%", "50% off", "%01",
                                 "del\x7F", "caf\xE9 \x81\xFF", "escaped", "#text"};
    for (const auto& t : plain) EXPECT_FALSE(NeedsEscapedForm(t)) << t;
    EXPECT_TRUE(NeedsEscapedForm(std::string("nul\0", 4)));
}

TEST(StoredText, EscapedFormTable) {
    struct Case {
        std::string text, stored;
    } const cases[] = {
        {"a\x01" "b", "a%01b"},
        {"x\x1by", "x%1By"},
        {"\x1f", "%1F"},
        {"\x0b\x0c", "%0B%0C"},
        {std::string("\0z", 2), "%00z"},
        {"50%\x02", "50%25%02"},
        {"\t\n\r\x03", "%09%0A%0D%03"},
        {"%%\x04", "%25%25%04"},
        {"caf\xE9\x05\x7F", "caf\xE9%05\x7F"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeStoredText(c.text), c.stored);
        EXPECT_EQ(UnescapeStoredText(c.stored), c.text) << c.stored;
    }
    // Every byte string comes back.
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    all += all;
    EXPECT_EQ(UnescapeStoredText(EscapeStoredText(all)), all);
    EXPECT_FALSE(NeedsEscapedForm(EscapeStoredText(all)));
}

// A hand-edited "%" that starts no escape stays as it is.
TEST(StoredText, UnescapeIsLenient) {
    struct Case {
        const char *stored, *text;
    } const cases[] = {
        {"%", "%"}, {"%4", "%4"}, {"%G1", "%G1"}, {"a%", "a%"}, {"%4g", "%4g"}, {"%1b%1B", "\x1b\x1b"}, {"%%41", "%A"},
    };
    for (const auto& c : cases) EXPECT_EQ(UnescapeStoredText(c.stored), c.text) << c.stored;
}

TEST(StoredText, ListOfEscapedParts) {
    EXPECT_TRUE(ListsEscapedPart("#text", "#text"));
    EXPECT_TRUE(ListsEscapedPart("name #text", "name"));
    EXPECT_TRUE(ListsEscapedPart(" \tname\r\n#text ", "#text"));
    EXPECT_FALSE(ListsEscapedPart("names", "name"));
    EXPECT_FALSE(ListsEscapedPart("", "name"));
    EXPECT_FALSE(ListsEscapedPart("#text", "text"));

    struct Case {
        const char* list;
        const char* part;
        bool escaped;
        const char* result;
    } const cases[] = {
        {"", "name", true, "name"},
        {"name", "#text", true, "name #text"},
        {"name #text", "name", true, "name #text"},
        {"name #text", "name", false, "#text"},
        {"#text", "#text", false, ""},
        {"", "name", false, ""},
        {"  a   b  ", "c", true, "a b c"},
        {"a name a", "a", false, "name"},
    };
    for (const auto& c : cases) EXPECT_EQ(WithEscapedPart(c.list, c.part, c.escaped), c.result) << c.list;
}
