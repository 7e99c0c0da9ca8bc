#include "app/ComPortSettingsAccess.h"

namespace qm {

void ComPortSettingsAccess::StoreParityBits(TParityBits value) {
  // The dialog runs only while the port is closed, where the setter only stores the value.
  port_.Parity().SetBits(value);
}

bool ShowSetupDialog(TComPort& port, const RunPortDialog& runDialog) {
  ComPortSettingsAccess access(port);
  const std::optional<PortDialogModel> chosen = runDialog(ReadPortDialogModel(access));
  if (!chosen) return false;
  WritePortDialogModel(*chosen, access);
  return true;
}

PortLineSettings LineSettingsOf(const TComPort& port) {
  PortLineSettings line;
  line.Port = port.Port();
  line.BaudRate = port.BaudRate();
  line.DataBits = port.DataBits();
  line.Parity = port.Parity().Bits();
  line.StopBits = port.StopBits();
  return line;
}

void ApplyLineSettings(const PortLineSettings& line, TComPort& port) {
  port.SetPort(line.Port);
  port.SetBaudRate(line.BaudRate);
  port.SetDataBits(line.DataBits);
  port.Parity().SetBits(line.Parity);
  port.SetStopBits(line.StopBits);
}

}  // namespace qm
