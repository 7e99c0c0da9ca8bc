// The string grid both tables are shown in: a QTableView over a TextGridModel, with one title
// row (the horizontal header) and click sorting on it.
//
// The table lives in the core's TextGrid; the view keeps no cells. The grid's current cell and
// the view's current index are kept in step both ways: a move in the view (click, arrow keys)
// goes through TextGrid::MoveToCell, and every current-cell notice of the grid (commands,
// sorting, insertions) moves the view's current index and scrolls it into view.
//
// Click sorting: a release of a mouse button over a title sorts by that column when the grid
// has the input focus, ClickSorting is on, no column was resized during the press and no Shift,
// Ctrl or Alt key is held. A press on a title first gives the grid the focus (as a press on a
// cell does); when the focus does not stay (the row editor's exit question was cancelled), the
// press and its release do nothing. The sort itself is the OnClickSort handler's (it calls the
// table's TitleClick with the begin/end-of-sort hooks); the wait cursor is shown while it runs.
//
// A press on a cell likewise does nothing when the grid did not keep the focus it was given.
// A press that comes before the window system has made the window active again (right after a
// message box closed) finds the window activated first (ActivateOnPress.h), so it gets the focus
// and acts like any other press.
//
// Rows have one fixed height (uniform rows, no widget per cell), so scrolling through thousands
// of rows stays smooth. The scroll-bar thumbs are proportional to the visible share of the rows
// and columns: Qt sizes them from the page step, which the view keeps at the visible row count.
#pragma once

#include <QTableView>
#include <functional>

#include "tables/TextGrid.h"

namespace qm {

class TextGridModel;

class TSortGrid : public QTableView, private GridObserver {
  Q_OBJECT

 public:
  // The hint both grids show.
  static const char* const kHint;  // UTF-8

  // `grid` is not owned and must outlive the view.
  explicit TSortGrid(TextGrid& grid, QWidget* parent = nullptr);
  ~TSortGrid() override;

  TextGrid& Grid() { return grid_; }
  TextGridModel& Model() { return *model_; }

  // Alignment of cells and titles.
  void SetAlignment(Qt::Alignment alignment);
  // Leading columns painted like the titles, never current and never editable.
  void SetFixedColumns(int count);
  // Typing into the non-fixed cells in place; every change of the text is written into the
  // grid at once (OnCellEdited of the model follows each change).
  void SetCellEditing(bool enabled);
  void SetRowHeight(int pixels);
  bool ClickSorting() const { return clickSorting_; }
  void SetClickSorting(bool on) { clickSorting_ = on; }

  // A cell's in-place editor is open.
  bool CellEditorOpen() const { return state() == QAbstractItemView::EditingState; }
  // The grid or its in-place editor has the keyboard focus.
  bool HasInputFocus() const;

  // Inserts an empty row at `row` through the grid (it becomes current) / moves the current
  // cell through the grid.
  void InsertDataRow(int row) { grid_.InsertDataRow(row); }
  void MoveToCell(int column, int row) { grid_.MoveToCell(column, row); }

  // The title-click handler: sorts by `column`, descending for the right button.
  std::function<void(int column, bool rightButton)> OnClickSort;
  // Enter in the grid: when set and it returns true, the key is swallowed.
  std::function<bool()> OnEnterKey;
  // The cell area changed its width (the grid was resized, or its vertical scroll bar came or
  // went): the columns are fitted to it again here.
  std::function<void()> OnCellAreaWidthChanged;

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Called for the cell area (the viewport), which is already at its new size.
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CurrentCellChanged(int column, int row) override;
  void ShowGridCurrent();
  void RunClickSort(int column, bool rightButton);

  TextGrid& grid_;
  TextGridModel* model_;
  bool clickSorting_ = true;
  bool followingGrid_ = false;  // the view is being moved to the grid's current cell
  bool ignorePress_ = false;    // the press did not keep the focus; ignore until release
  bool titlePressed_ = false;
  bool resizedDuringPress_ = false;
};

}  // namespace qm
