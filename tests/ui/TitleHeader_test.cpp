// The title row keeps its size hint between layouts, and works it out again whenever what it is
// made from changes: a title's text, the columns, the model, the font.
#include <gtest/gtest.h>

#include <QFont>
#include <QStandardItemModel>
#include <QTableView>

#include "ui/tables/TitleHeader.h"

namespace qm {
namespace {

TEST(TitleHeaderTest, TheHintFollowsTitlesColumnsModelAndFontButNotRows) {
  QTableView view;
  auto* header = new TitleHeader(&view);
  view.setHorizontalHeader(header);
  QStandardItemModel model(0, 2);
  model.setHorizontalHeaderLabels({QStringLiteral("A"), QStringLiteral("B")});
  view.setModel(&model);
  view.show();

  const QSize first = header->sizeHint();
  model.appendRow({new QStandardItem(QStringLiteral("1")), new QStandardItem(QStringLiteral("2"))});
  EXPECT_EQ(header->sizeHint(), first) << "rows do not change the titles";

  QFont big = view.font();
  big.setPointSize(big.pointSize() * 3);
  view.setFont(big);
  const QSize bigger = header->sizeHint();
  EXPECT_GT(bigger.height(), first.height()) << "a font change is followed";

  model.setHorizontalHeaderItem(0, new QStandardItem(QStringLiteral("A\nsecond line")));
  const QSize twoLines = header->sizeHint();
  EXPECT_GT(twoLines.height(), bigger.height()) << "a title's new text is followed";

  model.setColumnCount(1);
  model.setHorizontalHeaderLabels({QStringLiteral("A")});
  EXPECT_LT(header->sizeHint().height(), twoLines.height()) << "removed columns are followed";

  QStandardItemModel other(0, 1);
  other.setHorizontalHeaderLabels({QStringLiteral("X\nY\nZ")});
  view.setModel(&other);
  EXPECT_GT(header->sizeHint().height(), twoLines.height()) << "a new model is followed";
}

}  // namespace
}  // namespace qm
