// The Qt item model over a TextGrid: the grid's row 0 is the horizontal header, data row r
// (1..N) is model row r - 1, and every grid column is a model column. The model holds no copy
// of the cells: data() converts the Windows-1251 cell on demand (QtText.h), setData() converts
// back and writes through TextGrid::SetCell.
//
// The grid's observer notices are forwarded as the item-model signals: row insertions and
// removals as beginInsertRows/endInsertRows and friends, changed cells as dataChanged (or
// headerDataChanged for row 0), ReplaceDataRows as a model reset, and a sort or a matching
// reorder as layoutAboutToBeChanged/layoutChanged. The grid's current cell is not part of the
// model; TSortGrid keeps the view's current index in step with it.
//
// The model registers itself with the grid and unregisters on destruction; the grid must
// outlive it. Window thread only.
#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "tables/TextGrid.h"

namespace qm {

class TextGridModel : public QAbstractTableModel, private GridObserver {
  Q_OBJECT

 public:
  explicit TextGridModel(TextGrid& grid, QObject* parent = nullptr);
  ~TextGridModel() override;

  TextGrid& Grid() { return grid_; }

  // Alignment of every cell (the PLU grid: left and middle; the message grid: centre and middle).
  void SetAlignment(Qt::Alignment alignment) { alignment_ = alignment; }
  // Columns before this one are fixed: painted like the title row, never editable.
  void SetFixedColumns(int count) { fixedColumns_ = count; }
  int FixedColumns() const { return fixedColumns_; }
  // Whether the non-fixed cells may be typed into in place.
  void SetEditable(bool editable) { editable_ = editable; }
  // Called after a cell was changed by typing into it in place (column, grid row).
  std::function<void(int column, int row)> OnCellEdited;

  // Model row <-> grid row.
  static int GridRow(int modelRow) { return modelRow + 1; }
  static int ModelRow(int gridRow) { return gridRow - 1; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void RowsAboutToBeInserted(int first, int last) override;
  void RowsInserted(int first, int last) override;
  void RowsAboutToBeRemoved(int first, int last) override;
  void RowsRemoved(int first, int last) override;
  void CellsChanged(int first, int last) override;
  void AboutToReorder() override;
  void Reordered() override;
  void AboutToReset() override;
  void Reset() override;

  TextGrid& grid_;
  Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
  int fixedColumns_ = 0;
  bool editable_ = false;
};

}  // namespace qm
