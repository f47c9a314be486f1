#include "Routines.h"

#include <cctype>

namespace vpw {

std::size_t FindClosingBrace(const std::string& text, std::size_t start) {
    if (start >= text.size()) return kNoPos;
    int depth = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] == '{') ++depth;
        else if (text[i] == '}') --depth;
        if (depth == 0) return i;
    }
    return kNoPos;
}

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return s.substr(b, e - b);
}

int SplitParamString(const std::string& text, TOneArrayOfString& pieces, char separator) {
    std::string rest = Trim(text);
    TOneArrayOfString found;
    for (;;) {
        std::size_t p = rest.find(separator);
        std::size_t b = rest.find('{');
        if (b != kNoPos && (p == kNoPos || b < p)) {
            std::size_t c = FindClosingBrace(rest, b);
            if (c != kNoPos) p = rest.find(separator, c + 1);
        }
        std::string piece;
        bool last = p == kNoPos;
        if (last) {
            piece = rest;
        } else {
            piece = rest.substr(0, p);
            rest.erase(0, p + 1);
        }
        if (!piece.empty()) found.push_back(std::move(piece));
        if (last) break;
    }
    int n = static_cast<int>(found.size());
    if (n > 0) pieces = std::move(found);
    return n;
}

int ParseNameValues(const std::string& text, TTwoArrayOfString& pairs, char separator, char delimiter) {
    TOneArrayOfString pieces;
    int n = SplitParamString(text, pieces, separator);
    if (n == 0) return 0;
    pairs.assign(static_cast<std::size_t>(n), {});
    std::size_t row = 0;
    for (const std::string& piece : pieces) {
        std::size_t d = piece.find(delimiter);
        if (d == kNoPos) continue;
        std::string value = piece.substr(d + 1);
        if (value.size() >= 2 && value.front() == '{' && value.back() == '}')
            value = value.substr(1, value.size() - 2);
        pairs[row][0] = piece.substr(0, d);
        pairs[row][1] = std::move(value);
        ++row;
    }
    return n;
}

bool GetNameValue(const std::string& text, const std::string& name, char separator, char delimiter,
                  std::string& value) {
    value.clear();
    TTwoArrayOfString pairs;
    int n = ParseNameValues(text, pairs, separator, delimiter);
    std::string key = AnsiUpperCase(name);
    for (int i = 0; i < n; ++i) {
        if (AnsiUpperCase(pairs[i][0]) == key) {
            value = pairs[i][1];
            return true;
        }
    }
    return false;
}

std::string UpperCaseAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string AnsiUpperCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

int CompareTextAscii(const std::string& a, const std::string& b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace vpw
