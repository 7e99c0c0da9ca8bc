#include "ctl/FleetConfig.h"

#include <charconv>
#include <map>
#include <utility>
#include <variant>

#include "base/ScaleParams.h"
#include "ctl/CtlArgs.h"
#include "files/Utf8Text.h"

namespace qm::ctl {
namespace {

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size() || line[i] == '#') break;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    fields.emplace_back(line.substr(start, i - start));
  }
  return fields;
}

std::optional<int> Number(const std::string& text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool GoodName(const std::string& name) {
  for (unsigned char c : name) {
    const bool ascii = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-' || c == '.';
    if (!ascii && c < 0x80) return false;
  }
  return name != "." && name != "..";
}

// The scale of one line, or the reason the line is bad.
std::variant<FleetScale, std::string> ParseLine(const std::vector<std::string>& f, int line) {
  if (f.size() < 3 || f.size() > 5) {
    return std::string("expected NAME PORT ADDRESS [MODEL [VERSION]], found ") +
           std::to_string(f.size()) + (f.size() == 1 ? " field" : " fields");
  }
  FleetScale s;
  s.line = line;
  s.name = f[0];
  s.port = f[1];
  // The report is UTF-8 and the name goes into file names: raw bytes of another encoding in it
  // would make both unreadable.
  if (!IsValidUtf8(s.name)) return std::string("the name is not valid UTF-8 text");
  if (!GoodName(s.name)) {
    return "the name '" + s.name + "' may hold only letters, digits, '_', '-' and '.'";
  }
  const auto address = Number(f[2]);
  if (!address || *address < 0 || *address > 255) {
    return "the address '" + f[2] + "' is not a number from 0 to 255";
  }
  s.address = *address;
  if (f.size() >= 4) {
    s.model = Number(f[3]);
    if (!s.model || !FindScaleModel(*s.model)) {
      return "the model '" + f[3] + "' is not " + ModelList(", ", " or ");
    }
  }
  if (f.size() == 5) {
    s.version = Number(f[4]);
    if (!s.version || !FindScaleVersion(*s.version)) {
      return "the version '" + f[4] + "' is not " + VersionList(", ", " or ");
    }
  }
  return s;
}

}  // namespace

FleetConfig ParseFleetConfig(std::string_view text, const LineOfPort& lineOf) {
  FleetConfig config;
  std::map<std::string, int> names;                       // name -> line
  std::map<std::pair<std::string, int>, int> placements;  // port and address -> line
  int lineNo = 0;
  // A byte-order mark some editors put in front of UTF-8 text is no part of the first name.
  std::size_t at = text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::vector<std::string> fields = Fields(text.substr(at, end - at));
    at = end + 1;
    ++lineNo;
    if (fields.empty()) continue;
    auto parsed = ParseLine(fields, lineNo);
    if (auto* why = std::get_if<std::string>(&parsed)) {
      config.errors.push_back({lineNo, std::move(*why)});
      continue;
    }
    FleetScale& s = std::get<FleetScale>(parsed);
    if (const auto seen = names.find(s.name); seen != names.end()) {
      config.errors.push_back({lineNo, "the name '" + s.name + "' is already used on line " +
                                           std::to_string(seen->second)});
      continue;
    }
    const auto place = std::make_pair(lineOf ? lineOf(s.port) : s.port, s.address);
    if (const auto seen = placements.find(place); seen != placements.end()) {
      config.errors.push_back({lineNo, "port " + s.port + ", address " + std::to_string(s.address) +
                                           " is already the scale on line " +
                                           std::to_string(seen->second)});
      continue;
    }
    names.emplace(s.name, lineNo);
    placements.emplace(place, lineNo);
    config.scales.push_back(std::move(s));
  }
  if (config.scales.empty() && config.errors.empty()) {
    config.errors.push_back({0, "lists no scale"});
  }
  return config;
}

}  // namespace qm::ctl
