#include "tables/PluTable.h"

#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

std::string One(PluColumn column, std::string text, bool fromMinorUnits = false) {
  Cells row(kPluColumnCount);
  row[column] = std::move(text);
  NormalizePluRow(row, fromMinorUnits, false);
  return row[column];
}

TEST(PluTable, FreshTableAndClear) {
  TextGrid table(kPluColumnCount);
  table.SetRowCount(5);
  table.SetCell(kName1, 3, "x");
  ResetPluTable(table);
  ASSERT_EQ(table.RowCount(), 2);
  EXPECT_EQ(table.Row(0), PluColumnTitles());
  Cells fresh(kPluColumnCount);
  fresh[kPluNo] = "1";
  fresh[kMessageNo] = "0";
  EXPECT_EQ(table.Row(1), fresh);
  EXPECT_EQ(PluCountText(table), "1 PLU");

  // ClearGrid alone (the message table uses it too) keeps the titles and sets only the first cell.
  TextGrid messages(2);
  messages.SetTitles({"No", "Name"});
  messages.SetRowCount(4);
  messages.SetCell(1, 1, "text");
  ClearGrid(messages);
  ASSERT_EQ(messages.RowCount(), 2);
  EXPECT_EQ(messages.Row(0), (Cells{"No", "Name"}));
  EXPECT_EQ(messages.Row(1), (Cells{"1", ""}));

  table.SetRowCount(13);
  EXPECT_EQ(PluCountText(table), "12 PLU");
}

TEST(PluTableNormalize, IntegerColumns) {
  for (PluColumn c : {kPluNo, kItemCode, kGroupCode, kMessageNo}) {
    EXPECT_EQ(One(c, " 007 "), "7") << c;
    EXPECT_EQ(One(c, "12a"), "0") << c;
    EXPECT_EQ(One(c, ""), "0") << c;
    EXPECT_EQ(One(c, "1.0"), "0") << c;
    EXPECT_EQ(One(c, "-4"), "-4") << c;
  }
}

TEST(PluTableNormalize, PriceAndTare) {
  EXPECT_EQ(One(kPrice, "12.5"), "12.50");
  EXPECT_EQ(One(kPrice, "0"), "0");
  EXPECT_EQ(One(kPrice, "0.00"), "0");
  EXPECT_EQ(One(kPrice, "abc"), "0");
  EXPECT_EQ(One(kPrice, "-3.456"), "3.46");
  EXPECT_EQ(One(kPrice, "12345", true), "123.45");
  EXPECT_EQ(One(kTare, "0.5"), "0.500");
  EXPECT_EQ(One(kTare, ""), "0");
  EXPECT_EQ(One(kTare, "1500", true), "1.500");
  EXPECT_EQ(One(kTare, "1500"), "1500.000");
}

TEST(PluTableNormalize, ShelfLife) {
  EXPECT_EQ(One(kShelfLife, "7"), "7");
  EXPECT_EQ(One(kShelfLife, "31/12/25"), "31.12.25");
  EXPECT_EQ(One(kShelfLife, "31.13.25"), "0");
  EXPECT_EQ(One(kShelfLife, "-3"), "-3");
  EXPECT_EQ(One(kShelfLife, "7", true), "7");  // days are not a minor unit
}

TEST(PluTableNormalize, NamesAndTextColumns) {
  EXPECT_EQ(One(kName1, "  Milk  "), "  Milk");
  EXPECT_EQ(One(kName2, std::string("Kefir\0\0\0\0", 9)), "Kefir");
  EXPECT_EQ(One(kName1, Win1251("Сыр  \t")), Win1251("Сыр"));
  EXPECT_EQ(One(kLogo, " 1 AB12 "), "1 AB12");
  EXPECT_EQ(One(kLogo, std::string("1 \0\0\0\0", 6)), "1");
  EXPECT_EQ(One(kLogo, ""), "");
  EXPECT_EQ(One(kSalesStart, std::string(" 01.02.25, 12:30:45\0", 20)), "01.02.25, 12:30:45");
}

TEST(PluTableNormalize, SalesColumnsNumericOnlyWhenAsked) {
  Cells row(kPluColumnCount);
  row[kSalesCount] = " 12x ";
  row[kSalesAmount] = " 12345 ";
  row[kSalesWeight] = "2500";
  Cells asText = row;
  NormalizePluRow(asText, true, false);
  EXPECT_EQ(asText[kSalesCount], "12x");
  EXPECT_EQ(asText[kSalesAmount], "12345");
  EXPECT_EQ(asText[kSalesWeight], "2500");

  NormalizePluRow(row, true, true);
  EXPECT_EQ(row[kSalesCount], "0");
  EXPECT_EQ(row[kSalesAmount], "123.45");
  EXPECT_EQ(row[kSalesWeight], "2.500");
}

TEST(PluTableNormalize, ShortRowIsPaddedAndNormalizingTwiceChangesNothing) {
  Cells row{"5", "Name", "", "1.5"};
  NormalizePluRow(row, false, false);
  ASSERT_EQ(row.size(), static_cast<std::size_t>(kPluColumnCount));
  EXPECT_EQ(row[kPrice], "1.50");
  EXPECT_EQ(row[kMessageNo], "0");
  EXPECT_EQ(row[kShelfLife], "0");

  Cells again = row;
  NormalizePluRow(again, false, false);
  EXPECT_EQ(again, row);
}

}  // namespace
}  // namespace qm
