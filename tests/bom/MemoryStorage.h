// An in-memory hierarchical store for the persistence tests, with a compact
// XML-like text form to build inputs and compare outputs:
//   <tag a="v" b="w">text<child/></tag>
// It is not counted among the tree's live objects.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "PersistenceService.h"

namespace vpw::test {

struct TMemoryNode {
    std::string tag;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;
    std::vector<std::shared_ptr<TMemoryNode>> children;

    std::string AllText() const {
        std::string s = text;
        for (const auto& c : children) s += c->AllText();
        return s;
    }
};

class TMemoryStorage : public IHierStorage {
public:
    explicit TMemoryStorage(std::shared_ptr<TMemoryNode> node) : node_(std::move(node)) {}

    static IPtr<IHierStorage> Open(std::shared_ptr<TMemoryNode> node) {
        return IPtr<IHierStorage>(new TMemoryStorage(std::move(node)));
    }

    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<IHierStorage, IInterface>(this, iid, out);
    }
    int AddRef() override { return ++refs_; }
    int Release() override {
        int r = --refs_;
        if (r == 0) delete this;
        return r;
    }

    std::string ReadAttribute(const std::string& name, const std::string& defaultValue) override {
        for (const auto& a : node_->attributes)
            if (a.first == name) return a.second;
        return defaultValue;
    }
    void WriteAttribute(const std::string& name, const std::string& value) override {
        for (auto& a : node_->attributes)
            if (a.first == name) {
                a.second = value;
                return;
            }
        node_->attributes.emplace_back(name, value);
    }
    IPtr<IHierStorage> CreateChild(const std::string& name) override {
        auto child = std::make_shared<TMemoryNode>();
        child->tag = name;
        node_->children.push_back(child);
        return Open(child);
    }
    int ChildCount(const std::string& name) override {
        int n = 0;
        for (const auto& c : node_->children) n += c->tag == name;
        return n;
    }
    IPtr<IHierStorage> GetChild(const std::string& name, int index) override {
        for (const auto& c : node_->children)
            if (c->tag == name && index-- == 0) return Open(c);
        return nullptr;
    }
    std::string ReadValue() override { return node_->AllText(); }
    void WriteValue(const std::string& value) override {
        node_->children.clear();
        node_->text = value;
    }
    std::string ReadChildValue(const std::string& name) override {
        IPtr<IHierStorage> child = GetChild(name, 0);
        return child ? child->ReadValue() : std::string();
    }
    void WriteChildValue(const std::string& name, const std::string& value) override {
        CreateChild(name)->WriteValue(value);
    }

private:
    ~TMemoryStorage() override = default;
    std::shared_ptr<TMemoryNode> node_;
    std::atomic<int> refs_{0};
};

inline std::string Dump(const TMemoryNode& node) {
    std::string s = "<" + node.tag;
    for (const auto& a : node.attributes) s += " " + a.first + "=\"" + a.second + "\"";
    if (node.text.empty() && node.children.empty()) return s + "/>";
    s += ">" + node.text;
    for (const auto& c : node.children) s += Dump(*c);
    return s + "</" + node.tag + ">";
}

// Reads the text form of Dump (no escapes, no blanks between elements).
inline std::shared_ptr<TMemoryNode> Parse(const std::string& text) {
    std::size_t p = 0;
    auto fail = [&] { throw std::runtime_error("bad test document at " + std::to_string(p) + ": " + text); };
    auto expect = [&](char c) {
        if (p >= text.size() || text[p] != c) fail();
        ++p;
    };
    auto word = [&] {
        std::size_t b = p;
        while (p < text.size() && text[p] != ' ' && text[p] != '=' && text[p] != '>' && text[p] != '/') ++p;
        return text.substr(b, p - b);
    };
    std::function<std::shared_ptr<TMemoryNode>()> element = [&]() {
        auto node = std::make_shared<TMemoryNode>();
        expect('<');
        node->tag = word();
        while (p < text.size() && text[p] == ' ') {
            ++p;
            std::string name = word();
            expect('=');
            expect('"');
            std::size_t e = text.find('"', p);
            if (e == std::string::npos) fail();
            node->attributes.emplace_back(name, text.substr(p, e - p));
            p = e + 1;
        }
        if (p < text.size() && text[p] == '/') {
            ++p;
            expect('>');
            return node;
        }
        expect('>');
        std::size_t e = text.find('<', p);
        if (e == std::string::npos) fail();
        node->text = text.substr(p, e - p);
        p = e;
        while (text.compare(p, 2, "</") != 0) node->children.push_back(element());
        p += 2;
        if (word() != node->tag) fail();
        expect('>');
        return node;
    };
    auto root = element();
    if (p != text.size()) fail();
    return root;
}

}  // namespace vpw::test
