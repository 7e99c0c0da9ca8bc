// The serial port's settings as the rest of the program sees them: the port dialog's view of
// the port (PortSettingsAccess over TComPort), the port dialog itself (ShowSetupDialog), and the
// line settings the main window saves and reads (port, baud rate, data bits, parity, stop bits).
// After start-up the port object is the one place these settings live; the copies below are
// taken from it and put into it, never kept apart.
#pragma once

#include "app/ConnectionCommands.h"
#include "app/PortDialogModel.h"
#include "app/PortLineSettings.h"
#include "port/ComPort.h"

namespace qm {

// The port dialog's view of a TComPort. Every setter goes through the port's own setter, so a
// value equal to the current one does nothing; the parity bits are stored without re-applying
// the line state (the dialog runs while the port is closed).
class ComPortSettingsAccess : public PortSettingsAccess {
 public:
  explicit ComPortSettingsAccess(TComPort& port) : port_(port) {}

  TPortType Port() const override { return port_.Port(); }
  TBaudRate BaudRate() const override { return port_.BaudRate(); }
  TStopBits StopBits() const override { return port_.StopBits(); }
  TDataBits DataBits() const override { return port_.DataBits(); }
  TParityBits ParityBits() const override { return port_.Parity().Bits(); }
  bool OutCtsFlow() const override { return port_.FlowControl().OutCtsFlow(); }
  bool OutDsrFlow() const override { return port_.FlowControl().OutDsrFlow(); }
  bool XonXoffOut() const override { return port_.FlowControl().XonXoffOut(); }
  bool XonXoffIn() const override { return port_.FlowControl().XonXoffIn(); }
  TRtsFlowControl ControlRts() const override { return port_.FlowControl().ControlRts(); }
  TDtrFlowControl ControlDtr() const override { return port_.FlowControl().ControlDtr(); }

  void SetPort(TPortType value) override { port_.SetPort(value); }
  void SetBaudRate(TBaudRate value) override { port_.SetBaudRate(value); }
  void SetStopBits(TStopBits value) override { port_.SetStopBits(value); }
  void SetDataBits(TDataBits value) override { port_.SetDataBits(value); }
  void StoreParityBits(TParityBits value) override;
  void SetOutCtsFlow(bool value) override { port_.FlowControl().SetOutCtsFlow(value); }
  void SetOutDsrFlow(bool value) override { port_.FlowControl().SetOutDsrFlow(value); }
  void SetXonXoffOut(bool value) override { port_.FlowControl().SetXonXoffOut(value); }
  void SetXonXoffIn(bool value) override { port_.FlowControl().SetXonXoffIn(value); }
  void SetControlRts(TRtsFlowControl value) override { port_.FlowControl().SetControlRts(value); }
  void SetControlDtr(TDtrFlowControl value) override { port_.FlowControl().SetControlDtr(value); }

 private:
  TComPort& port_;
};

// Runs the port dialog filled from the port's current settings; on confirmation writes the
// choices back in the fixed order (port, baud rate, stop bits, data bits, parity, the four flow
// flags, RTS, DTR). True when the operator confirmed.
bool ShowSetupDialog(TComPort& port, const RunPortDialog& runDialog);

// The line settings the port holds now.
PortLineSettings LineSettingsOf(const TComPort& port);
// Puts line settings into the port (each through its setter).
void ApplyLineSettings(const PortLineSettings& line, TComPort& port);

}  // namespace qm
