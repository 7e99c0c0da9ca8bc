// Writing PLU rows to the virtual scale: the 83 bytes of a record, whole tables, refusals and
// answers that are neither acknowledgement nor refusal.
#include "TransferFixture.h"

namespace qmtest {
namespace {

using qm::kCurrentRecord;
using qm::kWholeTable;

class PluWriteTest : public TransferFixture {};

TEST_F(PluWriteTest, CurrentRowGoesOutAsItsEightyThreeBytes) {
  qm::Cells row = GoodRow(5);
  row[qm::kName1] = qm::Win1251("Молоко");
  row[qm::kName2] = "2.5%";
  row[qm::kPrice] = "12.50";
  row[qm::kShelfLife] = "30";
  row[qm::kTare] = "0.125";
  row[qm::kItemCode] = "123";
  row[qm::kGroupCode] = "45";
  row[qm::kMessageNo] = "1";
  plu.ReplaceDataRows({GoodRow(1), row});
  plu.MoveToCell(0, 2);
  Connect();
  dialogs.ExpectMessage("Записать текущую строку?", qm::kButtonYes, "Подтвердите")
      .ExpectMessage("Строка записана.", qm::kButtonOk, "Завершено");

  transfers.WritePLUClick(kCurrentRecord);

  const Bytes expected = Cat({HexBytes("05 00 00 00"),                   // PLU 5
                              HexBytes("03 02 01 00 00 00"),             // item code 123
                              HexBytes("8C AE AB AE AA AE"), Zeros(22),  // Молоко
                              HexBytes("32 2E 35 25"), Zeros(24),        // 2.5%
                              HexBytes("E2 04 00 00"),                   // 1250 kopecks
                              HexBytes("00 00 30"),                      // 30 days
                              HexBytes("7D 00"),                         // 125 g
                              HexBytes("05 04 00 00 00 00"),             // group 45
                              HexBytes("01 00")});                       // message 1
  ASSERT_EQ(expected.size(), 83u);
  EXPECT_EQ(Received(qmsim::kCmdWritePlu), std::vector<Bytes>{expected});
  EXPECT_EQ(view.pluSettled, 1);
  EXPECT_EQ(Panel(qm::kPanelActivity), "Done.");
  EXPECT_FALSE(flags.PluTableModified());
  EXPECT_EQ(plu.CurrentRow(), 2);
  ExpectSettled(true);
}

TEST_F(PluWriteTest, LogoAndDateShelfLifeOnTheWire) {
  qm::Cells row = GoodRow(7);
  row[qm::kName1] = "Milk";
  row[qm::kName2] = "Fresh";
  row[qm::kShelfLife] = "31.12.26";
  row[qm::kLogo] = qm::Win1251("1 АЯ46");
  plu.ReplaceDataRows({row});
  dialogs.ExpectMessage("Записать текущую строку?", qm::kButtonYes)
      .ExpectMessage("Строка записана.", qm::kButtonOk);

  transfers.WritePLUClick(kCurrentRecord);

  const std::vector<Bytes> sent = Received(qmsim::kCmdWritePlu);
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].size(), 83u);
  const Bytes names(sent[0].begin() + 10, sent[0].begin() + 66);
  EXPECT_EQ(names, Cat({Ascii("Milk", 24), HexBytes("00 01 9F 36"),      // line 1: Я, 6
                        Ascii("Fresh", 24), HexBytes("00 01 80 34")}));  // line 2: А, 4
  EXPECT_EQ(Bytes(sent[0].begin() + 70, sent[0].begin() + 73), HexBytes("31 12 26"));
  ExpectSettled(false);
}

TEST_F(PluWriteTest, RefusalOnTheThirdOfFiveRowsSelectsItAndStops) {
  SetGoodRows(5);
  qmsim::Faults faults;
  faults.refusedPlus = {3};
  scale.SetFaults(faults);
  dialogs.ExpectMessage("Записать таблицу товаров?", qm::kButtonYes, "Подтвердите")
      .ExpectMessage("Ошибка записи PLU номер 3", qm::kButtonOk, "Ошибка");

  transfers.WritePLUClick(kWholeTable);

  EXPECT_TRUE(scale.Plu(1).has_value());
  EXPECT_TRUE(scale.Plu(2).has_value());
  EXPECT_FALSE(scale.Plu(3).has_value());
  EXPECT_FALSE(scale.Plu(4).has_value());
  EXPECT_EQ(Received(qmsim::kCmdWritePlu).size(), 3u);
  EXPECT_EQ(plu.CurrentRow(), 3);
  EXPECT_EQ(view.pages.back(), qm::kPluPage);
  const std::vector<ProgressEvent>& progress = dialogs.Progress();
  ASSERT_GE(progress.size(), 4u);
  EXPECT_EQ(progress[0].title, "Запись таблицы товаров...");
  EXPECT_EQ(progress[0].label, "Записано:");
  EXPECT_EQ(progress[0].a, 5);
  EXPECT_EQ(progress[0].b, 1);
  EXPECT_EQ(progress[1].a, 1);
  EXPECT_EQ(progress[2].a, 2);
  EXPECT_EQ(progress[3].kind, ProgressEvent::Hide);  // hidden before the box
  ExpectSettled(false);
}

TEST_F(PluWriteTest, AnAnswerOtherThanAcknowledgeOrRefusalIsAFailedWrite) {
  SetGoodRows(3);
  Connect();
  qmsim::Faults faults;
  faults.ackByte = 0x55;
  faults.skipExchanges = 1;
  scale.SetFaults(faults);
  dialogs.ExpectMessage("Записать таблицу товаров?", qm::kButtonYes)
      .ExpectMessage("Ошибка записи PLU номер 2: весы ответили 0x55.", qm::kButtonOk, "Ошибка");

  transfers.WritePLUClick(kWholeTable);

  EXPECT_EQ(Received(qmsim::kCmdWritePlu).size(), 2u);
  EXPECT_EQ(plu.CurrentRow(), 2);
  ExpectSettled(true);
}

TEST_F(PluWriteTest, AZeroAnswerByteIsAFailedWriteToo) {
  SetGoodRows(1);
  qmsim::Faults faults;
  faults.ackByte = 0x00;
  scale.SetFaults(faults);
  dialogs.ExpectMessage("Записать текущую строку?", qm::kButtonYes)
      .ExpectMessage("Ошибка записи PLU номер 1: весы ответили 0x00.", qm::kButtonOk, "Ошибка");

  transfers.WritePLUClick(kCurrentRecord);

  ExpectSettled(false);
}

TEST_F(PluWriteTest, CheckFindingsAskBeforeAnythingIsSent) {
  SetGoodRows(2);
  plu.SetCell(qm::kPrice, 2, "abc");
  dialogs.ExpectMessage("Записать таблицу товаров?", qm::kButtonYes)
      .ExpectMessage("Ошибок: 1,   Предупреждений: 0,   Продолжить?", qm::kButtonNo,
                     "Результат проверки");

  transfers.WritePLUClick(kWholeTable);

  EXPECT_EQ(dialogs.Shown().back().defaultButton, qm::kButtonNo);
  EXPECT_EQ(scale.ExchangeCount(), 0u);
  EXPECT_EQ(Panel(qm::kPanelActivity), "Done.");
  ExpectSettled(false);

  // Going on despite the findings sends every row, the faulty one as its cells give it.
  dialogs.ExpectMessage("Записать таблицу товаров?", qm::kButtonYes)
      .ExpectMessage("Ошибок: 1,   Предупреждений: 0,   Продолжить?", qm::kButtonYes)
      .ExpectMessage("Таблица товаров записана.", qm::kButtonOk, "Завершено");
  transfers.WritePLUClick(kWholeTable);
  const std::vector<Bytes> sent = Received(qmsim::kCmdWritePlu);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(Bytes(sent[1].begin() + 66, sent[1].begin() + 70), Zeros(4));
  ExpectSettled(false);
}

TEST_F(PluWriteTest, DecliningTheFirstQuestionDoesNothing) {
  SetGoodRows(1);
  dialogs.ExpectMessage("Записать текущую строку?", qm::kButtonNo);

  transfers.WritePLUClick(kCurrentRecord);

  EXPECT_EQ(view.pluSettled, 0);
  EXPECT_EQ(scale.ExchangeCount(), 0u);
  ExpectSettled(false);
}

}  // namespace
}  // namespace qmtest
