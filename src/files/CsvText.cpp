#include "files/CsvText.h"

#include <algorithm>

namespace qm {
namespace {

bool IsBoundary(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

bool NeedsQuotes(std::string_view field, char separator) {
  return std::any_of(field.begin(), field.end(), [separator](char c) {
    return c == '"' || c == separator || static_cast<unsigned char>(c) <= 32;
  });
}

std::string Unguard(std::string field) {
  std::replace(field.begin(), field.end(), kSpaceGuard, ' ');
  return field;
}

}  // namespace

std::string QuoteCsvField(std::string_view field, char separator) {
  if (!NeedsQuotes(field, separator)) return std::string(field);
  std::string out;
  out.reserve(field.size() + 2);
  out.push_back('"');
  for (char c : field) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string JoinCsvRecord(const std::vector<std::string>& fields, char separator) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out.push_back(separator);
    out += QuoteCsvField(fields[i], separator);
  }
  return out;
}

std::vector<std::string> SplitLines(std::string_view text, bool loneCrEndsLine) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;  // a line has begun that no line end has closed yet
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
      if (c == '\r') ++i;
      lines.push_back(std::move(line));
      line.clear();
      open = false;
    } else if (c == '\r') {
      if (loneCrEndsLine) {
        lines.push_back(std::move(line));
        line.clear();
        open = false;
      }
    } else {
      line.push_back(c);
      open = true;
    }
  }
  if (open) lines.push_back(std::move(line));
  return lines;
}

std::vector<std::string> SplitCsvLine(std::string_view line, char separator, bool* quoteLeftOpen) {
  // A blank or control separator (a tab from a spreadsheet's export) cannot be one of the blanks
  // skipped around fields: each one ends exactly one field, or an empty cell would vanish and
  // every cell behind it move one column left.
  const bool blankSeparator = IsBoundary(separator) || separator == kSpaceGuard;
  std::vector<std::string> fields;
  std::size_t p = 0;
  const std::size_t n = line.size();
  if (quoteLeftOpen) *quoteLeftOpen = false;
  auto skipBoundaries = [&] {
    while (p < n && IsBoundary(line[p]) && line[p] != separator) ++p;
  };
  skipBoundaries();
  while (p < n) {
    std::string field;
    if (line[p] == '"') {
      ++p;
      if (quoteLeftOpen) *quoteLeftOpen = true;  // until the closing quote is found
      while (p < n) {
        if (line[p] == '"') {
          if (p + 1 < n && line[p + 1] == '"') {
            field.push_back('"');
            p += 2;
            continue;
          }
          ++p;
          if (quoteLeftOpen) *quoteLeftOpen = false;
          break;
        }
        field.push_back(line[p++]);
      }
    } else {
      const std::size_t start = p;
      while (p < n && !IsBoundary(line[p]) && line[p] != separator) ++p;
      field.assign(line.substr(start, p - start));
    }
    fields.push_back(Unguard(std::move(field)));
    skipBoundaries();
    if (p < n && line[p] == separator) {
      ++p;
      if (blankSeparator) {
        skipBoundaries();
        if (p == n) fields.emplace_back();
      } else {
        if (p == n) fields.emplace_back();
        skipBoundaries();
      }
    }
  }
  return fields;
}

}  // namespace qm
