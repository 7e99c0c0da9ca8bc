// The function keys both table editors answer: F1..F7, as the key codes 112..118, run Write,
// Add, Ins, Clear, Del, Copy and Paste of the editor's commands.
#pragma once

namespace qm {

// Runs the command of `keyCode` on `commands`; false (and nothing run) for any other key.
template <typename Commands>
bool RunFunctionKey(Commands& commands, int keyCode) {
  switch (keyCode) {
    case 112:
      commands.Write();
      return true;
    case 113:
      commands.Add();
      return true;
    case 114:
      commands.Ins();
      return true;
    case 115:
      commands.Clear();
      return true;
    case 116:
      commands.Del();
      return true;
    case 117:
      commands.Copy();
      return true;
    case 118:
      commands.Paste();
      return true;
    default:
      return false;
  }
}

}  // namespace qm
