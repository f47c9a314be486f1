#include "StoredText.h"

namespace vpw {

namespace {

bool ForbiddenInXml(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Calls `f` with every part of the list, in order.
template <class F>
void ForEachPart(std::string_view list, F f) {
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && IsBlank(list[i])) ++i;
        std::size_t start = i;
        while (i < list.size() && !IsBlank(list[i])) ++i;
        if (i > start) f(list.substr(start, i - start));
    }
}

}  // namespace

bool NeedsEscapedForm(std::string_view text) {
    for (char c : text)
        if (ForbiddenInXml(static_cast<unsigned char>(c))) return true;
    return false;
}

std::string EscapeStoredText(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 8);
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == '%') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string UnescapeStoredText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        int high = -1, low = -1;
        if (text[i] == '%' && i + 2 < text.size()) {
            high = HexDigit(text[i + 1]);
            low = HexDigit(text[i + 2]);
        }
        if (high >= 0 && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool ListsEscapedPart(std::string_view list, std::string_view part) {
    bool found = false;
    ForEachPart(list, [&](std::string_view p) { found = found || p == part; });
    return found;
}

std::string WithEscapedPart(std::string_view list, std::string_view part, bool escaped) {
    std::string out;
    bool present = false;
    ForEachPart(list, [&](std::string_view p) {
        if (p == part) {
            if (!escaped || present) return;
            present = true;
        }
        if (!out.empty()) out += ' ';
        out += p;
    });
    if (escaped && !present) {
        if (!out.empty()) out += ' ';
        out += part;
    }
    return out;
}

}  // namespace vpw
