// Reading PLU records from the virtual scale: whole tables, single records, the record layout.
#include "TransferFixture.h"

namespace qmtest {
namespace {

using qm::kCurrentRecord;
using qm::kWholeTable;

class PluReadTest : public TransferFixture {};

TEST_F(PluReadTest, WholeTableOfFourThousandRecords) {
  for (std::uint32_t k = 1; k <= 4000; ++k) {
    scale.SetPlu(k, PluReply(k, "Item " + std::to_string(k), k * 10, k % 1000));
  }
  dialogs.ExpectInput("Введите номер последней строки PLU:", "4000")
      .ExpectMessage("Таблица товаров считана.", qm::kButtonOk, "Завершено");

  transfers.ReadPluClick(kWholeTable);

  EXPECT_EQ(dialogs.lastInputDefault, "4000");
  ASSERT_EQ(plu.DataRowCount(), 4000);
  EXPECT_EQ(CellUtf8(qm::kPluNo, 1), "1");
  EXPECT_EQ(CellUtf8(qm::kName1, 1), "Item 1");
  EXPECT_EQ(CellUtf8(qm::kPrice, 1), "0.10");
  EXPECT_EQ(CellUtf8(qm::kTare, 1), "0.001");
  EXPECT_EQ(CellUtf8(qm::kPluNo, 2345), "2345");
  EXPECT_EQ(CellUtf8(qm::kPrice, 2345), "234.50");
  EXPECT_EQ(CellUtf8(qm::kPluNo, 4000), "4000");
  EXPECT_EQ(CellUtf8(qm::kName1, 4000), "Item 4000");
  EXPECT_EQ(CellUtf8(qm::kTare, 4000), "0");
  EXPECT_EQ(Panel(qm::kPanelActivity), "Done.");
  EXPECT_EQ(Panel(qm::kPanelPluCount), "4000 PLU");
  EXPECT_TRUE(flags.PluTableModified());
  EXPECT_TRUE(status.saveEnabled);
  EXPECT_EQ(view.pluSortResets, 1);
  ASSERT_FALSE(view.pages.empty());
  EXPECT_EQ(view.pages.back(), qm::kPluPage);

  const std::vector<ProgressEvent>& progress = dialogs.Progress();
  ASSERT_GE(progress.size(), 2u);
  EXPECT_EQ(progress.front().kind, ProgressEvent::Show);
  EXPECT_EQ(progress.front().title, "Чтение таблицы товаров...");
  EXPECT_EQ(progress.front().label, "Считано:");
  EXPECT_EQ(progress.front().a, 4000);
  EXPECT_EQ(progress.front().b, 1);
  EXPECT_EQ(progress[progress.size() - 2].a, 4000);  // the last step
  Quiesce();
  EXPECT_EQ(scale.CommandCount(qmsim::kCmdReadPlu), 4000u);
  ExpectSettled(false);
}

TEST_F(PluReadTest, AbsentNumbersAreSkippedWithoutGaps) {
  scale.SetPlu(1, PluReply(1, "One", 100));
  scale.SetPlu(3, PluReply(3, "Three", 300));
  Connect();
  dialogs.ExpectInput("Введите номер последней строки PLU:", "3")
      .ExpectMessage("Таблица товаров считана.", qm::kButtonOk, "Завершено");

  transfers.ReadPluClick(kWholeTable);

  ASSERT_EQ(plu.DataRowCount(), 2);
  EXPECT_EQ(CellUtf8(qm::kPluNo, 1), "1");
  EXPECT_EQ(CellUtf8(qm::kName1, 1), "One");
  EXPECT_EQ(CellUtf8(qm::kPluNo, 2), "3");
  EXPECT_EQ(CellUtf8(qm::kName1, 2), "Three");
  EXPECT_EQ(Panel(qm::kPanelPluCount), "2 PLU");
  EXPECT_EQ(Received(qmsim::kCmdReadPlu),
            (std::vector<Bytes>{HexBytes("01 00 00 00"), HexBytes("02 00 00 00"),
                                HexBytes("03 00 00 00")}));
  ExpectSettled(true);
}

TEST_F(PluReadTest, TableModeStartsAtTheLastRowAndAppends) {
  FillPluTable(10);
  for (std::uint32_t k = 10; k <= 12; ++k) scale.SetPlu(k, PluReply(k, "New", k));
  dialogs.ExpectInput("Введите номер последней строки PLU:", "12")
      .ExpectMessage("Таблица товаров считана.", qm::kButtonOk, "Завершено");

  transfers.ReadPluClick(kWholeTable);

  ASSERT_EQ(plu.DataRowCount(), 12);
  EXPECT_EQ(CellUtf8(qm::kName1, 9), "Row 9");
  for (int row = 10; row <= 12; ++row) {
    EXPECT_EQ(CellUtf8(qm::kPluNo, row), std::to_string(row));
    EXPECT_EQ(CellUtf8(qm::kName1, row), "New");
  }
  EXPECT_EQ(Received(qmsim::kCmdReadPlu).size(), 3u);
  EXPECT_EQ(dialogs.Progress().front().b, 10);
  EXPECT_EQ(Panel(qm::kPanelPluCount), "12 PLU");
  ExpectSettled(false);
}

TEST_F(PluReadTest, LastNumberBelowTheStartRequestsNothing) {
  FillPluTable(10);
  dialogs.ExpectInput("Введите номер последней строки PLU:", "5");

  transfers.ReadPluClick(kWholeTable);

  EXPECT_EQ(scale.CommandCount(qmsim::kCmdReadPlu), 0u);
  EXPECT_EQ(plu.DataRowCount(), 10);
  EXPECT_EQ(CellUtf8(qm::kName1, 10), "Row 10");
  EXPECT_FALSE(flags.PluTableModified());
  EXPECT_EQ(Panel(qm::kPanelActivity), "Done.");
  EXPECT_EQ(Panel(qm::kPanelPluCount), "10 PLU");
  ExpectSettled(false);
}

TEST_F(PluReadTest, SingleModeOnAnAbsentNumberNamesItAndChangesNothing) {
  FillPluTable(3);
  plu.MoveToCell(0, 2);
  Connect();
  dialogs.ExpectInput("Введите номер PLU:", "77")
      .ExpectMessage("Данные PLU номер 77 не запрограммированы.", qm::kButtonOk, "Ошибка");

  transfers.ReadPluClick(kCurrentRecord);

  EXPECT_EQ(dialogs.lastInputDefault, "2");
  EXPECT_EQ(plu.DataRowCount(), 3);
  EXPECT_EQ(CellUtf8(qm::kPluNo, 2), "2");
  EXPECT_EQ(CellUtf8(qm::kName1, 2), "Row 2");
  EXPECT_FALSE(flags.PluTableModified());
  EXPECT_EQ(Received(qmsim::kCmdReadPlu), std::vector<Bytes>{HexBytes("4D 00 00 00")});
  EXPECT_EQ(Panel(qm::kPanelActivity), "Done.");
  ExpectSettled(true);
}

TEST_F(PluReadTest, SingleModeReadsNumberZeroIntoTheCurrentRow) {
  FillPluTable(3);
  plu.MoveToCell(0, 2);
  scale.SetPlu(0, PluReply(0, "Zero", 100));
  dialogs.ExpectInput("Введите номер PLU:", "0");

  transfers.ReadPluClick(kCurrentRecord);

  EXPECT_EQ(Received(qmsim::kCmdReadPlu), std::vector<Bytes>{HexBytes("00 00 00 00")});
  EXPECT_EQ(plu.DataRowCount(), 3);
  EXPECT_EQ(CellUtf8(qm::kPluNo, 2), "0");
  EXPECT_EQ(CellUtf8(qm::kName1, 2), "Zero");
  EXPECT_EQ(CellUtf8(qm::kPrice, 2), "1.00");
  EXPECT_EQ(CellUtf8(qm::kName1, 3), "Row 3");
  EXPECT_TRUE(flags.PluTableModified());
  EXPECT_EQ(view.pluSortResets, 0);
  EXPECT_EQ(view.pages.back(), qm::kPluPage);
  ExpectSettled(false);
}

// Every field of the record, a logo and Cyrillic names included, written out by hand.
TEST_F(PluReadTest, RecordFieldsAndLogoFormArriveInTheirDisplayForm) {
  const Bytes line1 = Cat({HexBytes("8C AE AB AE AA AE"), Zeros(18), HexBytes("00 01 9F 36")});
  const Bytes line2 = Cat({Ascii("Fresh", 24), HexBytes("00 01 80 34")});
  scale.SetPlu(42, Cat({HexBytes("2A 00 00 00"),        // PLU 42
                        HexBytes("03 02 01 00 00 00"),  // item code 123
                        line1, line2,                   // names with logo 1, code АЯ46
                        HexBytes("40 E2 01 00"),        // price 123456 kopecks
                        HexBytes("31 12 26"),           // use by 31.12.26
                        HexBytes("7D 00"),              // tare 125 g
                        HexBytes("05 04 00 00 00 00"),  // group 45
                        HexBytes("03 00"),              // message 3
                        HexBytes("00 30 08"),           // sales since 08:30:00
                        HexBytes("01 12 26"),           //   on 01.12.26
                        HexBytes("39 30 00 00"),        // amount 12345 kopecks
                        HexBytes("E8 03 00 00"),        // weight 1000 g
                        HexBytes("05 00 00")}));        // 5 sales
  dialogs.ExpectInput("Введите номер PLU:", "42");

  transfers.ReadPluClick(kCurrentRecord);

  const std::vector<std::string> expected = {
      "42",     "Молоко", "Fresh", "1234.56", "31.12.26",           "0.125",
      "123",    "45",     "3",     "1 АЯ46",  "01.12.26, 08:30:00", "5",
      "123.45", "1.000"};
  for (int column = 0; column < qm::kPluColumnCount; ++column) {
    EXPECT_EQ(CellUtf8(column, 1), expected[column]) << "column " << column;
  }
  ExpectSettled(false);
}

}  // namespace
}  // namespace qmtest
