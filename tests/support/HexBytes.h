// Byte strings written out by hand in tests: Hex("03 02 01") gives the three bytes, and
// HexDigits("FFFA2C 65") the five.
#pragma once

#include <string>
#include <string_view>

namespace qm::test {

// Two hex digits per byte, one blank between bytes.
inline std::string Hex(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 3) {
    out += static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16));
  }
  return out;
}

// Hex digits in any grouping: whatever is not a hex digit is passed over, and each two digits
// make a byte. `Out` holds the bytes: std::string, or a vector of bytes.
template <class Out = std::string>
Out HexDigits(std::string_view text) {
  Out out;
  int high = -1;
  for (char ch : text) {
    int v;
    if (ch >= '0' && ch <= '9') {
      v = ch - '0';
    } else if (ch >= 'A' && ch <= 'F') {
      v = ch - 'A' + 10;
    } else if (ch >= 'a' && ch <= 'f') {
      v = ch - 'a' + 10;
    } else {
      continue;
    }
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<typename Out::value_type>(high * 16 + v));
      high = -1;
    }
  }
  return out;
}

}  // namespace qm::test
