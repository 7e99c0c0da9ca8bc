// The match command: its question and box, what the window shows afterwards, and that No or a
// busy link changes nothing.
#include "app/MatchFlow.h"

#include <gtest/gtest.h>

#include "base/RunState.h"
#include "support/ScriptedDialogs.h"
#include "tables/LoggingStatus.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluColumns.h"
#include "tables/PluCommands.h"
#include "tables/PluTable.h"

namespace qm {
namespace {

using V = std::vector<std::string>;

// The row editor as far as matching needs it: a refresh reloads the current row.
class RefreshingEditor : public PluEditorHooks {
 public:
  explicit RefreshingEditor(const TextGrid& grid) : grid_(grid) {}
  void Commit() override {}
  void Refresh() override {
    ++refreshes;
    shownRow = grid_.CurrentRow();
    shown = grid_.Row(shownRow);
  }
  bool SuppressRowLoad() const override { return false; }
  void SetSuppressRowLoad(bool) override {}
  void ClearPluDirty() override {}
  int refreshes = 0;
  int shownRow = 0;
  Cells shown;

 private:
  const TextGrid& grid_;
};

// A filled gap as it reads after matching.
Cells Gap(int k) {
  return {std::to_string(k), "", "", "0", "0", "0", "0", "0", "0", "", "", "", "", ""};
}

// A row in normalised form with a recognisable name.
Cells Item(const std::string& pluNo, const std::string& name) {
  return {pluNo, name, "", "12.50", "30", "0.010", "5", "1", "0", "", "", "", "", ""};
}

struct MatchFlowTest : ::testing::Test {
  MatchFlowTest() {
    plu.SetTitles(PluColumnTitles());
    state.CurrentScale = BuildScaleParams(15, 200);
  }
  std::vector<Cells> Rows() const {
    std::vector<Cells> out;
    for (int r = 1; r < plu.RowCount(); ++r) out.push_back(plu.Row(r));
    return out;
  }
  void Click() {
    MatchCommandContext context{state, status, dialogs, flags, plu, commands, editor};
    MatchButtonClick(context);
  }
  void ExpectQuestion(DialogButton answer) {
    dialogs.ExpectMessage("Строки с номером товара, большим 200 будут удалены, продолжить?", answer,
                          "Подтвердите");
  }
  void ExpectDone() {
    dialogs.ExpectMessage("Номера товаров и PLU приведены в соответствие.", kButtonOk, "Завершено");
  }

  TextGrid plu{kPluColumnCount};
  RunState state;
  qmtest::LoggingStatus status;
  qmtest::ScriptedDialogs dialogs;
  ModifiedFlags flags{&status};
  RefreshingEditor editor{plu};
  PluCommands commands{plu, flags, &status, editor};
};

TEST_F(MatchFlowTest, CommandMatchesReportsAndLeavesTheTableAscending) {
  plu.ReplaceDataRows({Item("3", "c"), Item("1", "a"), Item("9", "i"), Item("8", "h"),
                       Item("2", "b"), Item("300", "gone")});
  plu.MoveToCell(kPrice, 6);
  commands.SetSortToggle(kPluNo, 0);
  ExpectQuestion(kButtonYes);
  ExpectDone();
  Click();
  EXPECT_EQ(DialogIcon::Warning, dialogs.Shown().at(0).icon);
  EXPECT_EQ(kButtonYes | kButtonNo, dialogs.Shown().at(0).buttons);
  EXPECT_EQ(DialogIcon::Information, dialogs.Shown().at(1).icon);
  EXPECT_EQ(9, plu.DataRowCount());
  EXPECT_EQ((V{"0 Processing... !", "0 Done.", "5 9 PLU"}), status.log);
  EXPECT_TRUE(flags.PluTableModified());
  EXPECT_FALSE(flags.MessageTableModified());
  EXPECT_TRUE(status.saveEnabled);
  EXPECT_FALSE(state.LinkBusy);
  // The cursor keeps its row index; the editor was refreshed from the new table there.
  EXPECT_EQ(6, plu.CurrentRow());
  EXPECT_EQ(kPrice, plu.CurrentColumn());
  EXPECT_EQ(1, editor.refreshes);
  EXPECT_EQ(Gap(6), editor.shown);
  EXPECT_EQ(1, commands.SortToggle(kPluNo));
}

TEST_F(MatchFlowTest, ShorterTableMovesTheCursorToTheLastRow) {
  plu.ReplaceDataRows({Item("0", "a"), Item("x", "b"), Item("1", "c"), Item("0", "d")});
  plu.MoveToCell(kPluNo, 4);
  ExpectQuestion(kButtonYes);
  ExpectDone();
  Click();
  EXPECT_EQ(1, plu.CurrentRow());
  EXPECT_EQ(Item("1", "c"), editor.shown);
  EXPECT_EQ("5 1 PLU", status.log.back());
}

TEST_F(MatchFlowTest, OnlyRowNumberedZeroBecomesOneEmptyRow) {
  ResetPluTable(plu);
  plu.SetCell(kPluNo, 1, "0");
  ExpectQuestion(kButtonYes);
  ExpectDone();
  Click();
  EXPECT_EQ(std::vector<Cells>{Cells(kPluColumnCount)}, Rows());
  EXPECT_EQ("5 1 PLU", status.log.back());
}

TEST_F(MatchFlowTest, NoChangesNothing) {
  plu.ReplaceDataRows({Item("3", "c"), Item("250", "x")});
  const std::vector<Cells> before = Rows();
  ExpectQuestion(kButtonNo);
  Click();
  EXPECT_EQ(before, Rows());
  EXPECT_FALSE(flags.Any());
  EXPECT_FALSE(status.saveEnabled);
  EXPECT_TRUE(status.log.empty());
  EXPECT_EQ(0, editor.refreshes);
  EXPECT_EQ(0, commands.SortToggle(kPluNo));
  EXPECT_FALSE(state.LinkBusy);
}

TEST_F(MatchFlowTest, CommandDoesNothingWhileTheLinkIsBusy) {
  plu.ReplaceDataRows({Item("3", "c")});
  state.LinkBusy = true;
  Click();
  EXPECT_EQ(1, plu.DataRowCount());
  EXPECT_TRUE(state.LinkBusy);
  EXPECT_FALSE(flags.Any());
}

}  // namespace
}  // namespace qm
