// Reading and writing messages on the virtual scale: the 402 bytes of a write, the 8 lines of a
// read, where read messages land in the list.
#include "TransferFixture.h"
#include "tables/CommaText.h"

namespace qmtest {
namespace {

using qm::kCurrentRecord;
using qm::kWholeTable;

class MessageTransferTest : public TransferFixture {
 protected:
  // A list of `count` messages numbered 1..count, named "Name n", each with one line "Text n".
  void SetMessages(int count) {
    std::vector<qm::Cells> rows;
    messages.Texts().clear();
    for (int i = 1; i <= count; ++i) {
      rows.push_back({std::to_string(i), "Name " + std::to_string(i)});
      messages.Texts().push_back(qm::ToCommaText({"Text " + std::to_string(i)}));
    }
    messages.Grid().ReplaceDataRows(std::move(rows));
  }
  std::vector<std::string> LinesUtf8(int number) const {
    std::vector<std::string> out;
    for (const std::string& line : messages.LinesOf(number)) out.push_back(qm::Utf8(line));
    return out;
  }
};

TEST_F(MessageTransferTest, ThreeLinesGoOutAsFourHundredAndTwoBytes) {
  messages.SetTextOf(1, qm::ToCommaText({"Hello", qm::Win1251("Привет"), "x"}));
  Connect();
  dialogs.ExpectMessage("Записать текущее сообщение?", qm::kButtonYes, "Подтвердите")
      .ExpectMessage("Сообщение записано.", qm::kButtonOk, "Завершено");

  transfers.WriteMessagesClick(kCurrentRecord);

  const Bytes expected = Cat({HexBytes("01 00"), Ascii("Hello", 50), HexBytes("8F E0 A8 A2 A5 E2"),
                              Zeros(44), Ascii("x", 50), Zeros(250)});
  EXPECT_EQ(Received(qmsim::kCmdWriteMessage), std::vector<Bytes>{expected});
  EXPECT_EQ(view.messageSettled, 1);
  EXPECT_EQ(Panel(qm::kPanelActivity), "Done.");
  ExpectSettled(true);
}

TEST_F(MessageTransferTest, OnlyEightLinesOfFiftyCharactersTravel) {
  SetMessages(2);
  std::vector<std::string> ten;
  for (int i = 1; i <= 10; ++i) ten.push_back("L" + std::to_string(i));
  messages.SetTextOf(1, qm::ToCommaText(ten));
  messages.SetTextOf(2, qm::ToCommaText({std::string(60, 'z')}));
  // The check finds both (too many lines, a line too long); the operator goes on.
  dialogs.ExpectMessage("Записать все сообщения?", qm::kButtonYes)
      .ExpectMessage("Ошибок: 2,   Предупреждений: 0,   Продолжить?", qm::kButtonYes)
      .ExpectMessage("Сообщения записаны.", qm::kButtonOk, "Завершено");

  transfers.WriteMessagesClick(kWholeTable);

  const std::vector<Bytes> sent = Received(qmsim::kCmdWriteMessage);
  ASSERT_EQ(sent.size(), 2u);
  Bytes eight = HexBytes("01 00");
  for (int i = 1; i <= 8; ++i) eight = Cat({eight, Ascii("L" + std::to_string(i), 50)});
  EXPECT_EQ(sent[0], eight);
  EXPECT_EQ(sent[1], Cat({HexBytes("02 00"), Bytes(50, 'z'), Zeros(350)}));
  EXPECT_EQ(dialogs.Progress().front().title, "Запись таблицы сообщений...");
  EXPECT_EQ(dialogs.Progress().front().label, "Записано:");
  EXPECT_EQ(dialogs.Progress().front().a, 2);
  ExpectSettled(false);
}

TEST_F(MessageTransferTest, SingleReadLandsInTheCurrentRowUnderItsNumber) {
  SetMessages(3);
  messages.Grid().MoveToCell(qm::kMsgName, 2);
  scale.SetMessage(7, Cat({Ascii("Line one", 50), HexBytes("91 E2 E0 AE AA A0"), Zeros(44),
                           Zeros(50), Ascii("  end  \t", 50), Zeros(200)}));
  Connect();
  dialogs.ExpectInput("Введите номер сообщения:", "7");

  transfers.ReadMessageClick(kCurrentRecord);

  EXPECT_EQ(dialogs.lastInputDefault, "2");
  EXPECT_EQ(Received(qmsim::kCmdReadMessage), std::vector<Bytes>{HexBytes("07 00")});
  EXPECT_EQ(messages.Grid().DataRowCount(), 3);
  EXPECT_EQ(qm::Utf8(messages.Grid().Cell(qm::kMsgName, 2)), "Список 2");
  EXPECT_EQ(messages.Grid().Cell(qm::kMsgNo, 2), "2");
  EXPECT_EQ(LinesUtf8(2),
            (std::vector<std::string>{"Line one", "Строка", "", "  end", "", "", "", ""}));
  EXPECT_EQ(LinesUtf8(1), std::vector<std::string>{"Text 1"});
  EXPECT_EQ(LinesUtf8(3), std::vector<std::string>{"Text 3"});
  EXPECT_TRUE(flags.MessageTableModified());
  EXPECT_EQ(view.messageDirtyCleared, 1);
  EXPECT_EQ(view.messageSortResets, 0);
  EXPECT_EQ(view.pages.back(), qm::kMessagePage);
  EXPECT_EQ(Panel(qm::kPanelMsgCount), "3 MSG");
  ExpectSettled(true);
}

TEST_F(MessageTransferTest, TableReadFillsAFreshListWithoutGaps) {
  scale.SetMessage(1, Ascii("first", 400));
  scale.SetMessage(2, Ascii("second", 400));
  scale.SetMessage(4, Ascii("fourth", 400));
  dialogs.ExpectInput("Введите номер последнего сообщения:", "4")
      .ExpectMessage("Таблица сообщений считана.", qm::kButtonOk, "Завершено");

  transfers.ReadMessageClick(kWholeTable);

  const qm::TextGrid& grid = messages.Grid();
  ASSERT_EQ(grid.DataRowCount(), 3);
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(grid.Cell(qm::kMsgNo, row), std::to_string(row));
    EXPECT_EQ(qm::Utf8(grid.Cell(qm::kMsgName, row)), "Список " + std::to_string(row));
  }
  EXPECT_EQ(LinesUtf8(1)[0], "first");
  EXPECT_EQ(LinesUtf8(2)[0], "second");
  EXPECT_EQ(LinesUtf8(3)[0], "fourth");
  EXPECT_EQ(messages.Texts().size(), 3u);
  EXPECT_EQ(dialogs.Progress().front().title, "Чтение таблицы сообщений...");
  EXPECT_EQ(dialogs.Progress().front().label, "Считано:");
  EXPECT_EQ(dialogs.Progress().front().a, 4);
  EXPECT_EQ(dialogs.Progress().front().b, 1);
  EXPECT_EQ(view.messageSortResets, 1);
  EXPECT_EQ(Panel(qm::kPanelMsgCount), "3 MSG");
  ExpectSettled(false);
}

TEST_F(MessageTransferTest, AbsentAndRefusedMessagesAreNamed) {
  SetMessages(3);
  dialogs.ExpectInput("Введите номер сообщения:", "9")
      .ExpectMessage("Сообщение номер 9 отсутствует.", qm::kButtonOk, "Ошибка");
  transfers.ReadMessageClick(kCurrentRecord);
  EXPECT_FALSE(flags.MessageTableModified());
  ExpectSettled(false);

  qmsim::Faults faults;
  faults.refusedMessages = {2};
  scale.SetFaults(faults);
  dialogs.ExpectMessage("Записать все сообщения?", qm::kButtonYes)
      .ExpectMessage("Ошибка записи сообщения номер 2", qm::kButtonOk, "Ошибка");
  transfers.WriteMessagesClick(kWholeTable);
  EXPECT_TRUE(scale.Message(1).has_value());
  EXPECT_FALSE(scale.Message(3).has_value());
  EXPECT_EQ(messages.Grid().CurrentRow(), 2);
  EXPECT_EQ(view.pages.back(), qm::kMessagePage);
  ExpectSettled(false);
}

TEST_F(MessageTransferTest, AWriteAnsweredWithAnOddByteStops) {
  SetMessages(2);
  qmsim::Faults faults;
  faults.ackByte = 0x01;
  scale.SetFaults(faults);
  dialogs.ExpectMessage("Записать все сообщения?", qm::kButtonYes)
      .ExpectMessage("Ошибка записи сообщения номер 1: весы ответили 0x01.", qm::kButtonOk);

  transfers.WriteMessagesClick(kWholeTable);

  EXPECT_EQ(Received(qmsim::kCmdWriteMessage).size(), 1u);
  ExpectSettled(false);
}

TEST_F(MessageTransferTest, SingleWriteOfANumberWithoutTextSendsNothing) {
  // A list loaded from a file that named message 5 but held one text only.
  messages.Grid().SetCell(qm::kMsgNo, 1, "5");
  Connect();
  dialogs.ExpectMessage("Записать текущее сообщение?", qm::kButtonYes)
      .ExpectMessage("Нет текста сообщения номер 5: сообщение не записано.", qm::kButtonOk,
                     "Ошибка");

  transfers.WriteMessagesClick(kCurrentRecord);

  EXPECT_EQ(scale.CommandCount(qmsim::kCmdWriteMessage), 0u);
  EXPECT_EQ(Panel(qm::kPanelActivity), "Done.");
  ExpectSettled(true);
}

}  // namespace
}  // namespace qmtest
