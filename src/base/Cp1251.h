// Windows-1251 text, the character set of table cells, files and message boxes.
//
// The core keeps every text as a std::string of Windows-1251 bytes, so lengths, comparisons,
// quoting and file bytes are exactly those the scale's operators know. Source files are UTF-8;
// Russian literals are converted with Win1251() once, where they are defined as named constants.
// The window layer converts to and from its own strings through the two code-point functions,
// which are the program's one conversion table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// Unicode code point of one Windows-1251 byte. Every byte has one (the unassigned 0x98 maps to
// U+0098), so any cell survives a trip through the window layer unchanged.
char32_t Cp1251ToCodePoint(std::uint8_t byte);

// Windows-1251 byte for a code point, or '?' when the character set cannot hold it.
std::uint8_t CodePointToCp1251(char32_t codePoint);

// UTF-8 to Windows-1251; characters outside the set become '?', malformed UTF-8 bytes too.
std::string Win1251(std::string_view utf8);

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t codePoint);

// Windows-1251 to UTF-8 (for diagnostics, test output and the headless tools).
std::string Utf8(std::string_view cp1251);

}  // namespace qm
