#include "transfer/ui/TransferInputGuard.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

namespace qm {

namespace {

bool IsOperatorInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

TransferInputGuard::TransferInputGuard(QWidget* window) : window_(window) {
  qApp->installEventFilter(this);
}

TransferInputGuard::~TransferInputGuard() {
  qApp->removeEventFilter(this);
}

bool TransferInputGuard::MeantForWindow(QObject* target) const {
  QWidget* widget = qobject_cast<QWidget*>(target);
  if (!widget) {
    // Shortcuts arrive at the QShortcut or QAction that owns them.
    if (auto* shortcut = qobject_cast<QShortcut*>(target)) {
      widget = qobject_cast<QWidget*>(shortcut->parent());
    } else if (qobject_cast<QAction*>(target)) {
      return true;  // the window's commands are actions; other windows' buttons are not
    }
  }
  if (!widget) return false;
  const QWidget* top = widget->window();
  return top == window_ || qobject_cast<const QMenu*>(top) != nullptr;
}

bool TransferInputGuard::eventFilter(QObject* watched, QEvent* event) {
  if (window_ && IsOperatorInput(event->type()) && MeantForWindow(watched)) {
    ++swallowed_;
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace qm
