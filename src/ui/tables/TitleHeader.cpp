#include "ui/tables/TitleHeader.h"

#include <QAbstractItemModel>
#include <QEvent>

namespace qm {

TitleHeader::TitleHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  connect(this, &QHeaderView::sectionCountChanged, this, [this] { Forget(); });
  connect(this, &QHeaderView::sortIndicatorChanged, this, [this] { Forget(); });
}

void TitleHeader::setModel(QAbstractItemModel* model) {
  for (const QMetaObject::Connection& c : modelConnections_) disconnect(c);
  modelConnections_.clear();
  Forget();
  QHeaderView::setModel(model);
  if (!model) return;
  const auto forget = [this] { Forget(); };
  modelConnections_ = {
      connect(model, &QAbstractItemModel::headerDataChanged, this, forget),
      connect(model, &QAbstractItemModel::columnsInserted, this, forget),
      connect(model, &QAbstractItemModel::columnsRemoved, this, forget),
      connect(model, &QAbstractItemModel::columnsMoved, this, forget),
      connect(model, &QAbstractItemModel::modelReset, this, forget),
      connect(model, &QAbstractItemModel::layoutChanged, this, forget),
  };
}

QSize TitleHeader::sizeHint() const {
  if (!hint_.isValid()) hint_ = QHeaderView::sizeHint();
  return hint_;
}

bool TitleHeader::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::LocaleChange:
    case QEvent::ShowToParent:
      Forget();
      break;
    default:
      break;
  }
  return QHeaderView::event(event);
}

}  // namespace qm
