// The message editor on its page: commands on buttons and F-keys with the PLU references
// renumbered in the PLU grid, comma text kept through Write, typing and the exit question, and
// the reloads of a page change.
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "TablesFixture.h"
#include "tables/CommaText.h"
#include "tables/ModifiedFlags.h"

namespace qm {
namespace {

using Texts = std::vector<std::string>;

class MessageEditorTest : public qmtest::TablesFixture {
 protected:
  void SetUp() override {
    TablesFixture::SetUp();
    SetMessages({{"One", "first"}, {"Two", "second"}, {"Three", "third"}});
    SetPluRows({{"1", "a"}, {"2", "b"}, {"3", "c"}, {"4", "d"}});
    const char* refs[] = {"1", "2", "3", "0"};
    for (int r = 1; r <= 4; ++r) Plu().SetCell(kMessageNo, r, refs[r - 1]);
    Form().Pages().PageControl->setCurrentIndex(1);
  }
  void TypeText(const QString& text) {
    Focus(M().MsgRichEdit);
    M().MsgRichEdit->selectAll();
    QTest::keyClick(M().MsgRichEdit, Qt::Key_Backspace);
    for (QChar c : text) {
      if (c == QLatin1Char('\n')) {
        QTest::keyClick(M().MsgRichEdit, Qt::Key_Return);
      } else {
        QTest::keyClicks(M().MsgRichEdit, QString(c));
      }
    }
  }
  Texts Numbers() {
    Texts out;
    for (int r = 1; r < MsgGrid().RowCount(); ++r) out.push_back(MsgGrid().Cell(kMsgNo, r));
    return out;
  }
};

TEST_F(MessageEditorTest, InsAndDelRenumberThePluReferencesShownInTheGrid) {
  MsgGrid().MoveToCell(kMsgName, 2);
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "second");
  TypeText("X");
  M().MsgIns->click();
  EXPECT_EQ(Numbers(), (Texts{"1", "2", "3", "4"}));
  EXPECT_EQ(T().Messages().Texts(), (Texts{"first", "X", "second", "third"}));
  EXPECT_EQ(MsgGrid().CurrentRow(), 2);  // the PLU row's refresh leaves this page alone
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "X");
  EXPECT_EQ(Shown(kMessageNo), (Texts{"1", "3", "4", "0"}));
  EXPECT_EQ(E().MIMemo->text(), "1");
  EXPECT_EQ(Panel(kPanelMsgCount), "4 MSG");
  EXPECT_FALSE(M().MessageDirty());

  // F5 in the text area deletes message 2 again; F7 on a button pastes it back.
  QTest::keyClick(M().MsgRichEdit, Qt::Key_F5);
  EXPECT_EQ(T().Messages().Texts(), (Texts{"first", "second", "third"}));
  EXPECT_EQ(Shown(kMessageNo), (Texts{"1", "2", "3", "0"}));
  EXPECT_EQ(Panel(kPanelMsgCount), "3 MSG");
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "second");  // the row that moved up

  QTest::keyClick(M().MsgDel, Qt::Key_F5);  // deleting "second": references to 2 become 0
  EXPECT_EQ(Shown(kMessageNo), (Texts{"1", "0", "2", "0"}));
  QTest::keyClick(M().MsgPaste, Qt::Key_F7);
  EXPECT_EQ(T().Messages().Texts(), (Texts{"first", "second", "third"}));
  EXPECT_EQ(Utf8(MsgGrid().Cell(kMsgName, 2)), "Two");
  EXPECT_EQ(Shown(kMessageNo), (Texts{"1", "0", "3", "0"}));
  EXPECT_EQ(M().MsgNameEdit->text(), "Two");
  EXPECT_TRUE(T().Flags().MessageTableModified());

  // Back on the PLU page the preview follows the renumbered reference.
  Plu().MoveToCell(0, 3);
  Form().Pages().PageControl->setCurrentIndex(0);
  EXPECT_EQ(E().MIMemo->text(), "3");
  EXPECT_EQ(E().MsgShowBox->title(), "Three");
}

TEST_F(MessageEditorTest, LinesWithBlanksAndCommasSurviveWriteAndARefresh) {
  MsgGrid().MoveToCell(kMsgName, 3);
  TypeText("a b, c\nsay \"hi\"\n\nend");
  QTest::keyClick(M().MsgNameEdit, Qt::Key_F1);
  EXPECT_EQ(T().Messages().Texts().at(2), "\"a b, c\",\"say \"\"hi\"\"\",,end");
  EXPECT_FALSE(M().MessageDirty());
  M().ShowInEditor({}, std::string());
  T().MsgCmds().RefreshCurrent();
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "a b, c\nsay \"hi\"\n\nend");
  EXPECT_EQ(M().MsgNameEdit->text(), "Three");
}

TEST_F(MessageEditorTest, WriteAddAndClearFromTheButtons) {
  MsgGrid().MoveToCell(kMsgName, 2);
  Retype(M().MsgNameEdit, "   ");
  M().MsgWrite->click();
  EXPECT_EQ(Utf8(MsgGrid().Cell(kMsgName, 2)), "Список 3");
  Retype(M().MsgNameEdit, "New");
  QTest::keyClick(M().MsgWrite, Qt::Key_F2);
  EXPECT_EQ(Numbers(), (Texts{"1", "2", "3", "4"}));
  EXPECT_EQ(Utf8(MsgGrid().Cell(kMsgName, 4)), "New");
  EXPECT_EQ(MsgGrid().CurrentRow(), 4);
  M().MsgClear->click();
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "");
  EXPECT_EQ(M().MsgNameEdit->text(), "");
  EXPECT_EQ(T().Messages().Texts().at(3), "second");  // Clear touches the editor only
  EXPECT_EQ(M().MsgNameEdit->maxLength(), 28);
  EXPECT_EQ(M().MsgRichEdit->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(M().MsgDel->toolTip(), QStringLiteral("Удалить сообщение  F5"));
}

TEST_F(MessageEditorTest, LeavingAChangedMessageAsksAndEachAnswerDoesItsPart) {
  MsgGrid().MoveToCell(kMsgName, 1);
  TypeText("edited");
  EXPECT_TRUE(M().MessageDirty());
  // Within the editor and to its buttons (Copy excepted) nothing is asked.
  Focus(M().MsgNameEdit);
  Focus(M().MsgWrite);
  Focus(M().MsgRichEdit);
  EXPECT_TRUE(dialogs_.Shown().empty());

  dialogs_.ExpectMessage("Сообщение было изменено, сохранить?", kButtonCancel, "Подтвердите");
  Focus(T().MsgSortGrid);
  EXPECT_EQ(Focused(), M().MsgRichEdit);
  EXPECT_TRUE(M().MessageDirty());

  dialogs_.ExpectMessage("Сообщение было изменено, сохранить?", kButtonNo);
  Focus(M().MsgCopy);
  EXPECT_EQ(Focused(), M().MsgCopy);
  EXPECT_FALSE(M().MessageDirty());
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "edited");  // still shown, not written
  EXPECT_EQ(T().Messages().Texts().at(0), "first");

  QTest::keyClicks(M().MsgRichEdit, "!");
  Focus(M().MsgRichEdit);
  dialogs_.ExpectMessage("Сообщение было изменено, сохранить?", kButtonYes);
  Focus(T().PLUSortGrid);
  EXPECT_EQ(T().Messages().Texts().at(0), "edited!");
  dialogs_.VerifyDone();
  EXPECT_EQ(dialogs_.Shown().back().icon, DialogIcon::Question);
}

TEST_F(MessageEditorTest, EscapeUndoesAndEditsWithoutCharactersStillCount) {
  MsgGrid().MoveToCell(kMsgName, 1);
  Focus(M().MsgNameEdit);
  QTest::keyClicks(M().MsgNameEdit, "x");
  EXPECT_EQ(M().MsgNameEdit->text(), "Onex");
  QTest::keyClick(M().MsgNameEdit, Qt::Key_Escape);
  EXPECT_EQ(M().MsgNameEdit->text(), "One");
  M().ClearMessageDirty();
  Focus(M().MsgRichEdit);
  M().MsgRichEdit->moveCursor(QTextCursor::Start);
  QTest::keyClick(M().MsgRichEdit, Qt::Key_Delete);
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "irst");
  EXPECT_TRUE(M().MessageDirty());
}

TEST_F(MessageEditorTest, TabMovesOnFromTheTextAndTheNameWithoutMarkingTheMessage) {
  struct Case {
    QWidget* from;
    Qt::KeyboardModifiers modifiers;
    QWidget* to;
  };
  for (const Case c : {Case{M().MsgRichEdit, Qt::NoModifier, M().MsgNameEdit},
                       Case{M().MsgNameEdit, Qt::NoModifier, M().MsgWrite},
                       Case{M().MsgNameEdit, Qt::ShiftModifier, M().MsgRichEdit}}) {
    SCOPED_TRACE(c.from->objectName().toStdString());
    Focus(c.from);
    Key(Qt::Key_Tab, c.modifiers);
    EXPECT_EQ(Focused(), c.to);
    EXPECT_FALSE(M().MessageDirty());
  }
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "first");
}

TEST_F(MessageEditorTest, APageChangeReloadsTheEditorOfThatPage) {
  // On the PLU page a message row change goes to the preview only.
  Form().Pages().PageControl->setCurrentIndex(0);
  MsgGrid().MoveToCell(kMsgName, 3);
  EXPECT_EQ(E().MsgShowRichEdit->toPlainText(), "third");
  EXPECT_EQ(E().MsgShowBox->title(), "Three");
  M().ShowInEditor({"stale"}, "stale");
  Form().Pages().PageControl->setCurrentIndex(1);
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "third");
  EXPECT_EQ(M().MsgNameEdit->text(), "Three");

  // Page 0 reloads the PLU row and ends a pending SuppressRowLoad.
  Plu().SetCell(kName1, 1, "changed");
  E().SetSuppressRowLoad(true);
  Form().Pages().PageControl->setCurrentIndex(0);
  EXPECT_FALSE(E().SuppressRowLoad());
  Form().Pages().PageControl->setCurrentIndex(1);
  Form().Pages().PageControl->setCurrentIndex(0);
  EXPECT_EQ(E().INEdit1->text(), "changed");
}

TEST_F(MessageEditorTest, RefreshesOfThePluRowLeaveTheMessagePageAlone) {
  Plu().MoveToCell(0, 4);  // an item without a message
  MsgGrid().MoveToCell(kMsgName, 2);
  Retype(M().MsgNameEdit, "Keep");
  M().MsgIns->click();
  EXPECT_EQ(M().MsgNameEdit->text(), "Keep");
  EXPECT_EQ(Utf8(MsgGrid().Cell(kMsgName, 2)), "Keep");

  // A command from the tool bar that refreshes the PLU row (matching) while a message is being
  // typed does not replace the typed text.
  TypeText("unwritten");
  dialogs_.ExpectMessage("Строки с номером товара, большим 4000 будут удалены, продолжить?",
                         kButtonYes);
  dialogs_.ExpectMessage("Номера товаров и PLU приведены в соответствие.", kButtonOk);
  Act(Cmd::MatchButton)->trigger();
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "unwritten");
  EXPECT_TRUE(M().MessageDirty());
  EXPECT_EQ(MsgGrid().CurrentRow(), 2);
}

}  // namespace
}  // namespace qm
