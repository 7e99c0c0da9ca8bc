#include "files/FileLayouts.h"
#include "files/Utf8Text.h"

#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "base/EventPump.h"
#include "base/ScaleParams.h"
#include "support/HexBytes.h"
#include "tables/CommaText.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace qm {
namespace {

using qm::test::Hex;

// Russian text of a test, as the file holds it.
std::string W(std::string_view utf8) {
  return Win1251(utf8);
}

TextGrid PluGrid(std::vector<Cells> rows) {
  TextGrid grid(kPluColumnCount);
  grid.SetTitles(PluColumnTitles());
  grid.ReplaceDataRows(std::move(rows));
  return grid;
}

Cells PluRow(std::initializer_list<const char*> utf8) {
  Cells row;
  for (const char* c : utf8) row.push_back(W(c));
  row.resize(kPluColumnCount);
  return row;
}

// The message table shown sorted by name: numbers 2, 3, 1 in display order.
MessageTable SortedMessages() {
  MessageTable t;
  t.Grid().ReplaceDataRows({{"2", W("Акция")}, {"3", W("Бонус")}, {"1", W("Яблоки")}});
  t.Texts() = {ToCommaText({"line one", "b"}), ToCommaText({"x y"}), ToCommaText({})};
  return t;
}

const char* const kTitlesSemicolon =
    "\"Товар №\";\"Наименование 1\";\"Наименование 2\";Цена;\"Срок хранения\";\"Вес тары\";Код;"
    "\"Код группы\";\"Сообщение №\";Логотип;\"Начало продаж\";Количество;Сумма;Вес\r\n";

TEST(PluCsvLayout, WrittenByteForByte) {
  const TextGrid grid = PluGrid({PluRow({"7", "  Хлеб \"Бородинский\"", "", "45.50", "05.01.26",
                                         "0.125", "12", "3", "0", "1 АБ12", "", "4", "182.00", ""}),
                                 PluRow({"8", "Сыр;твёрдый", "1,5 кг", "0", "7", "0"})});
  const std::string bytes = WritePluCsv(grid, ';');
  // The marker line as bytes: "Товары" in Windows-1251, the separator, CR LF.
  EXPECT_EQ(bytes.substr(0, 9), Hex("D2 EE E2 E0 F0 FB 3B 0D 0A"));
  EXPECT_EQ(bytes, W(std::string("Товары;\r\n") + kTitlesSemicolon +
                     "7;\"  Хлеб \"\"Бородинский\"\"\";;45.50;05.01.26;0.125;12;3;0;\"1 АБ12\";;4;"
                     "182.00;\r\n"
                     "8;\"Сыр;твёрдый\";\"1,5 кг\";0;7;0;;;;;;;;\r\n"));

  // With "," the comma fields are quoted instead of the semicolon ones.
  const std::string comma = WritePluCsv(PluGrid({PluRow({"8", "Сыр;твёрдый", "1,5"})}), ',');
  EXPECT_NE(comma.find(W("\r\n8,Сыр;твёрдый,\"1,5\",,,,,,,,,,,\r\n")), std::string::npos);
  EXPECT_TRUE(comma.starts_with(W("Товары,\r\n\"Товар №\",")));
}

TEST(PluCsvLayout, EmptyTableIsHeadersOnly) {
  TextGrid grid = PluGrid({});  // the one row the grid keeps, every cell empty
  EXPECT_EQ(StoredRowCount(grid), 0);
  EXPECT_EQ(WritePluCsv(grid, ';'), W(std::string("Товары;\r\n") + kTitlesSemicolon));
  EXPECT_EQ(WritePluNative(grid, nullptr), "");
  ResetPluTable(grid);
  EXPECT_EQ(StoredRowCount(grid), 1);
}

TEST(DataFileReading, EitherSeparatorLoadsWhateverTheSystemUses) {
  for (const char* file : {"Товары;\r\nT;i;t;l;e\r\n7; Хлеб ;\"a;b \"\"q\"\"\";1,5\r\n",
                           "Товары,\r\nT,i,t,l,e\r\n7, Хлеб ,\"a;b \"\"q\"\"\",\"1,5\"\r\n"}) {
    SCOPED_TRACE(file);
    const auto content = ParseDataFile(W(file));
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kind, DataFileKind::PluTable);
    ASSERT_EQ(content->rows.size(), 1u);
    EXPECT_EQ(content->rows[0], PluRow({"7", " Хлеб ", "a;b \"q\"", "1,5"}));
  }
}

TEST(DataFileReading, FieldCountsAndEmptyFields) {
  const auto content = ParseDataFile(
      W("Товары;\r\ntitles\r\n"
        "1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16\r\n"  // 16 fields: the last two dropped
        "1;2;3\r\n"                                   // 3 fields: the rest empty
        "5;;x;\r\n"                                   // empty fields, a final empty one
        "\r\n"));                                     // an empty line: an empty row
  ASSERT_TRUE(content);
  ASSERT_EQ(content->rows.size(), 4u);
  EXPECT_EQ(content->rows[0],
            PluRow({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14"}));
  EXPECT_EQ(content->rows[1], PluRow({"1", "2", "3"}));
  EXPECT_EQ(content->rows[2], PluRow({"5", "", "x", ""}));
  EXPECT_EQ(content->rows[3], PluRow({}));
}

TEST(DataFileReading, HeadersOnlyAndMalformedFiles) {
  const auto empty = ParseDataFile(W("Товары;\r\n\"Товар №\";Цена\r\n"));
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->rows.empty());

  // Cut short before the title line, no marker, a marker in another case or encoding, a NUL.
  EXPECT_FALSE(ParseDataFile(W("Товары;\r\n")));
  EXPECT_FALSE(ParseDataFile(W("Товары")));
  EXPECT_FALSE(ParseDataFile(""));
  EXPECT_FALSE(ParseDataFile(W("товары;\r\nx\r\n")));
  EXPECT_FALSE(ParseDataFile(W("Товары;\r\nx\r\n1;2") + std::string(1, '\0') + "\r\n"));
  EXPECT_FALSE(ParseDataFile(std::string(1 << 20, 'x') + "\r\n"));
}

// What spreadsheets make of the files: the marker in quotes, UTF-8 with or without a byte-order
// mark, other separators. All of them are one table row "7", "Хлеб".
TEST(DataFileReading, SpreadsheetFilesLoad) {
  const std::string bom(kUtf8Bom);
  struct Case {
    std::string bytes;
    char separator;
    bool utf8;
  };
  const Case cases[] = {
      {W("\"Товары\",,,\r\n\"T\",\"N\"\r\n7,\"Хлеб\",,\r\n"), ',', false},
      {W("\"Товары\";\n\"T\"\n7;Хлеб\n"), ';', false},
      {W("\"Товары\"\t\nT\n7\tХлеб\n"), '\t', false},
      {"Товары,\nT\n7,Хлеб\n", ',', true},  // UTF-8: the marker says so
      {bom + "Товары;\r\nT\r\n7;Хлеб\r\n", ';', true},
      {bom + "\"Товары\";;\r\nT\r\n7;\"Хлеб\"\r\n", ';', true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.bytes));
    const auto content = ParseDataFile(c.bytes);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kind, DataFileKind::PluTable);
    EXPECT_EQ(content->separator, c.separator);
    EXPECT_EQ(content->utf8, c.utf8);
    EXPECT_EQ(content->rows, std::vector<Cells>{PluRow({"7", "Хлеб"})});
    EXPECT_TRUE(content->unmapped.empty());
  }
  const auto messages = ParseDataFile(bom + "\"Сообщения\";\r\nN\r\n1;Яблоки;a\r\n");
  ASSERT_TRUE(messages);
  EXPECT_EQ(messages->kind, DataFileKind::MessageTable);
  EXPECT_EQ(messages->rows, std::vector<Cells>{(Cells{"1", W("Яблоки")})});
}

// With a tab (or a blank) as the separator every cell stays in its column: in a file the
// program wrote under such a list separator, and in a spreadsheet's tab-separated export with
// empty cells in the middle and at the end of a line and quoted cells.
TEST(DataFileReading, BlankSeparatorsKeepEveryCellInItsColumn) {
  const std::vector<Cells> rows = {
      PluRow({"1", "Молоко", "", "45.50", "5", "0", "1"}),
      PluRow({"", "", "Сыр \"Лёгкий\"\t2", "", "", "", "", "", "", "", "", "", "", "0.500"}),
      PluRow({"3"})};
  MessageTable messages;
  messages.Grid().ReplaceDataRows({{"1", W("Акция")}, {"2", ""}});
  messages.Texts() = {ToCommaText({"", W("вторая строка"), ""}), ToCommaText({"x"})};
  for (char separator : {'\t', ' '}) {
    SCOPED_TRACE(static_cast<int>(separator));
    const auto plu = ParseDataFile(WritePluCsv(PluGrid(rows), separator));
    ASSERT_TRUE(plu);
    EXPECT_EQ(plu->separator, separator);
    EXPECT_EQ(plu->rows, rows);
    const auto msg = ParseDataFile(WriteMessageCsv(messages, separator));
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->rows, (std::vector<Cells>{messages.Grid().Row(1), messages.Grid().Row(2)}));
    EXPECT_EQ(msg->texts, messages.Texts());
  }

  const auto exported =
      ParseDataFile(W("Товары\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n"
                      "Товар №\tНаименование 1\r\n"
                      "1\tМолоко\t\t45.50\t5\t0\t1\t\t\t\t\t\t\t\r\n"
                      "\t\t\"Сыр \"\"Лёгкий\"\"\t2\"\t\t\t\t\t\t\t\t\t\t\t0.500\r\n"
                      "3\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n"));
  ASSERT_TRUE(exported);
  EXPECT_EQ(exported->rows, rows);
}

TEST(DataFileReading, MalformedSpreadsheetFilesAreRefused) {
  const std::string bom(kUtf8Bom);
  const std::string utf16("\xFF\xFE\x22\x04\x3E\x04\x32\x04\x30\x04\x40\x04\x4B\x04;\0\r\0\n\0",
                          20);
  const std::string cases[] = {
      W("\"Товары\"\r\nT\r\n7\r\n"),   // a quoted marker without a separator
      W("\"Товары\""),                 // ... at the end of the file
      W("\"Товары\"\";\r\nT\r\n"),     // ... or a third quote
      W("\"Товары ;\r\nT\r\n"),        // the quote never closes the marker
      "Товары;\nT\n7;\xC3\x28\n",      // UTF-8 with a broken sequence
      "Товары;\nT\n7;\xE0\x80\xAF\n",  // an overlong "/"
      "Товары;\nT\n7;\xED\xA0\x80\n",  // a UTF-16 surrogate
      "Товары\xC2\xA0\nT\n",           // a UTF-8 separator above 0x7F
      bom + W("Товары;\r\nT\r\n"),     // a mark, then Windows-1251
      utf16,                           // UTF-16 with its byte-order mark
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(Utf8(bytes));
    EXPECT_FALSE(ParseDataFile(bytes));
  }
}

// A file refused for a fault on one line names it, the lines counted as the loader splits them:
// a UTF-8 file that is not well-formed (the line of its first bad byte), a quoted cell with a
// line break in it (the line where the cell opens). A Windows-1251 file has no UTF-8 fault, and
// quotes that close on their line are no fault.
TEST(DataFileReading, AFaultOnOneLineNamesTheLine) {
  using Kind = DataFileFault::Kind;
  const std::string bom(kUtf8Bom);
  struct Case {
    std::string bytes;
    Kind kind;
    int line;
  };
  const Case cases[] = {
      {"Товары;\r\nT\r\n7;\xD1\xE0\r\n", Kind::InvalidUtf8, 3},     // Windows-1251 letters
      {"Товары;\nT\n7;a\n8;\xE0\x80\xAF\n", Kind::InvalidUtf8, 4},  // an overlong "/"
      {"Товары;\rT\r7;\xED\xA0\x80\r", Kind::InvalidUtf8, 3},       // a surrogate, lone CRs
      {bom + "Сообщения;\r\n\xFF\r\n", Kind::InvalidUtf8, 2},       // a stray byte in the titles
      {"Товары;\nT\n\n7;\xD0", Kind::InvalidUtf8, 4},                 // a sequence cut short
      // A spreadsheet's cell with a line break: the rest of the cell is on the next line.
      {W("Товары;\r\nT\r\n1;\"Молоко\r\n3,2%\";;45.50\r\n2;Хлеб\r\n"), Kind::LineBreakInQuotes, 3},
      {W("Сообщения\t\r\nN\tM\r\n1\tA\t\"x\"\r\n2\tB\t\"a\"\"\r\nb\"\r\n"),
       Kind::LineBreakInQuotes, 4},
      {bom + "Товары,\nT\n7,\"Łódź\n", Kind::LineBreakInQuotes, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    DataFileFault fault;
    EXPECT_FALSE(ParseDataFile(c.bytes, &fault));
    EXPECT_EQ(fault.kind, c.kind);
    EXPECT_EQ(fault.line, c.line);
  }
  DataFileFault fault;
  EXPECT_TRUE(ParseDataFile(W("Товары;\r\nT\r\n7;\"a;\"\"b\"\"\";") + "\xFF\r\n", &fault));
  EXPECT_EQ(fault.kind, Kind::None);
}

TEST(DataFileReading, Utf8CellsAreConvertedAndUnmappedCharactersReported) {
  const auto plu = ParseDataFile(
      "Товары,\nT\n7,Хлеб «Ёлка» №1,Łódź,,,,,,,\"x\"\n8,,,,,,,,,,,,,,\xF0\x9F\x98\x80 beyond\n");
  ASSERT_TRUE(plu);
  ASSERT_EQ(plu->rows.size(), 2u);
  // «, Ё and № have their places in Windows-1251; Ł and ź do not; ó does not either.
  EXPECT_EQ(plu->rows[0], PluRow({"7", "Хлеб «Ёлка» №1", "??d?", "", "", "", "", "", "", "x"}));
  EXPECT_EQ(plu->unmapped, (std::vector<UnmappedCharacter>{
                               {1, kName2, 0x141}, {1, kName2, 0xF3}, {1, kName2, 0x17A}}));
  // The 15th field is dropped, its emoji with it.
  EXPECT_EQ(plu->rows[1], PluRow({"8"}));

  const auto messages = ParseDataFile("Сообщения;\nN\n1;Ω;a;\"b ✓\"\n2;Два\n");
  ASSERT_TRUE(messages);
  EXPECT_EQ(messages->rows[0], (Cells{"1", "?"}));
  EXPECT_EQ(messages->texts[0], "a,\"b ?\"");
  EXPECT_EQ(messages->unmapped,
            (std::vector<UnmappedCharacter>{{1, kMsgName, 0x3A9}, {1, 3, 0x2713}}));
  EXPECT_EQ(DataFileColumnTitle(DataFileKind::MessageTable, 3), W("Строка 2"));
  EXPECT_EQ(DataFileColumnTitle(DataFileKind::PluTable, kName2), W("Наименование 2"));
}

TEST(DataFileReading, SpreadsheetPaddingIsNoMessageText) {
  // A spreadsheet pads every line to the widest; the marker line shows it.
  const auto padded = ParseDataFile(W("Сообщения,,,\nN,M,L1,L2\n1,A,a,b\n2,B,,\n3,,c,\n"));
  ASSERT_TRUE(padded);
  EXPECT_EQ(padded->texts, (std::vector<std::string>{"a,b", "", "c"}));
  EXPECT_EQ(padded->rows[2], (Cells{"3", ""}));
  // Written by the program, an empty last line is the message's own.
  const auto own = ParseDataFile(W("Сообщения,\nN,M,L1,L2\n1,A,a,b\n2,B,,\n3,,c,\n"));
  ASSERT_TRUE(own);
  EXPECT_EQ(own->texts, (std::vector<std::string>{"a,b", ",", "c,"}));
}

TEST(DataFileReading, MessageTable) {
  const auto content =
      ParseDataFile(W("Сообщения,\r\n№,Название,Строка 1,Строка 2\r\n"
                      "1,Яблоки,\"line one\",b\r\n"
                      "2,\"Акция \"\"А\"\"\",\r\n"  // one empty line
                      "3,Бонус\r\n"));              // no lines
  ASSERT_TRUE(content);
  EXPECT_EQ(content->kind, DataFileKind::MessageTable);
  ASSERT_EQ(content->rows.size(), 3u);
  EXPECT_EQ(content->rows[1], (Cells{"2", W("Акция \"А\"")}));
  EXPECT_EQ(content->texts, (std::vector<std::string>{"\"line one\",b", "\"\"", ""}));
}

TEST(MessageCsvLayout, SortedTableSavesInNumberOrder) {
  EXPECT_EQ(WriteMessageCsv(SortedMessages(), ';'),
            W("Сообщения;\r\n№;Название;\"Строка 1\";\"Строка 2\"\r\n"
              "1;Яблоки;\"line one\";b\r\n"
              "2;Акция;\"x y\"\r\n"
              "3;Бонус\r\n"));
  // A fresh table: one message without lines, no line titles.
  EXPECT_EQ(WriteMessageCsv(MessageTable(), ','),
            W("Сообщения,\r\n№,Название\r\n1,\"Список 1\"\r\n"));
}

TEST(MessageCsvLayout, TextsWithoutAValidRowAreStillWritten) {
  MessageTable t;
  t.Grid().ReplaceDataRows({{"x", W("Первое")}, {"5", W("Пятое")}});
  t.Texts() = {"a", "b"};
  // "x" counts as 1; number 5 lies beyond the texts; text 2 has no row.
  EXPECT_EQ(WriteMessageCsv(t, ';'),
            W("Сообщения;\r\n№;Название;\"Строка 1\"\r\n1;Первое;a\r\n2;;b\r\n3;\r\n4;\r\n"
              "5;Пятое\r\n"));
}

TEST(MessageNativeLayout, WrittenInDisplayOrderWithTextsByNumber) {
  EXPECT_EQ(WriteMessageNative(SortedMessages()),
            W("\"line one\",b\r\n\"x y\"\r\n\r\n№,2,3,1\r\nНазвание,Акция,Бонус,Яблоки\r\n"));
}

TEST(MessageNativeLayout, ReadPairsTextsByNumber) {
  const auto content = ParseMessageNative(
      W("\"line one\",b\r\n\"x y\"\r\n\r\n№,2,3,1\r\nНазвание,Акция,,\"Яблоки 2\"\r\n"));
  ASSERT_TRUE(content);
  EXPECT_EQ(content->rows,
            (std::vector<Cells>{{"2", W("Акция")}, {"3", " "}, {"1", W("Яблоки 2")}}));
  EXPECT_EQ(content->texts, (std::vector<std::string>{"\"line one\",b", "\"x y\"", ""}));

  // Numbers missing or surplus: a missing one is a single space, a surplus one is dropped.
  const auto uneven = ParseMessageNative(W("a\r\nb\r\n№,1\r\nНазвание,X,Y\r\n"));
  ASSERT_TRUE(uneven);
  EXPECT_EQ(uneven->rows, (std::vector<Cells>{{"1", "X"}, {" ", "Y"}}));
  const auto surplus = ParseMessageNative(W("№,1,2,3\nНазвание,X\n"));
  ASSERT_TRUE(surplus);
  EXPECT_EQ(surplus->rows, (std::vector<Cells>{{"1", "X"}}));
  EXPECT_TRUE(surplus->texts.empty());

  EXPECT_FALSE(ParseMessageNative(""));
  EXPECT_FALSE(ParseMessageNative(W("Название,X\r\n")));
  EXPECT_FALSE(ParseMessageNative(std::string("a\0b\r\n\xB9,1\r\nN,X\r\n", 15)));
}

struct CountingPump : EventPump {
  void ProcessPendingEvents() override { ADD_FAILURE() << "a load must not wait for events"; }
  void ProcessQueuedEvents() override { ++calls; }
  int calls = 0;
};

TEST(PluNativeLayout, ReadKopecksAndGrams) {
  const std::string file =
      W("7\r\nХлеб\r\n\r\n4550\r\n5\r\n125\r\n12\r\n3\r\n0\r\n"
        "8\r\n  Молоко  \r\nx\r\n4\r550\r\n31/12/25\r\n1500\r\n");  // cut short, a lone CR
  const auto rows = ParsePluNative(file, nullptr);
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->size(), 2u);
  EXPECT_EQ((*rows)[0], PluRow({"7", "Хлеб", "", "45.50", "5", "0.125", "12", "3", "0"}));
  // The missing ItemCode, GroupCode and MessageNo are normalised like empty cells.
  EXPECT_EQ((*rows)[1],
            PluRow({"8", "  Молоко", "x", "45.50", "31.12.25", "1.500", "0", "0", "0"}));
}

TEST(PluNativeLayout, EndOfFileByteEmptyFileAndBinary) {
  auto rows = ParsePluNative(std::string("1\r\nA\r\n\r\n100\r\n\x1A") + '\0' + "junk", nullptr);
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->size(), 1u);
  EXPECT_EQ((*rows)[0][kPrice], "1.00");
  rows = ParsePluNative("", nullptr);
  ASSERT_TRUE(rows);
  EXPECT_TRUE(rows->empty());
  EXPECT_FALSE(ParsePluNative(std::string("1\r\n\0\r\n", 6), nullptr));
}

TEST(PluNativeLayout, WrittenInMinorUnitsAndEventsEvery16Rows) {
  TextGrid grid = PluGrid({PluRow({"7", "Хлеб", "", "45.50", "05.01.26", "0.125", "12", "3", "0",
                                   "1 АБ", "01.01.26, 10:00:00", "4", "182.00", "1.000"}),
                           PluRow({"8", "", "", "abc", "0", "", "0", "0", "2"})});
  EXPECT_EQ(WritePluNative(grid, nullptr),
            W("7\r\nХлеб\r\n\r\n4550\r\n05.01.26\r\n125\r\n12\r\n3\r\n0\r\n"
              "8\r\n\r\n\r\n0\r\n0\r\n0\r\n0\r\n0\r\n2\r\n"));

  std::vector<Cells> many(40, PluRow({"1"}));
  grid.ReplaceDataRows(many);
  CountingPump pump;
  WritePluNative(grid, &pump);
  EXPECT_EQ(pump.calls, 2);
  pump.calls = 0;
  ParsePluNative(WritePluNative(grid, nullptr), &pump);
  EXPECT_EQ(pump.calls, 2);
}

TEST(PluNativeLayout, SaveAndLoadKeepPricesAndTaresExactly) {
  std::vector<Cells> rows;
  for (int i = 0; i < 2000; ++i) {
    Cells row = PluRow({"1", "N", "M", "", "3", "", "1", "2", "0", "1 X", "s", "1", "2", "3"});
    row[kPluNo] = std::to_string(i + 1);
    row[kPrice] = std::to_string(i * 37 + 1);
    row[kPrice].insert(row[kPrice].size() - (row[kPrice].size() > 2 ? 2 : 0), ".");
    row[kTare] = std::to_string(i * 3 % 1000 + 1000);
    row[kTare].insert(1, ".");
    NormalizePluRow(row, false, false);
    rows.push_back(row);
  }
  const auto loaded = ParsePluNative(WritePluNative(PluGrid(rows), nullptr), nullptr);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(loaded->size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    Cells expected = rows[i];
    for (int c = kLogo; c < kPluColumnCount; ++c) expected[c].clear();  // not kept
    ASSERT_EQ((*loaded)[i], expected) << "row " << i;
  }
}

// A name read from the scale may hold any byte. What a layout can carry comes back as it went
// in; a byte that would cut a row, end the file or read back as another byte is written as a
// blank and reported, and the file keeps its one row.
TEST(ControlBytesInCells, ComeBackOrAreReplacedAndReported) {
  struct Case {
    char byte;
    bool csv, plw, msw;  // carried by the CSV files, the .plw file, the .msw file
  };
  const Case cases[] = {
      {'\n', false, false, false}, {'\r', false, false, false}, {'\0', false, false, false},
      {'\x1A', true, false, true}, {'\x7F', false, true, true}, {'\x01', true, true, true},
      {'\t', true, true, true},    {'\xFF', true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c.byte)));
    const std::string cell = std::string("A") + c.byte + "B";
    auto expected = [&](bool carried) { return carried ? cell : std::string("A B"); };
    auto reported = [&](bool carried, int row, int column) {
      return carried ? std::vector<ReplacedByte>{}
                     : std::vector<ReplacedByte>{{row, column, static_cast<unsigned char>(c.byte)}};
    };
    TextGrid plu = PluGrid({PluRow({"1", "", "", "1.00"})});
    plu.SetCell(kName2, 1, cell);
    std::vector<ReplacedByte> replaced;
    const auto csv = ParseDataFile(WritePluCsv(plu, ';', &replaced));
    ASSERT_TRUE(csv);
    ASSERT_EQ(csv->rows.size(), 1u);
    EXPECT_EQ(csv->rows[0][kName2], expected(c.csv));
    EXPECT_EQ(replaced, reported(c.csv, 1, kName2));
    replaced.clear();
    const auto plw = ParsePluNative(WritePluNative(plu, nullptr, &replaced), nullptr);
    ASSERT_EQ(plw->size(), 1u);
    EXPECT_EQ((*plw)[0][kName2], expected(c.plw));
    EXPECT_EQ(replaced, reported(c.plw, 1, kName2));

    MessageTable messages;
    messages.Grid().SetCell(kMsgName, 1, cell);
    messages.Texts() = {ToCommaText({"x", cell})};
    replaced.clear();
    const auto mcsv = ParseDataFile(WriteMessageCsv(messages, ';', &replaced));
    ASSERT_TRUE(mcsv);
    ASSERT_EQ(mcsv->rows.size(), 1u);
    EXPECT_EQ(mcsv->rows[0][kMsgName], expected(c.csv));
    EXPECT_EQ(FromCommaText(mcsv->texts[0]), (std::vector<std::string>{"x", expected(c.csv)}));
    EXPECT_EQ(replaced.size(), c.csv ? 0u : 2u);
    replaced.clear();
    const auto msw = ParseMessageNative(WriteMessageNative(messages, &replaced));
    ASSERT_TRUE(msw);
    ASSERT_EQ(msw->rows.size(), 1u);
    EXPECT_EQ(msw->rows[0][kMsgName], expected(c.msw));
    ASSERT_EQ(msw->texts.size(), 1u);
    EXPECT_EQ(FromCommaText(msw->texts[0]), (std::vector<std::string>{"x", expected(c.msw)}));
    EXPECT_EQ(replaced.size(), c.msw ? 0u : 2u);
  }
}

TEST(MessageNumbers, AboveWhatAnyScaleHoldsAreFound) {
  EXPECT_FALSE(FindMessageNumberBeyondLimit({{"1", "a"}, {"1000", "b"}, {"x", ""}, {}}));
  const auto beyond = FindMessageNumberBeyondLimit({{"1", "a"}, {" 1001 ", "b"}, {"2000000000"}});
  ASSERT_TRUE(beyond);
  EXPECT_EQ(beyond->row, 2);
  EXPECT_EQ(beyond->number, 1001);
  // The bound is the largest message table of any model.
  int most = 0;
  for (int version : {200, 600, 1000, 4000})
    most = std::max<int>(most, BuildScaleParams(15, version).MaxMessages);
  EXPECT_EQ(most, kMaxMessageNumber);
}

TEST(TotalsReport, ElevenLines) {
  TotalsPage page{W("Общий итог продаж с 01.12.26, 08:30:00"),
                  "123.45",
                  "1.000",
                  "17",
                  "100.00",
                  "0.500",
                  "12",
                  "3990",
                  "198",
                  "250",
                  "1500\r\nsecond line"};
  EXPECT_EQ(WriteTotalsReport(page, {{2026, 3, 5}, 9, 7, 3}),
            W("Общий итог продаж с 01.12.26, 08:30:00 по 05.03.26, 09:07:03\r\n"
              "Общая сумма: 123.45 руб.\r\n"
              "Общий вес: 1.000 кг.\r\n"
              "Количество продаж: 17\r\n"
              "Сумма по всем PLU: 100.00 руб.\r\n"
              "Вес по всем PLU: 0.500 кг.\r\n"
              "Продаж по всем PLU: 12\r\n"
              "Свободных PLU: 3990\r\n"
              "Свободных сообщений: 198\r\n"
              "Израсходовано этикеток: 250\r\n"
              "Общий пробег: 1500 мм.\r\n"));
}

}  // namespace
}  // namespace qm
