#include "ui/tables/DropStalePress.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>

namespace qm {

DropStalePress::DropStalePress() {
  qApp->installEventFilter(this);
}

DropStalePress::~DropStalePress() {
  qApp->removeEventFilter(this);
}

bool DropStalePress::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress || !event->spontaneous()) return false;
  if (qobject_cast<QAbstractButton*>(watched) == nullptr) return false;
  const auto* press = static_cast<QMouseEvent*>(event);
  // The application's record of the buttons already has the release the box took.
  return !(QGuiApplication::mouseButtons() & press->button());
}

}  // namespace qm
