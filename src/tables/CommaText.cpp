#include "tables/CommaText.h"

namespace qm {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

bool NeedsQuotes(std::string_view line) {
  for (char c : line)
    if (IsBlank(c) || c == ',' || c == '"') return true;
  return false;
}

}  // namespace

std::string ToCommaText(const std::vector<std::string>& lines) {
  if (lines.size() == 1 && lines[0].empty()) return "\"\"";
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out.push_back(',');
    const std::string& line = lines[i];
    if (!NeedsQuotes(line)) {
      out += line;
      continue;
    }
    out.push_back('"');
    for (char c : line) {
      if (c == '"') out.push_back('"');
      out.push_back(c);
    }
    out.push_back('"');
  }
  return out;
}

std::vector<std::string> FromCommaText(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t p = 0;
  const std::size_t n = text.size();
  auto skipBlanks = [&] {
    while (p < n && IsBlank(text[p])) ++p;
  };
  skipBlanks();
  while (p < n) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            item.push_back('"');
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item.push_back(text[p++]);
      }
    } else {
      const std::size_t start = p;
      while (p < n && !IsBlank(text[p]) && text[p] != ',') ++p;
      item.assign(text.substr(start, p - start));
    }
    lines.push_back(std::move(item));
    skipBlanks();
    if (p < n && text[p] == ',') {
      if (p + 1 == n) lines.emplace_back();
      ++p;
      skipBlanks();
    }
  }
  return lines;
}

}  // namespace qm
