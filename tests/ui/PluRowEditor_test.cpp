// The PLU row editor and the row commands driven through the real widgets: buttons, function
// keys, typing, Enter, focus moves and the exit question.
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "TablesFixture.h"
#include "ui/transfer/MainFormTransfers.h"
#include "ui/transfer/TotalsView.h"
#include "tables/ModifiedFlags.h"

namespace qm {
namespace {

using Texts = std::vector<std::string>;

class PluRowEditorTest : public qmtest::TablesFixture {
 protected:
  void SetUp() override {
    TablesFixture::SetUp();
    SetPluRows({{"1", "P"}, {"2", "Q"}, {"3", "R"}});
  }
};

TEST(TablesStartUp, CreationLeavesTheFreshTablesLoaded) {
  qmtest::FreshSettingsFile();
  TMainForm form;
  auto& t = form.Tables();
  EXPECT_EQ(t.PluTable().DataRowCount(), 1);
  EXPECT_EQ(t.PluEditor().PNMemo->text(), "1");
  EXPECT_EQ(t.PluEditor().MIMemo->text(), "0");
  EXPECT_EQ(t.PluEditor().LogoComboBox->currentText(), QStringLiteral("Логотипа нет"));
  EXPECT_EQ(t.PluEditor().MsgShowBox->title(), QStringLiteral("Сообщение отсутствует..."));
  EXPECT_EQ(Utf8(t.MsgCmds().Buffer().name), "Список 0");
  EXPECT_EQ(Utf8(t.Messages().Grid().Cell(kMsgName, 1)), "Список 1");
  EXPECT_FALSE(t.Flags().Any());
}

TEST_F(PluRowEditorTest, InsAddDelCopyPasteThroughButtonsAndFunctionKeys) {
  // Q current; the editor holding X; Ins puts X in front of Q.
  Plu().MoveToCell(0, 2);
  EXPECT_EQ(E().INEdit1->text(), "Q");
  Retype(E().INEdit1, "X");
  E().PLUIns->click();
  EXPECT_EQ(Names(), (Texts{"P", "X", "Q", "R"}));
  EXPECT_EQ(Plu().CurrentRow(), 2);
  EXPECT_EQ(Panel(kPanelPluCount), "4 PLU");
  EXPECT_TRUE(T().Flags().PluTableModified());
  EXPECT_FALSE(E().PluDirty());

  // F2 in a field appends the editor's contents; the row that was current is untouched.
  Retype(E().INEdit1, "Y");
  QTest::keyClick(E().INEdit1, Qt::Key_F2);
  EXPECT_EQ(Names(), (Texts{"P", "X", "Q", "R", "Y"}));
  EXPECT_EQ(Plu().CurrentRow(), 5);
  EXPECT_EQ(Panel(kPanelPluCount), "5 PLU");

  // Del on the last row: the new last row becomes current and the editor shows it.
  E().PLUDel->click();
  EXPECT_EQ(Names(), (Texts{"P", "X", "Q", "R"}));
  EXPECT_EQ(Plu().CurrentRow(), 4);
  EXPECT_EQ(E().INEdit1->text(), "R");
  EXPECT_EQ(Panel(kPanelPluCount), "4 PLU");

  // Copy P, then F7 twice with R current: each paste goes in front of the current row.
  Plu().MoveToCell(0, 1);
  QTest::keyClick(E().PLUCopy, Qt::Key_F6);
  Plu().MoveToCell(0, 4);
  QTest::keyClick(E().PNMemo, Qt::Key_F7);
  QTest::keyClick(E().PLUPaste, Qt::Key_F7);
  EXPECT_EQ(Names(), (Texts{"P", "X", "Q", "P", "P", "R"}));
  EXPECT_EQ(Plu().CurrentRow(), 4);
  EXPECT_EQ(E().INEdit1->text(), "P");
  EXPECT_EQ(Panel(kPanelPluCount), "6 PLU");

  // Del with F5 from the logo selector: the row that followed becomes current.
  QTest::keyClick(E().LogoComboBox, Qt::Key_F5);
  EXPECT_EQ(Names(), (Texts{"P", "X", "Q", "P", "R"}));
  EXPECT_EQ(E().INEdit1->text(), "P");
  // The grid view follows the table.
  EXPECT_EQ(Shown(kName1), (Texts{"P", "X", "Q", "P", "R"}));
  EXPECT_EQ(T().PLUSortGrid->currentIndex().row(), 3);
}

TEST_F(PluRowEditorTest, DelOnTheOnlyRowEmptiesItAndPasteBringsItBack) {
  SetPluRows({{"7", "Only"}});
  E().PLUDel->click();
  EXPECT_EQ(Plu().DataRowCount(), 1);
  EXPECT_EQ(Names(), (Texts{""}));
  EXPECT_EQ(Column(kPluNo), (Texts{""}));
  EXPECT_EQ(Panel(kPanelPluCount), "1 PLU");
  EXPECT_EQ(E().PNMemo->text(), "");
  E().PLUPaste->click();
  EXPECT_EQ(Names(), (Texts{"Only", ""}));
  EXPECT_EQ(Column(kPluNo), (Texts{"7", ""}));
  EXPECT_EQ(Panel(kPanelPluCount), "2 PLU");
  EXPECT_EQ(E().PNMemo->text(), "7");
}

TEST_F(PluRowEditorTest, F4InTheNameFieldEmptiesTheWholeRow) {
  Plu().SetCell(kPrice, 2, "12.50");
  Plu().MoveToCell(0, 2);
  Focus(E().INEdit1);
  QTest::keyClick(E().INEdit1, Qt::Key_F4);
  EXPECT_EQ(Plu().Row(2), Cells(kPluColumnCount));
  EXPECT_EQ(Names(), (Texts{"P", "", "R"}));
  EXPECT_EQ(E().UPMemo->text(), "");
  EXPECT_EQ(E().PNMemo->text(), "");
  EXPECT_EQ(T().PluCmds().Buffer()[kName1], "Q");
  EXPECT_EQ(Panel(kPanelPluCount), "3 PLU");
}

TEST_F(PluRowEditorTest, KeyFilterFollowsTheFieldClass) {
  Retype(E().PNMemo, "1.2");  // "." refused in digit-only fields
  EXPECT_EQ(E().PNMemo->text(), "12");
  Retype(E().UPMemo, "1a.5");  // letters refused, "." accepted in price
  EXPECT_EQ(E().UPMemo->text(), "1.5");
  Retype(E().INEdit1, "ab.1");  // any text in names
  EXPECT_EQ(E().INEdit1->text(), "ab.1");
  Retype(E().SOMemo, "RU.x");
  EXPECT_EQ(E().SOMemo->text(), "RU.x");
  EXPECT_TRUE(E().PluDirty());
  // Maximum lengths.
  Retype(E().PNMemo, "123456");
  EXPECT_EQ(E().PNMemo->text(), "1234");
  EXPECT_EQ(E().INEdit1->maxLength(), 28);
  EXPECT_EQ(E().SLMemo->maxLength(), 10);
  EXPECT_EQ(E().TWMemo->maxLength(), 5);
}

// The filter refuses characters, not editing commands; a paste is typing all at once: it goes
// in whole or, with a beep, not at all.
TEST_F(PluRowEditorTest, EditingShortcutsWorkAndAPastePassesTheFilterWhole) {
  using Keys = std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>;
  const Keys selectAllThen7 = {{Qt::Key_A, Qt::ControlModifier}, {Qt::Key_7, Qt::NoModifier}};
  const Keys paste = {{Qt::Key_V, Qt::ControlModifier}};
  const Keys shiftInsert = {{Qt::Key_Insert, Qt::ShiftModifier}};
  const Keys cutThenUndo = {{Qt::Key_A, Qt::ControlModifier},
                            {Qt::Key_X, Qt::ControlModifier},
                            {Qt::Key_Z, Qt::ControlModifier}};
  struct Case {
    QLineEdit* field;
    Keys keys;
    QString clipboard;
    QString expected;
    bool beep;
  };
  const Case cases[] = {
      {E().PNMemo, selectAllThen7, "", "7", false},
      {E().UPMemo, paste, "123.45", "0123.45", false},
      {E().TWMemo, shiftInsert, "1.5", "01.5", false},
      {E().PNMemo, paste, "12.5", "1", true},  // "." is not a digit
      {E().UPMemo, paste, "1a", "0", true},
      {E().INEdit1, paste, "a-b", "Pa-b", false},
      {E().GCMemo, cutThenUndo, "", "0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field->objectName().toStdString() + " " + c.clipboard.toStdString());
    E().Refresh();
    E().ClearPluDirty();
    int beeps = 0;
    E().SetBeep([&] { ++beeps; });
    QGuiApplication::clipboard()->setText(c.clipboard);
    Focus(c.field);
    c.field->end(false);
    for (const auto& [key, modifiers] : c.keys) QTest::keyClick(c.field, key, modifiers);
    EXPECT_EQ(c.field->text(), c.expected);
    EXPECT_EQ(beeps, c.beep ? 1 : 0);
    EXPECT_EQ(E().PluDirty(), !c.beep);
  }
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("0")) << "Ctrl+X cut the field";
}

TEST_F(PluRowEditorTest, EscapeUndoesAndOnlyTypingMarksTheEditor) {
  Focus(E().INEdit1);
  E().INEdit1->end(false);
  QTest::keyClick(E().INEdit1, Qt::Key_Left);  // no character: not a change
  EXPECT_FALSE(E().PluDirty());
  E().LogoComboBox->setCurrentIndex(2);  // nor is a logo choice
  EXPECT_FALSE(E().PluDirty());
  QTest::keyClicks(E().INEdit1, "z");
  EXPECT_TRUE(E().PluDirty());
  EXPECT_EQ(E().INEdit1->text(), "zP");
  QTest::keyClick(E().INEdit1, Qt::Key_Escape);
  EXPECT_EQ(E().INEdit1->text(), "P");
}

TEST_F(PluRowEditorTest, TheDeleteKeyMarksTheEditorSoTheEditIsNotLostSilently) {
  Focus(E().INEdit1);
  E().INEdit1->home(false);
  QTest::keyClick(E().INEdit1, Qt::Key_Delete);
  EXPECT_EQ(E().INEdit1->text(), "");
  EXPECT_TRUE(E().PluDirty());
  dialogs_.ExpectMessage("Данные были изменены, сохранить?", kButtonCancel, "Подтвердите");
  Focus(T().PLUSortGrid);
  EXPECT_EQ(Focused(), E().INEdit1);
}

TEST_F(PluRowEditorTest, EnterWalksTheTagOrderAndFinishesOnWriteOrAdd) {
  Plu().MoveToCell(0, 2);
  const std::vector<QWidget*> order = {E().PNMemo,  E().ICMemo,      E().GCMemo, E().INEdit1,
                                       E().INEdit2, E().UPMemo,      E().SLMemo, E().TWMemo,
                                       E().MIMemo,  E().LogoComboBox};
  Focus(order[0]);
  for (std::size_t i = 1; i < order.size(); ++i) {
    QTest::keyClick(Focused(), Qt::Key_Return);
    EXPECT_EQ(Focused(), order[i]) << "after field " << i - 1;
  }
  // No logo: the code is emptied and the same PLU number finishes on Write.
  E().SOMemo->setText("ABC");
  QTest::keyClick(Focused(), Qt::Key_Return);
  EXPECT_EQ(E().SOMemo->text(), "");
  EXPECT_EQ(Focused(), E().PLUWrite);

  // A logo goes through the code field; a new number finishes on Add.
  Retype(E().PNMemo, "9");
  E().LogoComboBox->setCurrentIndex(1);
  Focus(E().LogoComboBox);
  QTest::keyClick(E().LogoComboBox, Qt::Key_Return);
  EXPECT_EQ(Focused(), E().SOMemo);
  QTest::keyClick(E().SOMemo, Qt::Key_Return);
  EXPECT_EQ(Focused(), E().PLUAdd);
  EXPECT_EQ(Names(), (Texts{"P", "Q", "R"}));  // Enter itself stores nothing

  // Enter on Add appends the row and comes back to PNMemo with the next number.
  QTest::keyClick(E().PLUAdd, Qt::Key_Return);
  EXPECT_EQ(Column(kPluNo), (Texts{"1", "2", "3", "9"}));
  EXPECT_EQ(Plu().CurrentRow(), 4);
  EXPECT_EQ(E().PNMemo->text(), "5");
  EXPECT_EQ(Focused(), E().PNMemo);
  EXPECT_FALSE(E().AdvanceOnWrite());
  // A click on Write does not advance.
  E().PLUWrite->click();
  EXPECT_EQ(Column(kPluNo), (Texts{"1", "2", "3", "5"}));
  EXPECT_EQ(E().PNMemo->text(), "5");
}

TEST_F(PluRowEditorTest, CommitCutsTheCertificationCodeAndClearsTheSales) {
  ASSERT_EQ(Form().State().CurrentScale.SoCodeLen, 4);
  Plu().SetCell(kSalesStart, 1, "01.02.24, 10:00:00");
  Plu().SetCell(kSalesCount, 1, "5");
  Plu().SetCell(kSalesAmount, 1, "10.50");
  E().Refresh();
  EXPECT_EQ(E().SalesBox->title(), QStringLiteral("Итог продаж c 01.02.24, 10:00:00"));
  EXPECT_EQ(E().CNMemo->text(), "5");
  EXPECT_TRUE(E().CNMemo->isReadOnly());

  E().LogoComboBox->setCurrentIndex(1);
  Retype(E().SOMemo, "ABCDEF");
  Retype(E().UPMemo, "12.5");
  QTest::keyClick(E().SOMemo, Qt::Key_F1);
  EXPECT_EQ(Plu().Cell(kLogo, 1), "1 ABCD");
  EXPECT_EQ(Plu().Cell(kPrice, 1), "12.50");
  EXPECT_EQ(E().SOMemo->text(), "ABCD");
  EXPECT_EQ(E().UPMemo->text(), "12.50");
  for (int c = kSalesStart; c <= kSalesWeight; ++c) EXPECT_EQ(Plu().Cell(c, 1), "") << c;
  EXPECT_EQ(E().SalesBox->title(), QStringLiteral("Итог продаж"));
  EXPECT_EQ(E().CNMemo->text(), "");

  // Logo choice 0 stores "0" and empties the code.
  E().LogoComboBox->setCurrentIndex(0);
  Retype(E().SOMemo, "XYZ");
  E().PLUWrite->click();
  EXPECT_EQ(Plu().Cell(kLogo, 1), "0");
  EXPECT_EQ(E().SOMemo->text(), "");

  // A row without a logo cell keeps the selector's choice, so a new row takes it.
  Plu().SetCell(kLogo, 1, "2 RU");
  E().Refresh();
  EXPECT_EQ(E().LogoComboBox->currentIndex(), 2);
  EXPECT_EQ(E().SOMemo->text(), "RU");
  Plu().MoveToCell(0, 2);
  EXPECT_EQ(E().LogoComboBox->currentIndex(), 2);
  EXPECT_EQ(E().SOMemo->text(), "");
  E().PLUWrite->click();
  EXPECT_EQ(Plu().Cell(kLogo, 2), "2");
}

TEST_F(PluRowEditorTest, LeavingAChangedFieldAsksAndEachAnswerDoesItsPart) {
  // Moving to Write, or to another field, does not ask.
  Retype(E().INEdit1, "Changed");
  Focus(E().PLUWrite);
  Focus(E().UPMemo);
  EXPECT_TRUE(dialogs_.Shown().empty());

  // Cancel: back on the field, still changed, and the grid keeps its current row.
  dialogs_.ExpectMessage("Данные были изменены, сохранить?", kButtonCancel, "Подтвердите");
  Focus(E().INEdit1);
  ClickCell(T().PLUSortGrid, 2, 0);
  EXPECT_EQ(Focused(), E().INEdit1);
  EXPECT_EQ(Plu().CurrentRow(), 1);
  EXPECT_TRUE(E().PluDirty());
  EXPECT_EQ(dialogs_.Shown().back().icon, DialogIcon::Question);
  EXPECT_EQ(dialogs_.Shown().back().buttons, kButtonYes | kButtonNo | kButtonCancel);

  // No, going to the grid: back on the field, the change dropped.
  dialogs_.ExpectMessage("Данные были изменены, сохранить?", kButtonNo);
  Focus(T().PLUSortGrid);
  EXPECT_EQ(Focused(), E().INEdit1);
  EXPECT_EQ(E().INEdit1->text(), "P");
  EXPECT_FALSE(E().PluDirty());
  EXPECT_EQ(Names(), (Texts{"P", "Q", "R"}));

  // Yes, going to Copy: the row is written and Write has the focus.
  Retype(E().INEdit1, "Kept");
  dialogs_.ExpectMessage("Данные были изменены, сохранить?", kButtonYes);
  Focus(E().PLUCopy);
  EXPECT_EQ(Names(), (Texts{"Kept", "Q", "R"}));
  EXPECT_EQ(Focused(), E().PLUWrite);
  EXPECT_FALSE(E().PluDirty());
  dialogs_.VerifyDone();
}

TEST_F(PluRowEditorTest, AButtonWhosePressRaisedTheQuestionIsNotLeftPressed) {
  // The press on Copy moves the focus out of the editor's set, and the question comes before the
  // press reaches the button; the operator lets go of the mouse while the box is up.
  Retype(E().UPMemo, "9");
  dialogs_.ExpectMessage("Данные были изменены, сохранить?", kButtonCancel);
  dialogs_.onMessage = [&] { QTest::mouseRelease(E().PLUCopy, Qt::LeftButton); };
  QTest::mousePress(E().PLUCopy, Qt::LeftButton);
  dialogs_.onMessage = nullptr;
  EXPECT_FALSE(E().PLUCopy->isDown());
  EXPECT_EQ(Focused(), E().UPMemo);
  // An ordinary press and release still click.
  QTest::mouseClick(E().PLUWrite, Qt::LeftButton);
  EXPECT_FALSE(E().PluDirty());
  dialogs_.VerifyDone();
}

TEST_F(PluRowEditorTest, ATitleClickDoesNotSortWhenTheQuestionKeepsTheFocus) {
  Retype(E().INEdit1, "Z");
  dialogs_.ExpectMessage("Данные были изменены, сохранить?", kButtonCancel);
  ClickTitle(T().PLUSortGrid, kName1);
  EXPECT_EQ(Names(), (Texts{"P", "Q", "R"}));
  EXPECT_EQ(Focused(), E().INEdit1);
  EXPECT_EQ(Panel(kPanelActivity), "Idle.");
}

TEST_F(PluRowEditorTest, EnterOrADoubleClickInTheGridGoesToTheColumnsField) {
  Focus(T().PLUSortGrid);
  Plu().MoveToCell(kTare, 2);
  QTest::keyClick(T().PLUSortGrid, Qt::Key_Return);
  EXPECT_EQ(Focused(), E().TWMemo);
  Focus(T().PLUSortGrid);
  // A click and then the double click the window system makes of a second press there.
  ClickCell(T().PLUSortGrid, 2, kPrice);
  const QRect cell = T().PLUSortGrid->visualRect(T().PLUSortGrid->model()->index(2, kPrice));
  const QPoint global = T().PLUSortGrid->viewport()->mapToGlobal(cell.center());
  QMouseEvent press(QEvent::MouseButtonPress, cell.center(), global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(T().PLUSortGrid->viewport(), &press);
  QMouseEvent twice(QEvent::MouseButtonDblClick, cell.center(), global, Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(T().PLUSortGrid->viewport(), &twice);
  EXPECT_EQ(Focused(), E().UPMemo);
  EXPECT_EQ(E().INEdit1->text(), "R");
}

TEST_F(PluRowEditorTest, ThePreviewShowsTheRowsMessageOrGreyWhenThereIsNone) {
  SetMessages({{"First", "one"}, {"Second", "a,\"b c\""}});
  Plu().SetCell(kMessageNo, 1, "2");
  Plu().SetCell(kMessageNo, 2, "3");
  E().Refresh();
  const QColor base = QApplication::palette().color(QPalette::Base);
  const QColor grey = QApplication::palette().color(QPalette::Button);
  ASSERT_NE(base, grey);
  EXPECT_EQ(E().MsgShowBox->title(), "Second");
  EXPECT_EQ(E().MsgShowRichEdit->toPlainText(), "a\nb c");
  EXPECT_EQ(E().MsgShowRichEdit->palette().color(QPalette::Base), base);
  EXPECT_EQ(M().MsgNameEdit->text(), "Second");
  EXPECT_EQ(MsgGrid().CurrentRow(), 2);

  Plu().MoveToCell(0, 2);  // MessageNo 3 with two messages
  EXPECT_EQ(E().MsgShowBox->title(), QStringLiteral("Сообщение отсутствует..."));
  EXPECT_EQ(E().MsgShowRichEdit->toPlainText(), "");
  EXPECT_EQ(E().MsgShowRichEdit->palette().color(QPalette::Base), grey);
  EXPECT_EQ(M().MsgNameEdit->text(), "");
}

TEST_F(PluRowEditorTest, PickingAMessageInTheMessageGridCarriesItsNumberIntoTheEditor) {
  SetMessages({{"First", "one"}, {"Second", "two"}, {"Third", "three"}});
  Focus(T().MsgSortGrid);
  ClickCell(T().MsgSortGrid, 2, 1);
  EXPECT_EQ(E().MsgShowBox->title(), "Third");  // the preview follows the message grid
  EXPECT_EQ(E().MIMemo->text(), "0");
  Focus(E().MIMemo);
  EXPECT_EQ(E().MIMemo->text(), "3");
  EXPECT_TRUE(E().PluDirty());
  EXPECT_FALSE(E().SuppressRowLoad());
  E().PLUWrite->click();
  EXPECT_EQ(Plu().Cell(kMessageNo, 1), "3");
}

// Tab and Shift+Tab move through the editor as the screen reads, from every field, typing
// nothing and marking nothing; before the first field come the page tabs, after the buttons the
// message grid and the PLU grid.
TEST_F(PluRowEditorTest, TabWalksTheScreenOrderFromEveryFieldWithoutTyping) {
  std::vector<QWidget*> order = {Form().Pages().PageControl->findChild<QTabBar*>()};
  for (QWidget* w : E().Fields()) order.push_back(w);
  for (QPushButton* b : {E().PLUWrite, E().PLUAdd, E().PLUIns, E().PLUClear, E().PLUDel,
                         E().PLUCopy, E().PLUPaste}) {
    order.push_back(b);
  }
  order.push_back(T().MsgSortGrid);
  order.push_back(T().PLUSortGrid);
  for (std::size_t i = 0; i + 1 < order.size(); ++i) {
    SCOPED_TRACE(order[i]->objectName().toStdString());
    Focus(order[i]);
    const auto* line = qobject_cast<QLineEdit*>(order[i]);
    const QString before = line ? line->text() : QString();
    Key(Qt::Key_Tab);
    EXPECT_EQ(Focused(), order[i + 1]);
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Focused(), order[i]);
    if (line) {
      EXPECT_EQ(line->text(), before);
    }
    EXPECT_FALSE(E().PluDirty());
  }
  // Typing with Tab between the fields.
  Focus(E().PNMemo);
  for (Qt::Key key : {Qt::Key_7, Qt::Key_Tab, Qt::Key_8, Qt::Key_Tab, Qt::Key_9}) Key(key);
  EXPECT_EQ(E().PNMemo->text(), "17");
  EXPECT_EQ(E().ICMemo->text(), "8");  // Tab selects the next field's text
  EXPECT_EQ(E().GCMemo->text(), "9");
  // Tab through a name field leaves nothing to ask about on the way to the grid.
  E().ClearPluDirty();
  E().Refresh();
  Focus(E().INEdit1);
  Key(Qt::Key_Tab);
  Focus(T().PLUSortGrid);  // the script would fail on a question
  EXPECT_EQ(Focused(), T().PLUSortGrid);
}

TEST_F(PluRowEditorTest, CtrlTabAndCtrlPageKeysSwitchPagesFromAnywhereInTheWindow) {
  QTabWidget* pages = Form().Pages().PageControl;
  QWidget* totals = Form().Transfers().TotalsControls().GTSum;
  struct Case {
    QWidget* from;
    int shown;  // the page in front when the key comes
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int page;
  };
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
  const Case cases[] = {{E().UPMemo, 0, Qt::Key_Tab, ctrl, 1},
                        {E().LogoComboBox, 0, Qt::Key_PageDown, ctrl, 1},
                        {M().MsgRichEdit, 1, Qt::Key_Tab, ctrl, 2},
                        {M().MsgNameEdit, 1, Qt::Key_PageUp, ctrl, 0},
                        {E().INEdit1, 0, Qt::Key_Backtab, ctrlShift, 2},
                        {T().PLUSortGrid, 0, Qt::Key_Tab, ctrl, 1},
                        {T().PLUSortGrid, 1, Qt::Key_PageUp, ctrl, 0},
                        {T().MsgSortGrid, 2, Qt::Key_PageDown, ctrl, 0},
                        {T().MsgSortGrid, 0, Qt::Key_Backtab, ctrlShift, 2},
                        {totals, 2, Qt::Key_PageUp, ctrl, 1},
                        {totals, 2, Qt::Key_PageDown, ctrl, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from->objectName().toStdString() << " on " << c.shown);
    pages->setCurrentIndex(c.shown);
    Focus(c.from);
    ASSERT_EQ(Focused(), c.from);
    Key(c.key, c.modifiers);
    EXPECT_EQ(pages->currentIndex(), c.page);
  }
  EXPECT_FALSE(E().PluDirty());
  EXPECT_FALSE(M().MessageDirty());
}

// Every stop of the Enter order shows the focus as Tab shows it, so that on the last one the
// operator sees whether the next Enter writes the row (Write) or adds one (Add).
TEST_F(PluRowEditorTest, TheEnterOrderShowsTheFocusAsTabDoes) {
  for (const bool sameNumber : {true, false}) {
    SCOPED_TRACE(sameNumber ? "Write" : "Add");
    // As in a window where the keyboard has not moved the focus yet.
    Form().setAttribute(Qt::WA_KeyboardFocusChange, false);
    Plu().MoveToCell(0, 2);
    QPushButton* end = sameNumber ? E().PLUWrite : E().PLUAdd;
    Focus(E().PNMemo);
    const QImage plainLogo = E().LogoComboBox->grab().toImage();
    const QImage plain = end->grab().toImage();
    if (!sameNumber) E().PNMemo->setText(QStringLiteral("9"));

    for (int step = 0; step < 9; ++step) Key(Qt::Key_Return);
    ASSERT_EQ(Focused(), E().LogoComboBox);
    EXPECT_NE(E().LogoComboBox->grab().toImage(), plainLogo);
    Key(Qt::Key_Return);
    ASSERT_EQ(Focused(), end);
    const QImage byEnter = end->grab().toImage();
    EXPECT_NE(byEnter, plain);

    // The same button reached with Tab.
    Focus(sameNumber ? static_cast<QWidget*>(E().SOMemo) : E().PLUWrite);
    Key(Qt::Key_Tab);
    ASSERT_EQ(Focused(), end);
    EXPECT_EQ(byEnter, end->grab().toImage());
  }
}

// The Enter that ends the Enter order in the last field puts the focus on Write or Add; its
// release there commits nothing. Only the next Enter on the button commits.
TEST_F(PluRowEditorTest, OneEnterInTheLastFieldStopsOnTheButton) {
  struct Case {
    int logo;
    const char* number;
    QPushButton* PluRowEditor::*button;
    int rowsAfter;
  };
  for (const Case c :
       {Case{0, "1", &PluRowEditor::PLUWrite, 3}, Case{1, "1", &PluRowEditor::PLUWrite, 3},
        Case{0, "8", &PluRowEditor::PLUAdd, 4}}) {
    SCOPED_TRACE(testing::Message() << c.logo << " " << c.number);
    SetPluRows({{"1", "P"}, {"2", "Q"}, {"3", "R"}});
    Plu().MoveToCell(0, 1);
    Retype(E().PNMemo, c.number);
    E().LogoComboBox->setCurrentIndex(c.logo);
    Focus(c.logo > 0 ? static_cast<QWidget*>(E().SOMemo) : E().LogoComboBox);
    Key(Qt::Key_Return);
    EXPECT_EQ(Focused(), E().*c.button);
    EXPECT_EQ(Plu().DataRowCount(), 3);
    EXPECT_FALSE(E().AdvanceOnWrite());
    EXPECT_EQ(Column(kPluNo)[0], "1");

    Key(Qt::Key_Return);
    EXPECT_EQ(Plu().DataRowCount(), c.rowsAfter);
    EXPECT_EQ(Focused(), E().PNMemo);
    EXPECT_EQ(E().PNMemo->text(), QString::number(c.rowsAfter + 1));
  }
}

// After a New command the preview follows the row's message number in the new tables: a
// number the new message table lacks is grey with the default caption, never the old text.
TEST_F(PluRowEditorTest, NewTablesLeaveThePreviewOfTheRowsMessage) {
  struct Case {
    Cmd command;
    const char* messageNo;
    const char* caption;
    bool grey;
  };
  const char* none = "Сообщение отсутствует...";
  for (const Case c : {Case{Cmd::FileNewMessages, "3", none, true},
                       Case{Cmd::FileNewMessages, "1", "Список 1", false},
                       Case{Cmd::FileNewDataSet, "2", none, true}}) {
    SCOPED_TRACE(c.messageNo);
    SetPluRows({{"1", "P"}});
    SetMessages({{"First", "one"}, {"Second", "two"}, {"Third", "three"}});
    Plu().SetCell(kMessageNo, 1, c.messageNo);
    E().Refresh();
    ASSERT_FALSE(E().MsgShowRichEdit->toPlainText().isEmpty());
    Act(c.command)->trigger();
    EXPECT_EQ(E().MsgShowBox->title(), QString::fromUtf8(c.caption));
    EXPECT_EQ(E().MsgShowRichEdit->toPlainText(), "");
    const QPalette::ColorRole role = c.grey ? QPalette::Button : QPalette::Base;
    EXPECT_EQ(E().MsgShowRichEdit->palette().color(QPalette::Base),
              QApplication::palette().color(role));
  }
}

}  // namespace
}  // namespace qm
