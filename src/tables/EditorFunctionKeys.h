// The function keys both table editors answer: F1..F7, as the key codes 112..118, run Write,
// Add, Ins, Clear, Del, Copy and Paste of the editor's commands.
#pragma once

#include <array>

namespace qm {

// The seven commands of an editor in the order of their keys (F1..F7) and of their buttons.
template <typename Commands>
inline constexpr std::array<void (Commands::*)(), 7> kEditorCommands = {
    &Commands::Write, &Commands::Add,  &Commands::Ins,  &Commands::Clear,
    &Commands::Del,   &Commands::Copy, &Commands::Paste};

// Runs the command of `keyCode` on `commands`; false (and nothing run) for any other key.
template <typename Commands>
bool RunFunctionKey(Commands& commands, int keyCode) {
  constexpr int kF1 = 112;
  if (keyCode < kF1 || keyCode >= kF1 + static_cast<int>(kEditorCommands<Commands>.size())) {
    return false;
  }
  (commands.*kEditorCommands<Commands>[keyCode - kF1])();
  return true;
}

}  // namespace qm
