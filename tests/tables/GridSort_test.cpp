#include "tables/GridSort.h"

#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "tables/TextGrid.h"

namespace qm {
namespace {

// Column 0 holds the keys (UTF-8 in the test, Windows-1251 in the grid), column 1 a row tag.
TextGrid Make(std::initializer_list<const char*> keys) {
  TextGrid g(2);
  g.SetRowCount(static_cast<int>(keys.size()) + 1);
  int r = 1;
  for (const char* k : keys) {
    g.SetCell(0, r, Win1251(k));
    g.SetCell(1, r, std::to_string(r));
    ++r;
  }
  return g;
}

std::vector<std::string> Col(const TextGrid& g, int column) {
  std::vector<std::string> out;
  for (int r = 1; r < g.RowCount(); ++r) out.push_back(Utf8(g.Cell(column, r)));
  return out;
}

using V = std::vector<std::string>;

TSortOptions Opt(int style, int direction, int exact = 1) {
  TSortOptions o;
  o.SortStyle = static_cast<std::uint8_t>(style);
  o.SortDirection = static_cast<std::uint8_t>(direction);
  o.SortExactLetters = static_cast<std::uint8_t>(exact);
  return o;
}

struct CountingHooks : SortHooks {
  bool CellEditorOpen() const override { return editorOpen; }
  void BeginSort(int, TSortOptions& o) override {
    ++begins;
    seenStyle = o.SortStyle;
  }
  void EndSort(int) override { ++ends; }
  bool editorOpen = false;
  int begins = 0, ends = 0, seenStyle = -1;
};

TEST(GridSort, StyleIsGuessedFromEveryCell) {
  EXPECT_EQ(GuessSortStyle(Make({"10", "9", "100"}), 0), kSortNumber);
  EXPECT_EQ(GuessSortStyle(Make({"10", "", "100"}), 0), kSortText);
  EXPECT_EQ(GuessSortStyle(Make({"01.02.05", "15.01.05"}), 0), kSortDate);
  EXPECT_EQ(GuessSortStyle(Make({"01.02.05", "7"}), 0), kSortText);
  EXPECT_EQ(GuessSortStyle(Make({"1.5", "2"}), 0), kSortNumber);
}

TEST(GridSort, NumbersSortByValueButAsTextWhenACellIsEmpty) {
  TextGrid g = Make({"10", "9", "100"});
  CountingHooks hooks;
  ASSERT_TRUE(ClickSortColumn(g, 0, Opt(kSortAuto, 0), hooks));
  EXPECT_EQ(Col(g, 0), (V{"9", "10", "100"}));
  EXPECT_EQ(hooks.seenStyle, kSortAuto);  // resolved after BeginSort

  TextGrid t = Make({"10", "9", "", "100"});
  ClickSortColumn(t, 0, Opt(kSortAuto, 0), hooks);
  EXPECT_EQ(Col(t, 0), (V{"", "10", "100", "9"}));
}

TEST(GridSort, DatesSortByCalendarNotByText) {
  TextGrid g = Make({"01.02.05", "15.01.05", "31.12.04"});
  CountingHooks hooks;
  ClickSortColumn(g, 0, Opt(kSortAuto, 0), hooks);
  EXPECT_EQ(Col(g, 0), (V{"31.12.04", "15.01.05", "01.02.05"}));
  SortRowsByColumn(g, 0, Opt(kSortDate, 1));
  EXPECT_EQ(Col(g, 0), (V{"01.02.05", "15.01.05", "31.12.04"}));
}

TEST(GridSort, TiesKeepTheirOrderInBothDirectionsAndResortingChangesNothing) {
  TextGrid g = Make({"2", "1", "2", "1", "2"});
  SortRowsByColumn(g, 0, Opt(kSortNumber, 0));
  EXPECT_EQ(Col(g, 1), (V{"2", "4", "1", "3", "5"}));
  SortRowsByColumn(g, 0, Opt(kSortNumber, 0));
  EXPECT_EQ(Col(g, 1), (V{"2", "4", "1", "3", "5"}));
  SortRowsByColumn(g, 0, Opt(kSortNumber, 1));
  EXPECT_EQ(Col(g, 1), (V{"1", "3", "5", "2", "4"}));
  SortRowsByColumn(g, 0, Opt(kSortNumber, 1));
  EXPECT_EQ(Col(g, 1), (V{"1", "3", "5", "2", "4"}));

  TextGrid t = Make({"b", "a", "B", "a"});
  SortRowsByColumn(t, 0, Opt(kSortText, 1, 0));
  EXPECT_EQ(Col(t, 1), (V{"1", "3", "2", "4"}));
}

TEST(GridSort, UnconvertibleKeysStayInPlaceAndSplitTheSort) {
  TextGrid g = Make({"3", "1", "x", "9", "2"});
  SortRowsByColumn(g, 0, Opt(kSortNumber, 0));
  EXPECT_EQ(Col(g, 0), (V{"1", "3", "x", "2", "9"}));
}

TEST(GridSort, CurrentRowFollowsItsData) {
  TextGrid g = Make({"c", "a", "b"});
  g.MoveToCell(1, 1);
  SortRowsByColumn(g, 0, Opt(kSortText, 0));
  EXPECT_EQ(Col(g, 0), (V{"a", "b", "c"}));
  EXPECT_EQ(g.CurrentRow(), 3);
  EXPECT_EQ(g.CurrentColumn(), 1);
}

TEST(GridSort, OneDataRowOrAnOpenEditorFiresNoHooks) {
  TextGrid one = Make({"x"});
  CountingHooks hooks;
  EXPECT_FALSE(ClickSortColumn(one, 0, Opt(kSortAuto, 0), hooks));
  TextGrid two = Make({"b", "a"});
  hooks.editorOpen = true;
  EXPECT_FALSE(ClickSortColumn(two, 0, Opt(kSortAuto, 0), hooks));
  EXPECT_EQ(Col(two, 0), (V{"b", "a"}));
  EXPECT_EQ(hooks.begins + hooks.ends, 0);
  hooks.editorOpen = false;
  EXPECT_TRUE(ClickSortColumn(two, 0, Opt(kSortAuto, 0), hooks));
  EXPECT_EQ(hooks.begins, 1);
  EXPECT_EQ(hooks.ends, 1);
}

TEST(GridSort, CyrillicTextIsAlphabeticalWithYoBesideYe) {
  TextGrid g = Make({"яблоко", "Ёлка", "ель", "банан", "Жук", "apple", "  арбуз", "10"});
  SortRowsByColumn(g, 0, Opt(kSortText, 0, 0));
  EXPECT_EQ(Col(g, 0), (V{"10", "apple", "  арбуз", "банан", "Ёлка", "ель", "Жук", "яблоко"}));
}

TEST(GridSort, CollationLevels) {
  auto less = [](const char* a, const char* b) {
    return CollateCp1251(Win1251(a), Win1251(b)) < 0;
  };
  EXPECT_TRUE(less("ab", "abc"));
  EXPECT_TRUE(less("а", "А"));    // small before capital
  EXPECT_TRUE(less("А", "б"));    // case only on the third level
  EXPECT_TRUE(less("ел", "ёл"));  // Е before Ё when all else is equal
  EXPECT_TRUE(less("ёа", "еб"));  // but Ё is Е on the first level
  EXPECT_TRUE(less("z", "а"));    // Latin before Cyrillic
  EXPECT_TRUE(less("Г", "Ґ"));
  EXPECT_TRUE(less("Ґ", "Д"));
  EXPECT_EQ(CollateCp1251("same", "same"), 0);
  EXPECT_EQ(Utf8(UpperCp1251(Win1251("ёжик-abc ї"))), "ЁЖИК-ABC Ї");
}

TEST(GridSort, ExactLettersKeepCaseOrderOtherwiseCaseIsIgnored) {
  TextGrid g = Make({"B", "a", "b", "A"});
  SortRowsByColumn(g, 0, Opt(kSortText, 0, 1));
  EXPECT_EQ(Col(g, 0), (V{"a", "A", "b", "B"}));
  TextGrid h = Make({"B", "a", "b", "A"});
  SortRowsByColumn(h, 0, Opt(kSortText, 0, 0));
  EXPECT_EQ(Col(h, 0), (V{"a", "A", "B", "b"}));
}

}  // namespace
}  // namespace qm
