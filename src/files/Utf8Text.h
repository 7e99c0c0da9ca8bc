// UTF-8 text as spreadsheets save data files (LibreOffice on Linux always, Excel's "CSV UTF-8"
// with a byte-order mark), and its way into the Windows-1251 bytes the tables hold.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The byte-order mark some tools put in front of UTF-8 text.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// True when `text` is well-formed UTF-8: no stray continuation byte, no sequence cut short,
// no overlong form, no UTF-16 surrogate, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The offset of the first byte where `text` stops being well-formed UTF-8 (the lead byte of the
// broken sequence, or the stray byte); nothing when the whole text is well-formed.
std::optional<std::size_t> FindInvalidUtf8(std::string_view text);

// Well-formed UTF-8 to Windows-1251. A character the set cannot hold becomes '?' and its code
// point is appended to `unmapped` (may be null), in the order of the text.
std::string Utf8ToWin1251(std::string_view utf8, std::vector<char32_t>* unmapped);

// One code point (at most U+10FFFF) as UTF-8, for reports on a UTF-8 console.
std::string EncodeUtf8(char32_t codePoint);

}  // namespace qm
