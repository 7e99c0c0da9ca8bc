#include "ui/window/CommFrm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "support/PortModels.h"

namespace qm {
namespace {

using qmtest::UnusualPortModel;

QStringList Choices(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

QStringList Choices(const QButtonGroup* group) {
  QStringList items;
  for (int id = 0; group->button(id); ++id) items << group->button(id)->text();
  return items;
}

QString LabelOf(const QWidget& dialog, const QWidget* control) {
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->buddy() == control) return label->text();
  }
  return {};
}

template <typename T>
T* Child(const QWidget& dialog, const char* name) {
  T* child = dialog.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

void Click(const QWidget& dialog, const char* name) {
  Child<QPushButton>(dialog, name)->click();
}

// Runs the dialog modally while `operate` works it from inside the modal loop.
std::optional<PortDialogModel> RunWith(const PortDialogModel& current,
                                       std::function<void(TCommFrm&)> operate) {
  QTimer::singleShot(0, [operate] {
    auto* dialog = qobject_cast<TCommFrm*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    operate(*dialog);
  });
  return TCommFrm::Run(current);
}

TEST(CommFrm, CaptionFixedSizeAndGroups) {
  TCommFrm dialog(PortDialogModel{});
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Выбор порта связи"));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_GE(dialog.width(), TCommFrm::kDesignWidth);
  EXPECT_GE(dialog.height(), TCommFrm::kDesignHeight);
  // Nothing is squeezed below what it needs.
  EXPECT_GE(dialog.height(), dialog.layout()->minimumSize().height());
  EXPECT_GE(dialog.width(), dialog.layout()->minimumSize().width());

  QStringList titles;
  for (const QGroupBox* box : dialog.findChildren<QGroupBox*>()) titles << box->title();
  EXPECT_TRUE(titles.contains(QStringLiteral("Выбор порта связи и его параметров")));
  EXPECT_TRUE(titles.contains(QStringLiteral("Управление обменом")));
  EXPECT_EQ(Child<QPushButton>(dialog, "OKButton")->text(), QStringLiteral("OK"));
  EXPECT_EQ(Child<QPushButton>(dialog, "CancelButton")->text(), QStringLiteral("Cancel"));
}

TEST(CommFrm, EveryControlHasItsLabelAndChoicesInOrder) {
  TCommFrm dialog(PortDialogModel{});
  struct List {
    const char* name;
    QString label;
    QStringList choices;
  };
  const List lists[] = {
      {"PortList", "Порт связи", {"COM 1", "COM 2", "COM 3", "COM 4"}},
      {"BaudList",
       "Скорость",
       {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000",
        "57600", "115200"}},
      {"StopBitsList", "Стоп-биты", {"1", "1.5", "2"}},
      {"DataBitsList", "Биты даных", {"5", "6", "7", "8"}},
      {"ParityList", "Четность", {"None", "Odd", "Even", "Mark", "Space"}},
  };
  for (const List& l : lists) {
    SCOPED_TRACE(l.name);
    const auto* list = Child<QComboBox>(dialog, l.name);
    EXPECT_EQ(Choices(list), l.choices);
    EXPECT_EQ(LabelOf(dialog, list), l.label);
  }

  EXPECT_EQ(Child<QGroupBox>(dialog, "RtsGroup")->title(), "Rts input flow control");
  EXPECT_EQ(Choices(Child<QButtonGroup>(dialog, "RtsGroupButtons")),
            QStringList({"Disable", "Enable", "Handshake", "Toggle"}));
  EXPECT_EQ(Child<QGroupBox>(dialog, "DtrGroup")->title(), "Dtr input flow control");
  EXPECT_EQ(Choices(Child<QButtonGroup>(dialog, "DtrGroupButtons")),
            QStringList({"Disable", "Enable", "Handshake"}));

  EXPECT_EQ(Child<QCheckBox>(dialog, "CtsFlowCheck")->text(), "Cts output flow control");
  EXPECT_EQ(Child<QCheckBox>(dialog, "DsrFlowCheck")->text(), "Dsr output flow control");
  EXPECT_EQ(Child<QCheckBox>(dialog, "XonXoffOutCheck")->text(), "Xon/Xoff output flow control");
  EXPECT_EQ(Child<QCheckBox>(dialog, "XonXoffInCheck")->text(), "Xon/Xoff input flow control");

  EXPECT_EQ(Child<QPushButton>(dialog, "RtsCtsButton")->text(),
            QStringLiteral("Аппаратное (Rts/Cts)"));
  EXPECT_EQ(Child<QPushButton>(dialog, "DtrDsrButton")->text(),
            QStringLiteral("Аппаратное (Dtr/Dsr)"));
  EXPECT_EQ(Child<QPushButton>(dialog, "XonXoffButton")->text(),
            QStringLiteral("Программное (Xon/Xoff)"));
  EXPECT_EQ(Child<QPushButton>(dialog, "NoFlowButton")->text(),
            QStringLiteral("Управления обменом нет"));
}

TEST(CommFrm, ControlsShowTheGivenValues) {
  TCommFrm dialog(UnusualPortModel());
  EXPECT_EQ(Child<QComboBox>(dialog, "PortList")->currentText(), "COM 3");
  EXPECT_EQ(Child<QComboBox>(dialog, "BaudList")->currentText(), "38400");
  EXPECT_EQ(Child<QComboBox>(dialog, "StopBitsList")->currentText(), "2");
  EXPECT_EQ(Child<QComboBox>(dialog, "DataBitsList")->currentText(), "7");
  EXPECT_EQ(Child<QComboBox>(dialog, "ParityList")->currentText(), "Odd");
  EXPECT_EQ(Child<QButtonGroup>(dialog, "RtsGroupButtons")->checkedButton()->text(), "Toggle");
  EXPECT_EQ(Child<QButtonGroup>(dialog, "DtrGroupButtons")->checkedButton()->text(), "Handshake");
  EXPECT_FALSE(Child<QCheckBox>(dialog, "CtsFlowCheck")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(dialog, "DsrFlowCheck")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(dialog, "XonXoffOutCheck")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(dialog, "XonXoffInCheck")->isChecked());
  EXPECT_EQ(dialog.Values(), UnusualPortModel());
}

TEST(CommFrm, EachPresetButtonAppliesItsPresetToTheControlsOnly) {
  const std::pair<const char*, void (PortDialogModel::*)()> buttons[] = {
      {"RtsCtsButton", &PortDialogModel::PresetRtsCts},
      {"DtrDsrButton", &PortDialogModel::PresetDtrDsr},
      {"XonXoffButton", &PortDialogModel::PresetXonXoff},
      {"NoFlowButton", &PortDialogModel::PresetNone},
  };
  for (const auto& [name, preset] : buttons) {
    SCOPED_TRACE(name);
    TCommFrm dialog(UnusualPortModel());
    Click(dialog, name);
    PortDialogModel expected = UnusualPortModel();
    (expected.*preset)();
    EXPECT_EQ(dialog.Values(), expected);
  }
  // "Enable", not "Handshake", is what the DTR preset checks.
  TCommFrm dialog(UnusualPortModel());
  Click(dialog, "DtrDsrButton");
  EXPECT_EQ(Child<QButtonGroup>(dialog, "DtrGroupButtons")->checkedButton()->text(), "Enable");
}

TEST(CommFrm, OkReturnsTheChosenValuesAndCancelNothing) {
  const auto chosen = RunWith(UnusualPortModel(), [](TCommFrm& d) {
    Child<QComboBox>(d, "PortList")->setCurrentIndex(0);
    Child<QComboBox>(d, "BaudList")->setCurrentIndex(12);
    Child<QComboBox>(d, "ParityList")->setCurrentIndex(4);
    Child<QButtonGroup>(d, "RtsGroupButtons")->button(1)->click();
    Child<QCheckBox>(d, "CtsFlowCheck")->click();
    Click(d, "OKButton");
  });
  ASSERT_TRUE(chosen.has_value());
  PortDialogModel expected = UnusualPortModel();
  expected.port = TPortType::COM1;
  expected.baudRate = TBaudRate::br115200;
  expected.parity = TParityBits::prSpace;
  expected.controlRts = TRtsFlowControl::rtsEnable;
  expected.outCtsFlow = true;
  EXPECT_EQ(*chosen, expected);

  const auto dismissed = RunWith(UnusualPortModel(), [](TCommFrm& d) {
    Click(d, "NoFlowButton");
    Click(d, "CancelButton");
  });
  EXPECT_FALSE(dismissed.has_value());
}

TEST(CommFrm, PortBeyondTheListIsShownAndKeptByOk) {
  PortDialogModel current = UnusualPortModel();
  current.port = TPortType::COM6;
  TCommFrm dialog(current);
  const auto* ports = Child<QComboBox>(dialog, "PortList");
  EXPECT_EQ(Choices(ports), QStringList({"COM 1", "COM 2", "COM 3", "COM 4", "COM 6"}));
  EXPECT_EQ(ports->currentText(), "COM 6");
  EXPECT_EQ(dialog.Values().port, TPortType::COM6);

  const auto chosen = RunWith(current, [](TCommFrm& d) {
    Child<QComboBox>(d, "PortList")->setCurrentIndex(1);
    Click(d, "OKButton");
  });
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->port, TPortType::COM2);
}

TEST(CommFrm, DamagedValuesNeverTurnIntoAnInvalidChoice) {
  PortDialogModel current = UnusualPortModel();
  current.port = static_cast<TPortType>(11);
  current.baudRate = static_cast<TBaudRate>(20);
  TCommFrm dialog(current);
  EXPECT_EQ(Child<QComboBox>(dialog, "PortList")->currentText(), "COM 1");
  EXPECT_EQ(Child<QComboBox>(dialog, "BaudList")->currentIndex(), -1);
  const PortDialogModel v = dialog.Values();
  EXPECT_EQ(v.port, TPortType::COM1);       // what is shown is what OK stores
  EXPECT_EQ(v.baudRate, current.baudRate);  // no choice shown: the value stays as it was
}

}  // namespace
}  // namespace qm
