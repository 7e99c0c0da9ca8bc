#include "tables/MessageCommands.h"

#include <functional>

#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "support/RecordingStatusView.h"
#include "tables/CommaText.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

using V = std::vector<std::string>;

class FakeMsgEditor : public MessageEditorHooks {
 public:
  V EditorLines() const override { return lines; }
  std::string EditorName() const override { return name; }
  void ShowInEditor(const V& l, const std::string& n) override {
    lines = l;
    name = n;
  }
  void ShowInPreview(const V& l, const std::string& n) override {
    previewLines = l;
    previewName = n;
  }
  bool PluTabShown() const override { return pluTab; }
  void ClearMessageDirty() override { ++cleaned; }
  void RefreshPluRow() override {
    ++pluRefreshes;
    if (onPluRefresh) onPluRefresh();
  }

  V lines, previewLines;
  std::string name, previewName;
  bool pluTab = false;
  int cleaned = 0, pluRefreshes = 0;
  std::function<void()> onPluRefresh;
};

struct Messages : ::testing::Test {
  Messages() : flags(&view), commands(table, plu, flags, &view, editor) {}

  // Messages named and holding the given one-word texts, numbered 1..n in row order.
  void Fill(V texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (i > 0) table.Grid().AppendRow();
      const int row = static_cast<int>(i) + 1;
      table.Grid().SetCell(kMsgNo, row, std::to_string(row));
      table.Grid().SetCell(kMsgName, row, "n" + texts[i]);
    }
    table.Texts() = texts;
  }
  void PluRefs(V refs) {
    plu.SetRowCount(static_cast<int>(refs.size()) + 1);
    for (std::size_t i = 0; i < refs.size(); ++i)
      plu.SetCell(kMessageNo, static_cast<int>(i) + 1, refs[i]);
  }
  V Refs() const {
    V out;
    for (int r = 1; r < plu.RowCount(); ++r) out.push_back(plu.Cell(kMessageNo, r));
    return out;
  }
  // "number:name" per grid row, in row order.
  V Rows() const {
    V out;
    const TextGrid& g = table.Grid();
    for (int r = 1; r < g.RowCount(); ++r)
      out.push_back(g.Cell(kMsgNo, r) + ":" + Utf8(g.Cell(kMsgName, r)));
    return out;
  }
  void Current(int row) { table.Grid().MoveToCell(kMsgName, row); }

  qmtest::RecordingStatusView view;
  ModifiedFlags flags;
  MessageTable table;
  TextGrid plu{kPluColumnCount};
  FakeMsgEditor editor;
  MessageCommands commands;
};

TEST_F(Messages, FreshTable) {
  commands.ShowCount();
  EXPECT_EQ(view.panels[kPanelMsgCount], "1 MSG");
  EXPECT_EQ(Rows(), V{"1:Список 1"});
  EXPECT_EQ(table.Texts(), V{""});
  EXPECT_EQ(Utf8(table.Grid().Cell(kMsgNo, 0)), "№");
  EXPECT_EQ(Utf8(table.Grid().Cell(kMsgName, 0)), "Название");
  EXPECT_EQ(Utf8(commands.Buffer().name), "Список 0");
  EXPECT_EQ(commands.Buffer().text, "");
}

TEST_F(Messages, NewTableStartsOverAfterEdits) {
  Fill({"A", "B", "C"});
  editor.lines = {"x"};
  commands.Copy();
  commands.Write();
  commands.NewTable();
  EXPECT_EQ(Rows(), V{"1:Список 1"});
  EXPECT_EQ(table.Texts(), V{""});
  EXPECT_TRUE(editor.lines.empty());
  EXPECT_EQ(Utf8(commands.Buffer().name), "Список 0");
  EXPECT_FALSE(flags.MessageTableModified());
  EXPECT_EQ(view.panels[kPanelMsgCount], "1 MSG");
}

TEST_F(Messages, InsMovesLaterMessagesAndThePluReferencesToThemUp) {
  Fill({"A", "B", "C"});
  PluRefs({"2", "1", "0", "3", "x"});
  Current(2);
  editor.lines = {"X"};
  editor.name = "nX";
  commands.Ins();
  EXPECT_EQ(Rows(), (V{"1:nA", "2:nX", "3:nB", "4:nC"}));
  EXPECT_EQ(table.Texts(), (V{"A", "X", "B", "C"}));
  EXPECT_EQ(Refs(), (V{"3", "1", "0", "4", "x"}));
  EXPECT_EQ(table.Grid().CurrentRow(), 2);
  EXPECT_TRUE(flags.MessageTableModified());
  EXPECT_TRUE(flags.PluTableModified());
  EXPECT_EQ(editor.pluRefreshes, 1);
  EXPECT_FALSE(table.SuppressMsgSelect());
  EXPECT_EQ(view.panels[kPanelMsgCount], "4 MSG");
}

TEST_F(Messages, InsThatChangesNoPluRowLeavesThePluTableUnmarked) {
  Fill({"A", "B"});
  PluRefs({"1", "0", ""});
  Current(2);
  editor.name = "";
  commands.Ins();
  EXPECT_EQ(Refs(), (V{"1", "0", ""}));
  EXPECT_FALSE(flags.PluTableModified());
  EXPECT_EQ(Rows(), (V{"1:nA", "2:Список 3", "3:nB"}));  // default name carries the new count
}

TEST_F(Messages, DelRenumbersAndPasteBringsTheMessageBack) {
  Fill({"A", "B", "C"});
  PluRefs({"2", "3", "1"});
  Current(2);
  commands.Del();
  EXPECT_EQ(Rows(), (V{"1:nA", "2:nC"}));
  EXPECT_EQ(table.Texts(), (V{"A", "C"}));
  EXPECT_EQ(Refs(), (V{"0", "2", "1"}));
  EXPECT_TRUE(flags.PluTableModified());
  EXPECT_EQ(editor.pluRefreshes, 1);
  EXPECT_EQ(commands.Buffer(), (MessageBuffer{"nB", "B"}));
  EXPECT_EQ(table.Grid().CurrentRow(), 2);
  EXPECT_EQ(editor.lines, V{"C"});  // the refresh shows the row that moved up
  EXPECT_EQ(view.panels[kPanelMsgCount], "2 MSG");

  commands.Paste();
  EXPECT_EQ(Rows(), (V{"1:nA", "2:nB", "3:nC"}));
  EXPECT_EQ(table.Texts(), (V{"A", "B", "C"}));
  EXPECT_EQ(Refs(), (V{"0", "3", "1"}));
  EXPECT_EQ(editor.lines, V{"B"});
  EXPECT_EQ(editor.name, "nB");
}

TEST_F(Messages, DelOnTheOnlyMessageEmptiesItAndLeavesReferencesAlone) {
  table.Texts() = {"hello"};
  PluRefs({"1", "2"});
  view.panels[kPanelMsgCount] = "untouched";
  commands.Del();
  EXPECT_EQ(Rows(), V{"1:Список 1"});
  EXPECT_EQ(table.Texts(), V{""});
  EXPECT_EQ(Refs(), (V{"1", "2"}));
  EXPECT_FALSE(flags.PluTableModified());
  EXPECT_TRUE(flags.MessageTableModified());
  EXPECT_EQ(commands.Buffer(), (MessageBuffer{Win1251("Список 1"), "hello"}));
  EXPECT_EQ(view.panels[kPanelMsgCount], "untouched");
}

TEST_F(Messages, DefaultNamesCarryTheRowCount) {
  Fill({"A", "B", "C", "D"});
  editor.name = "  \t";
  commands.Add();
  EXPECT_EQ(Rows().back(), "5:Список 5");
  EXPECT_EQ(table.Grid().CurrentRow(), 5);
  EXPECT_EQ(table.Texts().size(), 5u);
  Current(2);
  commands.Write();
  EXPECT_EQ(Rows()[1], "2:Список 5");
  editor.name = Win1251("  Молоко ");
  commands.Write();
  EXPECT_EQ(Rows()[1], "2:Молоко");
}

TEST_F(Messages, InsOnASortedGridInsertsAtTheRowPositionOfTheNumber) {
  Fill({"C", "A", "B"});  // names nC, nA, nB
  struct NoHooks : SortHooks {
  } hooks;
  commands.TitleClick(kMsgName, false, hooks);
  ASSERT_EQ(Rows(), (V{"2:nA", "3:nB", "1:nC"}));
  Current(1);  // number 2
  editor.name = "nX";
  commands.Ins();
  EXPECT_EQ(Rows(), (V{"3:nA", "2:nX", "4:nB", "1:nC"}));
  EXPECT_EQ(table.Grid().CurrentRow(), 2);
  EXPECT_EQ(table.TextOf(2), "");
  EXPECT_EQ(table.TextOf(3), "A");
}

TEST_F(Messages, PasteNamesTheInsertedMessageEvenWhenThePluRefreshMovesTheCursor) {
  Fill({"A", "B"});
  PluRefs({"1"});
  editor.onPluRefresh = [&] { commands.SelectMessage(1); };  // as the row editor's refresh does
  Current(2);
  commands.Copy();
  commands.Paste();
  EXPECT_EQ(Rows(), (V{"1:nA", "2:nB", "3:nB"}));
  EXPECT_EQ(editor.lines, V{"B"});
  EXPECT_EQ(editor.name, "nB");
}

TEST_F(Messages, PasteAtStartInsertsAnEmptyMessageNamedListZero) {
  commands.Paste();
  EXPECT_EQ(Rows(), (V{"1:Список 0", "2:Список 1"}));
  EXPECT_EQ(table.Texts(), (V{"", ""}));
  EXPECT_TRUE(flags.MessageTableModified());
}

TEST_F(Messages, TextWithBlanksCommasQuotesAndAnEmptyLineSurvivesWriteAndRefresh) {
  const V lines = {"Состав: мука, вода", "", "\"Люкс\"", " отступ"};
  editor.lines = lines;
  commands.Write();
  EXPECT_EQ(table.TextOf(1), ToCommaText(lines));
  editor.lines.clear();
  commands.RefreshCurrent();
  EXPECT_EQ(editor.lines, lines);
}

TEST_F(Messages, SelectingGoesByNumberAndRespectsTheSuppression) {
  Fill({"A", "B"});
  table.Grid().SetCell(kMsgNo, 1, "2");
  table.Grid().SetCell(kMsgNo, 2, "1");
  EXPECT_FALSE(commands.SelectMessage(3));
  EXPECT_FALSE(commands.SelectMessage(0));
  ASSERT_TRUE(commands.SelectMessage(1));
  EXPECT_EQ(table.Grid().CurrentRow(), 2);
  EXPECT_EQ(table.Grid().CurrentColumn(), kMsgName);
  EXPECT_EQ(editor.previewLines, V{"A"});
  EXPECT_FALSE(table.SuppressMsgSelect());

  editor.pluTab = true;
  commands.SelectCell(1);
  EXPECT_EQ(editor.previewLines, V{"B"});
  EXPECT_EQ(editor.previewName, "nA");
  table.SetSuppressMsgSelect(true);
  commands.SelectCell(2);
  EXPECT_EQ(editor.previewLines, V{"B"});
}

TEST_F(Messages, TitleClicksStartDescendingOnNumberAndAscendingOnName) {
  Fill({"b", "a", "c"});
  struct NoHooks : SortHooks {
  } hooks;
  commands.TitleClick(kMsgNo, false, hooks);
  EXPECT_EQ(Rows(), (V{"3:nc", "2:na", "1:nb"}));
  commands.TitleClick(kMsgName, false, hooks);
  EXPECT_EQ(Rows(), (V{"2:na", "1:nb", "3:nc"}));
  commands.TitleClick(kMsgNo, false, hooks);
  EXPECT_EQ(Rows(), (V{"1:nb", "2:na", "3:nc"}));
  commands.ResetSortToggles();
  EXPECT_EQ(commands.SortToggle(kMsgNo), 1);
  EXPECT_EQ(commands.SortToggle(kMsgName), 0);
  EXPECT_FALSE(flags.Any());
}

TEST(MessageRenumbering, DeleteTreatsNonNumbersAsOneAndInsertAsZero) {
  TextGrid plu(kPluColumnCount);
  plu.SetRowCount(4);
  plu.SetCell(kMessageNo, 1, "");
  plu.SetCell(kMessageNo, 2, "2147483647");
  plu.SetCell(kMessageNo, 3, "4");
  EXPECT_TRUE(RenumberPluMessagesAfterInsert(plu, 3));
  EXPECT_EQ(plu.Cell(kMessageNo, 1), "");
  EXPECT_EQ(plu.Cell(kMessageNo, 2), "2147483648");
  EXPECT_EQ(plu.Cell(kMessageNo, 3), "5");
  EXPECT_TRUE(RenumberPluMessagesAfterDelete(plu, 1));
  EXPECT_EQ(plu.Cell(kMessageNo, 1), "0");
  EXPECT_EQ(plu.Cell(kMessageNo, 3), "4");
  EXPECT_FALSE(RenumberPluMessagesAfterDelete(plu, 9));
}

}  // namespace
}  // namespace qm
