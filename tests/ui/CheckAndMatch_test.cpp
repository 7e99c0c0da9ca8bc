// The check and match commands in the window: their tool buttons and menu entries, the check
// pointing the window at each finding, and matching from the tool button.
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>

#include "TablesFixture.h"
#include "app/CheckFlow.h"
#include "tables/ModifiedFlags.h"

namespace qm {
namespace {

using Texts = std::vector<std::string>;

class CheckAndMatchTest : public qmtest::TablesFixture {};

TEST_F(CheckAndMatchTest, ButtonsAndMenuEntriesStandInTheirPlaces) {
  const QList<QAction*> bar = Form().Commands().Bar()->actions();
  const int scaleType = bar.indexOf(Form().Commands().Action(Cmd::SelectScaleType));
  ASSERT_GE(scaleType, 4);
  EXPECT_TRUE(bar[scaleType - 1]->isSeparator());
  EXPECT_EQ(bar[scaleType - 2], Act(Cmd::MatchButton));
  EXPECT_EQ(bar[scaleType - 3], Act(Cmd::TestData));
  EXPECT_TRUE(bar[scaleType - 4]->isSeparator());
  EXPECT_EQ(Act(Cmd::TestData)->toolTip(), QStringLiteral("Проверка правильности данных"));
  EXPECT_EQ(Act(Cmd::TestData)->data().toInt(), 0);
  EXPECT_EQ(Act(Cmd::MatchButton)->toolTip(), QStringLiteral("Согласовать номера товаров и PLU"));

  const QList<QAction*> menus = Form().menuBar()->actions();
  const int info = menus.indexOf(Form().Commands().Action(Cmd::InfoMenu));
  ASSERT_GE(info, 1);
  // The read and write menus stand between it and "&Информация".
  EXPECT_LT(menus.indexOf(Form().Commands().Menu(Cmd::CheckMenu)->menuAction()), info);
  EXPECT_EQ(Form().Commands().Menu(Cmd::CheckMenu)->title(), QStringLiteral("&Проверка"));
  const QStringList captions = {"Всех &данных", "Только &товаров", "Только &сообщений"};
  // The three checks, then the check for characters the scale cannot print.
  ASSERT_EQ(Form().Commands().Menu(Cmd::CheckMenu)->actions().size(), 4);
  EXPECT_EQ(Form().Commands().Menu(Cmd::CheckMenu)->actions()[3], Act(Cmd::CheckUnprintable));
  EXPECT_EQ(Act(Cmd::CheckUnprintable)->text(), QStringLiteral("&Непечатаемые символы"));
  for (int tag = 0; tag < 3; ++tag) {
    EXPECT_EQ(Form().Commands().Menu(Cmd::CheckMenu)->actions()[tag]->text(), captions[tag]);
    EXPECT_EQ(Form().Commands().Menu(Cmd::CheckMenu)->actions()[tag]->data().toInt(), tag);
  }
}

TEST_F(CheckAndMatchTest, TheCheckPointsAtTheFaultyFieldAndSumsUp) {
  SetPluRows({{"1", "a"}, {"2", "b"}});
  Plu().SetCell(kItemCode, 2, "abc");
  Form().Pages().PageControl->setCurrentIndex(2);
  dialogs_.ExpectMessage("Неправильный код товара.", kButtonOk, "Ошибка");
  dialogs_.ExpectMessage("Ошибок: 1,   Предупреждений: 0.", kButtonOk, "Результат проверки");
  Act(Cmd::CheckPlu)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(Form().Pages().PageControl->currentIndex(), 0);
  EXPECT_EQ(Plu().CurrentRow(), 2);
  EXPECT_EQ(Plu().CurrentColumn(), kItemCode);
  EXPECT_EQ(T().PLUSortGrid->currentIndex(), T().PLUSortGrid->model()->index(1, kItemCode));
  EXPECT_EQ(Focused(), E().ICMemo);
  EXPECT_EQ(E().ICMemo->text(), "abc");
  EXPECT_EQ(Panel(kPanelActivity), "Done.");
  EXPECT_FALSE(Form().State().LinkBusy);
  EXPECT_EQ(dialogs_.Shown()[0].icon, DialogIcon::Error);
  EXPECT_EQ(dialogs_.Shown()[0].defaultButton, kButtonCancel);
}

// The data check does not look at the code page; the menu entry of its own does, in one box.
TEST_F(CheckAndMatchTest, CharactersTheScaleCannotPrintAreListedOnlyWhenAskedFor) {
  SetPluRows({{"1", "Сыр «Ёлка»"}});
  dialogs_.ExpectMessage("Ошибок: 0,   Предупреждений: 0.", kButtonOk, "Результат проверки");
  Act(Cmd::CheckAll)->trigger();
  dialogs_.ExpectMessage(
      "Весы напечатают \"*\" вместо этих символов:\r\nТовар, строка 1, Наименование 1: «»",
      kButtonOk, "Непечатаемые символы");
  Act(Cmd::CheckUnprintable)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(Panel(kPanelActivity), "Done.");
  EXPECT_FALSE(Form().State().LinkBusy);
}

TEST_F(CheckAndMatchTest, AMessageFindingShowsTheMessageAndCancelEndsTheRun) {
  SetPluRows({{"1", "a"}});
  SetMessages({{"ok", "x"}, {"long", "1,2,3,4,5,6,7,8,9"}});
  dialogs_.ExpectMessage("Число строк в сообщении больше максимально допустимого (8).",
                         kButtonCancel, "Ошибка");
  Act(Cmd::TestData)->trigger();  // both tables; the PLU table is clean
  dialogs_.VerifyDone();
  EXPECT_EQ(Form().Pages().PageControl->currentIndex(), 1);
  EXPECT_EQ(MsgGrid().CurrentRow(), 2);
  EXPECT_EQ(M().MsgNameEdit->text(), "long");
  EXPECT_EQ(M().MsgRichEdit->toPlainText().count(QLatin1Char('\n')), 8);
  EXPECT_EQ(Focused(), M().MsgRichEdit);
  EXPECT_EQ(Panel(kPanelActivity), "Done.");
}

TEST_F(CheckAndMatchTest, MatchFromTheButtonPutsEveryRowAtItsNumber) {
  SetPluRows({{"3", "c"}, {"1", "a"}, {"5", "e"}});
  dialogs_.ExpectMessage("Строки с номером товара, большим 4000 будут удалены, продолжить?",
                         kButtonNo, "Подтвердите");
  Act(Cmd::MatchButton)->trigger();
  EXPECT_EQ(Column(kPluNo), (Texts{"3", "1", "5"}));
  EXPECT_FALSE(T().Flags().Any());

  dialogs_.ExpectMessage("Строки с номером товара, большим 4000 будут удалены, продолжить?",
                         kButtonYes);
  dialogs_.ExpectMessage("Номера товаров и PLU приведены в соответствие.", kButtonOk, "Завершено");
  Act(Cmd::MatchButton)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(Column(kPluNo), (Texts{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(Shown(kName1), (Texts{"a", "", "c", "", "e"}));
  EXPECT_EQ(Panel(kPanelPluCount), "5 PLU");
  EXPECT_EQ(E().PNMemo->text(), QString::number(Plu().CurrentRow()));
  EXPECT_TRUE(T().Flags().PluTableModified());
  EXPECT_EQ(dialogs_.Shown()[0].icon, DialogIcon::Warning);

  // The table is ascending now: the next click on "Товар №" sorts descending.
  Focus(T().PLUSortGrid);
  ClickTitle(T().PLUSortGrid, kPluNo);
  EXPECT_EQ(Column(kPluNo), (Texts{"5", "4", "3", "2", "1"}));
}

}  // namespace
}  // namespace qm
