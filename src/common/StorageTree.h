// A read-only copy of a stored document: its elements with their attributes
// and texts. Objects load from it through IHierStorage without a query to
// the XML parser, so a big file loads in one pass, and one copy can serve any
// number of loads, on any thread. Every read answers what the same read of
// the document answers (the escaped form of StoredText.h decoded alike).
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

private:
    friend class TStorageTree;
    struct TAttribute {
        std::string name, value;
        TAttribute* next;
    };

    std::string tag_;
    // The text after the last child element (all of it in an element
    // without children), as stored.
    std::string text_;
    // The text between the previous sibling element (or the start of the
    // parent) and this element, as stored.
    std::string before_;
    bool escapedText_ = false;
    bool wholeText_ = false;  // text_ is all of the element's text
    TAttribute* firstAttribute_ = nullptr;
    TAttribute* lastAttribute_ = nullptr;
    TStorageElement* firstChild_ = nullptr;
    TStorageElement* lastChild_ = nullptr;
    TStorageElement* nextSibling_ = nullptr;
};

class TStorageTree {
public:
    // `blankBetweenElements`: whether the document's text puts a blank
    // between two child elements' texts that follow each other with no text
    // between them (DOMs differ: Wine 8's MSXML does not, later Wine's does).
    explicit TStorageTree(bool blankBetweenElements = false) : blankBetweenElements_(blankBetweenElements) {}
    TStorageTree(const TStorageTree&) = delete;
    TStorageTree& operator=(const TStorageTree&) = delete;

    // Builds in document order: the first element made is the root, a child
    // goes after its parent's earlier children and after the text added to
    // the parent so far.
    TStorageElement* NewElement(TStorageElement* parent, std::string tag);
    void AddAttribute(TStorageElement* element, std::string name, std::string value);
    // Text at the current end of the element's content, as stored.
    void AddText(TStorageElement* element, const std::string& text);
    // The element's whole text as stored, in place of the join of its
    // content: for content whose pieces the DOM does not give one by one.
    void SetWholeText(TStorageElement* element, std::string text);
    // Applies the element's "escaped" attribute: the listed attributes
    // (already added) are decoded, and its text is decoded when read.
    void SetEscapedParts(TStorageElement* element, const std::string& list);

    const TStorageElement* Root() const { return elements_.empty() ? nullptr : &elements_.front(); }
    // The element's text as the document gives it: its text and its
    // descendants' in document order, decoded when its own text is escaped.
    std::string Text(const TStorageElement& element) const;

private:
    void AppendStoredText(const TStorageElement& element, std::string& out) const;

    bool blankBetweenElements_;
    // Stable addresses, few allocations.
    std::deque<TStorageElement> elements_;
    std::deque<TStorageElement::TAttribute> attributes_;
};

// A store bound to the root of the tree; nothing when the tree is empty.
// Reads only: every write raises EStorageTreeError.
IPtr<IHierStorage> OpenStorageTree(std::shared_ptr<const TStorageTree> tree);

}  // namespace vpw
