// Small pieces the two editors share: the function keys F1..F7 as the key codes the commands
// take (112..118), and the focus moves the editors make themselves (putting the focus back on
// a field after an exit question), which the focus routing of the window must not treat as the
// operator's own moves.
#pragma once

#include <QKeyEvent>
#include <QPointer>
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
