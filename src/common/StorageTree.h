// A read-only copy of a stored document: its elements with their attributes
// and texts. Objects load from it through IHierStorage without a query to
// the XML parser, so a big file loads in one pass, and one copy can serve any
// number of loads, on any thread.
#pragma once
#include <deque>
#include <memory>
#include <string>

#include "Exceptions.h"
#include "Interfaces.h"
#include "PersistenceService.h"

namespace vpw {

VPW_DECLARE_EXCEPTION(EStorageTreeError, Exception);

class TStorageTree;

class TStorageElement {
public:
    explicit TStorageElement(std::string tag) : tag_(std::move(tag)) {}

    const std::string& Tag() const { return tag_; }
    // The value of the attribute, or nullptr when the element has none.
    const std::string* Attribute(const std::string& name) const;
    const TStorageElement* FirstChild() const { return firstChild_; }
    const TStorageElement* NextSibling() const { return nextSibling_; }
    // The element's text: its own text when it holds no elements, else the
    // texts of its children in order.
    std::string Text() const;

    void SetText(std::string text) { text_ = std::move(text); }

private:
    friend class TStorageTree;
    struct TAttribute {
        std::string name, value;
        const TAttribute* next;
    };

    std::string tag_;
    std::string text_;
    const TAttribute* firstAttribute_ = nullptr;
    TAttribute* lastAttribute_ = nullptr;
    TStorageElement* firstChild_ = nullptr;
    TStorageElement* lastChild_ = nullptr;
    TStorageElement* nextSibling_ = nullptr;
};

class TStorageTree {
public:
    TStorageTree() = default;
    TStorageTree(const TStorageTree&) = delete;
    TStorageTree& operator=(const TStorageTree&) = delete;

    // Builds in document order: the first element made is the root, a child
    // goes after its parent's earlier children.
    TStorageElement* NewElement(TStorageElement* parent, std::string tag);
    void AddAttribute(TStorageElement* element, std::string name, std::string value);
    const TStorageElement* Root() const { return elements_.empty() ? nullptr : &elements_.front(); }

private:
    // Stable addresses, few allocations.
    std::deque<TStorageElement> elements_;
    std::deque<TStorageElement::TAttribute> attributes_;
};

// A store bound to the root of the tree; nothing when the tree is empty.
// Reads only: every write raises EStorageTreeError.
IPtr<IHierStorage> OpenStorageTree(std::shared_ptr<const TStorageTree> tree);

}  // namespace vpw
