// Conversions between table cell text and the scale's fixed-width wire fields.
//
// Every routine is a pure function: it takes text or bytes by value and returns a new value,
// keeps no state, never throws and never reports an error. Bad input is turned into some value by
// fixed rules (non-digits count as 0, unknown characters become '*', short input is zero-filled,
// long input is cut), because range checking is the business of validation before a write.
// All routines are safe on empty, short and over-long input.
//
// Text is a Windows-1251 cell string; bytes are a wire byte string. Both are std::string and may
// hold 0x00. Wire integers are little-endian two's complement; wire text is code page 866.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// Returned by NormalizeShelfLife for a use-by date, and the value that never counts as a whole
// number of days when a shelf life is written.
inline constexpr std::int32_t kShelfLifeIsDate = 2147483647;
// Returned by NormalizeShelfLife for text that is neither a number of days nor a date.
inline constexpr std::int32_t kShelfLifeInvalid = -2147483647;

// `width` bytes, little-endian: the lowest min(width, 4) bytes of `value`; bytes beyond the fourth
// are 0x00, narrower widths drop the high bytes unchecked. A width below 1 gives no bytes.
std::string IntToLeBytes(std::int32_t value, int width);

// The first four bytes as a little-endian signed 32-bit value; missing high bytes count as 0x00,
// so 2- and 3-byte fields come out zero-extended. Bytes past the fourth are ignored.
std::int32_t LeBytesToInt(std::string_view bytes);

std::string ReverseBytes(std::string bytes);

// '0'..'9' become the values 0..9, every other character becomes 0. One byte per character.
std::string DigitsToValues(std::string_view text);

// Values 0..9 become '0'..'9', every value above 9 becomes '*'. One character per byte.
std::string ValuesToDigits(std::string_view bytes);

// Digit values, most significant first, as a number: r = r * 10 + b for each byte. Values above 9
// are not rejected; an empty input gives 0. Arithmetic wraps at 32 bits on absurdly long input.
std::int32_t DigitValuesToInt(std::string_view bytes);

// The digits of `text` (blanks and control characters trimmed at both ends, non-digits as 0) as
// packed BCD, first digit in the high nibble, a 0 put in front of an odd count: "365" -> 03 65.
// An empty text gives no bytes.
std::string PackBcd(std::string_view text);

// The nibbles of `bytes`, high then low, in order, through DigitValuesToInt. Nibbles A..F count
// as 10..15: 12 3A -> 1240.
std::int32_t UnpackBcd(std::string_view bytes);

// Each run of digits of the trimmed text packed with PackBcd, runs separated by any non-digit:
// "31.12.26" -> 31 12 26, "1.2.26" -> 01 02 26.
std::string PackDigitGroups(std::string_view text);

// Exactly `width` bytes: cut, or padded on the right with 0x00. A width below 1 gives no bytes.
std::string FitField(std::string bytes, int width);

// Each byte as two upper-case hex digits, separated by `separator`: 31 12 26 with '.' gives
// "31.12.26". An empty input gives an empty text.
std::string BytesToHexText(std::string_view bytes, char separator);

// Keeps what comes before the first 0x00, then removes blanks and control characters (bytes up
// to 0x20) at the end and, unless `rightOnly`, at the start.
std::string CutAtNul(std::string_view text, bool rightOnly);

// Puts a shelf-life cell into its table form and tells its class. The text is cut with
// CutAtNul; a whole number stays as typed (trimmed) and is returned; otherwise every non-digit
// becomes "." and, if that is a short date (ParseShortDate), the repaired text is kept and
// kShelfLifeIsDate returned; else the text becomes "0" and kShelfLifeInvalid is returned.
std::int32_t NormalizeShelfLife(std::string& text);

// Windows-1251 to code page 866 for the Cyrillic letters (А..я, Ё, ё); 0x00..0x7F unchanged;
// every other character becomes '*'.
std::string ToScaleCodePage(std::string_view text);

// Code page 866 to Windows-1251, the inverse of ToScaleCodePage; 0x00..0x7F unchanged;
// pseudo-graphics and every other unmapped byte become '*'.
std::string FromScaleCodePage(std::string_view bytes);

// A decimal cell (price, tare) in wire units: the text as a decimal number ("." separator; text
// that is not a number counts as 0) times 10^decimals, rounded half away from zero. A result that
// does not fit a signed 32-bit integer gives 0. Price uses 2 decimals (kopecks), tare 3 (grams).
std::int32_t DecimalToMinorUnits(std::string_view text, int decimals);

// Wire units back to cell text: value / 10^decimals with `decimals` decimals, no sign for
// negative values, zero as "0" (the formats "0.00;0.00;0" and "0.000;0.000;0").
std::string MinorUnitsToDecimal(double value, int decimals);

}  // namespace qm
