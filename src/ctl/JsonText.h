// The little JSON qmctl writes for scripts (--json): one object a line, built from strings,
// numbers and booleans, with keys in English.
#pragma once

#include <string>
#include <string_view>

namespace qm::ctl {

// `text` (UTF-8) as a JSON string with its quotes: '"' and '\' escaped, control characters as
// \u00XX, other characters as they are. A byte that is not part of well-formed UTF-8 becomes
// \ufffd, so the output is always valid JSON whatever a file name holds.
std::string JsonString(std::string_view text);

// {"key": value, ...} built up in order.
class JsonObject {
 public:
  JsonObject& Text(std::string_view key, std::string_view value);
  JsonObject& Number(std::string_view key, long long value);
  JsonObject& Decimal(std::string_view key, double value);  // two decimals
  JsonObject& Bool(std::string_view key, bool value);
  // `json` as it stands: an object or array built elsewhere.
  JsonObject& Raw(std::string_view key, std::string_view json);
  std::string Str() const { return body_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string body_ = "{";
};

}  // namespace qm::ctl
