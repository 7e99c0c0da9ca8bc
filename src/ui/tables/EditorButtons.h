// The row of seven command buttons both editors carry (Write, Add, Ins, Clear, Del, Copy, Paste)
// and their wiring to the editor's commands, which have the same seven entry points.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <algorithm>
#include <array>
#include <span>
#include <type_traits>
#include <vector>

#include "tables/EditorFunctionKeys.h"

namespace qm {

// The seven buttons of an editor, Write to Paste.
struct EditorButtonRow {
  std::array<QPushButton**, 7> places;  // where the editor keeps each button
  std::array<const char*, 7> hints;     // the tooltips (UTF-8)
};

// Makes the buttons on `page` in the given order, the first with the geometry `first`, each next
// one moved by `step`. Each one's object name is `prefix` followed by its command ("MsgWrite"),
// its caption (Latin) the command alone ("Write"). Each is stored where its entry says and is
// never a default button. Returns them in order; `page` owns them.
std::vector<QPushButton*> MakeEditorButtons(QWidget* page, const char* prefix,
                                            const EditorButtonRow& row, QRect first, QPoint step);

// Connects the buttons, in the order of MakeEditorButtons, to Write, Add, Ins, Clear, Del, Copy
// and Paste of the commands `commands()` gives at the time of the click (they are attached after
// the buttons are built).
template <typename CommandsGetter>
void ConnectEditorButtons(QObject* owner, std::span<QPushButton* const> buttons,
                          CommandsGetter commands) {
  using Commands = std::remove_pointer_t<decltype(commands())>;
  const std::size_t count = std::min(buttons.size(), kEditorCommands<Commands>.size());
  for (std::size_t i = 0; i < count; ++i) {
    QObject::connect(buttons[i], &QPushButton::clicked, owner,
                     [commands, i] { (commands()->*kEditorCommands<Commands>[i])(); });
  }
}

}  // namespace qm
