#include "tables/Validation.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/CheckFlow.h"
#include "base/Cp1251.h"
#include "support/ScriptedDialogs.h"
#include "tables/CommaText.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

using V = std::vector<std::string>;

// Logs what a run asks the window to do, in order.
class LoggingView : public ValidationView {
 public:
  void ShowPluPage() override { log.push_back("plu page"); }
  void SelectPluCell(int column, int row) override {
    log.push_back("cell " + std::to_string(column) + "," + std::to_string(row));
  }
  void FocusPluField(int column) override { log.push_back("field " + std::to_string(column)); }
  void ShowMessagePage() override { log.push_back("msg page"); }
  bool SelectMessage(int number) override {
    log.push_back("message " + std::to_string(number));
    return true;
  }
  void FocusMessageText() override { log.push_back("msg text"); }
  V log;
};

// A row that passes on every model used here (6 kg: tare division 0.002).
Cells GoodRow(int pluNo) {
  Cells row(kPluColumnCount);
  row[kPluNo] = std::to_string(pluNo);
  row[kName1] = "Cheese";
  row[kPrice] = "12.50";
  row[kShelfLife] = "30";
  row[kTare] = "0.010";
  row[kItemCode] = "123";
  row[kGroupCode] = "1";
  row[kMessageNo] = "0";
  return row;
}

std::string Lines(int count, std::size_t width) {
  return ToCommaText(V(static_cast<std::size_t>(count), std::string(width, 'x')));
}

struct ValidationTest : ::testing::Test {
  ValidationTest() { plu.SetTitles(PluColumnTitles()); }
  ~ValidationTest() override { SetTodayForTesting(std::nullopt); }

  void SetRows(const std::vector<Cells>& rows) { plu.ReplaceDataRows(rows); }
  // One row: the good row with some cells replaced.
  void SetRow(std::initializer_list<std::pair<int, const char*>> cells, int pluNo = 1) {
    Cells row = GoodRow(pluNo);
    for (auto [column, text] : cells) row[static_cast<std::size_t>(column)] = Win1251(text);
    SetRows({row});
  }
  void SetMessages(const V& texts) {
    msgs.Grid().SetRowCount(static_cast<int>(texts.size()) + 1);
    for (int i = 0; i < static_cast<int>(texts.size()); ++i) {
      msgs.Grid().SetCell(kMsgNo, i + 1, std::to_string(i + 1));
    }
    msgs.Texts() = texts;
  }

  void Error(std::string text) { dialogs.ExpectMessage(std::move(text), kButtonOk, "Ошибка"); }
  void Warning(std::string text) {
    dialogs.ExpectMessage(std::move(text), kButtonOk, "Предупреждение");
  }

  ValidationResult Run(ValidationOptions options) {
    return CheckInteractively(options, plu, msgs, limits, dialogs, view);
  }
  ValidationResult CheckPlu() { return Run({.checkPlu = true}); }
  ValidationResult CheckMessages() { return Run({.checkMessages = true}); }

  TextGrid plu{kPluColumnCount};
  MessageTable msgs;
  TScaleParams limits = BuildScaleParams(6, 200);
  qmtest::ScriptedDialogs dialogs;
  LoggingView view;
};

TEST_F(ValidationTest, OversizedTableReportsTheSizeFirstThenExaminesTheFirstRowInFull) {
  std::vector<Cells> rows;
  for (int i = 1; i <= 201; ++i) rows.push_back(GoodRow(i));
  rows[0][kPluNo] = "0";
  SetRows(rows);
  Error("Количество записей в таблице больше допустимого числа товаров (200).");
  Error("Неправильный номер товара.");
  Error("Номер товара больше максимально допустимого (200).");
  const ValidationResult r = CheckPlu();
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(3, r.errors);
  EXPECT_EQ(0, r.warnings);
  EXPECT_EQ((V{"plu page", "cell 0,1", "field 0", "plu page", "cell 0,1", "field 0", "plu page",
               "cell 0,201", "field 0"}),
            view.log);
  const qmtest::ShownBox& box = dialogs.Shown().at(0);
  EXPECT_EQ(DialogIcon::Error, box.icon);
  EXPECT_EQ(kButtonOk | kButtonCancel, box.buttons);
  EXPECT_EQ(kButtonCancel, box.defaultButton);
}

TEST_F(ValidationTest, OnlyLaterRowsWithAnAlreadySeenNumberAreDuplicates) {
  std::vector<Cells> rows{GoodRow(5),   GoodRow(7),   GoodRow(5), GoodRow(200),
                          GoodRow(200), GoodRow(201), GoodRow(7)};
  rows[2][kPrice] = "abc";  // the duplicate's other columns are still examined
  rows[5][kPluNo] = "201";  // out of range: marks nothing
  SetRows(rows);
  Error("Повторяющийся номер товара.");
  Error("Неправильная цена товара.");
  Error("Повторяющийся номер товара.");
  Error("Номер товара больше максимально допустимого (200).");
  Error("Повторяющийся номер товара.");
  EXPECT_EQ(5, CheckPlu().errors);
  EXPECT_EQ((V{"plu page", "cell 0,3", "field 0", "plu page", "cell 3,3", "field 3", "plu page",
               "cell 0,5", "field 0", "plu page", "cell 0,6", "field 0", "plu page", "cell 0,7",
               "field 0"}),
            view.log);
}

TEST_F(ValidationTest, FirstNameLimitDependsOnTheLogoAndCountsCharactersNotBytes) {
  limits = BuildScaleParams(15, 4000);                // NameLen 28, NameLenWithLogo 24
  const char* name26 = "Сыр российский весовой 45%";  // 26 characters
  ASSERT_EQ(26u, Win1251(name26).size());
  SetRow({{kName1, name26}, {kName2, name26}, {kLogo, "1 AB"}});
  Error("Длина строки наименования больше максимально допустимой (24).");
  EXPECT_EQ(1, CheckPlu().errors);

  for (const char* logo : {"0", "", "0 AB"}) {
    SetRow({{kName1, name26}, {kName2, name26}, {kLogo, logo}});
    EXPECT_EQ(0, CheckPlu().errors) << logo;
  }
  SetRow({{kName1, "12345678901234567890123456789"}, {kName2, "12345678901234567890123456789"}});
  Error("Длина строки наименования больше максимально допустимой (28).");
  Error("Длина строки наименования больше максимально допустимой (28).");
  EXPECT_EQ(2, CheckPlu().errors);
}

TEST_F(ValidationTest, PriceMustBeADotDecimalWithinTheLimit) {
  for (const char* ok : {"9999.99", "0", "0.5", " 12.50 "}) {
    SetRow({{kPrice, ok}});
    EXPECT_EQ(0, CheckPlu().errors) << ok;
  }
  SetRow({{kPrice, "10000"}});
  Error("Цена товара больше максимально допустимой (9999.99).");
  EXPECT_EQ(1, CheckPlu().errors);
  for (const char* bad : {"12,50", "-1", "", "1e3"}) {
    SetRow({{kPrice, bad}});
    Error("Неправильная цена товара.");
    EXPECT_EQ(1, CheckPlu().errors) << bad;
  }
}

TEST_F(ValidationTest, ShelfLifeDaysAgainstTheModelAndDatesAgainstToday) {
  SetTodayForTesting(Date{2025, 3, 15});
  SetRow({{kShelfLife, "366"}});
  EXPECT_EQ(0, CheckPlu().errors);
  limits = BuildScaleParams(6, 4000);  // MaxShelfLife 365
  Error("Срок хранения больше максимально допустимого (365).");
  EXPECT_EQ(1, CheckPlu().errors);

  for (const char* ok : {"15.03.25", "15/03/2025", "16.03.25"}) {
    SetRow({{kShelfLife, ok}});
    EXPECT_EQ(0, CheckPlu().errors) << ok;
  }
  for (const char* old : {"14.03.25", "14/03/25"}) {
    SetRow({{kShelfLife, old}});
    Error("Товар просрочен.");
    EXPECT_EQ(1, CheckPlu().errors) << old;
  }
  for (const char* bad : {"-3", "abc", "31.02.25", ""}) {
    SetRow({{kShelfLife, bad}});
    Error("Неправильный срок хранения.");
    EXPECT_EQ(1, CheckPlu().errors) << bad;
  }
}

TEST_F(ValidationTest, TareLimitAndWholeMultiplesOfTheDivision) {
  // 6 kg: MaxTare 2.99, division 0.002.
  for (const char* ok : {"2.99", "0", "0.002", "1.234"}) {
    SetRow({{kTare, ok}});
    EXPECT_EQ(0, CheckPlu().errors) << ok;
  }
  SetRows({GoodRow(1), GoodRow(2)});
  Error("Вес тары не кратен дискретности весов (0.002).");
  plu.SetCell(kTare, 2, "3.5");
  plu.SetCell(kTare, 1, "0.005");
  Error("Вес тары больше максимально допустимого (2.990).");
  EXPECT_EQ(2, CheckPlu().errors);

  limits = BuildScaleParams(30, 200);  // division 0.01
  SetRow({{kTare, "0.070"}});
  EXPECT_EQ(0, CheckPlu().errors);
  SetRow({{kTare, "0.075"}});
  Error("Вес тары не кратен дискретности весов (0.010).");
  EXPECT_EQ(1, CheckPlu().errors);
  for (const char* bad : {"-0.01", "0,070", "x"}) {
    SetRow({{kTare, bad}});
    Error("Неправильный вес тары.");
    EXPECT_EQ(1, CheckPlu().errors) << bad;
  }

  // An unknown model has no tare at all and no division: any positive tare is over the limit.
  limits = BuildScaleParams(20, 200);
  SetRow({{kTare, "0.001"}});
  Error("Вес тары больше максимально допустимого (0).");
  EXPECT_EQ(1, CheckPlu().errors);
  SetRow({{kTare, "0"}});
  EXPECT_EQ(0, CheckPlu().errors);
}

TEST_F(ValidationTest, ClearedRowGivesSevenErrorsInColumnOrder) {
  SetRows({Cells(kPluColumnCount)});
  Error("Неправильный номер товара.");
  Error("Неправильная цена товара.");
  Error("Неправильный срок хранения.");
  Error("Неправильный вес тары.");
  Error("Неправильный код товара.");
  Error("Неправильный групповой код.");
  Error("Неправильный номер сообщения.");
  EXPECT_EQ(7, CheckPlu().errors);
  EXPECT_EQ((V{"plu page", "cell 0,1", "field 0",  "plu page", "cell 3,1", "field 3",  "plu page",
               "cell 4,1", "field 4",  "plu page", "cell 5,1", "field 5",  "plu page", "cell 6,1",
               "field 6",  "plu page", "cell 7,1", "field 7",  "plu page", "cell 8,1", "field 8"}),
            view.log);
}

TEST_F(ValidationTest, CodeLimits) {
  SetRow({{kItemCode, "1000000"}, {kGroupCode, "100"}, {kMessageNo, "201"}});
  Error("Код товара больше максимально допустимого (999999).");
  Error("Групповой код больше максимально допустимого (99).");
  Error("Номер сообщения больше максимально допустимого (200).");
  EXPECT_EQ(3, CheckPlu().errors);
  SetRow({{kItemCode, "-1"}, {kGroupCode, "1.0"}, {kMessageNo, "-1"}});
  Error("Неправильный код товара.");
  Error("Неправильный групповой код.");
  Error("Неправильный номер сообщения.");
  EXPECT_EQ(3, CheckPlu().errors);
  SetRow({{kItemCode, "999999"}, {kGroupCode, "99"}, {kMessageNo, "1"}});
  EXPECT_EQ(0, CheckPlu().errors);
}

TEST_F(ValidationTest, MessageNumberBeyondTheTableIsAWarningAndCancelIsTheDefault) {
  SetMessages({"", ""});
  SetRows({GoodRow(1), GoodRow(2)});
  plu.SetCell(kMessageNo, 1, "2");
  plu.SetCell(kMessageNo, 2, "3");
  plu.SetCell(kPrice, 2, "x");
  dialogs.ExpectMessage("Неправильная цена товара.", kButtonOk, "Ошибка");
  dialogs.ExpectMessage("Номер сообщения больше количества сообщений (2).", kButtonCancel,
                        "Предупреждение");
  const ValidationResult r = CheckPlu();
  EXPECT_FALSE(r.completed);
  EXPECT_EQ(1, r.errors);
  EXPECT_EQ(1, r.warnings);
  const qmtest::ShownBox& box = dialogs.Shown().at(1);
  EXPECT_EQ(DialogIcon::Warning, box.icon);
  EXPECT_EQ(kButtonCancel, box.defaultButton);
}

TEST_F(ValidationTest, MessageLineLengthAndLineCountMakeOneFindingPerMessage) {
  // 200 PLU: MsgLines 8, MsgLineLen 50.
  V both = V(9, "line");
  both[4] = std::string(51, 'x');
  SetMessages({Lines(8, 50), ToCommaText(both), Lines(9, 5), Lines(1, 51), ""});
  Error(
      "Длина строки сообщения больше максимально допустимой (50).\r\n\r\n"
      "Число строк в сообщении больше максимально допустимого (8).");
  Error("Число строк в сообщении больше максимально допустимого (8).");
  Error("Длина строки сообщения больше максимально допустимой (50).");
  const ValidationResult r = CheckMessages();
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(3, r.errors);
  EXPECT_EQ((V{"msg page", "message 2", "msg text", "msg page", "message 3", "msg text", "msg page",
               "message 4", "msg text"}),
            view.log);
}

TEST_F(ValidationTest, MessageTableSizeAndTheModelWithoutMessages) {
  SetMessages(V(201, ""));
  Error("Количество сообщений больше максимально допустимого (200).");
  EXPECT_EQ(1, CheckMessages().errors);
  EXPECT_EQ((V{"msg page", "msg text"}), view.log);  // no message to select

  // 1000 PLU: no messages at all, but the fresh table's single empty message passes.
  limits = BuildScaleParams(15, 1000);
  msgs.Reset();
  SetRow({{kMessageNo, "1"}});
  Error("Номер сообщения больше максимально допустимого (0).");
  const ValidationResult r = Run({.checkPlu = true, .checkMessages = true});
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(1, r.errors);

  msgs.SetTextOf(1, "Hello");
  Error("Количество сообщений больше максимально допустимого (0).");
  Error("Число строк в сообщении больше максимально допустимого (0).");
  EXPECT_EQ(2, CheckMessages().errors);
}

TEST_F(ValidationTest, CancelStopsTheWholeRun) {
  SetRows({GoodRow(1), GoodRow(2)});
  plu.SetCell(kPrice, 1, "x");
  plu.SetCell(kPrice, 2, "x");
  SetMessages({Lines(9, 1)});
  dialogs.ExpectMessage("Неправильная цена товара.", kButtonCancel, "Ошибка");
  const ValidationResult r = Run({.checkPlu = true, .checkMessages = true});
  EXPECT_FALSE(r.completed);
  EXPECT_EQ(1, r.errors);

  plu.SetCell(kPrice, 1, "1");
  plu.SetCell(kPrice, 2, "1");
  dialogs.ExpectMessage("Число строк в сообщении больше максимально допустимого (8).",
                        kButtonCancel, "Ошибка");
  EXPECT_FALSE(Run({.checkPlu = true, .checkMessages = true}).completed);
}

TEST_F(ValidationTest, SilentRunCountsOnly) {
  std::vector<Cells> rows(3, Cells(kPluColumnCount));
  rows[1] = GoodRow(1);
  rows[2] = GoodRow(1);
  rows[2][kMessageNo] = "2";
  SetRows(rows);
  SetMessages({Lines(9, 60)});
  const ValidationResult r = ValidateData({.checkPlu = true, .checkMessages = true, .silent = true},
                                          plu, msgs, limits, nullptr, nullptr);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(7 + 1 + 1, r.errors);  // the cleared row, the duplicate, the message
  EXPECT_EQ(1, r.warnings);
  EXPECT_TRUE(dialogs.Shown().empty());
  EXPECT_TRUE(view.log.empty());
}

TEST_F(ValidationTest, CurrentOnlyChecksOneRowAndOneMessageWithoutSizeChecks) {
  std::vector<Cells> rows;
  for (int i = 1; i <= 201; ++i) rows.push_back(GoodRow(i % 3 + 1));  // many duplicates too
  rows[4][kPrice] = "x";
  SetRows(rows);
  plu.MoveToCell(2, 5);
  V texts(201, "");
  texts[6] = Lines(9, 1);
  texts[7] = Lines(10, 1);
  SetMessages(texts);
  msgs.Grid().MoveToCell(kMsgName, 7);
  Error("Неправильная цена товара.");
  Error("Число строк в сообщении больше максимально допустимого (8).");
  const ValidationResult r = Run({.checkPlu = true, .checkMessages = true, .currentOnly = true});
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(2, r.errors);
  EXPECT_EQ((V{"plu page", "cell 3,5", "field 3", "msg page", "message 7", "msg text"}), view.log);
}

TEST_F(ValidationTest, ShortRowsAndOddCellsNeverThrow) {
  Cells shortRow{"1", "Name"};
  Cells nuls(kPluColumnCount, std::string("1\0"
                                          "2",
                                          3));
  Cells huge(kPluColumnCount, std::string(400, '9'));
  SetRows({shortRow, nuls, huge});
  const ValidationResult r =
      ValidateData({.checkPlu = true, .silent = true}, plu, msgs, limits, nullptr, nullptr);
  EXPECT_TRUE(r.completed);
  // Six empty cells; a number cut by a NUL (only the shelf life reads up to it), and with that
  // logo digit a first-name limit of 0; every column of the over-long numbers.
  EXPECT_EQ(6 + 7 + 9, r.errors);
}

// The findings list: every finding in run order with the place the window points at.
TEST_F(ValidationTest, FindAllListsEveryFindingWithItsPlace) {
  using Row = std::tuple<FindingTable, int, int, FindingKind, std::string>;
  auto list = [&](ValidationOptions options) {
    const FindingList found = FindAll(options, plu, msgs, limits);
    std::vector<Row> rows;
    for (const DataFinding& f : found.findings)
      rows.emplace_back(f.table, f.row, f.column, f.kind, Utf8(f.text));
    EXPECT_EQ(found.errors + found.warnings, static_cast<int>(rows.size()));
    return rows;
  };
  constexpr auto P = FindingTable::Plu, M = FindingTable::Messages;
  constexpr auto E = FindingKind::Error, W = FindingKind::Warning;
  SetMessages({"", Lines(9, 1)});
  std::vector<Cells> rows{GoodRow(1), GoodRow(1), GoodRow(2)};
  rows[1][kPrice] = "x";
  rows[2][kMessageNo] = "3";
  SetRows(rows);
  EXPECT_EQ(
      list({.checkPlu = true, .checkMessages = true}),
      (std::vector<Row>{
          {P, 2, kPluNo, E, "Повторяющийся номер товара."},
          {P, 2, kPrice, E, "Неправильная цена товара."},
          {P, 3, kMessageNo, W, "Номер сообщения больше количества сообщений (2)."},
          {M, 2, kSizeFinding, E, "Число строк в сообщении больше максимально допустимого (8)."},
      }));

  // The sizes: the PLU table's at the first row, the message table's at no message.
  SetRows({GoodRow(1), GoodRow(2)});
  SetMessages({"", ""});
  limits.MaxPluNo = 1;
  limits.MaxMessages = 1;
  EXPECT_EQ(list({.checkPlu = true, .checkMessages = true}),
            (std::vector<Row>{
                {P, 1, kSizeFinding, E,
                 "Количество записей в таблице больше допустимого числа товаров (1)."},
                {P, 2, kPluNo, E, "Номер товара больше максимально допустимого (1)."},
                {M, 0, kSizeFinding, E, "Количество сообщений больше максимально допустимого (1)."},
            }));
  EXPECT_TRUE(dialogs.Shown().empty());
  EXPECT_TRUE(view.log.empty());
}

}  // namespace
}  // namespace qm
