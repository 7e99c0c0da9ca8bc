// Matching the session's PLU table: the report's counts and dropped rows for each kind of table,
// the texts the operator is shown, and the modified flag.
#include "session/TableOperations.h"

#include <gtest/gtest.h>

#include <ostream>

#include "base/Cp1251.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

using Rows = std::vector<int>;

struct MatchCase {
  const char* name;
  std::vector<std::string> numbers;  // PluNo of the rows before, in display order
  int rowsAfter, kept, moved, gapsFilled;
  Rows aboveLimit, notNumbered, duplicates;
};

// Names the case in test listings instead of its bytes.
void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.name; }

// The limit is 5 throughout.
const MatchCase kCases[] = {
    {"AlreadyMatched", {"1", "2", "3"}, 3, 3, 0, 0, {}, {}, {}},
    {"Reordered", {"3", "1", "2"}, 3, 3, 3, 0, {}, {}, {}},
    {"GapsFilled", {"1", "4"}, 4, 2, 1, 2, {}, {}, {}},
    {"AboveTheLimit", {"6", "2", "250"}, 2, 1, 0, 1, {1, 3}, {}, {}},
    {"NotNumbered", {"abc", "0", "-3", "", "1"}, 1, 1, 1, 0, {}, {1, 2, 3, 4}, {}},
    // Of equal numbers the lowest row in the grid stays; the others are listed by row.
    {"Duplicates", {"2", "1", "1", "2"}, 2, 2, 2, 0, {}, {}, {1, 2}},
    {"NothingUsable", {"0"}, 1, 0, 0, 0, {}, {1}, {}},
};

class MatchReportTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchReportTest, CountsAndDroppedRows) {
  const MatchCase& c = GetParam();
  SessionTables tables;
  std::vector<Cells> rows;
  for (const std::string& number : c.numbers) {
    rows.push_back(Cells(kPluColumnCount));
    rows.back()[kPluNo] = number;
  }
  tables.plu.ReplaceDataRows(std::move(rows));

  const MatchReport r = MatchPluTable(tables, 5);
  EXPECT_EQ(static_cast<int>(c.numbers.size()), r.rowsBefore);
  EXPECT_EQ(c.rowsAfter, r.rowsAfter);
  EXPECT_EQ(c.rowsAfter, tables.plu.DataRowCount());
  EXPECT_EQ(c.kept, r.kept);
  EXPECT_EQ(c.moved, r.moved);
  EXPECT_EQ(c.gapsFilled, r.gapsFilled);
  EXPECT_EQ(c.aboveLimit, r.aboveLimit);
  EXPECT_EQ(c.notNumbered, r.notNumbered);
  EXPECT_EQ(c.duplicates, r.duplicates);
  // The same texts whatever the table held, and the table counts as changed even when its rows
  // already stood at their numbers.
  EXPECT_EQ("Номера товаров и PLU приведены в соответствие.", Utf8(r.message));
  EXPECT_EQ(std::to_string(c.rowsAfter) + " PLU", Utf8(r.countText));
  EXPECT_TRUE(tables.flags.PluTableModified());
  EXPECT_FALSE(tables.flags.MessageTableModified());
}

INSTANTIATE_TEST_SUITE_P(Tables, MatchReportTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qm
