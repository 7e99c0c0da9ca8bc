#include "tables/PluRowRules.h"

#include <algorithm>

#include "base/NumberText.h"

namespace qm {

std::string StoredSoCode(int logoChoice, std::string code, std::size_t soCodeLen) {
  if (logoChoice <= 0) return {};
  code.resize(std::min(code.size(), soCodeLen));
  return code;
}

std::string LogoCell(int logoChoice, const std::string& code) {
  return std::to_string(std::max(0, logoChoice)) + " " + code;
}

LogoFields LogoFieldsOf(const std::string& logoCell, int choiceCount) {
  LogoFields fields;
  if (logoCell.empty()) return fields;
  const char first = logoCell[0];
  int choice = first >= '0' && first <= '9' ? first - '0' : 0;
  if (choice >= choiceCount) choice = 0;
  fields.choice = choice;
  if (logoCell.size() > 2) fields.code = logoCell.substr(2);
  return fields;
}

RowCommit EnterEndsOn(const std::string& typedPluNo, const std::string& currentPluNo) {
  const auto typed = ParseInt(typedPluNo).value_or(0);
  const auto current = ParseInt(currentPluNo).value_or(0);
  return typed == current ? RowCommit::Write : RowCommit::Add;
}

}  // namespace qm
