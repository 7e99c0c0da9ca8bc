#include "tables/MessageTable.h"

#include <algorithm>
#include <cstdint>

#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "tables/CommaText.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

const std::string& ListWord() {
  static const std::string kList = Win1251("Список ");
  return kList;
}

std::int64_t IntOr(std::string_view text, std::int64_t fallback) {
  auto v = ParseInt(text);
  return v ? *v : fallback;
}

}  // namespace

std::string DefaultMessageName(int number) {
  return ListWord() + std::to_string(number);
}

std::string MessageNameOrDefault(std::string_view name, int dataRowCount) {
  std::string_view trimmed = TrimBlanks(name);
  if (trimmed.empty()) return DefaultMessageName(dataRowCount);
  return std::string(trimmed);
}

bool RenumberPluMessagesAfterInsert(TextGrid& pluGrid, int n) {
  bool changed = false;
  for (int r = 1; r < pluGrid.RowCount(); ++r) {
    const std::int64_t no = IntOr(pluGrid.Cell(kMessageNo, r), 0);
    if (no < n) continue;
    std::string text = std::to_string(no + 1);
    if (text != pluGrid.Cell(kMessageNo, r)) {
      pluGrid.SetCell(kMessageNo, r, std::move(text));
      changed = true;
    }
  }
  return changed;
}

bool RenumberPluMessagesAfterDelete(TextGrid& pluGrid, int d) {
  bool changed = false;
  for (int r = 1; r < pluGrid.RowCount(); ++r) {
    const std::int64_t no = IntOr(pluGrid.Cell(kMessageNo, r), 1);
    std::string text;
    if (no > d) {
      text = std::to_string(no - 1);
    } else if (no == d) {
      text = "0";
    } else {
      continue;
    }
    if (text != pluGrid.Cell(kMessageNo, r)) {
      pluGrid.SetCell(kMessageNo, r, std::move(text));
      changed = true;
    }
  }
  return changed;
}

MessageTable::MessageTable() : grid_(kMessageColumnCount) {
  grid_.SetTitles({Win1251("№"), Win1251("Название")});
  Reset();
}

void MessageTable::Reset() {
  grid_.ReplaceDataRows({Cells{"1", DefaultMessageName(1)}});
  texts_.assign(1, std::string());
  MoveToRow(1);
}

int MessageTable::NumberAt(int row, int fallback) const {
  auto v = ParseInt(grid_.Cell(kMsgNo, row));
  return v ? *v : fallback;
}

const std::string& MessageTable::TextOf(int number) const {
  static const std::string kNone;
  if (number < 1 || number > static_cast<int>(texts_.size())) return kNone;
  return texts_[static_cast<std::size_t>(number - 1)];
}

void MessageTable::SetTextOf(int number, std::string commaText) {
  if (number < 1) return;
  if (static_cast<int>(texts_.size()) < number) texts_.resize(static_cast<std::size_t>(number));
  texts_[static_cast<std::size_t>(number - 1)] = std::move(commaText);
}

void MessageTable::InsertTextOf(int number, std::string commaText) {
  if (number < 1) return;
  const auto at = static_cast<std::size_t>(number - 1);
  if (texts_.size() < at) texts_.resize(at);
  texts_.insert(texts_.begin() + static_cast<std::ptrdiff_t>(at), std::move(commaText));
}

std::vector<std::string> MessageTable::LinesOf(int number) const {
  return FromCommaText(TextOf(number));
}

std::optional<int> MessageTable::FindRow(int number) const {
  if (number < 1 || number > Count()) return std::nullopt;
  for (int r = 1; r < grid_.RowCount(); ++r)
    if (NumberAt(r, 0) == number) return r;
  return std::nullopt;
}

bool MessageTable::SelectMessage(int number) {
  const std::optional<int> row = FindRow(number);
  if (!row) return false;
  const bool suppressed = suppressSelect_;
  suppressSelect_ = true;
  MoveToRow(*row);
  suppressSelect_ = suppressed;
  return true;
}

bool MessageTable::InsertMessage(int n, std::string commaText,
                                 const std::optional<std::string>& name, TextGrid& pluGrid) {
  n = std::clamp(n, 1, Count() + 1);
  InsertTextOf(n, std::move(commaText));
  for (int r = 1; r < grid_.RowCount(); ++r) {
    const std::int64_t no = NumberAt(r, 0);
    if (no >= n) grid_.SetCell(kMsgNo, r, std::to_string(no + 1));
  }
  grid_.InsertDataRow(n);
  MoveToRow(n);
  grid_.SetCell(kMsgNo, n, std::to_string(n));
  if (name) grid_.SetCell(kMsgName, n, *name);
  return RenumberPluMessagesAfterInsert(pluGrid, n);
}

void MessageTable::RemoveCurrentMessage(int d) {
  if (Count() == 1) {
    Reset();
    return;
  }
  const auto at = static_cast<std::size_t>(d < 1 ? 0 : d - 1);
  if (at < texts_.size()) texts_.erase(texts_.begin() + static_cast<std::ptrdiff_t>(at));
  grid_.RemoveDataRow(grid_.CurrentRow());
  for (int r = 1; r < grid_.RowCount(); ++r) {
    const int no = NumberAt(r, 0);
    if (no > d) grid_.SetCell(kMsgNo, r, std::to_string(no - 1));
  }
  MoveToRow(grid_.CurrentRow());
}

void MessageTable::MoveToRow(int row) {
  grid_.MoveToCell(kMsgName, row);
}

}  // namespace qm
