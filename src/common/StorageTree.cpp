#include "StorageTree.h"

namespace vpw {

// --- TStorageElement

const std::string* TStorageElement::Attribute(const std::string& name) const {
    for (const auto& [key, value] : attributes_)
        if (key == name) return &value;
    return nullptr;
}

const std::vector<const TStorageElement*>* TStorageElement::Group(const std::string& tag) const {
    for (const auto& group : groups_)
        if (group.first == tag) return &group.second;
    return nullptr;
}

int TStorageElement::ChildCount(const std::string& tag) const {
    const auto* group = Group(tag);
    return group ? static_cast<int>(group->size()) : 0;
}

const TStorageElement* TStorageElement::Child(const std::string& tag, int index) const {
    const auto* group = Group(tag);
    if (!group || index < 0 || index >= static_cast<int>(group->size())) return nullptr;
    return (*group)[static_cast<std::size_t>(index)];
}

std::string TStorageElement::Text() const {
    if (children_.empty()) return text_;
    std::string text;
    for (const TStorageElement* child : children_) text += child->Text();
    return text;
}

void TStorageElement::AddAttribute(std::string name, std::string value) {
    attributes_.emplace_back(std::move(name), std::move(value));
}

void TStorageElement::AddChild(const TStorageElement* child) {
    children_.push_back(child);
    for (auto& group : groups_)
        if (group.first == child->Tag()) {
            group.second.push_back(child);
            return;
        }
    groups_.emplace_back(child->Tag(), std::vector<const TStorageElement*>{child});
}

// --- TStorageTree

TStorageElement* TStorageTree::NewElement(TStorageElement* parent, std::string tag) {
    TStorageElement* element = &elements_.emplace_back(std::move(tag));
    if (parent) parent->AddChild(element);
    return element;
}

// --- the store over a tree

namespace {

class TStorageTreeReader : public TDebugInterfacedObject, public IHierStorage {
public:
    TStorageTreeReader(std::shared_ptr<const TStorageTree> tree, const TStorageElement* element)
        : tree_(std::move(tree)), element_(element) {}

    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<IHierStorage>(this, iid, out) || TDebugInterfacedObject::QueryInterface(iid, out);
    }

    std::string ReadAttribute(const std::string& name, const std::string& defaultValue) override {
        const std::string* value = element_->Attribute(name);
        return value ? *value : defaultValue;
    }
    int ChildCount(const std::string& name) override { return element_->ChildCount(name); }
    IPtr<IHierStorage> GetChild(const std::string& name, int index) override {
        const TStorageElement* child = element_->Child(name, index);
        return child ? IPtr<IHierStorage>(new TStorageTreeReader(tree_, child)) : nullptr;
    }
    std::string ReadValue() override { return element_->Text(); }
    std::string ReadChildValue(const std::string& name) override {
        const TStorageElement* child = element_->Child(name, 0);
        return child ? child->Text() : std::string();
    }

    void WriteAttribute(const std::string&, const std::string&) override { ReadOnly("WriteAttribute"); }
    IPtr<IHierStorage> CreateChild(const std::string&) override { ReadOnly("CreateChild"); }
    void WriteValue(const std::string&) override { ReadOnly("WriteValue"); }
    void WriteChildValue(const std::string&, const std::string&) override { ReadOnly("WriteChildValue"); }

private:
    [[noreturn]] static void ReadOnly(const char* operation) {
        throw EStorageTreeError(std::string("TStorageTree.") + operation + ": the copy of a document is read-only");
    }

    std::shared_ptr<const TStorageTree> tree_;  // keeps the element alive
    const TStorageElement* element_;
};

}  // namespace

IPtr<IHierStorage> OpenStorageTree(std::shared_ptr<const TStorageTree> tree) {
    if (!tree || !tree->Root()) return nullptr;
    const TStorageElement* root = tree->Root();
    return IPtr<IHierStorage>(new TStorageTreeReader(std::move(tree), root));
}

}  // namespace vpw
