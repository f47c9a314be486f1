// Items, collections, the registry, operations and the publisher.
#include <gtest/gtest.h>

#include "uEAObservers.h"
#include "uEAOperations.h"

namespace vpw {
namespace {

class ItemModel : public ::testing::Test {
protected:
    void SetUp() override {
        live_ = TDebugInterfacedObject::LiveObjects();
        CreateItemClasses();
        RegisterEAOperationClasses();
    }
    void TearDown() override {
        FreeItemClasses();
        EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), live_) << "items left alive";
    }
    int live_ = 0;
};

TEST_F(ItemModel, OperationReadsItsKeysInAnyCase) {
    IPtr<IOperation> op = Supports<IOperation>(
        CreateEAItemByClassName("\\NAME=STAYONTOPON\\caption=StayOnTop On\\HINT=h\\DEFAULT=Yes\\DIRECTCALL=yes", "operation"));
    ASSERT_TRUE(op);
    EXPECT_EQ(op->GetName(), "STAYONTOPON");
    EXPECT_EQ(op->GetCaption(), "StayOnTop On");
    EXPECT_EQ(op->GetHint(), "h");
    EXPECT_TRUE(op->GetDefault());
    EXPECT_TRUE(op->GetDirectCall());
    EXPECT_FALSE(op->GetImage());

    for (const char* no : {"1", "true", "", "no"}) {
        op = Supports<IOperation>(CreateEAItemByClassName(std::string("\\DEFAULT=") + no, "OPERATION"));
        ASSERT_TRUE(op);
        EXPECT_FALSE(op->GetDefault()) << no;
    }
}

TEST_F(ItemModel, OperationLoadsNamedGlyphsAndNoneForUnknownNames) {
    IPtr<IOperation> op = Supports<IOperation>(CreateEAItemByClassName(
        "\\IMAGE=STAYONTOPON\\DOWNIMAGE=NOSUCHGLYPH\\IMAGE_SMALL=STAYONTOPON_SMALL\\DOWNIMAGE_SMALL=NOSUCHGLYPH_SMALL", "OPERATION"));
    ASSERT_TRUE(op);
    ASSERT_TRUE(op->GetImage());
    BITMAP bm{};
    ASSERT_TRUE(GetObjectA(op->GetImage(), sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 12);
    EXPECT_EQ(bm.bmHeight, 12);
    EXPECT_FALSE(op->GetDownImage());
    EXPECT_TRUE(op->GetSmallImage());
    EXPECT_FALSE(op->GetSmallDownImage());
}

TEST_F(ItemModel, OperationFreesItsBitmaps) {
    HBITMAP image = nullptr;
    {
        IPtr<IOperation> op = Supports<IOperation>(CreateEAItemByClassName("\\IMAGE=STAYONTOPON", "OPERATION"));
        ASSERT_TRUE(op);
        image = op->GetImage();
        BITMAP bm{};
        ASSERT_TRUE(GetObjectA(image, sizeof bm, &bm));
    }
    BITMAP bm{};
    EXPECT_EQ(GetObjectA(image, sizeof bm, &bm), 0);
}

TEST_F(ItemModel, RegistryYieldsNothingForUnknownTypesOrWithoutRegistry) {
    EXPECT_FALSE(CreateEAItem("NOSUCHTYPE{\\NAME=x}"));
    EXPECT_TRUE(CreateEAItem("Operation{\\NAME=x}"));
    FreeItemClasses();
    EXPECT_FALSE(CreateEAItem("OPERATION{\\NAME=x}"));
}

TEST_F(ItemModel, TypedCollectionsKeyByNameAndRefuseDuplicates) {
    IPtr<TOperations> ops = NewItem<TOperations>();
    IPtr<IOperation> a = Supports<IOperation>(CreateEAItem("OPERATION{\\NAME=A\\CAPTION=first}"));
    IPtr<IOperation> a2 = Supports<IOperation>(CreateEAItem("OPERATION{\\NAME=a\\CAPTION=second}"));
    IPtr<IOperation> b = Supports<IOperation>(CreateEAItem("OPERATION{\\NAME=B}"));
    ops->Add(a.get());
    ops->Add(a2.get());
    ops->Add(b.get());
    ops->Add(nullptr);
    ASSERT_EQ(ops->Count(), 2);
    EXPECT_EQ(ops->GetOperation(Variant("a"))->GetCaption(), "first");
    EXPECT_EQ(ops->GetOperation(Variant(1)).get(), b.get());
    EXPECT_FALSE(ops->GetOperation(Variant(2)));
    EXPECT_FALSE(ops->GetOperation(Variant(-1)));
    EXPECT_FALSE(ops->GetOperation(Variant(2.5)));
    EXPECT_EQ(ops->IndexOf("B"), 1);
    EXPECT_EQ(ops->IndexOf("C"), -1);
    EXPECT_EQ(ops->GetItemList()->Count(), 2);
    // The collection does not hand out an element as another kind.
    IPtr<TObservers> observers = NewItem<TObservers>();
    EXPECT_FALSE(Supports<IObservers>(ops));
    EXPECT_TRUE(Supports<ICollection>(observers));
}

TEST_F(ItemModel, RemovingDropsOnlyTheCollectionsReference) {
    IPtr<TOperations> ops = NewItem<TOperations>();
    IPtr<IOperation> a = Supports<IOperation>(CreateEAItem("OPERATION{\\NAME=A}"));
    ops->Add(a.get());
    ops->Remove(Variant("nothing"));
    ops->Remove(Variant(5));
    EXPECT_EQ(ops->Count(), 1);
    ops->Remove(Variant("A"));
    EXPECT_EQ(ops->Count(), 0);
    EXPECT_EQ(a->GetName(), "A");  // still alive through `a`
}

// Records the order of what the publisher tells it.
class TLogObserver : public TDebugInterfacedObject, public virtual IObserver {
public:
    TLogObserver(std::string name, std::vector<std::string>& log, bool throws = false)
        : name_(std::move(name)), log_(log), throws_(throws) {}
    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<IObserver>(this, iid, out) || TDebugInterfacedObject::QueryInterface(iid, out);
    }
    void Update(IPublisher*) override {
        log_.push_back(name_ + ".Update");
        if (throws_) throw std::runtime_error("observer failed");
    }
    bool Unsubscribed(IPublisher*) override {
        log_.push_back(name_ + ".Unsubscribed");
        return false;
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
    bool throws_;
};

TEST_F(ItemModel, PublisherNotifiesInOrderAndReleasesLastFirst) {
    std::vector<std::string> log;
    IPtr<TPublisher> publisher(new TPublisher());
    EXPECT_EQ(publisher->GetName(), "Publisher");
    IPtr<IObserver> o1(new TLogObserver("1", log)), o2(new TLogObserver("2", log, true)),
        o3(new TLogObserver("3", log)), stranger(new TLogObserver("x", log));
    publisher->Subscribe(o1.get());
    publisher->Subscribe(o2.get());
    publisher->Subscribe(o3.get());
    publisher->Unsubscribe(stranger.get());
    EXPECT_EQ(publisher->GetObservers()->Count(), 3);

    publisher->NotifyObservers();  // the throwing second ends the walk
    EXPECT_EQ(log, (std::vector<std::string>{"1.Update", "2.Update"}));

    log.clear();
    publisher->ReleaseOwner();
    EXPECT_EQ(log, (std::vector<std::string>{"3.Unsubscribed", "2.Unsubscribed", "1.Unsubscribed"}));
    EXPECT_EQ(publisher->GetObservers()->Count(), 0);
}

TEST_F(ItemModel, PublisherUnsubscribesTheVerySameReferenceOnce) {
    std::vector<std::string> log;
    IPtr<TPublisher> publisher(new TPublisher());
    IPtr<IObserver> o(new TLogObserver("o", log));
    publisher->Subscribe(o.get());
    publisher->Subscribe(o.get());
    publisher->Unsubscribe(o.get());
    EXPECT_EQ(publisher->GetObservers()->Count(), 1);
    publisher->NotifyObservers();
    EXPECT_EQ(log, (std::vector<std::string>{"o.Update"}));
    EXPECT_FALSE(publisher->GetOwner());
}

}  // namespace
}  // namespace vpw
