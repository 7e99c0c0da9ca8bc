#include "tables/PluRowRules.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(PluRowRules, TheStoreCodeIsCutToTheModelOrDroppedWithoutALogo) {
  struct Case {
    int logo;
    const char* code;
    std::size_t length;
    const char* stored;
    const char* cell;
  };
  const Case cases[] = {
      {1, "AB1234", 4, "AB12", "1 AB12"}, {2, "AB", 4, "AB", "2 AB"},
      {0, "AB12", 4, "", "0 "},           {-1, "AB12", 4, "", "0 "},  // no choice made
      {1, "AB12", 0, "", "1 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    const std::string stored = StoredSoCode(c.logo, c.code, c.length);
    EXPECT_EQ(stored, c.stored);
    EXPECT_EQ(LogoCell(c.logo, stored), c.cell);
  }
}

TEST(PluRowRules, TheLogoCellFillsTheSelectorAndTheCode) {
  struct Case {
    const char* cell;
    std::optional<int> choice;
    const char* code;
  };
  const Case cases[] = {
      {"", std::nullopt, ""}, {"1 AB12", 1, "AB12"}, {"2", 2, ""},  {"0 X", 0, "X"},
      {"7 X", 0, "X"},        {"A BC", 0, "BC"},     {"1 ", 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    const LogoFields fields = LogoFieldsOf(c.cell, 3);
    EXPECT_EQ(fields.choice, c.choice);
    EXPECT_EQ(fields.code, c.code);
  }
}

TEST(PluRowRules, EnterEndsOnWriteForTheSameNumberAndOnAddForANewOne) {
  EXPECT_EQ(EnterEndsOn("12", "12"), RowCommit::Write);
  EXPECT_EQ(EnterEndsOn(" 12", "12"), RowCommit::Write);
  EXPECT_EQ(EnterEndsOn("", "abc"), RowCommit::Write);  // both count as 0
  EXPECT_EQ(EnterEndsOn("13", "12"), RowCommit::Add);
  EXPECT_EQ(EnterEndsOn("0", "1"), RowCommit::Add);
}

}  // namespace
}  // namespace qm
