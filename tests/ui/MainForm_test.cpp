#include "ui/window/MainForm.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "UiTestHelpers.h"
#include "base/Cp1251.h"
#include "support/ScriptedDialogs.h"
#include "ui/window/CommandMap.h"
#include "ui/window/QtDialogs.h"
#include "ui/window/QtStatusView.h"
#include "ui/window/TProgressBox.h"

namespace qm {
namespace {

const char* const kCloseQuestion = "Вы хотите закончить работу?";

QStringList PanelTexts(TMainForm& form) {
  QStringList texts;
  for (int i = 0; i < kStatusPanelCount; ++i) texts << form.StatusBarView().PanelText(i);
  return texts;
}

// A settings file as an earlier run would have left it.
void WriteSettingsFile(const QString& path) {
  QSettings ini(path, QSettings::IniFormat);
  ini.setValue("Settings/Communication Port", "0");
  ini.setValue("Settings/Baud Rate", "8");
  ini.setValue("Settings/Parity", "2");
  ini.setValue("Settings/Stop Bits", "1");
  ini.setValue("Settings/Scale Address", "7");
  ini.setValue("Settings/Scale Model", "15");
  ini.setValue("Settings/Scale Version", "600");
  ini.setValue("Settings/Left Position", "50");
  ini.setValue("Settings/Top Position", "60");
  ini.setValue("Settings/Form Width", "700");
  ini.setValue("Settings/Form Heiht", "500");
  ini.setValue("Settings/Font/Name", QStringLiteral("Шрифт"));
  ini.setValue("Settings/Font/Size", "12");
  ini.setValue("Settings/Font/Color", "255");
  ini.setValue("Settings/Font/Style", "BU");
}

class MainFormTest : public testing::Test {
 protected:
  void SetUp() override { settingsPath_ = qmtest::FreshSettingsFile(); }
  QString settingsPath_;
};

TEST_F(MainFormTest, OpensWithDesignCaptionLayoutAndPanels) {
  TMainForm form;
  form.show();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("QM V-1.6 Interchange Program"));
  EXPECT_EQ(form.size(), QSize(640, 480));
  EXPECT_EQ(PanelTexts(form), QStringList({"Idle.", "ORB QM-15(R) 4000 PLU", "COM2", "9600   8-N-1",
                                           "01", "1 PLU", "1 MSG", ""}));
  for (int i = 0; i < kStatusPanelCount; ++i) {
    // Panel 0 is as wide as its longest activity word needs, which the design width may not be.
    if (i == kPanelActivity) {
      EXPECT_GE(form.StatusBarView().Panel(i)->width(), QtStatusView::kPanelWidths[i]);
    } else {
      EXPECT_EQ(form.StatusBarView().Panel(i)->width(), QtStatusView::kPanelWidths[i]);
    }
    EXPECT_TRUE(form.StatusBarView().Panel(i)->alignment() & Qt::AlignHCenter);
  }
  EXPECT_TRUE(form.Timer().isActive());
  EXPECT_EQ(form.Timer().interval(), 100);
  EXPECT_FALSE(form.State().SettingsKeyPresent);

  QTabWidget* pages = form.Pages().PageControl;
  ASSERT_EQ(pages->count(), 3);
  EXPECT_EQ(pages->tabText(0), QStringLiteral("Товар"));
  EXPECT_EQ(pages->tabText(1), QStringLiteral("Сообщение"));
  EXPECT_EQ(pages->tabText(2), QStringLiteral("Общий итог"));
  EXPECT_EQ(pages->currentIndex(), 0);
  EXPECT_EQ(pages->size(), QSize(535, 230));
  EXPECT_EQ(form.Pages().LogoSelector->currentText(), QStringLiteral("Логотипа нет"));
  EXPECT_EQ(form.Pages().LogoSelector->count(), 3);

  const QList<QAction*> menus = form.menuBar()->actions();
  // Menus of later subsystems stand between these; "&Информация" stays last.
  ASSERT_GE(menus.size(), 2);
  EXPECT_EQ(menus.front()->text(), QStringLiteral("&Файл"));
  EXPECT_EQ(menus.back()->text(), QStringLiteral("&Информация"));
  EXPECT_EQ(form.Commands().Action(Cmd::FileExit)->text(), QStringLiteral("&Выход"));
  EXPECT_EQ(form.Commands().Action(Cmd::About)->text(), QStringLiteral("&О программе"));

  EXPECT_EQ(form.Commands().Bar()->height(), 30);
  QAction* scaleType = form.Commands().Action(Cmd::SelectScaleType);
  EXPECT_EQ(form.Commands().Bar()->widgetForAction(scaleType)->toolTip(),
            QStringLiteral("Выбор типа весов"));
  for (int tag = 0; tag < 3; ++tag) {
    QAction* entry = form.Commands().Menu(Cmd::ScaleTypeMenu)->actions()[tag];
    EXPECT_EQ(entry->data().toInt(), tag);
    EXPECT_TRUE(entry->isCheckable());
    EXPECT_FALSE(entry->isChecked());
  }
  EXPECT_EQ(form.Commands().Menu(Cmd::ScaleTypeMenu)->actions()[1]->text(),
            QStringLiteral("QM-&15(R)"));
}

TEST_F(MainFormTest, WithoutSettingsClosingWritesNothing) {
  qmtest::ScriptedDialogs dialogs;
  dialogs.ExpectMessage(kCloseQuestion, kButtonYes, "Подтвердите");
  TMainForm form;
  form.SetDialogs(&dialogs);
  form.show();
  form.State().ScaleModel = 6;
  // Qt's file dialog, which keeps a history of its own, leaves nothing behind either.
  qmtest::WhenShown<QDialog>([](QDialog& d) { d.reject(); });
  EXPECT_FALSE(QtDialogs(&form).ChooseFile(FileDialogRequest{}));
  form.Commands().Action(Cmd::FileExit)->trigger();
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(form.Timer().isActive());
  const QDir config = QFileInfo(settingsPath_).dir();
  EXPECT_EQ(config.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
  dialogs.VerifyDone();
  EXPECT_EQ(dialogs.Shown().at(0).icon, DialogIcon::Question);
}

TEST_F(MainFormTest, NoToTheCloseQuestionLeavesEverythingRunning) {
  WriteSettingsFile(settingsPath_);
  const QByteArray before = [&] {
    QFile f(settingsPath_);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();
  qmtest::ScriptedDialogs dialogs;
  dialogs.ExpectMessage(kCloseQuestion, kButtonNo);
  TMainForm form;
  form.SetDialogs(&dialogs);
  form.show();
  form.State().ScaleAddress = 99;
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.Timer().isActive());
  QFile after(settingsPath_);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), before);
  int ticks = 0;
  QObject::connect(&form, &TMainForm::TimerTick, [&] { ++ticks; });
  EXPECT_TRUE(qmtest::PumpUntil([&] { return ticks >= 2; }));
}

TEST_F(MainFormTest, SettingsAreReadAtStartAndWrittenBackAtClose) {
  WriteSettingsFile(settingsPath_);
  {
    TMainForm form;
    EXPECT_TRUE(form.State().SettingsKeyPresent);
    EXPECT_EQ(PanelTexts(form).mid(1, 4),
              QStringList({"ORB QM-15(R) 600 PLU", "COM1", "19200   8-E-1.5", "07"}));
    EXPECT_EQ(form.State().ScaleVersion, 600);
    EXPECT_EQ(form.pos(), QPoint(50, 60));
    EXPECT_EQ(form.State().SavedWidth, 700);
    EXPECT_EQ(form.State().SavedHeight, 500);
    EXPECT_EQ(form.DialogFont().Name, Win1251("Шрифт"));
    EXPECT_EQ(form.DialogFont().Size, 12);
    EXPECT_EQ(form.DialogFont().Color, 255);
    EXPECT_TRUE(form.DialogFont().Bold);
    EXPECT_TRUE(form.DialogFont().Underline);
    EXPECT_FALSE(form.DialogFont().Italic);
    // No entry is checked at start, whatever model the settings name.
    for (QAction* entry : form.Commands().Menu(Cmd::ScaleTypeMenu)->actions())
      EXPECT_FALSE(entry->isChecked());

    form.ApplySavedSize();
    EXPECT_EQ(form.size(), QSize(700, 500));
    form.show();
    form.State().ScaleAddress = 12;
    qmtest::ScriptedDialogs dialogs;
    dialogs.ExpectMessage(kCloseQuestion, kButtonYes);
    form.SetDialogs(&dialogs);
    EXPECT_TRUE(form.close());
  }
  QSettings ini(settingsPath_, QSettings::IniFormat);
  EXPECT_EQ(ini.value("Settings/Scale Address").toString(), "12");
  EXPECT_EQ(ini.value("Settings/Scale Version").toString(), "600");
  EXPECT_EQ(ini.value("Settings/Communication Port").toString(), "0");
  EXPECT_EQ(ini.value("Settings/Baud Rate").toString(), "8");
  EXPECT_EQ(ini.value("Settings/Stop Bits").toString(), "1");
  EXPECT_EQ(ini.value("Settings/Form Width").toString(), "700");
  EXPECT_EQ(ini.value("Settings/Form Heiht").toString(), "500");
  EXPECT_EQ(ini.value("Settings/Font/Name").toString(), QStringLiteral("Шрифт"));
  EXPECT_EQ(ini.value("Settings/Font/Style").toString(), "BU");
  EXPECT_EQ(ini.value("Settings/Font/Color").toString(), "255");
  EXPECT_EQ(ini.value("Settings/Font/Pitch").toString(), "0");

  // The next run starts from what was written.
  TMainForm again;
  EXPECT_EQ(again.StatusBarView().PanelText(kPanelAddress), "12");
}

TEST_F(MainFormTest, ChoosingAModelSelectsThe4000VersionAndChecksItsEntry) {
  WriteSettingsFile(settingsPath_);
  TMainForm form;
  ASSERT_EQ(form.State().ScaleVersion, 600);
  form.Commands().Menu(Cmd::ScaleTypeMenu)->actions()[0]->trigger();
  EXPECT_EQ(form.State().ScaleModel, 6);
  EXPECT_EQ(form.State().ScaleVersion, 4000);
  EXPECT_EQ(form.State().CurrentScale.MaxPluNo, 4000);
  EXPECT_EQ(form.StatusBarView().PanelText(kPanelModel), "ORB QM-06(R) 4000 PLU");
  EXPECT_EQ(form.StatusBarView().PanelText(kPanelAddress), "07");
  EXPECT_TRUE(form.Commands().Menu(Cmd::ScaleTypeMenu)->actions()[0]->isChecked());

  form.Commands().Menu(Cmd::ScaleTypeMenu)->actions()[2]->trigger();
  EXPECT_EQ(form.StatusBarView().PanelText(kPanelModel), "ORB QM-30(R) 4000 PLU");
  EXPECT_FALSE(form.Commands().Menu(Cmd::ScaleTypeMenu)->actions()[0]->isChecked());
  EXPECT_TRUE(form.Commands().Menu(Cmd::ScaleTypeMenu)->actions()[2]->isChecked());
  // Choosing the checked entry again keeps it checked.
  form.Commands().Menu(Cmd::ScaleTypeMenu)->actions()[2]->trigger();
  EXPECT_TRUE(form.Commands().Menu(Cmd::ScaleTypeMenu)->actions()[2]->isChecked());
}

TEST_F(MainFormTest, ACloseDuringAnExchangeWaitsForItAndStopsItsProgress) {
  WriteSettingsFile(settingsPath_);
  qmtest::ScriptedDialogs dialogs;
  dialogs.ExpectMessage(kCloseQuestion, kButtonYes);
  TMainForm form;
  form.CreateAuxWindows();
  form.SetDialogs(&dialogs);
  form.show();
  form.ProgressBox()->ShowProgress("t", "d", 10, 1);
  form.State().LinkBusy = true;
  form.State().ScaleAddress = 42;

  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.Timer().isActive());
  EXPECT_TRUE(form.ProgressBox()->StepProgress(2));  // the transfer is told to stop
  QSettings ini(settingsPath_, QSettings::IniFormat);
  EXPECT_EQ(ini.value("Settings/Scale Address").toString(), "7");

  // Ticks while the exchange still runs change nothing; once it has let go, the close completes
  // without asking again.
  int ticks = 0;
  QObject::connect(&form, &TMainForm::TimerTick, [&] { ++ticks; });
  ASSERT_TRUE(qmtest::PumpUntil([&] { return ticks >= 2; }));
  EXPECT_TRUE(form.isVisible());
  form.State().LinkBusy = false;
  EXPECT_TRUE(qmtest::PumpUntil([&] { return !form.isVisible(); }));
  EXPECT_FALSE(form.Timer().isActive());
  ini.sync();
  EXPECT_EQ(ini.value("Settings/Scale Address").toString(), "42");
}

}  // namespace
}  // namespace qm
