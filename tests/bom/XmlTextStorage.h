// Reads a small XML text into the in-memory store, for loading the command
// documents on the host (the real store needs MSXML). It reads the
// declaration, elements, quoted attributes, text and the five predefined
// entities; like MSXML it drops text that is only blanks.
#pragma once
#include <atomic>
#include <cctype>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "MemoryStorage.h"

namespace vpw::test {

class TXmlParser {
public:
    explicit TXmlParser(std::string text) : s_(std::move(text)) {}

    std::shared_ptr<TMemoryNode> Document() {
        Blanks();
        if (s_.compare(p_, 5, "<?xml") == 0) {
            std::size_t e = s_.find("?>", p_);
            if (e == std::string::npos) Fail("unterminated declaration");
            p_ = e + 2;
        }
        Blanks();
        auto root = Element();
        Blanks();
        if (p_ != s_.size()) Fail("text after the document element");
        return root;
    }

private:
    [[noreturn]] void Fail(const char* what) {
        throw std::runtime_error(std::string("XML: ") + what + " at " + std::to_string(p_));
    }
    void Blanks() {
        while (p_ < s_.size() && static_cast<unsigned char>(s_[p_]) <= ' ') ++p_;
    }
    void Expect(char c) {
        if (p_ >= s_.size() || s_[p_] != c) Fail("unexpected character");
        ++p_;
    }
    std::string Name() {
        std::size_t b = p_;
        while (p_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '_' || s_[p_] == '-' ||
                                  s_[p_] == ':' || s_[p_] == '.'))
            ++p_;
        if (b == p_) Fail("name expected");
        return s_.substr(b, p_ - b);
    }
    std::string Decode(const std::string& raw) {
        static const std::pair<const char*, char> kEntities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        std::string out;
        for (std::size_t i = 0; i < raw.size();) {
            if (raw[i] != '&') {
                out += raw[i++];
                continue;
            }
            bool known = false;
            for (const auto& [entity, c] : kEntities)
                if (raw.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
                    out += c;
                    i += std::char_traits<char>::length(entity);
                    known = true;
                    break;
                }
            if (!known) Fail("unknown entity");
        }
        return out;
    }
    std::shared_ptr<TMemoryNode> Element() {
        auto e = std::make_shared<TMemoryNode>();
        Expect('<');
        e->tag = Name();
        for (;;) {
            Blanks();
            if (p_ >= s_.size()) Fail("unterminated tag");
            if (s_[p_] == '/' || s_[p_] == '>') break;
            std::string name = Name();
            Blanks();
            Expect('=');
            Blanks();
            char q = p_ < s_.size() ? s_[p_] : 0;
            if (q != '"' && q != '\'') Fail("quoted value expected");
            std::size_t end = s_.find(q, ++p_);
            if (end == std::string::npos) Fail("unterminated value");
            e->attributes.emplace_back(name, Decode(s_.substr(p_, end - p_)));
            p_ = end + 1;
        }
        if (s_[p_] == '/') {
            ++p_;
            Expect('>');
            return e;
        }
        Expect('>');
        for (;;) {
            std::size_t lt = s_.find('<', p_);
            if (lt == std::string::npos) Fail("unterminated element");
            std::string raw = s_.substr(p_, lt - p_);
            if (raw.find_first_not_of(" \t\r\n") != std::string::npos) e->text += Decode(raw);
            p_ = lt;
            if (s_.compare(p_, 2, "</") == 0) break;
            e->children.push_back(Element());
        }
        p_ += 2;
        if (Name() != e->tag) Fail("mismatched end tag");
        Blanks();
        Expect('>');
        return e;
    }

    std::string s_;
    std::size_t p_ = 0;
};

inline IPtr<IHierStorage> ParseXmlStorage(const std::string& text) {
    return TMemoryStorage::Open(TXmlParser(text).Document());
}

}  // namespace vpw::test
