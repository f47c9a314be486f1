// Splitting of parameter strings ("\KEY=value\...") and name/value lists.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace vpw {

using TOneArrayOfString = std::vector<std::string>;
using TTwoArrayOfString = std::vector<std::array<std::string, 2>>;  // [0] name, [1] value

constexpr std::size_t kNoPos = std::string::npos;

// Index of the brace that balances the one at `start`, or kNoPos. On any
// other character it is `start` itself.
std::size_t FindClosingBrace(const std::string& text, std::size_t start);

// Pieces between separators; a "{...}" group at the head of a piece may hold
// separators. Empty pieces are dropped. `pieces` is replaced only when at
// least one piece is found.
int SplitParamString(const std::string& text, TOneArrayOfString& pieces, char separator);

// One row per piece; a piece without the delimiter leaves an empty row at
// the end. The result counts pieces, not filled rows.
int ParseNameValues(const std::string& text, TTwoArrayOfString& pairs, char separator, char delimiter);

bool GetNameValue(const std::string& text, const std::string& name, char separator, char delimiter,
                  std::string& value);

std::string UpperCaseAscii(std::string s);
// Upper case of the running locale (the ANSI code page on Windows).
std::string AnsiUpperCase(std::string s);
// Trims characters up to and including the blank (codes 0 to 32).
std::string Trim(const std::string& s);
// Case-insensitive comparison, ASCII letters folded: <0, 0, >0.
int CompareTextAscii(const std::string& a, const std::string& b);

}  // namespace vpw
