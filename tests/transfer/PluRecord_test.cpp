#include "transfer/PluRecord.h"

#include <gtest/gtest.h>

#include <random>

#include "base/Cp1251.h"
#include "support/HexBytes.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace qm {
namespace {

using test::Hex;

std::string Zeros(std::size_t n) {
  return std::string(n, '\0');
}

Cells Row(std::initializer_list<std::pair<PluColumn, std::string>> cells) {
  Cells row(kPluColumnCount);
  for (const auto& [column, text] : cells) row[column] = text;
  return row;
}

// A read reply of zeros with `bytes` laid in at `offset`.
std::string Reply(std::size_t offset, const std::string& bytes) {
  std::string r = Zeros(kPluReadRecordSize);
  r.replace(offset, bytes.size(), bytes);
  return r;
}

TEST(PluRecordWrite, WholeRecordByteByByte) {
  const Cells row = Row({{kPluNo, "258"},
                         {kName1, Win1251("Молоко")},
                         {kName2, "2.5%"},
                         {kPrice, "12.50"},
                         {kShelfLife, "5"},
                         {kTare, "0.125"},
                         {kItemCode, "123"},
                         {kGroupCode, "1234567"},
                         {kMessageNo, "3"},
                         {kLogo, "0"},
                         {kSalesCount, "99"},
                         {kSalesAmount, "1.00"}});
  const std::string expected = Hex("02 01 00 00") +                    // PLU number
                               Hex("03 02 01 00 00 00") +              // item code 123
                               Hex("8C AE AB AE AA AE") + Zeros(22) +  // Молоко
                               Hex("32 2E 35 25") + Zeros(24) +        // 2.5%
                               Hex("E2 04 00 00") +                    // 12.50
                               Hex("00 00 05") +                       // 5 days
                               Hex("7D 00") +                          // 0.125 kg
                               Hex("07 06 05 04 03 02") +              // six low digits
                               Hex("03 00");                           // message 3
  ASSERT_EQ(expected.size(), 83u);
  EXPECT_EQ(EncodePluRecord(row), expected);
}

TEST(PluRecordWrite, LogoFormOfTheNameLines) {
  const std::string logoCell = Win1251("1 АЯ46");
  const std::string rec = EncodePluRecord(
      Row({{kName1, "Cheese"}, {kName2, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}, {kLogo, logoCell}}));
  ASSERT_EQ(rec.size(), 83u);
  EXPECT_EQ(rec.substr(10, 28), "Cheese" + Zeros(19) + Hex("01 9F 36"));           // ..00 01 Я 6
  EXPECT_EQ(rec.substr(38, 28), "ABCDEFGHIJKLMNOPQRSTUVWX" + Hex("00 01 80 34"));  // А 4

  // Digit only: the code bytes are 0x00; a non-digit logo number sends value 0.
  const std::string digitOnly = EncodePluRecord(Row({{kName1, "A"}, {kLogo, "2"}}));
  EXPECT_EQ(digitOnly.substr(10 + 24, 4), Hex("00 02 00 00"));
  EXPECT_EQ(digitOnly.substr(38 + 24, 4), Hex("00 02 00 00"));
  const std::string letter = EncodePluRecord(Row({{kLogo, "x 1234"}}));
  EXPECT_EQ(letter.substr(10 + 24, 4), Hex("00 00 32 34"));
  EXPECT_EQ(letter.substr(38 + 24, 4), Hex("00 00 31 33"));

  // No logo: "0..." and an empty cell leave all 28 bytes to the name.
  const std::string name28 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01";
  for (const char* noLogo : {"", "0", "0 AB12"}) {
    const std::string r = EncodePluRecord(Row({{kName1, name28 + "tail"}, {kLogo, noLogo}}));
    EXPECT_EQ(r.substr(10, 28), name28) << noLogo;
  }
}

TEST(PluRecordWrite, NumbersAndShelfLifeForms) {
  auto field = [](Cells row, std::size_t offset, std::size_t size) {
    return EncodePluRecord(row).substr(offset, size);
  };
  EXPECT_EQ(field(Row({{kPluNo, "12a"}}), 0, 4), Hex("00 00 00 00"));
  EXPECT_EQ(field(Row({{kMessageNo, " 70000 "}}), 81, 2), Hex("70 11"));
  EXPECT_EQ(field(Row({{kPrice, "-1.5"}}), 66, 4), Hex("6A FF FF FF"));
  EXPECT_EQ(field(Row({{kPrice, "abc"}}), 66, 4), Hex("00 00 00 00"));
  EXPECT_EQ(field(Row({{kTare, "70"}}), 73, 2), Hex("70 11"));
  EXPECT_EQ(field(Row({{kItemCode, ""}}), 4, 6), Zeros(6));

  struct Case {
    const char* cell;
    const char* bytes;
  };
  const Case shelf[] = {
      {"5", "00 00 05"},          {"30", "00 00 30"},
      {"365", "00 65 03"},        {"1000", "00 00 10"},
      {"0", "00 00 00"},          {"31.12.26", "31 12 26"},
      {"1.2.26", "01 02 26"},     {"31.12.2026", "31 12 20"},
      {"2147483647", "21 47 48"},  // the date marker never travels as a day count
      {"abc", "00 00 00"},        {"", "00 00 00"},
  };
  for (const Case& c : shelf) {
    EXPECT_EQ(field(Row({{kShelfLife, c.cell}}), 70, 3), Hex(c.bytes)) << c.cell;
  }
}

TEST(PluRecordRead, WholeRecordByteByByte) {
  const std::string reply = Hex("A0 0F 00 00") +                                // PLU 4000
                            Hex("03 02 01 00 00 00") +                          // item code 123
                            Hex("91 EB E0") + Zeros(21) + Hex("00 02 9F 36") +  // Сыр, logo
                            "Kg" + Zeros(22) + Hex("00 02 80 34") + Hex("40 E2 01 00") +  // 1234.56
                            Hex("31 12 26") +                                             // date
                            Hex("DC 05") +                                                // 1500 g
                            Hex("05 00 00 00 00 00") +                                    // group 5
                            Hex("0A 00") +        // message 10
                            Hex("45 30 12") +     // ss mm hh
                            Hex("01 02 25") +     // dd mm yy
                            Hex("39 30 00 00") +  // 123.45
                            Hex("E8 03 00 00") +  // 1 kg
                            Hex("40 42 0F");      // 1000000 sales
  ASSERT_EQ(reply.size(), 100u);

  const Cells raw = DecodePluRecord(reply);
  EXPECT_EQ(raw[kPrice], "123456");
  EXPECT_EQ(raw[kTare], "1500");
  EXPECT_EQ(raw[kName1], Win1251("Сыр") + Zeros(21));
  EXPECT_EQ(raw[kSalesAmount], "12345");

  const Cells expected = {"4000",
                          Win1251("Сыр"),
                          "Kg",
                          "1234.56",
                          "31.12.26",
                          "1.500",
                          "123",
                          "5",
                          "10",
                          Win1251("2 АЯ46"),
                          "01.02.25, 12:30:45",
                          "1000000",
                          "123.45",
                          "1.000"};
  EXPECT_EQ(PluRowFromReply(reply), expected);
}

// A reply becomes its display row in one pass; it must be exactly the raw decode put through
// the table's normalisation, whatever the bytes (names with and without the logo form, dates and
// counts of every width, replies cut short).
TEST(PluRecordRead, TheDisplayRowIsTheRawDecodeNormalised) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int i = 0; i < 3000; ++i) {
    std::string reply(kPluReadRecordSize - (i % 7 == 0 ? i % 60 : 0), '\0');
    for (char& c : reply) c = static_cast<char>(i % 3 == 0 ? byte(random) % 16 : byte(random));
    if (i % 2 == 0 && reply.size() > 66) {  // the logo form: both lines end in 0x00 and one number
      reply[10 + 24] = reply[38 + 24] = '\0';
      reply[38 + 25] = reply[10 + 25];
    }
    Cells expected = DecodePluRecord(reply);
    NormalizePluRow(expected, /*fromMinorUnits=*/true, /*salesNumeric=*/true);
    ASSERT_EQ(PluRowFromReply(reply), expected) << i;
  }
}

TEST(PluRecordRead, LogoRule) {
  // Logo number on line 1 only: not logo form.
  Cells row = PluRowFromReply(Reply(10 + 24, Hex("00 01")));
  EXPECT_EQ(row[kLogo], "0");
  // Logo digit without code: the zero code bytes are cut away.
  std::string r = Reply(10 + 24, Hex("00 01"));
  r.replace(38 + 24, 2, Hex("00 01"));
  EXPECT_EQ(PluRowFromReply(r)[kLogo], "1");

  // 28 characters without logo: byte 24 is not zero, so the whole line is the name.
  const std::string name28 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01";
  row = PluRowFromReply(Reply(10, name28));
  EXPECT_EQ(row[kName1], name28);
  EXPECT_EQ(row[kLogo], "0");

  // Logo bytes that differ between the lines are read as part of the names.
  std::string differ = Reply(10, "Name" + Zeros(20) + Hex("00 01 41 42"));
  differ.replace(38, 28, "Two" + Zeros(21) + Hex("00 02 43 44"));
  row = PluRowFromReply(differ);
  EXPECT_EQ(row[kName1], "Name");
  EXPECT_EQ(DecodePluRecord(differ)[kName1].size(), 28u);
  EXPECT_EQ(row[kLogo], "0");

  // Written and read back, the logo cell survives.
  const Cells written = Row({{kName1, "Cheese"}, {kName2, "Kg"}, {kLogo, Win1251("1 АЯ46")}});
  const Cells back = PluRowFromReply(EncodePluRecord(written));
  EXPECT_EQ(back[kLogo], Win1251("1 АЯ46"));
  EXPECT_EQ(back[kName1], "Cheese");
  EXPECT_EQ(back[kName2], "Kg");
}

TEST(PluRecordRead, ShelfLifeForms) {
  struct Case {
    const char* bytes;
    const char* raw;
    const char* cell;
  };
  const Case cases[] = {
      {"00 00 05", "5", "5"},        {"00 00 30", "30", "30"}, {"00 65 03", "6503", "6503"},
      {"00 03 65", "365", "365"},    {"00 00 00", "0", "0"},   {"31 12 26", "31.12.26", "31.12.26"},
      {"31 13 26", "31.13.26", "0"},  // a date the calendar lacks
      {"3A 12 26", "3A.12.26", "0"},
  };
  for (const Case& c : cases) {
    const std::string reply = Reply(70, Hex(c.bytes));
    EXPECT_EQ(DecodePluRecord(reply)[kShelfLife], c.raw) << c.bytes;
    EXPECT_EQ(PluRowFromReply(reply)[kShelfLife], c.cell) << c.bytes;
  }
}

TEST(PluRecordRead, ShortAndLongRepliesAreFitted) {
  const Cells empty = PluRowFromReply("");
  const Cells zeros = {"0", "",  "", "0", "0", "0", "0", "0", "0", "0", "00.00.00, 00:00:00",
                       "0", "0", "0"};
  EXPECT_EQ(empty, zeros);

  const Cells cut = PluRowFromReply(Hex("05 00 00 00 01 02"));
  EXPECT_EQ(cut[kPluNo], "5");
  EXPECT_EQ(cut[kItemCode], "21");
  EXPECT_EQ(cut[kLogo], "0");

  const std::string full = Reply(97, Hex("FF FF FF"));
  EXPECT_EQ(PluRowFromReply(full)[kSalesCount], "16777215");
  EXPECT_EQ(PluRowFromReply(full + "garbage"), PluRowFromReply(full));
}

}  // namespace
}  // namespace qm
