#include "base/NumberText.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(NumberText, IntegersAreStrictDecimal) {
  EXPECT_EQ(ParseInt(" 12 "), 12);
  EXPECT_EQ(ParseInt("-7"), -7);
  EXPECT_EQ(ParseInt("+7"), 7);
  EXPECT_EQ(ParseInt("2147483647"), 2147483647);
  for (const char* bad : {"12a", "", "  ", "1e3", "1.0", "2147483648", "--1", "+-1", "0x10"}) {
    EXPECT_FALSE(ParseInt(bad).has_value()) << bad;
  }
}

TEST(NumberText, DecimalsUseTheFullStopWhateverTheLocale) {
  EXPECT_DOUBLE_EQ(*ParseDecimal("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(*ParseDecimal(" -0.125 "), -0.125);
  EXPECT_DOUBLE_EQ(*ParseDecimal(".5"), 0.5);
  EXPECT_DOUBLE_EQ(*ParseDecimal("7."), 7.0);
  for (const char* bad : {"12,50", "1e3", "", ".", "1.2.3", "abc", "1 000", "inf", "nan"}) {
    EXPECT_FALSE(ParseDecimal(bad).has_value()) << bad;
  }
}

TEST(NumberText, TableFormatsShowZeroAsASingleDigitAndDropTheSign) {
  EXPECT_EQ(FormatUnsignedOrZero(12.5, 2), "12.50");
  EXPECT_EQ(FormatUnsignedOrZero(0, 2), "0");
  EXPECT_EQ(FormatUnsignedOrZero(0.004, 2), "0");  // rounds to zero: the zero section
  EXPECT_EQ(FormatUnsignedOrZero(-3.5, 2), "3.50");
  EXPECT_EQ(FormatUnsignedOrZero(123.45, 2), "123.45");
  EXPECT_EQ(FormatUnsignedOrZero(0.5, 3), "0.500");
  EXPECT_EQ(FormatUnsignedOrZero(1.0005, 3), "1.001");  // halves away from zero
  EXPECT_EQ(FormatUnsignedOrZero(1.005, 2), "1.01");    // on 15 significant digits
  EXPECT_EQ(FormatUnsignedOrZero(9999.995, 2), "10000.00");
}

TEST(NumberText, DisplayFormatsKeepTheSignAndTheirOwnZero) {
  EXPECT_EQ(FormatSignedOrZero(-0.005, 3, "0.000"), "-0.005");
  EXPECT_EQ(FormatSignedOrZero(0, 3, "0.000"), "0.000");
  EXPECT_EQ(FormatSignedOrZero(0, 2, "0.0"), "0.0");
  EXPECT_EQ(FormatSignedOrZero(123.45, 2, "0.0"), "123.45");
  EXPECT_EQ(FormatSignedOrZero(65.535, 3, "0.000"), "65.535");
}

TEST(NumberText, RoundingToWholeNumbersGoesAwayFromZero) {
  EXPECT_EQ(RoundHalfAway(1250.0), 1250);
  EXPECT_EQ(RoundHalfAway(12.5), 13);
  EXPECT_EQ(RoundHalfAway(-12.5), -13);
  EXPECT_EQ(RoundHalfAway(0.125 * 1000), 125);
  EXPECT_EQ(RoundHalfAway(1.005 * 100), 101);
  EXPECT_EQ(RoundHalfAway(0.0), 0);
}

class DateText : public ::testing::Test {
 protected:
  void SetUp() override { SetTodayForTesting(Date{2026, 12, 7}); }
  void TearDown() override { SetTodayForTesting(std::nullopt); }
};

TEST_F(DateText, ShortDatesTakeTwoDigitYearsInTheCurrentCentury) {
  EXPECT_EQ(ParseShortDate("31.12.25"), (Date{2025, 12, 31}));
  EXPECT_EQ(ParseShortDate("1.2.5"), (Date{2005, 2, 1}));
  EXPECT_EQ(ParseShortDate("29.02.2024"), (Date{2024, 2, 29}));
  EXPECT_EQ(ParseShortDate("15.01"), (Date{2026, 1, 15}));
  for (const char* bad :
       {"31.13.25", "29.02.25", "0.1.25", "31/12/25", "", "1.2.3.4", "1..2", "12.12.12345"}) {
    EXPECT_FALSE(ParseShortDate(bad).has_value()) << bad;
  }
  EXPECT_EQ(FormatShortDate(Date{2005, 2, 1}), "01.02.05");
}

TEST_F(DateText, SerialsOrderDatesAndTimes) {
  EXPECT_EQ(DateSerial(Date{1899, 12, 30}), 0);
  EXPECT_EQ(DateSerial(Date{1970, 1, 1}), 25569);
  EXPECT_LT(*ParseDateTime("15.01.05"), *ParseDateTime("01.02.05"));
  EXPECT_LT(*ParseDateTime("01.02.05 08:30:00"), *ParseDateTime("01.02.05 08:30:01"));
  EXPECT_FALSE(ParseDateTime("01.02.05 25:00").has_value());
}

}  // namespace
}  // namespace qm
