// Number and date text as the whole program writes and reads it, whatever the machine's locale:
// decimal separator ".", date separator ".", time separator ":", short date "dd.mm.yy", long time
// "hh:nn:ss", two-digit years in the current century. Parsing never depends on the C locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Blanks and control characters (every byte up to 0x20) removed at both ends / the right end.
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimRightBlanks(std::string_view text);

// A signed 32-bit decimal integer: blanks around it allowed, an optional sign, digits only.
// "12a", "", "1e3", "1.0" and values outside 32 bits are not integers.
std::optional<std::int32_t> ParseInt(std::string_view text);

// A decimal number with "." as separator: blanks around it allowed, an optional sign, digits with
// at most one ".", at least one digit. Exponents, "," and thousands separators are not numbers.
std::optional<double> ParseDecimal(std::string_view text);

// Rounds to a whole number, halves away from zero, on the value's 15 significant decimal digits
// (so 1.005 * 100 rounds as 100.5 does). This is the format "0".
std::int64_t RoundHalfAway(double value);

// The two-section-with-zero formats of the tables: "0.00;0.00;0" (decimals 2) and
// "0.000;0.000;0" (decimals 3). Positive and negative values show `decimals` decimals and no
// sign; a value that rounds to zero shows "0".
std::string FormatUnsignedOrZero(double value, int decimals);

// The live display formats "0.000;;0.000" and "0.00;;0.0": `decimals` decimals, a minus sign
// for negative values, and `zeroText` for a value that rounds to zero.
std::string FormatSignedOrZero(double value, int decimals, std::string_view zeroText);

// A value with `decimals` decimals, rounded half away from zero, with a minus sign if negative.
std::string FormatFixed(double value, int decimals);

struct Date {
  int year = 0;   // four digits
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  friend bool operator==(const Date&, const Date&) = default;
  friend auto operator<=>(const Date&, const Date&) = default;
};

// Short date text: day.month with an optional year of one to four digits; a year of up to two
// digits lies in the current century; day and month must make a real calendar date. Blanks
// around the text are allowed. A text of day.month alone takes the current year.
std::optional<Date> ParseShortDate(std::string_view text);

// "dd.mm.yy".
std::string FormatShortDate(const Date& date);

// Date and optional time ("dd.mm.yy" then blanks then "hh:nn[:ss]") as days since 30.12.1899
// plus the fraction of the day, the serial form the grid compares dates by.
std::optional<double> ParseDateTime(std::string_view text);

// Days since 30.12.1899 of a date.
std::int32_t DateSerial(const Date& date);

// Today's date on this machine. Tests may set a fixed day instead.
Date Today();
void SetTodayForTesting(std::optional<Date> date);

}  // namespace qm
