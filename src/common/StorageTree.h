// A read-only copy of a stored document: its elements with their attributes
// and texts, each element's children grouped by name. Objects load from it
// through IHierStorage without a query to the XML parser, so a big file loads
// in one pass and one copy can serve any number of loads, on any thread.
#pragma once
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Exceptions.h"
#include "Interfaces.h"
#include "PersistenceService.h"

namespace vpw {

VPW_DECLARE_EXCEPTION(EStorageTreeError, Exception);

class TStorageElement {
public:
    explicit TStorageElement(std::string tag) : tag_(std::move(tag)) {}

    const std::string& Tag() const { return tag_; }
    // The value of the attribute, or nullptr when the element has none.
    const std::string* Attribute(const std::string& name) const;
    int ChildCount(const std::string& tag) const;
    // The index-th child element with that name, or nullptr.
    const TStorageElement* Child(const std::string& tag, int index) const;
    // The element's text: its own text when it holds no elements, else the
    // texts of its children in order.
    std::string Text() const;

    void AddAttribute(std::string name, std::string value);
    void SetText(std::string text) { text_ = std::move(text); }
    void AddChild(const TStorageElement* child);

private:
    using TGroup = std::pair<std::string, std::vector<const TStorageElement*>>;
    const std::vector<const TStorageElement*>* Group(const std::string& tag) const;

    std::string tag_;
    std::vector<std::pair<std::string, std::string>> attributes_;
    std::string text_;
    std::vector<const TStorageElement*> children_;
    // Children by name, names in order of first appearance: few per element.
    std::vector<TGroup> groups_;
};

class TStorageTree {
public:
    TStorageTree() = default;
    TStorageTree(const TStorageTree&) = delete;
    TStorageTree& operator=(const TStorageTree&) = delete;

    // Builds: the first element made is the root; a child is made under its
    // parent, in document order.
    TStorageElement* NewElement(TStorageElement* parent, std::string tag);
    const TStorageElement* Root() const { return elements_.empty() ? nullptr : &elements_.front(); }

private:
    std::deque<TStorageElement> elements_;  // stable addresses
};

// A store bound to the root of the tree; nothing when the tree is empty.
// Reads only: every write raises EStorageTreeError.
IPtr<IHierStorage> OpenStorageTree(std::shared_ptr<const TStorageTree> tree);

}  // namespace vpw
