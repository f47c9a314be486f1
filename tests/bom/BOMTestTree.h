// Recording tree classes and a wired sample tree shared by the tree tests:
//
//   R (RECROOT, the root)          params: name
//   +- rules (RECCOLLECTION)       items A, B (RECOBJECT; params: name, enabled)
//   +- other (RECOBJECT)
//
// Every test that uses the fixture ends by detaching and releasing the tree
// and checks that no tree object is left alive.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BOMObjects.h"
#include "BOMRoutines.h"

namespace vpw::test {

struct TNotice {
    std::string node, path, senderPath, oldPath;
    IBOMObject* obj = nullptr;
    bool operator==(const TNotice& o) const {
        return node == o.node && path == o.path && senderPath == o.senderPath && oldPath == o.oldPath;
    }
};
inline void PrintTo(const TNotice& n, std::ostream* os) {
    *os << "{" << n.node << ", " << n.path << ", " << n.senderPath << ", " << n.oldPath << "}";
}

struct TRecord {
    std::vector<TNotice> changes, renames;
    std::vector<std::string> notified;
    void Clear() { *this = TRecord{}; }
};
inline TRecord& Record() {
    static TRecord r;
    return r;
}

// Records every notice where it enters a node, then routes it as usual.
template <class Base>
class TRecording : public Base {
public:
    void AfterChangeObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                           IBOMObject* sender) override {
        Record().changes.push_back({this->GetName(), path, senderPath, "", obj});
        Base::AfterChangeObject(path, obj, senderPath, sender);
    }
    void AfterChangeObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                               IBOMObject* sender, const std::string& oldPath) override {
        Record().renames.push_back({this->GetName(), path, senderPath, oldPath, obj});
        Base::AfterChangeObjectName(path, obj, senderPath, sender, oldPath);
    }
    void Notify(int code, int param1, int param2) override {
        Record().notified.push_back(this->GetName());
        Base::Notify(code, param1, param2);
    }
};

class TRecObject : public TRecording<TBOMObject> {
public:
    void Initialize() override {
        TRecording::Initialize();
        SetTypeName("RECOBJECT");
        CreateParam("enabled", "no");
    }
};

class TRecCollection : public TRecording<TBOMCollection> {
public:
    void Initialize() override {
        TRecording::Initialize();
        SetTypeName("RECCOLLECTION");
        SetStorageTag("rules");
        SetItemTag("rule");
        SetDefaultItemClass("RECOBJECT");
    }
};

class TRecRoot : public TRecording<TBOMObject> {
public:
    void Initialize() override {
        TRecording::Initialize();
        SetTypeName("RECROOT");
        SetStorageTag("root");
        CreateChild("RECCOLLECTION", "rules");
        CreateChild("RECOBJECT", "other");
    }
    bool IsRoot() override { return true; }
};

// A parameter of another type, saved with a "type" attribute.
class TTestParam : public TBOMParam {
public:
    std::string GetTypeName() override { return "TESTPARAM"; }
};

// Registered but not a tree node.
class TPlainObject : public TAbstractObject {};

inline void RegisterTestClasses() {
    static bool done = [] {
        RegisterBOMClasses();
        RegisterItemClass(ClassOf<TRecObject>(), "RECOBJECT");
        RegisterItemClass(ClassOf<TRecCollection>(), "RECCOLLECTION");
        RegisterItemClass(ClassOf<TRecRoot>(), "RECROOT");
        RegisterItemClass(ClassOf<TTestParam>(), "TESTPARAM");
        RegisterItemClass(ClassOf<TPlainObject>(), "PLAINOBJECT");
        return true;
    }();
    (void)done;
}

// Counts tree objects: whatever a test creates must be gone at its end.
class LeakChecked : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        Record().Clear();
        live_ = TDebugInterfacedObject::LiveObjects();
    }
    void TearDown() override {
        EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), live_) << "tree objects left alive";
    }

private:
    int live_ = 0;
};

class SampleTree : public LeakChecked {
protected:
    void SetUp() override {
        LeakChecked::SetUp();
        root = CreateBOMObject("RECROOT", "R");
        rules = Supports<IBOMCollection>(root->Resolve("rules"));
        rules->Add(CreateBOMObject("RECOBJECT", "A").get());
        rules->Add(CreateBOMObject("RECOBJECT", "B").get());
        root->SetOwner(nullptr);
        Record().Clear();
    }
    void TearDown() override {
        root->Detach();
        root = nullptr;
        rules = nullptr;
        LeakChecked::TearDown();
    }

    IPtr<IBOMObject> At(const std::string& path) { return root->Resolve(path); }
    IPtr<IBOMParam> Param(const std::string& path) { return Supports<IBOMParam>(At(path)); }
    // Item names of `rules`, in order.
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (int i = 0; i < rules->Count(); ++i) names.push_back(rules->Item(i)->GetName());
        return names;
    }

    IPtr<IBOMObjectSlave> root;
    IPtr<IBOMCollection> rules;
};

}  // namespace vpw::test
