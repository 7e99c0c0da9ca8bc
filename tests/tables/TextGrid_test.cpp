#include "tables/TextGrid.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

std::vector<std::string> Column0(const TextGrid& g) {
  std::vector<std::string> out;
  for (int r = 1; r < g.RowCount(); ++r) out.push_back(g.Cell(0, r));
  return out;
}

TextGrid Make(std::initializer_list<const char*> keys) {
  TextGrid g(2);
  g.SetRowCount(static_cast<int>(keys.size()) + 1);
  int r = 1;
  for (const char* k : keys) g.SetCell(0, r++, k);
  return g;
}

TEST(TextGrid, InsertDataRowPushesRowsDownAndBecomesCurrent) {
  TextGrid g = Make({"P", "Q", "R"});
  g.MoveToCell(1, 2);
  g.InsertDataRow(1);
  EXPECT_EQ(Column0(g), (std::vector<std::string>{"", "P", "Q", "R"}));
  EXPECT_EQ(g.CurrentRow(), 1);
  EXPECT_EQ(g.CurrentColumn(), 1);
}

TEST(TextGrid, RemovingKeepsOneRowAndMovesTheCursorToTheFollowingRow) {
  TextGrid g = Make({"P", "Q", "R"});
  g.MoveToCell(0, 3);
  g.RemoveDataRow(3);
  EXPECT_EQ(Column0(g), (std::vector<std::string>{"P", "Q"}));
  EXPECT_EQ(g.CurrentRow(), 2);
  g.RemoveDataRow(1);
  EXPECT_EQ(Column0(g), (std::vector<std::string>{"Q"}));
  g.RemoveDataRow(1);
  EXPECT_EQ(g.DataRowCount(), 1);
  EXPECT_EQ(g.Cell(0, 1), "");
}

TEST(TextGrid, ReorderKeepsTheCurrentRowOnItsData) {
  TextGrid g = Make({"P", "Q", "R"});
  g.MoveToCell(0, 1);
  g.ReorderDataRows({2, 1, 0});
  EXPECT_EQ(Column0(g), (std::vector<std::string>{"R", "Q", "P"}));
  EXPECT_EQ(g.CurrentRow(), 3);
}

TEST(TextGrid, OutOfRangeAccessIsHarmlessAndReplaceNeverLeavesNoRow) {
  TextGrid g(3);
  EXPECT_EQ(g.Cell(5, 5), "");
  g.SetCell(-1, 9, "x");
  g.ReplaceDataRows({});
  EXPECT_EQ(g.DataRowCount(), 1);
  g.ReplaceDataRows({{"a"}, {"b", "c", "d", "e"}});
  EXPECT_EQ(g.Row(2).size(), 3u);
  EXPECT_EQ(g.Cell(2, 2), "d");
}

struct CountingObserver : GridObserver {
  int inserted = 0, removed = 0, changed = 0, resets = 0, reorders = 0;
  void RowsInserted(int f, int l) override { inserted += l - f + 1; }
  void RowsRemoved(int f, int l) override { removed += l - f + 1; }
  void CellsChanged(int, int) override { ++changed; }
  void Reset() override { ++resets; }
  void Reordered() override { ++reorders; }
};

TEST(TextGrid, ObserversHearEveryChange) {
  TextGrid g(2);
  CountingObserver o;
  g.AddObserver(&o);
  g.AppendRow();
  g.InsertDataRow(1);
  g.RemoveDataRow(2);
  g.SetCell(1, 1, "x");
  g.ReplaceDataRows({{"a"}, {"b"}});
  g.ReorderDataRows({1, 0});
  EXPECT_EQ(o.inserted, 2);
  EXPECT_EQ(o.removed, 1);
  EXPECT_EQ(o.changed, 1);
  EXPECT_EQ(o.resets, 1);
  EXPECT_EQ(o.reorders, 1);
  g.RemoveObserver(&o);
  g.AppendRow();
  EXPECT_EQ(o.inserted, 2);
}

TEST(TextGrid, AFilledRowIsAppendedPaddedToTheColumnsAndAnnounced) {
  TextGrid g(3);
  CountingObserver o;
  g.AddObserver(&o);
  EXPECT_EQ(g.AppendRow({"a", "b"}), 2);
  EXPECT_EQ(g.AppendRow({"c", "d", "e", "cut"}), 3);
  EXPECT_EQ(g.Row(2), (Cells{"a", "b", ""}));
  EXPECT_EQ(g.Row(3), (Cells{"c", "d", "e"}));
  EXPECT_EQ(o.inserted, 2);
  EXPECT_EQ(o.changed, 2);
  g.RemoveObserver(&o);
}

}  // namespace
}  // namespace qm
