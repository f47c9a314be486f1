#include <gtest/gtest.h>

#include "Collections.h"
#include "crc_32.h"

using namespace vpw;

namespace {

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EHashListError& e) {
        return e.Message();
    }
    return "(no error)";
}

class Counted : public TDebugInterfacedObject {};

}  // namespace

TEST(Crc32, StartsAtZeroWithoutFinalInversion) {
    EXPECT_EQ(crc_32("abc"), 0xCA6598D0u);
    EXPECT_EQ(crc_32("a"), 0x3AB551CEu);
    EXPECT_EQ(crc_32(""), 0u);
    EXPECT_NE(crc_32("abc"), 0x352441C2u);
}

TEST(HashList, KeysAreCaseInsensitiveAndDuplicatesRefused) {
    THashList list;
    int a = 1, b = 2;
    list.Add("Rule", &a);
    EXPECT_EQ(MessageOf([&] { list.Add("RULE", &b); }), "Duplicate entry.");
    EXPECT_EQ(list.Find("rule"), &a);
    EXPECT_EQ(list.Find("absent"), nullptr);
    EXPECT_EQ(MessageOf([&] { list.Insert(5, "x", &b); }), "Invalid position for HashList.");
    EXPECT_EQ(MessageOf([&] { list.SetCapacity(0); }), "Invalid HashList capacity.");
    EXPECT_EQ(MessageOf([&] { list.Remove("absent"); }), "Hash not found.");
}

TEST(HashList, OtherModes) {
    int a = 1, b = 2;
    THashList replace;
    replace.SetDuplicates(THashList::TDuplicates::Replace);
    replace.Add("k", &a);
    replace.Add("K", &b);
    EXPECT_EQ(replace.Count(), 1);
    EXPECT_EQ(replace.Find("k"), &b);

    THashList md5;
    md5.SetHashKind(THashList::THashKind::Md5);
    md5.SetErrorOnAbsent(true);
    md5.Add("abc", &a);
    md5.Add("abd", &b);
    EXPECT_EQ(md5.Find("ABC"), &a);
    EXPECT_EQ(MessageOf([&] { md5.Find("x"); }), "Hash not found.");

    THashList custom;
    custom.SetHashKind(THashList::THashKind::Custom);
    custom.SetDuplicates(THashList::TDuplicates::Ignore);
    custom.Add("ab", &a);
    custom.Add("AB", &b);
    EXPECT_EQ(custom.Find("ab"), &a);

    int freed = 0;
    {
        THashList owner;
        owner.SetOwnsItems([&](void* p) { freed += *static_cast<int*>(p); });
        owner.Add("a", &a);
        owner.Add("b", &b);
        owner.Delete(0);
        EXPECT_EQ(freed, 1);
    }
    EXPECT_EQ(freed, 3);
}

TEST(HashList, CapacityGrowsAndShrinks) {
    THashList list;
    std::vector<int> v(100);
    std::vector<int> caps;
    for (int i = 0; i < 100; ++i) {
        list.Add(std::to_string(i), &v[i]);
        if (caps.empty() || caps.back() != list.Capacity()) caps.push_back(list.Capacity());
    }
    EXPECT_EQ(caps, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
    while (list.Count() > 10) list.Delete(0);
    EXPECT_LT(list.Capacity(), 40);
    EXPECT_GE(list.Capacity(), list.Count());
}

TEST(PointerCollection, KeysPositionsAndErrors) {
    TPointerCollection c;
    int x = 1, y = 2, z = 3;
    EXPECT_EQ(c.Add(&x, "Rule"), &x);
    EXPECT_EQ(c.Add(&y, "RULE"), nullptr);
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c.GetItem(Variant("rule")), &x);
    EXPECT_EQ(c.GetItem(Variant("absent")), nullptr);
    EXPECT_EQ(MessageOf([&] { c.GetItem(5); }), "Invalid index.");
    EXPECT_EQ(MessageOf([&] { c.Delete(Variant("absent")); }), "Hash not found.");
    EXPECT_EQ(c.GetItem(Variant(1.5)), nullptr);
    EXPECT_EQ(c.GetItem(Variant(true)), nullptr);
    c.Delete(Variant(2.0));  // finds nothing, deletes nothing
    EXPECT_EQ(c.Count(), 1);
    c.Add(&y, "b");
    c.Add(&z, "c");
    c.Delete(0);
    EXPECT_EQ(c.GetItem(0), &y);
    EXPECT_EQ(c.IndexOf("C"), 1);
    EXPECT_EQ(c.GetItem(Variant(std::int16_t{1})), &z);
    EXPECT_EQ(c.GetItem(Variant(std::wstring(L"B"))), &y);
    EXPECT_EQ(c.GetItem(Variant(5LL)), nullptr);  // a 64-bit integer is no position
}

TEST(PointerCollection, GeneratedKeys) {
    TPointerCollection c;
    int x = 0;
    std::string k1, k2;
    c.Add(&x, true, k1);
    c.Add(&x, true, k2);
    EXPECT_EQ(k1, "!");
    EXPECT_EQ(k2, std::string(1, char(34)));
    EXPECT_EQ(c.IndexOf(k2), 1);

    TPointerCollection named;
    named.Add(&x, "Foo");
    EXPECT_EQ(named.NextAutoKey(), "Fop");
    named.Add(&x, "Bar");  // lower than the highest key: stays "Fop"
    EXPECT_EQ(named.NextAutoKey(), "Foq");

    TPointerCollection high;
    high.Add(&x, std::string("a\xff"));
    EXPECT_EQ(high.NextAutoKey(), std::string("a\xff!"));
}

TEST(InterfaceCollection, HoldsOneReferencePerEntry) {
    int before = TDebugInterfacedObject::LiveObjects();
    {
        TInterfaceCollection c;
        Counted* ra = new Counted;
        Counted* rb = new Counted;
        IPtr<IInterface> a(ra), b(rb);
        c.Add(a, "a");
        EXPECT_EQ(c.Add(b, "A"), b);  // returned although not stored
        EXPECT_EQ(ra->RefCount(), 2);
        EXPECT_EQ(rb->RefCount(), 1);
        c.Add(b, "b");
        EXPECT_EQ(c.GetItem(Variant("B")), b);
        c.Delete(Variant("a"));
        EXPECT_EQ(ra->RefCount(), 1);
        a = nullptr;
        b = nullptr;
        EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), before + 1);
    }
    EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), before);
}

TEST(StringCollection, KeepsCopies) {
    TStringCollection c;
    std::string text = "hello";
    c.Add(text, "k");
    text = "changed";
    EXPECT_EQ(c.GetItem(Variant("K")), "hello");
    EXPECT_EQ(c.GetItem(Variant("absent")), "");
    c.Delete(0);
    EXPECT_EQ(c.Count(), 0);
}
