// The two tool-button commands that change how the program reaches the scale: the port button
// (`SelectComPort`) and the scale address button (`SelectScaleAddr`). Both leave the link closed
// when they closed it; the operator connects again with the Connect button.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/PortDialogModel.h"
#include "base/Captions.h"
#include "base/Dialogs.h"
#include "base/RunState.h"
#include "base/StatusView.h"

namespace qm {

// What the commands need from the main window besides the port settings and the run-time state.
struct ConnectionSeams {
  Dialogs& dialogs;
  StatusView& status;
  std::function<bool()> isPortOpen;  // the serial port is open (the link is connected)
  std::function<void()> closeLink;   // disconnect the link as the Connect button would
};

// Shows the port settings dialog modally, filled with `current`; the confirmed values, or
// nothing when the operator dismissed it. The dialog is created for this one call.
using RunPortDialog = std::function<std::optional<PortDialogModel>(const PortDialogModel& current)>;

// Questions of the two commands (Windows-1251).
extern const std::string kDisconnectScaleQuestion;  // "Весы подключены, отключить?"
extern const std::string kAddressQuestionHead;  // "Весы с адресом "
extern const std::string kAddressQuestionTail;  // "уже подключены, отключить?"

// The port button. While the port is open, asks whether to disconnect; anything but Yes ends
// the command with nothing changed. Then runs the dialog, writes a confirmed choice back to
// `port` in the fixed order, and rewrites status panels 2 and 3 from the port (after a
// dismissed dialog too).
void SelectComPortClick(const ConnectionSeams& seams, PortSettingsAccess& port,
                        const RunPortDialog& runDialog);

// The address button. While the port is open, asks whether to disconnect the scale at the
// current address; anything but Yes ends the command. Then asks for an address in
// 1..CurrentScale.MaxScaleAddress; a valid one becomes ScaleAddress and status panel 4.
void SelectScaleAddrClick(const ConnectionSeams& seams, RunState& state);

}  // namespace qm
