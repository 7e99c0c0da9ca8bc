// Byte strings written out by hand in tests: Hex("03 02 01") gives the three bytes.
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

}  // namespace qm::test
