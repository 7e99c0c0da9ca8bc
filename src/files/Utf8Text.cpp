#include "files/Utf8Text.h"

#include <cstdint>

#include "base/Cp1251.h"

namespace qm {
namespace {

// Decodes the character at `p`; returns its length in bytes, 0 when the bytes there are not
// well-formed UTF-8.
std::size_t Decode(std::string_view text, std::size_t p, char32_t& cp) {
  const auto lead = static_cast<std::uint8_t>(text[p]);
  std::size_t length;
  char32_t min;
  if (lead < 0x80) {
    cp = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80, cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800, cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, cp = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() - p < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto cont = static_cast<std::uint8_t>(text[p + k]);
    if ((cont & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (cont & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::optional<std::size_t> FindInvalidUtf8(std::string_view text) {
  char32_t cp;
  for (std::size_t p = 0; p < text.size();) {
    const std::size_t length = Decode(text, p, cp);
    if (length == 0) return p;
    p += length;
  }
  return std::nullopt;
}

bool IsValidUtf8(std::string_view text) {
  return !FindInvalidUtf8(text);
}

std::string Utf8ToWin1251(std::string_view utf8, std::vector<char32_t>* unmapped) {
  std::string out;
  out.reserve(utf8.size());
  char32_t cp;
  for (std::size_t p = 0; p < utf8.size();) {
    const std::size_t length = Decode(utf8, p, cp);
    if (length == 0) {  // not expected: callers check the whole text first
      out.push_back('?');
      ++p;
      continue;
    }
    p += length;
    const std::uint8_t byte = CodePointToCp1251(cp);
    // '?' itself maps to '?'; anything else that comes back as '?' has no place in the set.
    if (byte == '?' && cp != U'?' && unmapped) unmapped->push_back(cp);
    out.push_back(static_cast<char>(byte));
  }
  return out;
}

std::string EncodeUtf8(char32_t cp) {
  std::string out;
  AppendUtf8(out, cp);
  return out;
}

}  // namespace qm
