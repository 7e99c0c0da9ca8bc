// The grids of the main window: the item model over the core's grid, title-click sorting with
// real mouse clicks, the current cell kept in step, and in-place editing of message names.
#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QScrollBar>

#include "TablesFixture.h"
#include "tables/ModifiedFlags.h"
#include "ui/tables/TextGridModel.h"

namespace qm {
namespace {

using Texts = std::vector<std::string>;

class SortGridTest : public qmtest::TablesFixture {};

TEST_F(SortGridTest, GridsSitInTheirPlacesWithTheirTitlesAndHint) {
  // Under the page pane, across the window and down to the status bar; the message grid right
  // of the pane, as tall as it.
  TSortGrid* plu = T().PLUSortGrid;
  EXPECT_EQ(plu->geometry(), QRect(0, 230, 640, Form().centralWidget()->height() - 230));
  EXPECT_GT(plu->height(), 150);
  EXPECT_EQ(plu->model()->columnCount(), 14);
  EXPECT_EQ(plu->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Товар №"));
  EXPECT_EQ(plu->model()->headerData(13, Qt::Horizontal).toString(), QStringLiteral("Вес"));
  EXPECT_EQ(plu->verticalHeader()->defaultSectionSize(), 16);
  EXPECT_EQ(plu->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
  EXPECT_EQ(plu->toolTip(), QStringLiteral("Для сортировки щелкните по заголовку нужной колонки"));
  EXPECT_EQ(plu->model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
            Qt::AlignLeft | Qt::AlignVCenter);
  EXPECT_FALSE(plu->model()->flags(plu->model()->index(0, 1)) & Qt::ItemIsEditable);

  TSortGrid* msg = T().MsgSortGrid;
  EXPECT_EQ(msg->geometry(), QRect(535, 0, 640 - 535, 230));
  EXPECT_EQ(msg->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("№"));
  EXPECT_EQ(msg->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Название"));
  EXPECT_EQ(msg->model()->index(0, 1).data().toString(), QStringLiteral("Список 1"));
  EXPECT_EQ(msg->model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
            Qt::AlignCenter);
  EXPECT_FALSE(msg->model()->flags(msg->model()->index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_TRUE(msg->model()->flags(msg->model()->index(0, 1)) & Qt::ItemIsEditable);
  EXPECT_EQ(msg->toolTip(), plu->toolTip());
}

TEST_F(SortGridTest, TheModelFollowsEveryKindOfGridChange) {
  // The tester checks every signal the model sends against what the model then reports.
  QAbstractItemModelTester tester(T().PLUSortGrid->model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  SetPluRows({{"1", "P"}, {"2", "Q"}, {"3", "R"}});
  Plu().InsertDataRow(2);
  Plu().SetCell(kName1, 2, Win1251("Молоко"));
  EXPECT_EQ(Shown(kName1), (Texts{"P", "Молоко", "Q", "R"}));
  Plu().RemoveDataRow(1);
  Plu().AppendRow();
  EXPECT_EQ(Shown(kName1), (Texts{"Молоко", "Q", "R", ""}));
  Plu().ReorderDataRows({3, 2, 1, 0});
  EXPECT_EQ(Shown(kName1), (Texts{"", "R", "Q", "Молоко"}));
  Plu().ReplaceDataRows({});
  EXPECT_EQ(T().PLUSortGrid->model()->rowCount(), 1);
  // A typed name goes back into the core's bytes.
  T().MsgSortGrid->model()->setData(T().MsgSortGrid->model()->index(0, 1), QStringLiteral("Хлеб"));
  EXPECT_EQ(MsgGrid().Cell(kMsgName, 1), Win1251("Хлеб"));
}

TEST_F(SortGridTest, TitleClicksSortByNumberAndAlternateKeepingTheCurrentRow) {
  SetPluRows({{"10", "ten"}, {"9", "nine"}, {"100", "hundred"}});
  Plu().MoveToCell(kName1, 1);  // "ten"
  ClickTitle(T().PLUSortGrid, kPluNo);
  EXPECT_EQ(Column(kPluNo), (Texts{"9", "10", "100"}));
  EXPECT_EQ(Plu().CurrentRow(), 2);
  EXPECT_EQ(T().PLUSortGrid->currentIndex(), T().PLUSortGrid->model()->index(1, kName1));
  EXPECT_EQ(E().INEdit1->text(), "ten");
  EXPECT_EQ(Panel(kPanelActivity), "Done.");
  EXPECT_FALSE(T().Flags().Any());  // sorting is no change of data
  EXPECT_FALSE(QApplication::overrideCursor());

  ClickTitle(T().PLUSortGrid, kPluNo);
  EXPECT_EQ(Column(kPluNo), (Texts{"100", "10", "9"}));
  // With Ctrl, Shift or Alt held a title click does not sort; nor does a click on a cell.
  ClickTitle(T().PLUSortGrid, kPluNo, Qt::LeftButton, Qt::ControlModifier);
  ClickTitle(T().PLUSortGrid, kPluNo, Qt::LeftButton, Qt::ShiftModifier);
  ClickCell(T().PLUSortGrid, 0, kPluNo);
  EXPECT_EQ(Column(kPluNo), (Texts{"100", "10", "9"}));
  ClickTitle(T().PLUSortGrid, kPluNo);
  EXPECT_EQ(Column(kPluNo), (Texts{"9", "10", "100"}));
}

TEST_F(SortGridTest, AfterASortOfFourThousandRowsTheCurrentRowIsStillInView) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (int i = 1; i <= 4000; ++i) rows.push_back({std::to_string(i), "n" + std::to_string(i)});
  SetPluRows(rows);
  Plu().MoveToCell(kPluNo, 2);
  ClickTitle(T().PLUSortGrid, kPluNo);  // ascending: nothing moves
  ClickTitle(T().PLUSortGrid, kPluNo);  // descending: row "2" goes to 3999
  ASSERT_EQ(Plu().CurrentRow(), 3999);
  EXPECT_EQ(E().INEdit1->text(), "n2");
  QTableView* view = T().PLUSortGrid;
  EXPECT_TRUE(view->viewport()->rect().intersects(view->visualRect(view->currentIndex())));
  // The thumb stands for the visible share: the page step is the number of visible rows.
  QScrollBar* bar = view->verticalScrollBar();
  EXPECT_GT(bar->pageStep(), 1);
  EXPECT_LT(bar->pageStep(), 20);
  EXPECT_EQ(bar->maximum() + bar->pageStep(), 4000);
}

TEST_F(SortGridTest, MessageGridSortsByTitleAndHidesTheSortFromTheEditor) {
  SetMessages({{"b", "two"}, {"a", "one"}, {"c", "three"}});
  Focus(T().MsgSortGrid);
  ClickTitle(T().MsgSortGrid, kMsgNo);  // the first click on "№" sorts descending
  std::vector<std::string> numbers;
  for (int r = 1; r <= 3; ++r) numbers.push_back(MsgGrid().Cell(kMsgNo, r));
  EXPECT_EQ(numbers, (Texts{"3", "2", "1"}));
  ClickTitle(T().MsgSortGrid, kMsgName);
  std::vector<std::string> names;
  for (int r = 1; r <= 3; ++r) names.push_back(MsgGrid().Cell(kMsgName, r));
  EXPECT_EQ(names, (Texts{"a", "b", "c"}));
  EXPECT_EQ(T().Messages().Texts().at(0), "two");  // texts stay with their numbers
}

TEST_F(SortGridTest, NameCellsAreEditedInPlaceAndMarkTheMessageTable) {
  Focus(T().MsgSortGrid);
  // A click on the number column keeps the name column current.
  ClickCell(T().MsgSortGrid, 0, kMsgNo);
  EXPECT_EQ(T().MsgSortGrid->currentIndex().column(), kMsgName);
  EXPECT_EQ(MsgGrid().CurrentColumn(), kMsgName);

  T().MsgSortGrid->edit(T().MsgSortGrid->currentIndex());
  auto* editor = qobject_cast<QLineEdit*>(Focused());
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "N");
  // Every change reaches the cell and marks the table at once, before the editor closes.
  EXPECT_EQ(MsgGrid().Cell(kMsgName, 1), "N");
  EXPECT_TRUE(T().Flags().MessageTableModified());
  EXPECT_FALSE(T().Flags().PluTableModified());
  // A title click first closes the editor with its text in its own row, then sorts.
  MsgGrid().AppendRow();
  MsgGrid().SetCell(kMsgNo, 2, "2");
  MsgGrid().SetCell(kMsgName, 2, "A");
  ClickTitle(T().MsgSortGrid, kMsgName);
  EXPECT_FALSE(T().MsgSortGrid->CellEditorOpen());
  EXPECT_EQ(MsgGrid().Row(1), (Cells{"2", "A"}));
  EXPECT_EQ(MsgGrid().Row(2), (Cells{"1", "N"}));
}

}  // namespace
}  // namespace qm
