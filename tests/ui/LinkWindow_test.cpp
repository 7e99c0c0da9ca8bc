// The scale link in the real main window, offscreen, against a scale on a pseudo-terminal that
// the program reaches through QM_PORTS (the virtual scale in a thread of the test): the Connect
// button, the live display, link failures, the port and address buttons while connected, and
// closing the window with the link open.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include "UiTestHelpers.h"
#include "base/StatusView.h"
#include "sim/VirtualScale.h"
#include "support/ScriptedDialogs.h"
#include "ui/link/MainFormLink.h"
#include "ui/window/CommFrm.h"
#include "ui/window/CommandMap.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtStatusView.h"

namespace qm {
namespace {

using qmtest::PortMapping;

const char* const kCloseQuestion = "Вы хотите закончить работу?";
const char* const kLinkError = "Ошибка связи с весами.";

QStringList DisplayTexts(TMainForm& form) {
  QStringList texts;
  for (QLabel* panel : form.LinkControls().DisplayPanels()) texts << panel->text();
  return texts;
}

bool IsOpen(TMainForm& form) {
  return form.LinkControls().ComPort().Connected();
}

// Works the port dialog from inside its modal loop once it shows.
void WhenPortDialogShows(std::function<void(TCommFrm&)> operate) {
  QTimer::singleShot(0, [operate] {
    auto* dialog = qobject_cast<TCommFrm*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    operate(*dialog);
  });
}

void ClickButton(QWidget& dialog, const char* name) {
  auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
  ASSERT_NE(button, nullptr) << name;
  button->click();
}

class LinkWindowTest : public testing::Test, protected qmtest::WindowScale {
 protected:
  void SetUp() override { settingsPath_ = qmtest::FreshSettingsFile(); }

  // Presses Connect with the next poll a whole period away, so the panels can be seen waiting.
  void Connect(TMainForm& form) {
    form.State().PollCountdown = 10;
    form.Commands().Action(Cmd::Connect)->trigger();
  }

  // Shows the window with the scripted boxes and presses Connect; whether the link opened.
  bool ShowConnected(TMainForm& form) {
    form.SetDialogs(&dialogs);
    form.show();
    Connect(form);
    return IsOpen(form);
  }

  void SetDisplay(std::uint8_t flags, std::uint16_t grams, std::int32_t price, std::int32_t total,
                  std::int32_t pluNo) {
    scale.SetWeightMoving(false);
    scale.SetDisplay(qmsim::Display{flags, grams, price, total, pluNo});
  }
  std::size_t Polls() const { return scale.CommandCount(0x89); }

  QString settingsPath_;
  qmtest::ScriptedDialogs dialogs;
};

TEST_F(LinkWindowTest, ConnectShowsTheLiveDisplayAndDisconnectEmptiesIt) {
  SetDisplay(0x44, 1234, 12345, 1523, 7);
  TMainForm form;
  form.SetDialogs(&dialogs);
  form.show();
  QAction* connect = form.Commands().Action(Cmd::Connect);
  EXPECT_FALSE(connect->isChecked());
  EXPECT_EQ(connect->toolTip(), QStringLiteral("Подключить весы"));
  EXPECT_EQ(DisplayTexts(form), QStringList({"", "", "", ""}));

  Connect(form);
  EXPECT_TRUE(IsOpen(form));
  EXPECT_TRUE(connect->isChecked());
  EXPECT_EQ(connect->toolTip(), QStringLiteral("Отключить весы"));
  EXPECT_EQ(DisplayTexts(form), QStringList({"", ".", ".", "."}));

  const QStringList live = {"7", "ts    1.234", "123.45", "15.23"};
  ASSERT_TRUE(qmtest::PumpUntil([&] { return DisplayTexts(form) == live; }))
      << DisplayTexts(form).join('|').toStdString();
  // The poll goes on while connected: a new weight shows at a later period.
  SetDisplay(0x80, 5, 0, 0, 7);
  EXPECT_TRUE(qmtest::PumpUntil([&] { return DisplayTexts(form)[1] == "     -0.005"; }))
      << DisplayTexts(form)[1].toStdString();
  EXPECT_EQ(DisplayTexts(form)[2], "0.0");

  connect->trigger();
  EXPECT_FALSE(IsOpen(form));
  EXPECT_FALSE(connect->isChecked());
  EXPECT_EQ(connect->toolTip(), QStringLiteral("Подключить весы"));
  EXPECT_EQ(DisplayTexts(form), QStringList({"", "", "", ""}));
  EXPECT_FALSE(form.State().PollEnabled);
  // Closed means closed: no more polls reach the scale.
  const std::size_t polls = Polls();
  int ticks = 0;
  QObject::connect(&form, &TMainForm::TimerTick, [&] { ++ticks; });
  ASSERT_TRUE(qmtest::PumpUntil([&] { return ticks >= 12; }));
  EXPECT_EQ(Polls(), polls);
}

TEST_F(LinkWindowTest, SilentScaleIsReportedOnceAndReleasesTheButton) {
  scale.SetFaults(qmsim::Faults{.silent = true});
  dialogs.ExpectMessage(kLinkError, kButtonOk, "Ошибка");
  TMainForm form;
  ASSERT_TRUE(ShowConnected(form));
  ASSERT_TRUE(qmtest::PumpUntil([&] { return dialogs.AllConsumed(); }));
  EXPECT_FALSE(IsOpen(form));
  EXPECT_FALSE(form.Commands().Action(Cmd::Connect)->isChecked());
  EXPECT_EQ(form.Commands().Action(Cmd::Connect)->toolTip(), QStringLiteral("Подключить весы"));
  EXPECT_EQ(DisplayTexts(form), QStringList({"", "", "", ""}));
  EXPECT_FALSE(form.State().LinkBusy);
  // Another two periods pass without a second report (the scripted dialogs fail on one).
  int ticks = 0;
  QObject::connect(&form, &TMainForm::TimerTick, [&] { ++ticks; });
  ASSERT_TRUE(qmtest::PumpUntil([&] { return ticks >= 12; }));
  EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST_F(LinkWindowTest, LineHangingUpDuringThePollIsReportedOnceAndReleasesTheButton) {
  dialogs.ExpectMessage("Unable to read com status: error 5.", kButtonOk,
                        "QM V-1.6 Interchange Program");
  TMainForm form;
  form.SetDialogs(&dialogs);
  form.show();
  scale.SetFaults(qmsim::Faults{.hangUpAfter = 5, .hangUpDelay = std::chrono::milliseconds(0)});
  Connect(form);
  ASSERT_TRUE(IsOpen(form));
  ASSERT_TRUE(qmtest::PumpUntil([&] { return dialogs.AllConsumed(); }));
  int ticks = 0;
  QObject::connect(&form, &TMainForm::TimerTick, [&] { ++ticks; });
  ASSERT_TRUE(qmtest::PumpUntil([&] { return ticks >= 12; }));
  EXPECT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_FALSE(IsOpen(form));
  EXPECT_FALSE(form.Commands().Action(Cmd::Connect)->isChecked());
  EXPECT_EQ(DisplayTexts(form), QStringList({"", "", "", ""}));
  EXPECT_FALSE(form.State().LinkBusy);
}

TEST_F(LinkWindowTest, SavedPortThatCannotBeOpenedIsNamedWithItsCause) {
  // The settings name COM5; the device behind it does not exist.
  {
    QSettings ini(settingsPath_, QSettings::IniFormat);
    ini.setValue("Settings/Communication Port", "4");
  }
  PortMapping missing("COM5=/nonexistent/qm-scale");
  dialogs.ExpectMessage(
      "Не могу открыть порт COM5.\nУстройство /nonexistent/qm-scale не найдено: проверьте "
      "подключение адаптера и настройку портов.",
      kButtonOk, "Ошибка");
  TMainForm form;
  form.SetDialogs(&dialogs);
  EXPECT_EQ(form.StatusBarView().PanelText(kPanelPort), "COM5");
  Connect(form);
  EXPECT_TRUE(dialogs.AllConsumed());
  EXPECT_FALSE(IsOpen(form));
  EXPECT_FALSE(form.Commands().Action(Cmd::Connect)->isChecked());
  EXPECT_EQ(form.Commands().Action(Cmd::Connect)->toolTip(), QStringLiteral("Подключить весы"));
  EXPECT_EQ(DisplayTexts(form), QStringList({"", "", "", ""}));
}

// Line settings the port cannot take pass the port dialog; Connect then names the one refused,
// in Russian, under the usual first line.
TEST_F(LinkWindowTest, ConnectNamesTheLineSettingThePortRefused) {
  struct Case {
    int stopBits, dataBits, dtr;  // entries of the dialog's lists and DTR choices
    const char* reason;
  };
  const Case cases[] = {
      {1, 3, 0, "Порт не принимает 1,5 стоповых бита при 8 битах данных."},
      {1, 1, 0, "Порт не принимает 1,5 стоповых бита при 6 битах данных."},
      {0, 3, 2, "Порт не поддерживает управление обменом по DTR."},
  };
  TMainForm form;
  form.SetDialogs(&dialogs);
  form.show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    WhenPortDialogShows([&](TCommFrm& dialog) {
      dialog.findChild<QComboBox*>(QStringLiteral("StopBitsList"))->setCurrentIndex(c.stopBits);
      dialog.findChild<QComboBox*>(QStringLiteral("DataBitsList"))->setCurrentIndex(c.dataBits);
      dialog.findChild<QButtonGroup*>(QStringLiteral("DtrGroupButtons"))->button(c.dtr)->click();
      ClickButton(dialog, "OKButton");
    });
    form.Commands().Action(Cmd::SelectComPort)->trigger();
    dialogs.ExpectMessage(std::string("Не могу открыть порт COM2.\n") + c.reason, kButtonOk,
                          "Ошибка");
    Connect(form);
    EXPECT_TRUE(dialogs.AllConsumed());
    EXPECT_FALSE(IsOpen(form));
  }
}

TEST_F(LinkWindowTest, PortButtonWhileConnectedAsksAndCancelStillRefreshesThePanels) {
  TMainForm form;
  ASSERT_TRUE(ShowConnected(form));

  // No: the link stays and no dialog shows (a dialog would fail the check below).
  dialogs.ExpectMessage("Весы подключены, отключить?", kButtonNo, "Подтвердите");
  form.Commands().Action(Cmd::SelectComPort)->trigger();
  EXPECT_TRUE(IsOpen(form));
  EXPECT_TRUE(form.Commands().Action(Cmd::Connect)->isChecked());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  // Yes: the link closes, the dialog shows, Cancel still rewrites panels 2 and 3.
  form.StatusBarView().SetStatusText(kPanelPort, "?");
  form.StatusBarView().SetStatusText(kPanelLine, "?");
  dialogs.ExpectMessage("Весы подключены, отключить?", kButtonYes, "Подтвердите");
  bool shown = false;
  WhenPortDialogShows([&](TCommFrm& dialog) {
    shown = true;
    EXPECT_FALSE(IsOpen(form));
    ClickButton(dialog, "CancelButton");
  });
  form.Commands().Action(Cmd::SelectComPort)->trigger();
  EXPECT_TRUE(shown);
  EXPECT_FALSE(IsOpen(form));
  EXPECT_FALSE(form.Commands().Action(Cmd::Connect)->isChecked());
  EXPECT_EQ(DisplayTexts(form), QStringList({"", "", "", ""}));
  EXPECT_EQ(form.StatusBarView().PanelText(kPanelPort), "COM2");
  EXPECT_EQ(form.StatusBarView().PanelText(kPanelLine), "9600   8-N-1");
  EXPECT_TRUE(dialogs.AllConsumed());
}

TEST_F(LinkWindowTest, PortDialogChoicesReachThePortTheNextOpenAndTheSavedSettings) {
  {
    QSettings ini(settingsPath_, QSettings::IniFormat);
    ini.setValue("Settings/Scale Address", "1");
  }
  PortMapping both("COM2=/nonexistent/qm-scale;COM3=" + scale.SlavePath());
  TMainForm form;
  form.SetDialogs(&dialogs);
  form.show();
  WhenPortDialogShows([](TCommFrm& dialog) {
    dialog.findChild<QComboBox*>(QStringLiteral("PortList"))->setCurrentIndex(2);
    dialog.findChild<QComboBox*>(QStringLiteral("BaudList"))->setCurrentIndex(8);
    dialog.findChild<QComboBox*>(QStringLiteral("ParityList"))->setCurrentIndex(2);
    ClickButton(dialog, "OKButton");
  });
  form.Commands().Action(Cmd::SelectComPort)->trigger();
  EXPECT_EQ(form.StatusBarView().PanelText(kPanelPort), "COM3");
  EXPECT_EQ(form.StatusBarView().PanelText(kPanelLine), "19200   8-E-1");
  EXPECT_EQ(form.LinkControls().ComPort().Port(), TPortType::COM3);
  EXPECT_EQ(form.LinkControls().ComPort().BaudRate(), TBaudRate::br19200);
  EXPECT_EQ(form.Line().Port, TPortType::COM3);
  EXPECT_EQ(form.Line().Parity, TParityBits::prEven);

  // The next Connect opens the newly chosen device (COM2 would fail with a message).
  SetDisplay(0, 2500, 100, 250, 3);
  Connect(form);
  ASSERT_TRUE(IsOpen(form));
  EXPECT_TRUE(qmtest::PumpUntil([&] { return DisplayTexts(form)[0] == "3"; }));

  dialogs.ExpectMessage(kCloseQuestion, kButtonYes);
  EXPECT_TRUE(form.close());
  EXPECT_FALSE(IsOpen(form));
  QSettings ini(settingsPath_, QSettings::IniFormat);
  EXPECT_EQ(ini.value("Settings/Communication Port").toString(), "2");
  EXPECT_EQ(ini.value("Settings/Baud Rate").toString(), "8");
  EXPECT_EQ(ini.value("Settings/Parity").toString(), "2");
}

TEST_F(LinkWindowTest, AddressButtonWhileConnectedAsksWithTheCurrentAddress) {
  TMainForm form;
  ASSERT_TRUE(ShowConnected(form));

  dialogs.ExpectMessage("Весы с адресом 01уже подключены, отключить?", kButtonNo, "Подтвердите");
  form.Commands().Action(Cmd::SelectScaleAddr)->trigger();
  EXPECT_TRUE(IsOpen(form));

  dialogs.ExpectMessage("Весы с адресом 01уже подключены, отключить?", kButtonYes, "Подтвердите");
  dialogs.ExpectInput("Введите адрес весов:", std::string("12"));
  form.Commands().Action(Cmd::SelectScaleAddr)->trigger();
  EXPECT_FALSE(IsOpen(form));
  EXPECT_FALSE(form.Commands().Action(Cmd::Connect)->isChecked());
  EXPECT_EQ(form.State().ScaleAddress, 12);
  EXPECT_EQ(form.StatusBarView().PanelText(kPanelAddress), "12");
  EXPECT_TRUE(dialogs.AllConsumed());
}

TEST_F(LinkWindowTest, ClosingTheWindowWhileConnectedClosesThePort) {
  SetDisplay(0, 1000, 0, 0, 1);
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    qmtest::ScriptedDialogs closing;
    closing.ExpectMessage(kCloseQuestion, kButtonYes);
    TMainForm form;
    form.SetDialogs(&closing);
    form.show();
    const std::size_t polls = Polls();
    Connect(form);
    ASSERT_TRUE(IsOpen(form));
    // Close while the poll's replies keep the port's event thread handing notifications over.
    ASSERT_TRUE(qmtest::PumpUntil([&] { return Polls() > polls; }));
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(IsOpen(form));
    EXPECT_FALSE(form.Timer().isActive());
  }
}

TEST_F(LinkWindowTest, CloseDuringThePollsExchangeWaitsForItThenClosesThePort) {
  TMainForm form;
  form.SetDialogs(&dialogs);
  form.show();
  scale.SetFaults(qmsim::Faults{.endlessBusy = true});  // the poll keeps asking for a status
  dialogs.ExpectMessage(kCloseQuestion, kButtonYes);
  // The close request arrives inside the exchange's wait, as a click on the close box would;
  // this runs on a timer tick inside that wait.
  bool requested = false;
  bool closedWhileBusy = true;
  QObject::connect(&form, &TMainForm::TimerTick, [&] {
    if (requested || !form.State().LinkBusy) return;
    if (form.StatusBarView().PanelText(kPanelBusy) != "Busy...") return;
    requested = true;
    form.close();
    // The exchange still owns the port: the window stays until it has let go.
    closedWhileBusy = !form.isVisible() || !IsOpen(form);
    scale.ClearFaults();
  });
  Connect(form);
  ASSERT_TRUE(IsOpen(form));
  ASSERT_TRUE(qmtest::PumpUntil([&] { return !form.isVisible(); }, 15000));
  EXPECT_TRUE(requested);
  EXPECT_FALSE(closedWhileBusy);
  EXPECT_FALSE(IsOpen(form));
  EXPECT_FALSE(form.State().LinkBusy);
  EXPECT_TRUE(dialogs.AllConsumed());
}

TEST_F(LinkWindowTest, DisconnectingWhileThePollWaitsEndsItQuietly) {
  TMainForm form;
  form.SetDialogs(&dialogs);  // no box may show
  form.show();
  scale.SetFaults(qmsim::Faults{.endlessBusy = true});
  bool pressed = false;
  QObject::connect(&form, &TMainForm::TimerTick, [&] {
    if (pressed || !form.State().LinkBusy) return;
    if (form.StatusBarView().PanelText(kPanelBusy) != "Busy...") return;
    pressed = true;
    form.Commands().Action(Cmd::Connect)->trigger();
  });
  Connect(form);
  ASSERT_TRUE(qmtest::PumpUntil([&] { return pressed && !form.State().LinkBusy; }));
  EXPECT_FALSE(IsOpen(form));
  EXPECT_FALSE(form.Commands().Action(Cmd::Connect)->isChecked());
  EXPECT_EQ(form.StatusBarView().PanelText(kPanelBusy), "");
  EXPECT_EQ(DisplayTexts(form), QStringList({"", "", "", ""}));
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(LinkWindowTest, ButtonsFollowTheScaleTypeButtonAndEndWithADivider) {
  TMainForm form;
  const QList<QAction*> actions = form.Commands().Bar()->actions();
  const qsizetype at = actions.indexOf(form.Commands().Action(Cmd::SelectScaleType));
  ASSERT_GE(at, 0);
  ASSERT_GT(actions.size(), at + 4);
  EXPECT_EQ(actions[at + 1], form.Commands().Action(Cmd::SelectComPort));
  EXPECT_EQ(actions[at + 2], form.Commands().Action(Cmd::SelectScaleAddr));
  EXPECT_EQ(actions[at + 3], form.Commands().Action(Cmd::Connect));
  EXPECT_TRUE(actions[at + 4]->isSeparator());
  EXPECT_EQ(actions[at + 1]->toolTip(), QStringLiteral("Выбор порта связи"));
  EXPECT_EQ(actions[at + 2]->toolTip(), QStringLiteral("Выбор адреса весов"));
  EXPECT_TRUE(actions[at + 3]->isCheckable());
  for (int i = 1; i <= 3; ++i) {
    EXPECT_FALSE(actions[at + i]->icon().isNull()) << i;
    EXPECT_EQ(actions[at + i]->data().toInt(), 0);
  }
  // The Connect image differs pressed and released.
  const QIcon icon = form.Commands().Action(Cmd::Connect)->icon();
  EXPECT_NE(icon.pixmap(16, QIcon::Normal, QIcon::On).toImage(),
            icon.pixmap(16, QIcon::Normal, QIcon::Off).toImage());
}

TEST_F(LinkWindowTest, DisplayPanelsSitOverTheTabRowInBlackWithLimeCourier) {
  TMainForm form;
  form.show();
  const QStringList hints = {"Номер PLU", "Вес", "Цена", "Стоимость"};
  const int lefts[] = {231, 282, 383, 459};
  const int widths[] = {50, 100, 75, 75};
  QTabWidget* pages = form.Pages().PageControl;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    QLabel* panel = form.LinkControls().DisplayPanels()[i];
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->parentWidget(), pages->parentWidget());
    // Design top 30 is the page pane's top; the height stays within the tab row.
    EXPECT_EQ(panel->geometry(), QRect(lefts[i], pages->y(), widths[i], 18));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->toolTip(), hints[i]);
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(panel->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_TRUE(panel->autoFillBackground());
    EXPECT_EQ(panel->alignment(), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(panel->frameShape(), QFrame::Box);
    EXPECT_EQ(panel->frameShadow(), QFrame::Plain);
    EXPECT_EQ(panel->lineWidth(), 1);
    const QFont font = panel->font();
    ASSERT_FALSE(font.families().isEmpty());
    // "Courier New" is asked for with the hints that make any stand-in a fixed-pitch face, and
    // whatever face the machine gives is fixed-pitch, so the digits line up; only a stand-in
    // that is not gives way to the system's fixed-pitch face.
    if (QFontInfo(QFont(QStringLiteral("Courier New"))).fixedPitch()) {
      EXPECT_EQ(font.families().front(), QStringLiteral("Courier New"));
    }
    EXPECT_TRUE(font.fixedPitch());
    EXPECT_EQ(font.styleHint(), QFont::TypeWriter);
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(font.pointSize(), 10);
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << QFontInfo(font).family().toStdString();
    // Drawn over the page pane, not under it.
    EXPECT_GT(pages->parentWidget()->children().indexOf(panel),
              pages->parentWidget()->children().indexOf(pages));
  }
}

}  // namespace
}  // namespace qm
