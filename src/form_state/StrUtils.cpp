#include "StrUtils.h"

#include <cstddef>
#include <cstdint>

namespace vpw {

namespace {

bool IsDelimiter(char c, const std::string& delimiters) { return delimiters.find(c) != std::string::npos; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

unsigned char KeyByte(const std::string& key, std::size_t index) {
    return static_cast<unsigned char>(key[index % key.size()]);
}

}  // namespace

std::string ReplaceAllText(const std::string& source, const std::string& find, const std::string& replacement) {
    if (find.empty()) return source;
    std::string result;
    std::size_t from = 0;
    for (std::size_t at; (at = source.find(find, from)) != std::string::npos; from = at + find.size()) {
        result.append(source, from, at - from);
        result.append(replacement);
    }
    result.append(source, from, std::string::npos);
    return result;
}

int CountWords(const std::string& text, const std::string& delimiters) {
    int count = 0;
    bool inWord = false;
    for (char c : text) {
        bool delimiter = IsDelimiter(c, delimiters);
        if (!delimiter && !inWord) ++count;
        inWord = !delimiter;
    }
    return count;
}

int WordStart(int n, const std::string& text, const std::string& delimiters) {
    std::size_t pos = 0;
    int words = 0;
    while (pos < text.size() && words != n) {
        while (pos < text.size() && IsDelimiter(text[pos], delimiters)) ++pos;
        if (pos < text.size()) {
            if (++words == n) return static_cast<int>(pos) + 1;
            while (pos < text.size() && !IsDelimiter(text[pos], delimiters)) ++pos;
        }
    }
    return 0;
}

std::string NthWord(int n, const std::string& text, const std::string& delimiters) {
    int start = WordStart(n, text, delimiters);
    if (start == 0) return {};
    std::size_t from = static_cast<std::size_t>(start) - 1, to = from;
    while (to < text.size() && !IsDelimiter(text[to], delimiters)) ++to;
    return text.substr(from, to - from);
}

std::string XorHexEncode(const std::string& key, const std::string& source) {
    static const char kDigits[] = "0123456789abcdef";
    std::string result;
    result.reserve(source.size() * 2);
    for (std::size_t i = 0; i < source.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(source[i]);
        if (!key.empty()) b ^= KeyByte(key, i);
        result.push_back(kDigits[b >> 4]);
        result.push_back(kDigits[b & 15]);
    }
    return result;
}

std::string XorHexDecode(const std::string& key, const std::string& source) {
    std::string result;
    result.reserve(source.size() / 2);
    for (std::size_t i = 0; i + 1 < source.size(); i += 2) {
        int high = HexDigit(source[i]), low = HexDigit(source[i + 1]);
        unsigned char b = high < 0 || low < 0 ? ' ' : static_cast<unsigned char>(high * 16 + low);
        if (!key.empty()) b ^= KeyByte(key, i / 2);
        result.push_back(static_cast<char>(b));
    }
    return result;
}

int StrToIntDef(const std::string& text, int defaultValue) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    }
    if (pos == text.size()) return defaultValue;
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        int digit = HexDigit(text[pos]);
        if (digit < 0 || digit >= base) return defaultValue;
        value = value * base + digit;
        if (value > 0xFFFFFFFFll) return defaultValue;
    }
    if (base == 16 && !negative) return static_cast<int>(static_cast<std::uint32_t>(value));
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return defaultValue;
    return static_cast<int>(value);
}

}  // namespace vpw
