#include "StorageTree.h"

#include "StoredText.h"

namespace vpw {

// --- TStorageElement

const std::string* TStorageElement::Attribute(const std::string& name) const {
    for (const TAttribute* a = firstAttribute_; a; a = a->next)
        if (a->name == name) return &a->value;
    return nullptr;
}

// --- TStorageTree

TStorageElement* TStorageTree::NewElement(TStorageElement* parent, std::string tag) {
    TStorageElement* element = &elements_.emplace_back(std::move(tag));
    if (parent) {
        (parent->lastChild_ ? parent->lastChild_->nextSibling_ : parent->firstChild_) = element;
        parent->lastChild_ = element;
        // The parent's text so far stands before the new child.
        element->before_ = std::move(parent->text_);
        parent->text_.clear();
    }
    return element;
}

void TStorageTree::AddAttribute(TStorageElement* element, std::string name, std::string value) {
    TStorageElement::TAttribute* attribute = &attributes_.emplace_back(
        TStorageElement::TAttribute{std::move(name), std::move(value), nullptr});
    (element->lastAttribute_ ? element->lastAttribute_->next : element->firstAttribute_) = attribute;
    element->lastAttribute_ = attribute;
}

void TStorageTree::AddText(TStorageElement* element, const std::string& text) { element->text_ += text; }

void TStorageTree::SetWholeText(TStorageElement* element, std::string text) {
    element->text_ = std::move(text);
    element->wholeText_ = true;
}

void TStorageTree::SetEscapedParts(TStorageElement* element, const std::string& list) {
    element->escapedText_ = ListsEscapedPart(list, kEscapedTextPart);
    for (TStorageElement::TAttribute* a = element->firstAttribute_; a; a = a->next)
        if (ListsEscapedPart(list, a->name)) a->value = UnescapeStoredText(a->value);
}

// As the DOM joins them: the texts of the content in order, comments and
// processing instructions already left out, and a blank between two child
// elements' texts when the DOM puts one there.
void TStorageTree::AppendStoredText(const TStorageElement& element, std::string& out) const {
    if (element.wholeText_) {
        out += element.text_;
        return;
    }
    bool afterElementText = false;
    for (const TStorageElement* child = element.firstChild_; child; child = child->nextSibling_) {
        if (!child->before_.empty()) {
            out += child->before_;
            afterElementText = false;
        }
        std::size_t at = out.size();
        bool blank = blankBetweenElements_ && afterElementText;
        if (blank) out += ' ';
        AppendStoredText(*child, out);
        if (out.size() == at + (blank ? 1 : 0)) {
            out.resize(at);  // an element without text adds nothing
        } else {
            afterElementText = true;
        }
    }
    out += element.text_;
}

std::string TStorageTree::Text(const TStorageElement& element) const {
    std::string text;
    AppendStoredText(element, text);
    return element.escapedText_ ? UnescapeStoredText(text) : text;
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
    int ChildCount(const std::string& name) override {
        int n = 0;
        for (const TStorageElement* child = element_->FirstChild(); child; child = child->NextSibling())
            n += child->Tag() == name;
        return n;
    }
    IPtr<IHierStorage> GetChild(const std::string& name, int index) override {
        const TStorageElement* child = Child(name, index);
        return child ? IPtr<IHierStorage>(new TStorageTreeReader(tree_, child)) : nullptr;
    }
    std::string ReadValue() override { return tree_->Text(*element_); }
    std::string ReadChildValue(const std::string& name) override {
        const TStorageElement* child = Child(name, 0);
        return child ? tree_->Text(*child) : std::string();
    }

    void WriteAttribute(const std::string&, const std::string&) override { ReadOnly("WriteAttribute"); }
    IPtr<IHierStorage> CreateChild(const std::string&) override { ReadOnly("CreateChild"); }
    void WriteValue(const std::string&) override { ReadOnly("WriteValue"); }
    void WriteChildValue(const std::string&, const std::string&) override { ReadOnly("WriteChildValue"); }

private:
    [[noreturn]] static void ReadOnly(const char* operation) {
        throw EStorageTreeError(std::string("TStorageTree.") + operation + ": the copy of a document is read-only");
    }

    // Loaders ask for a collection's items one after the other: going on
    // from the last one found keeps that linear.
    const TStorageElement* Child(const std::string& name, int index) {
        if (index < 0) return nullptr;
        const TStorageElement* child = element_->FirstChild();
        int at = 0;
        if (cursor_ && index >= cursorIndex_ && cursorTag_ == name) {
            child = cursor_;
            at = cursorIndex_;
        }
        for (; child; child = child->NextSibling()) {
            if (child->Tag() != name) continue;
            if (at++ == index) break;
        }
        if (child) {
            cursor_ = child;
            cursorIndex_ = index;
            cursorTag_ = name;
        }
        return child;
    }

    std::shared_ptr<const TStorageTree> tree_;  // keeps the element alive
    const TStorageElement* element_;
    const TStorageElement* cursor_ = nullptr;
    int cursorIndex_ = 0;
    std::string cursorTag_;
};

}  // namespace

IPtr<IHierStorage> OpenStorageTree(std::shared_ptr<const TStorageTree> tree) {
    if (!tree || !tree->Root()) return nullptr;
    const TStorageElement* root = tree->Root();
    return IPtr<IHierStorage>(new TStorageTreeReader(std::move(tree), root));
}

}  // namespace vpw
