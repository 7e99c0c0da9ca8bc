#include "ui/tables/TSortGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QStyledItemDelegate>

#include "ui/tables/TextGridModel.h"
#include "ui/tables/TitleHeader.h"

namespace qm {
namespace {

// The in-place editor of the grid writes every change of its text into the cell at once, so
// the table is marked modified on the first keystroke, as the operator types.
class LiveEditDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      auto* self = const_cast<LiveEditDelegate*>(this);
      connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
    }
    return editor;
  }
};

// Restores the cursor however the sort ends.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

constexpr Qt::KeyboardModifiers kSortBlockingModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

}  // namespace

const char* const TSortGrid::kHint = "Для сортировки щелкните по заголовку нужной колонки";

TSortGrid::TSortGrid(TextGrid& grid, QWidget* parent)
    : QTableView(parent), grid_(grid), model_(new TextGridModel(grid, this)) {
  setHorizontalHeader(new TitleHeader(this));
  setModel(model_);
  grid_.AddObserver(this);

  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setItemDelegate(new LiveEditDelegate(this));

  QHeaderView* titles = horizontalHeader();
  titles->setSectionsClickable(false);  // a title click sorts; it never selects a column
  titles->setHighlightSections(false);
  titles->setSectionsMovable(false);
  titles->viewport()->installEventFilter(this);
  connect(titles, &QHeaderView::sectionResized, this, [this] {
    if (titlePressed_) resizedDuringPress_ = true;
  });

  QHeaderView* rows = verticalHeader();
  rows->hide();  // no fixed column of row titles
  rows->setSectionResizeMode(QHeaderView::Fixed);

  const QString hint = QString::fromUtf8(kHint);
  setToolTip(hint);
  viewport()->setToolTip(hint);
  titles->setToolTip(hint);
  titles->viewport()->setToolTip(hint);

  ShowGridCurrent();
}

TSortGrid::~TSortGrid() {
  grid_.RemoveObserver(this);
}

void TSortGrid::SetAlignment(Qt::Alignment alignment) {
  model_->SetAlignment(alignment);
  horizontalHeader()->setDefaultAlignment(alignment);
  viewport()->update();
}

void TSortGrid::SetFixedColumns(int count) {
  model_->SetFixedColumns(count);
  ShowGridCurrent();
}

void TSortGrid::SetCellEditing(bool enabled) {
  model_->SetEditable(enabled);
  setEditTriggers(enabled ? (QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed)
                          : QAbstractItemView::NoEditTriggers);
}

void TSortGrid::SetRowHeight(int pixels) {
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(pixels);
}

bool TSortGrid::HasInputFocus() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == this || isAncestorOf(focus));
}

void TSortGrid::CurrentCellChanged(int, int) {
  ShowGridCurrent();
}

// The view's current index <- the grid's current cell (never a fixed column), scrolled into view.
void TSortGrid::ShowGridCurrent() {
  if (!selectionModel()) return;
  const int column = std::max(grid_.CurrentColumn(), model_->FixedColumns());
  const QModelIndex target = model_->index(TextGridModel::ModelRow(grid_.CurrentRow()), column);
  if (!target.isValid()) return;
  followingGrid_ = true;
  if (selectionModel()->currentIndex() != target) {
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
  }
  followingGrid_ = false;
  scrollTo(target);
}

void TSortGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (followingGrid_ || !current.isValid()) return;
  // Qt moves the current index on its own while rows are removed or the model is reset; the
  // grid announces its own current cell after such changes, and the view follows that.
  if (current.row() >= grid_.DataRowCount()) return;
  const int column = std::max(current.column(), model_->FixedColumns());
  grid_.MoveToCell(column, TextGridModel::GridRow(current.row()));
  if (column != current.column()) ShowGridCurrent();
}

void TSortGrid::mousePressEvent(QMouseEvent* event) {
  // The press has already given the grid the focus; when something took it back (the row
  // editor's exit question answered Cancel or No), the press must not move the current row.
  ignorePress_ = !HasInputFocus();
  if (ignorePress_) {
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
}

void TSortGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (ignorePress_) {
    ignorePress_ = false;
    event->accept();
    return;
  }
  QTableView::mouseReleaseEvent(event);
}

void TSortGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!HasInputFocus()) {
    event->accept();
    return;
  }
  QTableView::mouseDoubleClickEvent(event);
}

void TSortGrid::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && OnEnterKey &&
      !CellEditorOpen() && OnEnterKey()) {
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

bool TSortGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched != horizontalHeader()->viewport()) return QTableView::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      // The press on a title gave the grid the focus on its way here, as a press on a cell does.
      titlePressed_ = true;
      resizedDuringPress_ = false;
      if (!HasInputFocus()) {
        titlePressed_ = false;
        return true;
      }
      return false;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const bool pressed = titlePressed_;
      const bool resized = resizedDuringPress_;
      titlePressed_ = false;
      resizedDuringPress_ = false;
      if (!pressed || resized || !clickSorting_ || !HasInputFocus()) return false;
      if (mouse->modifiers() & kSortBlockingModifiers) return false;
      const QPoint at = mouse->position().toPoint();
      if (!horizontalHeader()->viewport()->rect().contains(at)) return false;
      const int column = horizontalHeader()->logicalIndexAt(at);
      if (column < 0) return false;
      RunClickSort(column, mouse->button() == Qt::RightButton);
      return false;
    }
    default:
      return false;
  }
}

void TSortGrid::RunClickSort(int column, bool rightButton) {
  if (!OnClickSort) return;
  WaitCursor wait;
  OnClickSort(column, rightButton);
}

void TSortGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  if (event->size().width() != event->oldSize().width() && OnCellAreaWidthChanged) {
    OnCellAreaWidthChanged();
  }
}

}  // namespace qm
