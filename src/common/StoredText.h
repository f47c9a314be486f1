// The escaped form in which the XML store keeps a text that XML 1.0 cannot
// carry, so that every value comes back exactly after a save and a load.
//
// A text that holds one of the bytes 0x00 to 0x08, 0x0B, 0x0C or 0x0E to 0x1F
// is stored escaped: every byte below 0x20 and every "%" is written as "%"
// and two upper-case hexadecimal digits ("a\x01b" as "a%01b", "50%\x1f" as
// "50%25%1F"); all other bytes stay as they are. The element that holds an
// escaped text carries the attribute "escaped", which lists the escaped
// parts, separated by blanks: "#text" for the element's own text and the
// name of each escaped attribute:
//     <param name="window_caption" escaped="#text">x%1By</param>
//     <window_rule name="Rule%01One" escaped="name" type="WINDOWRULE">
// Every other text is stored as it is, so a file without such bytes is
// written and read exactly as before the form existed.
#pragma once
#include <string>
#include <string_view>

namespace vpw {

// The attribute that marks escaped parts; the store keeps it to itself.
inline constexpr char kEscapedAttribute[] = "escaped";
// The part of that list that stands for the element's own text.
inline constexpr char kEscapedTextPart[] = "#text";

// True when the text holds a byte that XML 1.0 cannot carry.
bool NeedsEscapedForm(std::string_view text);
std::string EscapeStoredText(std::string_view text);
// Turns "%" and two hexadecimal digits (of either case) back into the byte;
// any other "%" stays as it is.
std::string UnescapeStoredText(std::string_view text);

// Whether the list of an "escaped" attribute names `part`.
bool ListsEscapedPart(std::string_view list, std::string_view part);
// The list with `part` added (once) or taken out; the other parts keep their order.
std::string WithEscapedPart(std::string_view list, std::string_view part, bool escaped);

}  // namespace vpw
