#include "tables/TextGrid.h"

#include <algorithm>
#include <utility>

namespace qm {

TextGrid::TextGrid(int columnCount) : columnCount_(std::max(1, columnCount)) {
  rows_.assign(2, EmptyRow());
}

const std::string& TextGrid::Cell(int column, int row) const {
  static const std::string kEmpty;
  if (row < 0 || row >= RowCount() || column < 0 || column >= columnCount_) return kEmpty;
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void TextGrid::SetCell(int column, int row, std::string text) {
  if (row < 0 || row >= RowCount() || column < 0 || column >= columnCount_) return;
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
  Notify([&](GridObserver& o) { o.CellsChanged(row, row); });
}

const Cells& TextGrid::Row(int row) const {
  static const Cells kNone;
  if (row < 0 || row >= RowCount()) return kNone;
  return rows_[static_cast<std::size_t>(row)];
}

void TextGrid::SetRow(int row, Cells cells) {
  if (row < 0 || row >= RowCount()) return;
  cells.resize(static_cast<std::size_t>(columnCount_));
  rows_[static_cast<std::size_t>(row)] = std::move(cells);
  Notify([&](GridObserver& o) { o.CellsChanged(row, row); });
}

void TextGrid::ClearRow(int row) {
  SetRow(row, EmptyRow());
}

void TextGrid::SetRowCount(int rowCount) {
  rowCount = std::max(2, rowCount);
  const int old = RowCount();
  if (rowCount > old) {
    Notify([&](GridObserver& o) { o.RowsAboutToBeInserted(old, rowCount - 1); });
    // Each new row is moved in from a fresh empty one; filling the slots from one empty row
    // would copy it for every record of a long read.
    while (static_cast<int>(rows_.size()) < rowCount) rows_.push_back(EmptyRow());
    Notify([&](GridObserver& o) { o.RowsInserted(old, rowCount - 1); });
  } else if (rowCount < old) {
    Notify([&](GridObserver& o) { o.RowsAboutToBeRemoved(rowCount, old - 1); });
    rows_.resize(static_cast<std::size_t>(rowCount));
    Notify([&](GridObserver& o) { o.RowsRemoved(rowCount, old - 1); });
    if (currentRow_ >= rowCount) MoveToCell(currentColumn_, rowCount - 1);
  }
}

int TextGrid::AppendRow() {
  SetRowCount(RowCount() + 1);
  return RowCount() - 1;
}

int TextGrid::AppendRow(Cells cells) {
  const int row = RowCount();
  cells.resize(static_cast<std::size_t>(columnCount_));
  Notify([&](GridObserver& o) { o.RowsAboutToBeInserted(row, row); });
  rows_.push_back(std::move(cells));
  Notify([&](GridObserver& o) { o.RowsInserted(row, row); });
  Notify([&](GridObserver& o) { o.CellsChanged(row, row); });
  return row;
}

void TextGrid::InsertDataRow(int index) {
  index = std::clamp(index, 1, RowCount());
  Notify([&](GridObserver& o) { o.RowsAboutToBeInserted(index, index); });
  rows_.insert(rows_.begin() + index, EmptyRow());
  Notify([&](GridObserver& o) { o.RowsInserted(index, index); });
  currentRow_ = -1;  // force the notice: the row under the cursor is a new one
  MoveToCell(currentColumn_, index);
}

void TextGrid::RemoveDataRow(int index) {
  if (index < 1 || index >= RowCount()) return;
  if (DataRowCount() == 1) {
    ClearRow(1);
    return;
  }
  Notify([&](GridObserver& o) { o.RowsAboutToBeRemoved(index, index); });
  rows_.erase(rows_.begin() + index);
  Notify([&](GridObserver& o) { o.RowsRemoved(index, index); });
  const int target = std::min(index, RowCount() - 1);
  currentRow_ = -1;
  MoveToCell(currentColumn_, target);
}

void TextGrid::ReplaceDataRows(std::vector<Cells> rows) {
  Notify([](GridObserver& o) { o.AboutToReset(); });
  Cells titles = std::move(rows_[0]);
  rows_.clear();
  rows_.reserve(rows.size() + 1);
  rows_.push_back(std::move(titles));
  for (Cells& r : rows) {
    r.resize(static_cast<std::size_t>(columnCount_));
    rows_.push_back(std::move(r));
  }
  if (rows_.size() < 2) rows_.push_back(EmptyRow());
  currentRow_ = 1;
  currentColumn_ = std::clamp(currentColumn_, 0, columnCount_ - 1);
  Notify([](GridObserver& o) { o.Reset(); });
  Notify([&](GridObserver& o) { o.CurrentCellChanged(currentColumn_, currentRow_); });
}

void TextGrid::ReorderDataRows(const std::vector<int>& order) {
  if (static_cast<int>(order.size()) != DataRowCount()) return;
  Notify([](GridObserver& o) { o.AboutToReorder(); });
  std::vector<Cells> sorted;
  sorted.reserve(order.size() + 1);
  sorted.push_back(std::move(rows_[0]));
  int newCurrent = currentRow_;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const int from = order[i] + 1;
    if (from == currentRow_) newCurrent = static_cast<int>(i) + 1;
    sorted.push_back(std::move(rows_[static_cast<std::size_t>(from)]));
  }
  rows_ = std::move(sorted);
  currentRow_ = newCurrent;
  Notify([](GridObserver& o) { o.Reordered(); });
  Notify([&](GridObserver& o) { o.CurrentCellChanged(currentColumn_, currentRow_); });
}

void TextGrid::MoveToCell(int column, int row) {
  column = std::clamp(column, 0, columnCount_ - 1);
  row = std::clamp(row, 1, RowCount() - 1);
  if (column == currentColumn_ && row == currentRow_) return;
  currentColumn_ = column;
  currentRow_ = row;
  Notify([&](GridObserver& o) { o.CurrentCellChanged(column, row); });
}

void TextGrid::AddObserver(GridObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void TextGrid::RemoveObserver(GridObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

}  // namespace qm
