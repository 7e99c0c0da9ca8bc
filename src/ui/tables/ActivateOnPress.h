// Makes a mouse press on the main window count while the window is not active yet.
//
// When a message box closes, the window system hands the activation back to the main window a
// moment later (under some window managers only once the pointer moves). Until then Qt gives a
// pressed widget the focus only inside the inactive window, without the focus moves the editors
// and grids listen to, and a grid drops such a press: the first click on a row after a box was
// lost, and the next command acted on the row before.
//
// This filter sees a press where it enters the main window, before Qt moves the focus for it.
// When no window of the program is active and no transfer runs, it activates the main window
// first: the focus comes back where it was, and the press then moves it on as it does in an
// active window (with the editors' exit questions). Presses during a transfer are left to the
// transfer's input guard.
//
// Window thread only. `inWindow` is any widget of the main window (its window is looked up at
// each press); `state` must outlive the filter.
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace qm {

struct RunState;

class ActivateOnPress : public QObject {
  Q_OBJECT

 public:
  ActivateOnPress(QWidget* inWindow, const RunState& state);
  ~ActivateOnPress() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> inWindow_;
  const RunState& state_;
};

}  // namespace qm
