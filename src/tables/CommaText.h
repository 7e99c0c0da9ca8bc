// Comma text: the one-string form in which a message's lines are held and exchanged with the
// files and the transfers.
//
// Writing: the lines joined by ",". A line that contains a blank, a control character (any byte
// up to 0x20), a comma or a double quote is enclosed in double quotes, with every double quote
// inside doubled. A list of exactly one empty line is written as two double quotes (""); a list
// with no lines is the empty string. Other empty lines are written as nothing between commas.
//
// Reading: items are separated by commas and also by blanks and control characters outside
// quotes; such characters around items are skipped; an item that starts with a double quote runs
// to the next single double quote (a doubled one stands for one quote; a missing closing quote
// ends the item at the end of the text); and a text that ends with a comma gets a final empty
// line. Reading the written form gives back the same lines.
//
// Texts are Windows-1251 bytes; only the ASCII bytes listed above have a meaning here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

std::string ToCommaText(const std::vector<std::string>& lines);
std::vector<std::string> FromCommaText(std::string_view text);

}  // namespace qm
