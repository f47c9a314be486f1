// Shared pieces of the model tests: the registered classes, a tree node to
// click on, and small accessors for parameters and children.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BOMRoutines.h"
#include "TemplateRuleData.h"
#include "BOM_UI.h"
#include "uEnabledItem.h"
#include "uWindowRules.h"

namespace vpw::test {

// The descriptor of the template rule "Window Rule 1".
inline const std::string kNewRuleData = TemplateRuleData("Window Rule 1");

// A tree node whose state icon covers x and y from 0 to 15.
class TClickNode : public TTreeNode {
public:
    void SetText(const std::string& t) override {
        text = t;
        ++paints;
    }
    void SetImageIndex(int i) override { image = i; }
    void SetSelectedIndex(int) override {}
    void SetStateIndex(int i) override { state = i; }
    bool GetHasChildren() override { return hasChildren; }
    void SetHasChildren(bool on) override { hasChildren = on; }
    int GetCount() override { return static_cast<int>(children.size()); }
    TTreeNode* AddChild(const std::string&) override {
        children.push_back(std::make_unique<TClickNode>());
        return children.back().get();
    }
    TTreeNode* GetParent() override { return nullptr; }
    int GetLevel() override { return 0; }
    TTreeNodeData* GetData() override { return data; }
    void SetData(TTreeNodeData* d) override { data = d; }
    bool IsOnStateIcon(int x, int y) override { return x >= 0 && x < 16 && y >= 0 && y < 16; }
    ~TClickNode() override {
        children.clear();
        ReleaseTreeNodeData(this);
    }

    std::string text;
    int image = -2, state = -2, paints = 0;
    bool hasChildren = false;
    TTreeNodeData* data = nullptr;
    std::vector<std::unique_ptr<TClickNode>> children;
};

inline IPtr<IBOMObjectSlave> NewItem(const std::string& type, const std::string& name = {}) {
    return CreateBOMObject(type, name);
}

// A rule from the default template.
inline IPtr<IBOMObjectSlave> NewRule(const std::string& name = "Window Rule 1") { return NewItem("WINDOWRULE", name); }

inline IPtr<IBOMParam> Param(IBOMObject* obj, const std::string& path) {
    return Supports<IBOMParam>(obj->Resolve(path));
}

inline std::string Text(IBOMObject* obj, const std::string& path) {
    IPtr<IBOMParam> p = Param(obj, path);
    return p ? p->GetValue().AsString() : "<missing>";
}

// Sets the value without notice; the tests below wire trees only where the
// notices are the point.
inline void Set(IBOMObject* obj, const std::string& path, const std::string& value) {
    IPtr<IBOMParam> p = Param(obj, path);
    ASSERT_TRUE(p) << path;
    p->SetValueSilent(value);
}

// Removes parameter `name` of the object at `path`.
inline void RemoveParam(IBOMObject* obj, const std::string& path, const std::string& name) {
    IPtr<IBOMCollection> params = Supports<IBOMCollection>(obj->Resolve(path.empty() ? "params" : path + "/params"));
    ASSERT_TRUE(params);
    params->Delete(Variant(name));
}

inline IPtr<IBOMCollection> Collection(IBOMObject* obj, const std::string& path) {
    return Supports<IBOMCollection>(obj->Resolve(path));
}

inline std::vector<std::string> ItemNames(IBOMCollection* items) {
    std::vector<std::string> names;
    for (int i = 0; items && i < items->Count(); ++i) names.push_back(items->Item(i)->GetName());
    return names;
}

template <class T>
std::string ConfigOf(IBOMObject* obj, const std::string& facet) {
    IPtr<T> item = FacetOf<T>(obj, facet);
    std::string text = "<no facet>";
    if (item) item->GetConfigString(text);
    return text;
}

inline std::string RuleData(IBOMObject* rule) { return ConfigOf<IWindowRule>(rule, "WindowRule"); }

}  // namespace vpw::test
