#include "tables/PluCommands.h"

#include <gtest/gtest.h>

#include "support/RecordingStatusView.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

using V = std::vector<std::string>;

// A row editor that behaves like the window's: it reloads its fields whenever the grid's current
// row changes (unless suppressed) and on a refresh; its commit stores the fields into the
// current row. It logs the calls in order.
class FakeEditor : public PluEditorHooks, public GridObserver {
 public:
  explicit FakeEditor(TextGrid& grid, ModifiedFlags& flags) : grid_(grid), flags_(flags) {
    grid_.AddObserver(this);
  }
  ~FakeEditor() override { grid_.RemoveObserver(this); }

  void Commit() override {
    log.push_back("commit");
    flags_.MarkModified(true, false);
    grid_.SetRow(grid_.CurrentRow(), fields);
  }
  void Refresh() override {
    log.push_back("refresh");
    fields = grid_.Row(grid_.CurrentRow());
  }
  bool SuppressRowLoad() const override { return suppress_; }
  void SetSuppressRowLoad(bool s) override { suppress_ = s; }
  void ClearPluDirty() override { log.push_back("clean"); }
  void CurrentCellChanged(int, int row) override {
    if (!suppress_) fields = grid_.Row(row);
  }

  void Type(const std::string& plu) {
    fields.assign(kPluColumnCount, "");
    fields[kPluNo] = plu;
  }

  Cells fields;
  V log;

 private:
  TextGrid& grid_;
  ModifiedFlags& flags_;
  bool suppress_ = false;
};

struct Fixture : ::testing::Test {
  Fixture() : flags(&view), editor(grid, flags), commands(grid, flags, &view, editor) {}

  void Fill(std::initializer_list<const char*> keys) {
    grid.SetRowCount(static_cast<int>(keys.size()) + 1);
    int r = 1;
    for (const char* k : keys) {
      grid.SetCell(kPluNo, r, k);
      grid.SetCell(kName1, r, std::string("name ") + k);
      ++r;
    }
  }
  V Keys() const {
    V out;
    for (int r = 1; r < grid.RowCount(); ++r) out.push_back(grid.Cell(kPluNo, r));
    return out;
  }
  std::string CurrentKey() const { return grid.Cell(kPluNo, grid.CurrentRow()); }

  qmtest::RecordingStatusView view;
  ModifiedFlags flags;
  TextGrid grid{kPluColumnCount};
  FakeEditor editor;
  PluCommands commands;
};

TEST_F(Fixture, InsThenAddPutTheEditorInFrontOfTheCurrentRowAndAtTheEnd) {
  Fill({"P", "Q", "R"});
  grid.MoveToCell(3, 2);
  editor.Type("X");
  commands.Ins();
  EXPECT_EQ(Keys(), (V{"P", "X", "Q", "R"}));
  EXPECT_EQ(CurrentKey(), "X");
  editor.Type("Y");
  commands.Add();
  EXPECT_EQ(Keys(), (V{"P", "X", "Q", "R", "Y"}));
  EXPECT_EQ(CurrentKey(), "Y");
  EXPECT_EQ(grid.CurrentColumn(), 0);
  EXPECT_FALSE(editor.SuppressRowLoad());
  EXPECT_TRUE(flags.PluTableModified());
  EXPECT_EQ(editor.log, (V{"clean", "commit", "clean", "commit"}));
}

TEST_F(Fixture, InsKeepsASuppressionThatWasAlreadySet) {
  Fill({"P", "Q"});
  editor.SetSuppressRowLoad(true);
  editor.Type("X");
  commands.Ins();
  EXPECT_TRUE(editor.SuppressRowLoad());
}

TEST_F(Fixture, DelRemovesTheRowAndTheFollowingOneBecomesCurrent) {
  Fill({"P", "Q", "R"});
  grid.MoveToCell(5, 3);
  commands.Del();
  EXPECT_EQ(Keys(), (V{"P", "Q"}));
  EXPECT_EQ(CurrentKey(), "Q");
  EXPECT_EQ(grid.CurrentColumn(), 0);
  EXPECT_EQ(commands.Buffer()[kPluNo], "R");
  EXPECT_EQ(view.panels[kPanelPluCount], "2 PLU");
  EXPECT_EQ(editor.fields[kPluNo], "Q");

  grid.MoveToCell(0, 1);
  commands.Del();
  EXPECT_EQ(Keys(), (V{"Q"}));
  EXPECT_EQ(CurrentKey(), "Q");
}

TEST_F(Fixture, DelOnTheOnlyRowEmptiesItAndPasteBringsItBackInFront) {
  Fill({"P"});
  commands.Del();
  EXPECT_EQ(grid.DataRowCount(), 1);
  EXPECT_EQ(grid.Row(1), Cells(kPluColumnCount));
  EXPECT_EQ(view.panels[kPanelPluCount], "1 PLU");
  commands.Paste();
  EXPECT_EQ(Keys(), (V{"P", ""}));
  EXPECT_EQ(grid.Cell(kName1, 1), "name P");
  EXPECT_EQ(view.panels[kPanelPluCount], "2 PLU");
}

TEST_F(Fixture, ClearEmptiesTheRowKeepsTheCountAndFillsTheBuffer) {
  Fill({"P", "Q", "R"});
  grid.MoveToCell(2, 2);
  view.panels[kPanelPluCount] = "untouched";
  commands.Clear();
  EXPECT_EQ(Keys(), (V{"P", "", "R"}));
  EXPECT_EQ(grid.Row(2), Cells(kPluColumnCount));
  EXPECT_EQ(grid.CurrentRow(), 2);
  EXPECT_EQ(grid.CurrentColumn(), 0);
  EXPECT_EQ(commands.Buffer()[kName1], "name Q");
  EXPECT_EQ(view.panels[kPanelPluCount], "untouched");
  EXPECT_EQ(editor.log, (V{"clean", "refresh"}));
  EXPECT_EQ(editor.fields, Cells(kPluColumnCount));
}

TEST_F(Fixture, CopyOnceThenPasteTwiceStacksCopiesInFrontOfTheCurrentRow) {
  Fill({"P", "Q", "R"});
  grid.MoveToCell(0, 1);
  commands.Copy();
  EXPECT_FALSE(flags.PluTableModified());
  EXPECT_TRUE(editor.log.empty());
  grid.MoveToCell(0, 3);
  commands.Paste();
  commands.Paste();
  EXPECT_EQ(Keys(), (V{"P", "Q", "P", "P", "R"}));
  EXPECT_EQ(grid.CurrentRow(), 3);
  EXPECT_EQ(commands.Buffer()[kPluNo], "P");
  EXPECT_EQ(view.panels[kPanelPluCount], "5 PLU");
}

TEST_F(Fixture, PasteWithAnEmptyBufferMarksModifiedButChangesNoRow) {
  Fill({"P", "Q"});
  commands.Paste();
  EXPECT_EQ(Keys(), (V{"P", "Q"}));
  EXPECT_TRUE(flags.PluTableModified());
  EXPECT_TRUE(view.saveEnabled);
  EXPECT_EQ(editor.log, (V{"clean"}));
}

TEST_F(Fixture, FunctionKeysMapF1ToF7) {
  Fill({"P", "Q"});
  editor.Type("W");
  EXPECT_TRUE(commands.FunctionKey(112));  // F1 Write
  EXPECT_EQ(Keys(), (V{"W", "Q"}));
  EXPECT_TRUE(commands.FunctionKey(117));  // F6 Copy
  EXPECT_TRUE(commands.FunctionKey(116));  // F5 Del
  EXPECT_EQ(Keys(), (V{"Q"}));
  EXPECT_TRUE(commands.FunctionKey(118));  // F7 Paste
  EXPECT_EQ(Keys(), (V{"W", "Q"}));
  EXPECT_FALSE(commands.FunctionKey(119));
  EXPECT_FALSE(commands.FunctionKey(111));
}

TEST_F(Fixture, TitleClicksAlternateDirectionPerRememberedColumn) {
  Fill({"2", "10", "1"});
  struct NoHooks : SortHooks {} hooks;
  commands.TitleClick(kPluNo, false, hooks);
  EXPECT_EQ(Keys(), (V{"1", "2", "10"}));
  commands.TitleClick(kPluNo, true, hooks);  // the button does not matter here
  EXPECT_EQ(Keys(), (V{"10", "2", "1"}));
  commands.TitleClick(kPluNo, false, hooks);
  EXPECT_EQ(Keys(), (V{"1", "2", "10"}));
  commands.SetSortToggle(kPluNo, 1);  // as matching leaves it
  commands.TitleClick(kPluNo, false, hooks);
  EXPECT_EQ(Keys(), (V{"10", "2", "1"}));
  commands.ResetSortToggles();
  EXPECT_EQ(commands.SortToggle(kPluNo), 0);
}

TEST_F(Fixture, SalesColumnsAlternateWithoutTouchingTheRememberedDirections) {
  Fill({"a", "b", "c"});
  grid.SetCell(kSalesAmount, 1, "5.00");
  grid.SetCell(kSalesAmount, 2, "12.50");
  grid.SetCell(kSalesAmount, 3, "7.25");
  commands.SetSortToggle(kPrice, 1);
  struct NoHooks : SortHooks {} hooks;
  commands.TitleClick(kSalesAmount, false, hooks);
  EXPECT_EQ(Keys(), (V{"a", "c", "b"}));
  commands.TitleClick(kSalesAmount, false, hooks);
  EXPECT_EQ(Keys(), (V{"b", "c", "a"}));
  commands.TitleClick(kSalesAmount, false, hooks);
  EXPECT_EQ(Keys(), (V{"a", "c", "b"}));
  for (int c = 0; c < kPluRememberedSortColumns; ++c)
    EXPECT_EQ(commands.SortToggle(c), c == kPrice ? 1 : 0);
  EXPECT_FALSE(flags.PluTableModified());
}

TEST_F(Fixture, TextSortFromATitleClickIgnoresCase) {
  Fill({"1", "2", "3"});
  grid.SetCell(kName1, 1, "b");
  grid.SetCell(kName1, 2, "B");
  grid.SetCell(kName1, 3, "a");
  struct NoHooks : SortHooks {} hooks;
  commands.TitleClick(kName1, false, hooks);
  EXPECT_EQ(Keys(), (V{"3", "1", "2"}));  // "b" and "B" tie and keep their order
}

}  // namespace
}  // namespace qm
