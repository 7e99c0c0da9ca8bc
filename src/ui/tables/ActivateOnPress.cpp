#include "ui/tables/ActivateOnPress.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include "base/RunState.h"

namespace qm {

ActivateOnPress::ActivateOnPress(QWidget* inWindow, const RunState& state)
    : inWindow_(inWindow), state_(state) {
  qApp->installEventFilter(this);
}

ActivateOnPress::~ActivateOnPress() {
  qApp->removeEventFilter(this);
}

bool ActivateOnPress::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress) return false;
  // The press as the window system delivers it, to the main window's native window; Qt hands
  // it on to the widget under the pointer after this.
  if (!inWindow_) return false;
  QWidget* window = inWindow_->window();
  if (watched != window->windowHandle()) return false;
  if (QApplication::activeWindow() || QApplication::activeModalWidget() || state_.LinkBusy) {
    return false;
  }
  window->activateWindow();               // the window system's activation, which comes later
  QApplication::setActiveWindow(window);  // Qt's, now: the focus returns to where it was
  return false;
}

}  // namespace qm
