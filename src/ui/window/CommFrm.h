// The port settings dialog: chooses the port and its line settings and the flow control. It is
// created for one use, filled from the port's current values, and hands back what the operator
// confirmed. The preset buttons only change the dialog's controls.
#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "app/PortDialogModel.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;

namespace qm {

class TCommFrm : public QDialog {
  Q_OBJECT

 public:
  // Client area at the design font; the dialog grows only if a larger font would clip controls.
  static constexpr int kDesignWidth = 395;
  static constexpr int kDesignHeight = 327;

  explicit TCommFrm(const PortDialogModel& current, QWidget* parent = nullptr);

  // The values the controls show now. A list or radio group that shows no choice (the value it
  // was given lies outside its choices) keeps the value it was given.
  PortDialogModel Values() const;

  // Shows a dialog for `current` modally; the confirmed values, or nothing after "Cancel".
  static std::optional<PortDialogModel> Run(const PortDialogModel& current,
                                            QWidget* parent = nullptr);

 private:
  void Show(const PortDialogModel& values);
  void ApplyPreset(void (PortDialogModel::*preset)());

  PortDialogModel given_;
  std::vector<TPortType> portChoices_;

  QComboBox* port_ = nullptr;
  QComboBox* baud_ = nullptr;
  QComboBox* stopBits_ = nullptr;
  QComboBox* dataBits_ = nullptr;
  QComboBox* parity_ = nullptr;
  QButtonGroup* rts_ = nullptr;
  QButtonGroup* dtr_ = nullptr;
  QCheckBox* outCts_ = nullptr;
  QCheckBox* outDsr_ = nullptr;
  QCheckBox* xonXoffOut_ = nullptr;
  QCheckBox* xonXoffIn_ = nullptr;
};

}  // namespace qm
