// The title row of a grid: a horizontal QHeaderView that remembers its size hint.
//
// A plain header works its size hint out again, by laying out the text of its titles, whenever
// the view lays itself out, and the view does that after every row that is added. During a
// whole-table read that is once per record, for titles that have not changed. This header keeps
// the hint until something it is made from changes: the titles' texts (the model's header data),
// the number of columns, the model, the sort indicator, the font or the style.
//
// Window thread only.
#pragma once

#include <QHeaderView>
#include <QList>
#include <QMetaObject>

namespace qm {

class TitleHeader : public QHeaderView {
  Q_OBJECT

 public:
  explicit TitleHeader(QWidget* parent = nullptr);

  void setModel(QAbstractItemModel* model) override;
  QSize sizeHint() const override;

 protected:
  bool event(QEvent* event) override;

 private:
  void Forget() { hint_ = QSize(); }

  mutable QSize hint_;  // invalid: to be worked out again
  QList<QMetaObject::Connection> modelConnections_;
};

}  // namespace qm
