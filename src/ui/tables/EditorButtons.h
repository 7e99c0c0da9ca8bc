// The row of seven command buttons both editors carry (Write, Add, Ins, Clear, Del, Copy, Paste)
// and their wiring to the editor's commands, which have the same seven entry points.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <span>
#include <vector>

namespace qm {

// One button: where the editor keeps it, its object name, caption (Latin) and tooltip (UTF-8).
struct EditorButton {
  QPushButton** button;
  const char* name;
  const char* caption;
  const char* hint;
};

// Makes the buttons on `page` in the given order, the first with the geometry `first`, each next
// one moved by `step`. Each is stored where its entry says and is never a default button.
// Returns them in order; `page` owns them.
std::vector<QPushButton*> MakeEditorButtons(QWidget* page, std::span<const EditorButton> buttons,
                                            QRect first, QPoint step);

// Connects the seven buttons to Write, Add, Ins, Clear, Del, Copy and Paste of the commands
// `commands()` gives at the time of the click (they are attached after the buttons are built).
template <typename CommandsGetter>
void ConnectEditorButtons(QObject* owner, QPushButton* write, QPushButton* add, QPushButton* ins,
                          QPushButton* clear, QPushButton* del, QPushButton* copy,
                          QPushButton* paste, CommandsGetter commands) {
  QObject::connect(write, &QPushButton::clicked, owner, [commands] { commands()->Write(); });
  QObject::connect(add, &QPushButton::clicked, owner, [commands] { commands()->Add(); });
  QObject::connect(ins, &QPushButton::clicked, owner, [commands] { commands()->Ins(); });
  QObject::connect(clear, &QPushButton::clicked, owner, [commands] { commands()->Clear(); });
  QObject::connect(del, &QPushButton::clicked, owner, [commands] { commands()->Del(); });
  QObject::connect(copy, &QPushButton::clicked, owner, [commands] { commands()->Copy(); });
  QObject::connect(paste, &QPushButton::clicked, owner, [commands] { commands()->Paste(); });
}

}  // namespace qm
