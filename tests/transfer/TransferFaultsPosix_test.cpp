// Transfers that do not run to their end: a silent or short-spoken scale, Cancel, a scale that
// is not ready, bad numbers, a link cut or a window closed in the middle, a table changed
// under a transfer. Every way out leaves LinkBusy clear, the progress window hidden, the rows
// already stored in place and the link as the failure left it.
#include "TransferFixture.h"

namespace qmtest {
namespace {

using qm::kCurrentRecord;
using qm::kWholeTable;

class TransferFaultTest : public TransferFixture {
 protected:
  TransferFaultTest() {
    for (std::uint32_t k = 1; k <= 5; ++k) scale.SetPlu(k, PluReply(k, "P" + std::to_string(k), k));
  }
  void ExpectRowsRead(int count) {
    ASSERT_EQ(plu.DataRowCount(), count);
    for (int row = 1; row <= count; ++row) {
      EXPECT_EQ(CellUtf8(qm::kName1, row), "P" + std::to_string(row));
    }
  }
};

TEST_F(TransferFaultTest, SilenceMidTableKeepsTheRowsAndClosesTheLink) {
  Connect();
  qmsim::Faults faults;
  faults.silent = true;
  faults.skipExchanges = 2;
  scale.SetFaults(faults);
  dialogs.ExpectInput("Введите номер последней строки PLU:", "5")
      .ExpectMessage(kLinkErrorUtf8, qm::kButtonOk, "Ошибка")
      .ExpectMessage("Таблица товаров считана.", qm::kButtonOk, "Завершено");

  transfers.ReadPluClick(kWholeTable);

  ExpectRowsRead(2);
  EXPECT_EQ(Panel(qm::kPanelPluCount), "2 PLU");
  EXPECT_FALSE(status.connectPressed);
  ExpectSettled(false);
}

TEST_F(TransferFaultTest, AReplyCutShortIsALinkFailure) {
  qmsim::Faults faults;
  faults.replyCut = 60;
  faults.skipExchanges = 2;
  scale.SetFaults(faults);
  dialogs.ExpectInput("Введите номер последней строки PLU:", "5")
      .ExpectMessage(kLinkErrorUtf8, qm::kButtonOk)
      .ExpectMessage("Таблица товаров считана.", qm::kButtonOk);

  transfers.ReadPluClick(kWholeTable);

  ExpectRowsRead(2);
  ExpectSettled(false);
}

TEST_F(TransferFaultTest, SilenceOnTheFirstRecordOfAMessageReadShowsOnlyTheLinkError) {
  Connect();
  qmsim::Faults faults;
  faults.silent = true;
  scale.SetFaults(faults);
  dialogs.ExpectInput("Введите номер последнего сообщения:", "3")
      .ExpectMessage(kLinkErrorUtf8, qm::kButtonOk);

  transfers.ReadMessageClick(kWholeTable);

  EXPECT_FALSE(flags.MessageTableModified());
  EXPECT_EQ(messages.Count(), 1);
  ExpectSettled(false);
}

TEST_F(TransferFaultTest, CancelInTheProgressWindowEndsWithoutTheCompletionBox) {
  Connect();
  dialogs.CancelProgressAt(3);
  dialogs.ExpectInput("Введите номер последней строки PLU:", "5");

  transfers.ReadPluClick(kWholeTable);

  ExpectRowsRead(3);
  EXPECT_EQ(Received(qmsim::kCmdReadPlu).size(), 3u);
  EXPECT_EQ(Panel(qm::kPanelActivity), "Done.");
  ExpectSettled(true);

  // The same for a table write: three rows go out, no completion box.
  SetGoodRows(5);
  dialogs.CancelProgressAt(3);
  dialogs.ExpectMessage("Записать таблицу товаров?", qm::kButtonYes);
  transfers.WritePLUClick(kWholeTable);
  EXPECT_EQ(Received(qmsim::kCmdWritePlu).size(), 3u);
  ExpectSettled(true);
}

TEST_F(TransferFaultTest, AScaleThatIsNotReadyStopsQuietly) {
  SetGoodRows(2);
  qmsim::Faults faults;
  faults.busyNumber = 10000;
  scale.SetFaults(faults);
  dialogs.ExpectMessage("Записать таблицу товаров?", qm::kButtonYes);

  transfers.WritePLUClick(kWholeTable);

  EXPECT_EQ(scale.CommandCount(qmsim::kCmdWritePlu), 0u);
  ExpectSettled(false);

  transfers.ReadGTDClick();  // no totals, no box, the page still shown
  EXPECT_EQ(totals.sum, "");
  EXPECT_EQ(view.pages.back(), qm::kTotalsPage);
  ExpectSettled(false);
}

TEST_F(TransferFaultTest, BadNumbersAreReportedOnceAndNothingIsDone) {
  FillPluTable(3);
  const std::string pastLastPlu = std::to_string(state.CurrentScale.MaxPluNo + 1);
  const std::string pastLastMessage = std::to_string(state.CurrentScale.MaxMessages + 1);
  for (const std::string& answer :
       {std::string("abc"), std::string(), pastLastPlu, std::string("0"), std::string("1e3"),
        std::string(" 12a"), std::string("-1")}) {
    SCOPED_TRACE(answer);
    dialogs.ExpectInput("Введите номер последней строки PLU:", answer)
        .ExpectMessage("Неправильный номер PLU.", qm::kButtonOk, "Ошибка");
    transfers.ReadPluClick(kWholeTable);
    ExpectSettled(false);
  }
  dialogs.ExpectInput("Введите номер PLU:", "-1")
      .ExpectMessage("Неправильный номер PLU.", qm::kButtonOk);
  transfers.ReadPluClick(kCurrentRecord);
  dialogs.ExpectInput("Введите номер сообщения:", "0")
      .ExpectMessage("Неправильный номер сообщения.", qm::kButtonOk, "Ошибка");
  transfers.ReadMessageClick(kCurrentRecord);
  dialogs.ExpectInput("Введите номер последнего сообщения:", pastLastMessage)
      .ExpectMessage("Неправильный номер сообщения.", qm::kButtonOk);
  transfers.ReadMessageClick(kWholeTable);
  dialogs.ExpectInput("Введите номер PLU:", std::nullopt);  // Cancel: no box at all
  transfers.ReadPluClick(kCurrentRecord);

  EXPECT_EQ(scale.ExchangeCount(), 0u);
  EXPECT_EQ(plu.DataRowCount(), 3);
  EXPECT_FALSE(flags.Any());
  EXPECT_EQ(status.panels[qm::kPanelActivity], "");
  ExpectSettled(false);
}

TEST_F(TransferFaultTest, NothingStartsWhileTheLinkIsBusy) {
  state.LinkBusy = true;
  transfers.ReadPluClick(kWholeTable);
  transfers.ReadPluClick(kCurrentRecord);
  transfers.WritePLUClick(kWholeTable);
  transfers.ReadMessageClick(kWholeTable);
  transfers.WriteMessagesClick(kCurrentRecord);
  transfers.ReadGTDClick();
  transfers.ClearGTDClick();
  EXPECT_TRUE(dialogs.Shown().empty());
  EXPECT_FALSE(port.Connected());
  state.LinkBusy = false;
}

TEST_F(TransferFaultTest, TheConnectButtonBetweenRecordsEndsTheRead) {
  Connect();
  dialogs.onStep = [this](int position) {
    if (position == 2) link.ConnectClick();
  };
  dialogs.ExpectInput("Введите номер последней строки PLU:", "5")
      .ExpectMessage("Таблица товаров считана.", qm::kButtonOk);

  transfers.ReadPluClick(kWholeTable);

  ExpectRowsRead(2);
  ExpectSettled(false);
}

TEST_F(TransferFaultTest, TheWindowClosingDuringAWaitEndsTheReadQuietly) {
  qmsim::Faults faults;
  faults.silent = true;
  faults.skipExchanges = 2;
  scale.SetFaults(faults);
  bool closing = false;
  dialogs.onStep = [&](int position) { closing = position == 2; };
  onTick = [&] {
    if (closing) {
      closing = false;
      link.CloseForExit();  // what the close request does to the link
    }
  };
  dialogs.ExpectInput("Введите номер последней строки PLU:", "5")
      .ExpectMessage("Таблица товаров считана.", qm::kButtonOk);

  transfers.ReadPluClick(kWholeTable);

  ExpectRowsRead(2);
  ExpectSettled(false);
}

TEST_F(TransferFaultTest, ATableReplacedDuringAReadIsNotWrittenInto) {
  dialogs.onStep = [this](int position) {
    if (position == 2) {
      qm::Cells row(qm::kPluColumnCount);
      row[qm::kName1] = "Loaded";
      plu.ReplaceDataRows({row});
    }
  };
  dialogs.ExpectInput("Введите номер последней строки PLU:", "5");

  transfers.ReadPluClick(kWholeTable);

  ASSERT_EQ(plu.DataRowCount(), 1);
  EXPECT_EQ(CellUtf8(qm::kName1, 1), "Loaded");
  EXPECT_EQ(Received(qmsim::kCmdReadPlu).size(), 2u);
  ExpectSettled(false);
}

TEST_F(TransferFaultTest, RowsRemovedDuringAWriteStopIt) {
  SetGoodRows(4);
  dialogs.onStep = [this](int position) {
    if (position == 2) plu.RemoveDataRow(1);
  };
  dialogs.ExpectMessage("Записать таблицу товаров?", qm::kButtonYes);

  transfers.WritePLUClick(kWholeTable);

  EXPECT_EQ(Received(qmsim::kCmdWritePlu).size(), 2u);
  EXPECT_EQ(plu.DataRowCount(), 3);
  ExpectSettled(false);
}

}  // namespace
}  // namespace qmtest
