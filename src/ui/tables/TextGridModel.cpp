#include "ui/tables/TextGridModel.h"

#include <QApplication>
#include <QPalette>

#include "ui/window/QtText.h"

namespace qm {

TextGridModel::TextGridModel(TextGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
  grid_.AddObserver(this);
}

TextGridModel::~TextGridModel() {
  grid_.RemoveObserver(this);
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.DataRowCount();
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.ColumnCount();
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return ToQString(grid_.Cell(index.column(), GridRow(index.row())));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(alignment_);
    case Qt::BackgroundRole:
      if (index.column() < fixedColumns_) return QApplication::palette().button();
      return {};
    default:
      return {};
  }
}

bool TextGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
    return false;
  }
  const int row = GridRow(index.row());
  std::string text = FromQString(value.toString());
  if (text == grid_.Cell(index.column(), row)) return true;
  grid_.SetCell(index.column(), row, std::move(text));  // announces dataChanged
  if (OnCellEdited) OnCellEdited(index.column(), row);
  return true;
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal)
    return QAbstractTableModel::headerData(section, orientation, role);
  if (role == Qt::DisplayRole) return ToQString(grid_.Cell(section, 0));
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignment_);
  return {};
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  if (index.column() < fixedColumns_) return Qt::ItemIsEnabled;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (editable_) f |= Qt::ItemIsEditable;
  return f;
}

void TextGridModel::RowsAboutToBeInserted(int first, int last) {
  beginInsertRows(QModelIndex(), ModelRow(first), ModelRow(last));
}
void TextGridModel::RowsInserted(int, int) {
  endInsertRows();
}
void TextGridModel::RowsAboutToBeRemoved(int first, int last) {
  beginRemoveRows(QModelIndex(), ModelRow(first), ModelRow(last));
}
void TextGridModel::RowsRemoved(int, int) {
  endRemoveRows();
}

void TextGridModel::CellsChanged(int first, int last) {
  if (first <= 0) {
    emit headerDataChanged(Qt::Horizontal, 0, grid_.ColumnCount() - 1);
    first = 1;
  }
  if (last < first) return;
  emit dataChanged(index(ModelRow(first), 0), index(ModelRow(last), grid_.ColumnCount() - 1));
}

// A reorder keeps the row count. The grid does not tell where each row went, so persistent
// indexes keep their positions; the view's current index follows the grid's current-cell notice
// that comes right after the reorder.
void TextGridModel::AboutToReorder() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
}
void TextGridModel::Reordered() {
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TextGridModel::AboutToReset() {
  beginResetModel();
}
void TextGridModel::Reset() {
  endResetModel();
}

}  // namespace qm
