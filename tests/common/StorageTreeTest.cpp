// The copy of a document on its own: texts joined in document order, the
// DOM's rule between two element texts, and the escaped form decoded.
#include <gtest/gtest.h>

#include "StorageTree.h"

using namespace vpw;

namespace {

// <p>x<b>1</b><c>2</c><d/><e>3</e>y<f>4</f></p>, built in document order.
std::shared_ptr<TStorageTree> Mixed(bool blank) {
    auto tree = std::make_shared<TStorageTree>(blank);
    TStorageElement* p = tree->NewElement(nullptr, "p");
    tree->AddText(p, "x");
    tree->AddText(tree->NewElement(p, "b"), "1");
    tree->AddText(tree->NewElement(p, "c"), "2");
    tree->NewElement(p, "d");
    tree->AddText(tree->NewElement(p, "e"), "3");
    tree->AddText(p, "y");
    tree->AddText(tree->NewElement(p, "f"), "4");
    return tree;
}

}  // namespace

TEST(StorageTree, TextJoinsTheContentInDocumentOrder) {
    struct Case {
        bool blank;
        const char* text;
    } const cases[] = {{false, "x123y4"}, {true, "x1 2 3y4"}};
    for (const auto& c : cases) {
        auto tree = Mixed(c.blank);
        IPtr<IHierStorage> p = OpenStorageTree(tree);
        EXPECT_EQ(p->ReadValue(), c.text) << c.blank;
        EXPECT_EQ(p->ReadChildValue("c"), "2");
        EXPECT_EQ(p->ReadChildValue("d"), "");
    }
    // Text after the last child element.
    TStorageTree tree;
    TStorageElement* p = tree.NewElement(nullptr, "p");
    tree.AddText(tree.NewElement(p, "b"), "1");
    tree.AddText(p, "z");
    tree.AddText(p, "!");
    EXPECT_EQ(tree.Text(*p), "1z!");
}

TEST(StorageTree, EscapedPartsAreDecoded) {
    auto tree = std::make_shared<TStorageTree>();
    TStorageElement* root = tree->NewElement(nullptr, "root");
    TStorageElement* item = tree->NewElement(root, "item");
    tree->AddAttribute(item, "name", "a%01b");
    tree->AddAttribute(item, "other", "50%25");
    tree->AddText(item, "x%1By");
    tree->SetEscapedParts(item, "name #text");
    TStorageElement* plain = tree->NewElement(root, "item");
    tree->AddAttribute(plain, "name", "%41");
    tree->AddText(plain, "%41");

    IPtr<IHierStorage> r = OpenStorageTree(tree);
    IPtr<IHierStorage> escaped = r->GetChild("item", 0);
    EXPECT_EQ(escaped->ReadAttribute("name", "?"), "a\x01" "b");
    EXPECT_EQ(escaped->ReadAttribute("other", "?"), "50%25");  // not listed
    EXPECT_EQ(escaped->ReadValue(), "x\x1by");
    EXPECT_EQ(r->ReadChildValue("item"), "x\x1by");
    IPtr<IHierStorage> unmarked = r->GetChild("item", 1);
    EXPECT_EQ(unmarked->ReadAttribute("name", "?"), "%41");
    EXPECT_EQ(unmarked->ReadValue(), "%41");
    // Around an escaped element the text holds its stored form, as the
    // document's text does.
    EXPECT_EQ(r->ReadValue(), "x%1By%41");
}
