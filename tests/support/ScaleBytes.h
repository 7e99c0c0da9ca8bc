// The scale's records written out by hand in tests: hex, zeros, padded ASCII and little-endian
// numbers, joined in the order the record lays them out.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "sim/ScaleData.h"
#include "support/HexBytes.h"

namespace qmtest {

using qmsim::Bytes;

// Two hex digits per byte, blanks anywhere.
inline Bytes HexBytes(std::string_view text) {
  return qm::test::HexDigits<Bytes>(text);
}

inline Bytes Zeros(std::size_t n) {
  return Bytes(n, 0);
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// ASCII text as bytes, padded with 0x00 to `width`.
inline Bytes Ascii(std::string_view text, std::size_t width) {
  Bytes out(text.begin(), text.end());
  out.resize(width, 0);
  return out;
}

// A little-endian integer of `width` bytes, as the scale stores it.
inline Bytes Le(std::uint32_t value, std::size_t width) {
  Bytes out;
  for (std::size_t i = 0; i < width; ++i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  return out;
}

}  // namespace qmtest
