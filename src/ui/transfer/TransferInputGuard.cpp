#include "ui/transfer/TransferInputGuard.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QShortcut>
#include <QToolButton>
#include <QWidget>
#include <utility>

#include "ui/transfer/TransferPaintPacer.h"

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
    // Not ShortcutOverride: a filtered override counts as taken by the focused widget, and the
    // window's shortcuts would then never be tried, not even those let through. Letting it pass
    // changes nothing: the shortcut itself, or the key press that follows, is still swallowed.
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

TransferInputGuard::TransferInputGuard(QWidget* window, std::vector<QPointer<QAction>> passing)
    : window_(window), passing_(std::move(passing)) {
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
  // A drop-down menu belongs to the window it drops from (the menu bar's menus, a submenu);
  // a context menu of the number input belongs to the input box and stays usable.
  const QWidget* top = widget->window();
  while (qobject_cast<const QMenu*>(top) && top->parentWidget()) {
    top = top->parentWidget()->window();
  }
  return top == window_;
}

bool TransferInputGuard::Passes(QObject* target) const {
  QAction* action = qobject_cast<QAction*>(target);
  if (!action) {
    if (auto* button = qobject_cast<QToolButton*>(target)) action = button->defaultAction();
  }
  if (!action) return false;
  for (const QPointer<QAction>& p : passing_) {
    if (p == action) return true;
  }
  return false;
}

bool TransferInputGuard::eventFilter(QObject* watched, QEvent* event) {
  if (window_ && IsOperatorInput(event->type()) && MeantForWindow(watched) && !Passes(watched)) {
    return true;
  }
  return QObject::eventFilter(watched, event);
}

WindowTransferHold::WindowTransferHold(QWidget* window) : window_(window) {}

WindowTransferHold::~WindowTransferHold() = default;

void WindowTransferHold::Hold() {
  guards_.push_back(std::make_unique<TransferInputGuard>(window_, passing_));
  if (!pacer_) pacer_ = std::make_unique<TransferPaintPacer>();
}

void WindowTransferHold::LetThrough(QAction* action) {
  passing_.emplace_back(action);
}

void WindowTransferHold::Release() {
  if (!guards_.empty()) guards_.pop_back();
  if (guards_.empty()) pacer_.reset();
}

}  // namespace qm
