// Small pieces the two editors share: the function keys F1..F7 as the key codes the commands
// take (112..118), the navigation keys the filters leave alone, and the focus moves the editors
// make themselves (putting the focus back on a field after an exit question), which the focus
// routing of the window must not treat as the operator's own moves.
#pragma once

#include <QKeyEvent>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>

namespace qm {

// F1..F7 -> 112..118; 0 for every other key (the shift state does not matter).
inline int FunctionKeyCode(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_F1 && key <= Qt::Key_F7) return 112 + (key - Qt::Key_F1);
  return 0;
}

inline bool IsEnterKey(const QKeyEvent& event) {
  return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

// Tab and Shift+Tab (with or without Ctrl): they move the focus, or with Ctrl the page, and are
// never typing, so the key filters let them through and they mark nothing as changed.
inline bool IsTabKey(const QKeyEvent& event) {
  return event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab;
}

// Ctrl+Tab and Ctrl+PgDn show the next page of the page control that holds `inside`, Ctrl+Shift+
// Tab and Ctrl+PgUp the previous one, round the ends, as the tabs themselves do when they have
// the focus. True when the key was one of these (the caller swallows it).
inline bool StepPageByKey(QWidget* inside, const QKeyEvent& event) {
  if (!(event.modifiers() & Qt::ControlModifier)) return false;
  int step = 0;
  switch (event.key()) {
    case Qt::Key_Tab:
      step = (event.modifiers() & Qt::ShiftModifier) ? -1 : 1;
      break;
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
      step = -1;
      break;
    case Qt::Key_PageDown:
      step = 1;
      break;
    default:
      return false;
  }
  QWidget* w = inside;
  while (w && !qobject_cast<QTabWidget*>(w)) w = w->parentWidget();
  auto* pages = qobject_cast<QTabWidget*>(w);
  if (!pages || pages->count() == 0) return false;
  pages->setCurrentIndex((pages->currentIndex() + step + pages->count()) % pages->count());
  return true;
}

// Set while an editor moves the focus on its own.
struct FocusBounce {
  bool active = false;
  void To(QWidget* target) {
    if (!target) return;
    const bool was = active;
    active = true;
    target->setFocus(Qt::OtherFocusReason);
    active = was;
  }
};

}  // namespace qm
