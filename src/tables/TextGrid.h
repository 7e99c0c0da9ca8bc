// The grid of text cells that both tables live in: row 0 holds the column titles, data rows are
// 1..RowCount()-1, and there is always at least one data row. Cells are Windows-1251 byte
// strings. The grid also keeps the current cell, as the window's grid shows it.
//
// Every change is announced to the observers before and after, in the way a Qt item model
// announces it, so the window layer's model can forward the notices without copying the table.
#pragma once

#include <string>
#include <vector>

namespace qm {

using Cells = std::vector<std::string>;

class GridObserver {
 public:
  virtual ~GridObserver() = default;
  virtual void RowsAboutToBeInserted(int first, int last) {}
  virtual void RowsInserted(int first, int last) {}
  virtual void RowsAboutToBeRemoved(int first, int last) {}
  virtual void RowsRemoved(int first, int last) {}
  // Cells of rows first..last changed (any column, the title row included).
  virtual void CellsChanged(int first, int last) {}
  // Data rows are about to be reordered / were reordered (a sort or a matching run).
  virtual void AboutToReorder() {}
  virtual void Reordered() {}
  // The whole table is about to be replaced / was replaced.
  virtual void AboutToReset() {}
  virtual void Reset() {}
  virtual void CurrentCellChanged(int column, int row) {}
};

class TextGrid {
 public:
  explicit TextGrid(int columnCount);

  int ColumnCount() const { return columnCount_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int DataRowCount() const { return RowCount() - 1; }

  // Rows and columns outside the grid read as an empty cell; writes outside are ignored.
  const std::string& Cell(int column, int row) const;
  void SetCell(int column, int row, std::string text);
  const Cells& Row(int row) const;
  // Replaces a row's cells; the list is cut or padded with empty cells to the column count.
  void SetRow(int row, Cells cells);
  // Empties every cell of a row.
  void ClearRow(int row);

  // Titles are row 0.
  void SetTitles(const Cells& titles) { SetRow(0, titles); }

  // Grows or shrinks to `rowCount` rows in all (at least 2): new rows are empty, removed rows are
  // taken from the end. The current row is kept inside the grid.
  void SetRowCount(int rowCount);

  // Appends one empty data row at the end and returns its index.
  int AppendRow();
  // Appends a data row holding `cells` (cut or padded to the column count) and returns its
  // index. Observers hear of it as of an empty row appended and then set: the same notices,
  // without making the empty row first.
  int AppendRow(Cells cells);

  // Inserts an empty row at `index` (1..RowCount()): the rows from `index` down move down by one
  // and the new row becomes the current row, in the current column.
  void InsertDataRow(int index);

  // Removes data row `index`; the rows below move up. The only data row is never removed (it is
  // emptied instead). The current row stays on the row that followed, or the new last row.
  void RemoveDataRow(int index);

  // Replaces all data rows at once (loads, reads, matching). An empty list leaves one empty row.
  // The current cell goes to the first data row, column kept.
  void ReplaceDataRows(std::vector<Cells> rows);

  // Reorders the data rows: new data row i+1 takes the old data row order[i]+1 (order holds each
  // of 0..DataRowCount()-1 once). The current row follows its data.
  void ReorderDataRows(const std::vector<int>& order);

  int CurrentColumn() const { return currentColumn_; }
  int CurrentRow() const { return currentRow_; }
  // Clamps to at least column 0 and the first data row, at most the last column and row.
  void MoveToCell(int column, int row);

  void AddObserver(GridObserver* observer);
  void RemoveObserver(GridObserver* observer);

 private:
  Cells EmptyRow() const { return Cells(static_cast<std::size_t>(columnCount_)); }
  template <typename F>
  void Notify(F&& f) {
    for (GridObserver* o : observers_) f(*o);
  }

  int columnCount_;
  std::vector<Cells> rows_;
  int currentColumn_ = 0;
  int currentRow_ = 1;
  std::vector<GridObserver*> observers_;
};

}  // namespace qm
