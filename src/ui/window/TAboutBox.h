// The about window: the program's name and version on one bevelled panel. Shown modally; a click
// on any part of it closes it.
#pragma once

#include <QDialog>

namespace qm {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* owner);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace qm
