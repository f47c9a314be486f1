// Small text routines of the form storage: replacing, splitting into words
// and the hexadecimal scrambling of keyed stored values. 8-bit strings.
#pragma once
#include <string>

namespace vpw {

// Every occurrence, left to right, without overlap; case-sensitive. An empty
// find leaves the source unchanged.
std::string ReplaceAllText(const std::string& source, const std::string& find, const std::string& replacement);

// A word is a maximal run of characters not in `delimiters`.
int CountWords(const std::string& text, const std::string& delimiters);
// 1-based position of word n (counted from 1), or 0 when there is none.
int WordStart(int n, const std::string& text, const std::string& delimiters);
// Word n, or empty text.
std::string NthWord(int n, const std::string& text, const std::string& delimiters);

// Each byte XORed with the key (cycled; unchanged for an empty key), as two
// lower-case hexadecimal digits.
std::string XorHexEncode(const std::string& key, const std::string& source);
// The reverse; a pair that is no hex number counts as a blank, a trailing odd
// character is ignored.
std::string XorHexDecode(const std::string& key, const std::string& source);

// Decimal (or "$"-prefixed hexadecimal) integer with an optional sign and
// leading blanks; `defaultValue` for anything else or out of 32-bit range.
int StrToIntDef(const std::string& text, int defaultValue);

}  // namespace vpw
