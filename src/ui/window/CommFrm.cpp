#include "ui/window/CommFrm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QVBoxLayout>

namespace qm {
namespace {

QComboBox* AddList(QGridLayout* grid, int row, int column, const QString& label,
                   const QStringList& choices, const char* name) {
  auto* list = new QComboBox;
  list->setObjectName(QString::fromLatin1(name));
  list->addItems(choices);
  auto* caption = new QLabel(label);
  caption->setBuddy(list);
  grid->addWidget(caption, row, column);
  grid->addWidget(list, row, column + 1);
  return list;
}

QButtonGroup* AddRadioGroup(QWidget* owner, QLayout* into, const QString& title,
                            const QStringList& choices, const char* name) {
  auto* box = new QGroupBox(title);
  box->setObjectName(QString::fromLatin1(name));
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(3, 2, 3, 2);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(0);
  auto* group = new QButtonGroup(owner);
  group->setObjectName(QString::fromLatin1(name) + QStringLiteral("Buttons"));
  for (int i = 0; i < choices.size(); ++i) {
    auto* radio = new QRadioButton(choices[i]);
    group->addButton(radio, i);
    grid->addWidget(radio, i / 2, i % 2);  // two columns keep the dialog at its design height
  }
  into->addWidget(box);
  return group;
}

QCheckBox* AddCheck(QGridLayout* grid, int row, int column, const QString& text, const char* name) {
  auto* check = new QCheckBox(text);
  check->setObjectName(QString::fromLatin1(name));
  grid->addWidget(check, row, column);
  return check;
}

// A list keeps the given value when it shows no choice.
template <typename E>
E Chosen(const QComboBox* list, E given) {
  return list->currentIndex() < 0 ? given : static_cast<E>(list->currentIndex());
}

template <typename E>
E Chosen(const QButtonGroup* group, E given) {
  return group->checkedId() < 0 ? given : static_cast<E>(group->checkedId());
}

// Selects a list entry; a value beyond the list selects none.
void Select(QComboBox* list, int index) {
  list->setCurrentIndex(index < list->count() ? index : -1);
}

void Check(QButtonGroup* group, int id) {
  if (QAbstractButton* button = group->button(id)) {
    button->setChecked(true);
    return;
  }
  // No such choice: show none (the exclusive group would otherwise keep the old one checked).
  group->setExclusive(false);
  for (QAbstractButton* b : group->buttons()) b->setChecked(false);
  group->setExclusive(true);
}

}  // namespace

TCommFrm::TCommFrm(const PortDialogModel& current, QWidget* parent)
    : QDialog(parent), given_(current), portChoices_(PortChoices(current.port)) {
  setWindowTitle(QStringLiteral("Выбор порта связи"));
  setObjectName(QStringLiteral("CommFrm"));

  // Port and line settings.
  auto* lineBox = new QGroupBox(QStringLiteral("Выбор порта связи и его параметров"));
  auto* lineGrid = new QGridLayout(lineBox);
  lineGrid->setContentsMargins(3, 4, 3, 4);
  lineGrid->setHorizontalSpacing(4);
  lineGrid->setVerticalSpacing(3);
  QStringList ports;
  for (TPortType p : portChoices_) ports << QString::fromStdString(PortChoiceText(p));
  port_ = AddList(lineGrid, 0, 0, QStringLiteral("Порт связи"), ports, "PortList");
  QStringList bauds;
  for (int rate : kBaudRateValues) bauds << QString::number(rate);
  baud_ = AddList(lineGrid, 1, 0, QStringLiteral("Скорость"), bauds, "BaudList");
  stopBits_ =
      AddList(lineGrid, 2, 0, QStringLiteral("Стоп-биты"), {"1", "1.5", "2"}, "StopBitsList");
  dataBits_ =
      AddList(lineGrid, 0, 2, QStringLiteral("Биты даных"), {"5", "6", "7", "8"}, "DataBitsList");
  parity_ = AddList(lineGrid, 1, 2, QStringLiteral("Четность"),
                    {"None", "Odd", "Even", "Mark", "Space"}, "ParityList");

  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("CancelButton"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  for (QPushButton* b : {ok, cancel}) b->setMinimumWidth(64);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addStretch();

  auto* top = new QHBoxLayout;
  top->addWidget(lineBox, 1);
  top->addLayout(buttons);

  // Flow control.
  auto* flowBox = new QGroupBox(QStringLiteral("Управление обменом"));
  auto* flow = new QVBoxLayout(flowBox);
  flow->setContentsMargins(3, 4, 3, 4);
  flow->setSpacing(3);
  auto* radios = new QHBoxLayout;
  radios->setSpacing(4);
  rts_ = AddRadioGroup(this, radios, QStringLiteral("Rts input flow control"),
                       {"Disable", "Enable", "Handshake", "Toggle"}, "RtsGroup");
  dtr_ = AddRadioGroup(this, radios, QStringLiteral("Dtr input flow control"),
                       {"Disable", "Enable", "Handshake"}, "DtrGroup");
  flow->addLayout(radios);

  auto* checks = new QGridLayout;
  checks->setVerticalSpacing(0);
  outCts_ = AddCheck(checks, 0, 0, QStringLiteral("Cts output flow control"), "CtsFlowCheck");
  outDsr_ = AddCheck(checks, 1, 0, QStringLiteral("Dsr output flow control"), "DsrFlowCheck");
  xonXoffOut_ =
      AddCheck(checks, 0, 1, QStringLiteral("Xon/Xoff output flow control"), "XonXoffOutCheck");
  xonXoffIn_ =
      AddCheck(checks, 1, 1, QStringLiteral("Xon/Xoff input flow control"), "XonXoffInCheck");
  flow->addLayout(checks);

  struct Preset {
    const char* caption;
    const char* name;
    void (PortDialogModel::*apply)();
  };
  const Preset presets[] = {
      {"Аппаратное (Rts/Cts)", "RtsCtsButton", &PortDialogModel::PresetRtsCts},
      {"Аппаратное (Dtr/Dsr)", "DtrDsrButton", &PortDialogModel::PresetDtrDsr},
      {"Программное (Xon/Xoff)", "XonXoffButton", &PortDialogModel::PresetXonXoff},
      {"Управления обменом нет", "NoFlowButton", &PortDialogModel::PresetNone},
  };
  auto* presetGrid = new QGridLayout;
  presetGrid->setVerticalSpacing(2);
  for (int i = 0; i < 4; ++i) {
    auto* button = new QPushButton(QString::fromUtf8(presets[i].caption));
    button->setObjectName(QString::fromLatin1(presets[i].name));
    button->setAutoDefault(false);
    const auto apply = presets[i].apply;
    connect(button, &QPushButton::clicked, this, [this, apply] { ApplyPreset(apply); });
    presetGrid->addWidget(button, i / 2, i % 2);
  }
  flow->addLayout(presetGrid);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  layout->addLayout(top);
  layout->addWidget(flowBox);

  Show(current);

  // A fixed-size frame: the design size, unless the font in use needs more room.
  const QSize needed = layout->minimumSize();
  setFixedSize(std::max(kDesignWidth, needed.width()), std::max(kDesignHeight, needed.height()));
}

void TCommFrm::Show(const PortDialogModel& values) {
  port_->setCurrentIndex(PortChoiceIndex(values.port));
  Select(baud_, static_cast<int>(values.baudRate));
  Select(stopBits_, static_cast<int>(values.stopBits));
  Select(dataBits_, static_cast<int>(values.dataBits));
  Select(parity_, static_cast<int>(values.parity));
  Check(rts_, static_cast<int>(values.controlRts));
  Check(dtr_, static_cast<int>(values.controlDtr));
  outCts_->setChecked(values.outCtsFlow);
  outDsr_->setChecked(values.outDsrFlow);
  xonXoffOut_->setChecked(values.xonXoffOut);
  xonXoffIn_->setChecked(values.xonXoffIn);
}

void TCommFrm::ApplyPreset(void (PortDialogModel::*preset)()) {
  PortDialogModel values = Values();
  (values.*preset)();
  Show(values);
}

PortDialogModel TCommFrm::Values() const {
  PortDialogModel v = given_;
  // Every entry of the port list is a real port, and an entry is always selected.
  const int portIndex = port_->currentIndex();
  if (portIndex >= 0 && portIndex < static_cast<int>(portChoices_.size())) {
    v.port = portChoices_[portIndex];
  }
  v.baudRate = Chosen(baud_, given_.baudRate);
  v.stopBits = Chosen(stopBits_, given_.stopBits);
  v.dataBits = Chosen(dataBits_, given_.dataBits);
  v.parity = Chosen(parity_, given_.parity);
  v.controlRts = Chosen(rts_, given_.controlRts);
  v.controlDtr = Chosen(dtr_, given_.controlDtr);
  v.outCtsFlow = outCts_->isChecked();
  v.outDsrFlow = outDsr_->isChecked();
  v.xonXoffOut = xonXoffOut_->isChecked();
  v.xonXoffIn = xonXoffIn_->isChecked();
  return v;
}

std::optional<PortDialogModel> TCommFrm::Run(const PortDialogModel& current, QWidget* parent) {
  TCommFrm dialog(current, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Values();
}

}  // namespace qm
