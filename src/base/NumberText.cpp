#include "base/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace qm {
namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::optional<Date>& TodayOverride() {
  static std::optional<Date> value;
  return value;
}

// The decimal digits of |value| rounded half away from zero to `decimals` places, taken from its
// 15 significant digits. Returns the digit string and how many of them are integer digits.
struct RoundedDigits {
  std::string digits;  // no leading zeros except a lone "0"
  int intDigits = 0;
  bool zero = true;
};

RoundedDigits RoundToDecimals(double value, int decimals) {
  RoundedDigits r;
  double a = std::fabs(value);
  if (!std::isfinite(a) || a == 0.0) {
    r.digits = std::string(static_cast<std::size_t>(decimals) + 1, '0');
    r.intDigits = 1;
    return r;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", a);  // d.dddddddddddddde+XX
  std::string mant;
  mant += buf[0];
  mant.append(buf + 2, 14);
  int exp10 = std::atoi(buf + 17);
  // value = 0.mant * 10^(exp10 + 1)
  int intDigits = exp10 + 1;
  int keep = intDigits + decimals;  // significant digits to keep
  std::string kept;
  if (keep < 0) {
    kept = "";
  } else if (keep >= 15) {
    kept = mant + std::string(static_cast<std::size_t>(keep - 15), '0');
  } else {
    kept = mant.substr(0, static_cast<std::size_t>(keep));
    if (mant[static_cast<std::size_t>(keep)] >= '5') {
      int i = keep - 1;
      while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9')
        kept[static_cast<std::size_t>(i--)] = '0';
      if (i >= 0) {
        ++kept[static_cast<std::size_t>(i)];
      } else {
        kept.insert(kept.begin(), '1');
        ++intDigits;
      }
    }
  }
  // Normalise to at least one integer digit and exactly `decimals` fraction digits.
  if (intDigits < 1) {
    kept.insert(0, static_cast<std::size_t>(1 - intDigits), '0');
    intDigits = 1;
  }
  while (static_cast<int>(kept.size()) < intDigits + decimals) kept += '0';
  while (intDigits > 1 && kept[0] == '0') {
    kept.erase(0, 1);
    --intDigits;
  }
  r.digits = kept;
  r.intDigits = intDigits;
  r.zero = kept.find_first_not_of('0') == std::string::npos;
  return r;
}

std::string JoinDigits(const RoundedDigits& r, int decimals) {
  std::string s = r.digits.substr(0, static_cast<std::size_t>(r.intDigits));
  if (decimals > 0) {
    s += '.';
    s += r.digits.substr(static_cast<std::size_t>(r.intDigits));
  }
  return s;
}

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int DaysInMonth(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Up to `maxParts` unsigned numbers separated by `sep`; returns the count, or 0 on bad text.
int SplitNumbers(std::string_view text, char sep, int maxParts, int* parts, int* widths) {
  int count = 0;
  std::size_t i = 0;
  while (true) {
    if (count == maxParts) return 0;
    std::size_t start = i;
    long v = 0;
    while (i < text.size() && IsDigit(text[i])) {
      v = v * 10 + (text[i] - '0');
      if (v > 99999) return 0;
      ++i;
    }
    if (i == start) return 0;
    parts[count] = static_cast<int>(v);
    widths[count] = static_cast<int>(i - start);
    ++count;
    if (i == text.size()) return count;
    if (text[i] != sep) return 0;
    ++i;
  }
}

}  // namespace

std::string_view TrimBlanks(std::string_view t) {
  std::size_t b = 0, e = t.size();
  while (b < e && IsBlank(t[b])) ++b;
  while (e > b && IsBlank(t[e - 1])) --e;
  return t.substr(b, e - b);
}

std::string_view TrimRightBlanks(std::string_view t) {
  std::size_t e = t.size();
  while (e > 0 && IsBlank(t[e - 1])) --e;
  return t.substr(0, e);
}

std::optional<std::int32_t> ParseInt(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  if (!t.empty() && t[0] == '+') {
    t.remove_prefix(1);
    if (!t.empty() && t[0] == '-') return std::nullopt;  // one sign only
  }
  if (t.empty() || t[0] == '+') return std::nullopt;
  std::int32_t v = 0;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || p != t.data() + t.size()) return std::nullopt;
  return v;
}

std::optional<double> ParseDecimal(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  int digits = 0, points = 0;
  for (char c : t) {
    if (IsDigit(c)) {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || points > 1) return std::nullopt;
  double v = 0;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::fixed);
  if (ec != std::errc() || p != t.data() + t.size()) return std::nullopt;
  return negative ? -v : v;
}

std::int64_t RoundHalfAway(double value) {
  RoundedDigits r = RoundToDecimals(value, 0);
  std::int64_t v = 0;
  for (char c : r.digits) {
    if (v > (INT64_MAX - 9) / 10) return value < 0 ? INT64_MIN : INT64_MAX;
    v = v * 10 + (c - '0');
  }
  return value < 0 ? -v : v;
}

std::string FormatUnsignedOrZero(double value, int decimals) {
  RoundedDigits r = RoundToDecimals(value, decimals);
  if (r.zero) return "0";
  return JoinDigits(r, decimals);
}

std::string FormatSignedOrZero(double value, int decimals, std::string_view zeroText) {
  RoundedDigits r = RoundToDecimals(value, decimals);
  if (r.zero) return std::string(zeroText);
  return (value < 0 ? "-" : "") + JoinDigits(r, decimals);
}

std::string FormatFixed(double value, int decimals) {
  RoundedDigits r = RoundToDecimals(value, decimals);
  return (value < 0 && !r.zero ? "-" : "") + JoinDigits(r, decimals);
}

std::optional<Date> ParseShortDate(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  int parts[3], widths[3];
  int n = SplitNumbers(t, '.', 3, parts, widths);
  if (n < 2) return std::nullopt;
  Date d;
  d.day = parts[0];
  d.month = parts[1];
  if (n == 3) {
    if (widths[2] > 4) return std::nullopt;
    d.year = parts[2];
    if (widths[2] <= 2) d.year += Today().year / 100 * 100;
  } else {
    d.year = Today().year;
  }
  if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1 ||
      d.day > DaysInMonth(d.year, d.month)) {
    return std::nullopt;
  }
  return d;
}

std::string FormatShortDate(const Date& date) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", date.day % 100, date.month % 100,
                date.year % 100);
  return buf;
}

std::int32_t DateSerial(const Date& date) {
  // Days from civil (proleptic Gregorian), shifted so that 30.12.1899 is day 0.
  int y = date.year - (date.month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int mp = (date.month + 9) % 12;
  const int doy = (153 * mp + 2) / 5 + date.day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int daysSince1970 = era * 146097 + doe - 719468;
  return daysSince1970 + 25569;
}

std::optional<double> ParseDateTime(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  std::size_t blank = 0;
  while (blank < t.size() && !IsBlank(t[blank])) ++blank;
  auto date = ParseShortDate(t.substr(0, blank));
  if (!date) return std::nullopt;
  double serial = DateSerial(*date);
  std::string_view rest = TrimBlanks(t.substr(blank));
  if (rest.empty()) return serial;
  int parts[3], widths[3];
  int n = SplitNumbers(rest, ':', 3, parts, widths);
  if (n < 2) return std::nullopt;
  int h = parts[0], m = parts[1], s = n == 3 ? parts[2] : 0;
  if (h > 23 || m > 59 || s > 59) return std::nullopt;
  return serial + (h * 3600 + m * 60 + s) / 86400.0;
}

Date Today() {
  if (TodayOverride()) return *TodayOverride();
  const std::time_t now = std::time(nullptr);
  // std::localtime hands back one buffer for the whole program, and qmctl's fleet validates on
  // several threads at once.
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  const std::tm* local = std::localtime(&now);
  return Date{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

void SetTodayForTesting(std::optional<Date> date) {
  TodayOverride() = date;
}

}  // namespace qm
