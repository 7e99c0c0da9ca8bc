// Records encoded ahead of a write: each row encoded once per batch, and never a record that
// differs from what the table holds when it is taken.
#include "session/EncodedAhead.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

struct Table {
  TextGrid grid{2};
  int encoded = 0;
  EncodedAhead ahead{grid,
                     [this](const Cells& row) {
                       ++encoded;
                       return row[0] + row[1];
                     },
                     100};

  Table() {
    std::vector<Cells> rows;
    for (int r = 1; r <= 100; ++r) rows.push_back({"r", std::to_string(r)});
    grid.ReplaceDataRows(rows);
    encoded = 0;
  }
};

TEST(EncodedAhead, RowsAreEncodedOncePerBatchAndNotPastTheLastRow) {
  Table t;
  for (int r = 1; r <= 100; ++r) ASSERT_EQ(t.ahead.Take(r), "r" + std::to_string(r));
  EXPECT_EQ(t.encoded, 100);
  EXPECT_EQ(t.ahead.Take(100), "r100");  // asked again: encoded again, not an empty record
}

TEST(EncodedAhead, AnyChangeToTheTableIsSentAsItStandsWhenTheRowsTurnComes) {
  Table t;
  EXPECT_EQ(t.ahead.Take(1), "r1");
  t.grid.SetCell(1, 2, "edited");
  EXPECT_EQ(t.ahead.Take(2), "redited");
  t.grid.InsertDataRow(3);
  EXPECT_EQ(t.ahead.Take(3), "");
  EXPECT_EQ(t.ahead.Take(4), "r3");
  t.grid.ReplaceDataRows({{"n", "1"}, {"n", "2"}, {"n", "3"}, {"n", "4"}, {"n", "5"}});
  EXPECT_EQ(t.ahead.Take(5), "n5");
}

}  // namespace
}  // namespace qm
