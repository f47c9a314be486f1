#include <gtest/gtest.h>

#include "AbstractObjects.h"

using namespace vpw;

namespace {

using Calls = std::vector<std::pair<std::string, std::string>>;

class TRecorder : public TAbstractObject {
public:
    static inline Calls calls;
    void Initialize() override { calls.push_back({"Initialize", ""}); }
    void ParseParam(const std::string& key, const std::string& value) override { calls.push_back({key, value}); }
};

class TDerivedRecorder : public TRecorder {
public:
    void Initialize() override { calls.push_back({"Derived.Initialize", ""}); }
};

class TThrowing : public TAbstractObject {
public:
    void ParseParam(const std::string&, const std::string&) override { throw Exception("bad param"); }
};

struct Registered {
    Registered() {
        RegisterItemClass(ClassOf<TRecorder>(), "RECORDER");
        RegisterItemClass(ClassOf<TDerivedRecorder>(), "RECORDER");  // second name is dropped
        RegisterItemClass(ClassOf<TDerivedRecorder>(), "DERIVED");
        RegisterItemClass(ClassOf<TThrowing>(), "THROWING");
        RegisterItemClass(nullptr, "NOTHING");
    }
};

class AbstractObjects : public ::testing::Test {
protected:
    void SetUp() override {
        static Registered once;
        TRecorder::calls.clear();
    }
    // Creates, takes and drops the first reference, as a caller would.
    static bool Make(const std::string& descriptor) {
        IPtr<IInterface> keep(CreateItem(descriptor));
        return keep != nullptr;
    }
};

}  // namespace

TEST_F(AbstractObjects, CreateRunsInitializeThenEveryPair) {
    ASSERT_TRUE(Make("recorder{\\name=Rule\\Enabled=yes\\FLAG}"));
    EXPECT_EQ(TRecorder::calls, (Calls{{"Initialize", ""}, {"NAME", "Rule"}, {"ENABLED", "yes"}, {"", ""}}));
}

TEST_F(AbstractObjects, MostDerivedClassIsBuilt) {
    ASSERT_TRUE(Make("DERIVED"));
    EXPECT_EQ(TRecorder::calls, (Calls{{"Derived.Initialize", ""}}));
    TRecorder::calls.clear();
    ASSERT_TRUE(Make("RECORDER{}"));  // the first registration won
    EXPECT_EQ(TRecorder::calls, (Calls{{"Initialize", ""}}));
}

TEST_F(AbstractObjects, DescriptorSplitting) {
    struct {
        const char* descriptor;
        const char* name;
        const char* params;
    } cases[] = {
        {"NAME{abc}", "NAME", "abc"},   {"NAME{abc", "NAME", "ab"}, {"NAME{", "NAME", ""},
        {"X{\\NAME=a}junk", "X", "\\NAME=a}jun"}, {"PLAIN", "PLAIN", ""}, {" SP {x}", " SP ", "x"},
    };
    for (const auto& c : cases) {
        std::string name, params;
        SplitItemDescriptor(c.descriptor, name, params);
        EXPECT_EQ(name, c.name) << c.descriptor;
        EXPECT_EQ(params, c.params) << c.descriptor;
    }
    ASSERT_TRUE(Make("RECORDER{\\NAME=a}junk"));
    EXPECT_EQ(TRecorder::calls[1], (std::pair<std::string, std::string>{"NAME", "a}jun"}));
}

TEST_F(AbstractObjects, UnknownNamesGiveNothing) {
    int live = TDebugInterfacedObject::LiveObjects();
    EXPECT_FALSE(Make("NOSUCHTYPE{\\NAME=x}"));
    EXPECT_FALSE(Make("NOTHING"));
    EXPECT_EQ(FindItemClass("nosuchtype"), nullptr);
    EXPECT_EQ(FindItemClass("recorder"), ClassOf<TRecorder>());
    EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), live);
}

TEST_F(AbstractObjects, ThrowInConstructionFreesTheObject) {
    int live = TDebugInterfacedObject::LiveObjects();
    EXPECT_THROW(Make("THROWING{\\A=1}"), Exception);
    EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), live);
    EXPECT_TRUE(Make("THROWING"));  // no pairs, no throw
}

TEST(Interfaces, GuidParsingAndQuery) {
    constexpr TGUID g = TGUID::Parse("{613CB9EE-2D99-4247-9F20-7568DE5516E4}");
    EXPECT_EQ(g.ToString(), "{613CB9EE-2D99-4247-9F20-7568DE5516E4}");
    EXPECT_EQ(TGUID::Parse("C4C786E5-5A66-4F41-8581-5F80061C52EC").ToString(),
              "{C4C786E5-5A66-4F41-8581-5F80061C52EC}");
    IPtr<TRecorder> r = CreateObject<TRecorder>();
    IPtr<IInterface> i = Supports<IInterface>(r);
    EXPECT_TRUE(i);
    EXPECT_EQ(r->RefCount(), 2);
}
