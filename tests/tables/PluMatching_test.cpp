// Matching as a table operation: where rows go, which are dropped, and that the grid hears one
// reset. The outcome's counts are covered with the session's operation.
#include "tables/PluMatching.h"

#include <gtest/gtest.h>

#include "tables/PluColumns.h"
#include "tables/PluTable.h"
#include "tables/TextGrid.h"

namespace qm {
namespace {

// Counts the grid's structural notices.
struct NoticeCounter : GridObserver {
  void RowsInserted(int, int) override { ++inserts; }
  void RowsRemoved(int, int) override { ++removals; }
  void Reset() override { ++resets; }
  int inserts = 0, removals = 0, resets = 0;
};

// A filled gap as it reads after matching.
Cells Gap(int k) {
  return {std::to_string(k), "", "", "0", "0", "0", "0", "0", "0", "", "", "", "", ""};
}

// A row in normalised form with a recognisable name.
Cells Item(const std::string& pluNo, const std::string& name) {
  return {pluNo, name, "", "12.50", "30", "0.010", "5", "1", "0", "", "", "", "", ""};
}

struct MatchingTest : ::testing::Test {
  MatchingTest() { plu.SetTitles(PluColumnTitles()); }
  std::vector<Cells> Rows() const {
    std::vector<Cells> out;
    for (int r = 1; r < plu.RowCount(); ++r) out.push_back(plu.Row(r));
    return out;
  }

  TextGrid plu{kPluColumnCount};
};

TEST_F(MatchingTest, RowsGoToTheirNumbersAndGapsAreFilled) {
  plu.ReplaceDataRows({Item("3", "c"), Item("1", "a"), Item("5", "e")});
  EXPECT_EQ(5, MatchPluNumbers(plu, 200));
  EXPECT_EQ((std::vector<Cells>{Item("1", "a"), Gap(2), Item("3", "c"), Gap(4), Item("5", "e")}),
            Rows());
}

TEST_F(MatchingTest, UnusableNumbersAreDroppedAndTheLastOfEqualNumbersWins) {
  plu.ReplaceDataRows({Item("250", "too high"), Item("abc", "text"), Item("0", "zero"),
                       Item("-3", "negative"), Item("7", "upper"), Item("", "empty"),
                       Item(" 2 ", "blanks"), Item("7", "lower"), Item("200", "limit")});
  EXPECT_EQ(200, MatchPluNumbers(plu, 200));
  const std::vector<Cells> rows = Rows();
  EXPECT_EQ(Item("2", "blanks"), rows[1]);
  EXPECT_EQ(Item("7", "lower"), rows[6]);
  EXPECT_EQ(Item("200", "limit"), rows[199]);
  EXPECT_EQ(Gap(199), rows[198]);
  for (const Cells& row : rows) {
    for (const char* gone : {"too high", "text", "zero", "negative", "upper", "empty"}) {
      EXPECT_NE(gone, row[kName1]);
    }
  }
}

TEST_F(MatchingTest, OrderedTableIsOnlyRenormalisedInOneReset) {
  Cells raw = {"1", "a  ", "b", "12.5", "30", ".01", "05", "1", "", " 1 AB ", "x", "", "", ""};
  plu.ReplaceDataRows({raw, Item("2", "b")});
  NoticeCounter notices;
  plu.AddObserver(&notices);
  EXPECT_EQ(2, MatchPluNumbers(plu, 200));
  plu.RemoveObserver(&notices);
  EXPECT_EQ((std::vector<Cells>{
                {"1", "a", "b", "12.50", "30", "0.010", "5", "1", "0", "1 AB", "x", "", "", ""},
                Item("2", "b")}),
            Rows());
  EXPECT_EQ(1, notices.resets);
  EXPECT_EQ(0, notices.inserts + notices.removals);
}

TEST_F(MatchingTest, NothingUsableLeavesOneEmptyRow) {
  plu.ReplaceDataRows({Item("0", "zero"), Item("x", "text")});
  EXPECT_EQ(1, MatchPluNumbers(plu, 200));
  EXPECT_EQ(std::vector<Cells>{Cells(kPluColumnCount)}, Rows());
}

}  // namespace
}  // namespace qm
