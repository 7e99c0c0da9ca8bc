// The values the port settings dialog edits, the preset buttons of its flow-control group, and
// how the dialog is filled from and written back to the serial port.
#pragma once

#include <string>
#include <vector>

#include "base/LineSettings.h"

namespace qm {

struct PortDialogModel {
  TPortType port = TPortType::COM2;
  TBaudRate baudRate = TBaudRate::br9600;
  TStopBits stopBits = TStopBits::sbOneStopBit;
  TDataBits dataBits = TDataBits::dbEight;
  TParityBits parity = TParityBits::prNone;
  TRtsFlowControl controlRts = TRtsFlowControl::rtsDisable;
  TDtrFlowControl controlDtr = TDtrFlowControl::dtrDisable;
  bool outCtsFlow = false;
  bool outDsrFlow = false;
  bool xonXoffOut = false;
  bool xonXoffIn = false;

  // The four preset buttons. Each changes only the fields named; the rest stay as they are.
  // "Аппаратное (Rts/Cts)": RTS handshake, CTS output flow on.
  void PresetRtsCts();
  // "Аппаратное (Dtr/Dsr)": DTR "Enable" (not handshake), DSR output flow on.
  void PresetDtrDsr();
  // "Программное (Xon/Xoff)": XON/XOFF on output and on input.
  void PresetXonXoff();
  // "Управления обменом нет": all four flags off, RTS and DTR disabled.
  void PresetNone();

  friend bool operator==(const PortDialogModel&, const PortDialogModel&) = default;
};

// The port list. The dialog offers "COM 1" ... "COM 4", while the settings may name a port up to
// COM8. Such a port is not dropped or replaced: it is shown as one more entry after the four
// ("COM 6"), selected, so that the operator sees the port in use and "OK" keeps it unless another
// is chosen. Every entry stands for a real port, so "OK" always stores one of COM1..COM8.
std::vector<TPortType> PortChoices(TPortType current);
// The entry of PortChoices(current) to select: the current port's; the first ("COM 1") when the
// value names no port at all (a damaged setting), so that what "OK" stores is what is shown.
int PortChoiceIndex(TPortType current);
std::string PortChoiceText(TPortType port);  // "COM 1" ... "COM 8"

// The serial port as the dialog sees it: its current settings and their setters. The serial port
// object implements it (or an adapter over it does).
class PortSettingsAccess {
 public:
  virtual ~PortSettingsAccess() = default;

  virtual TPortType Port() const = 0;
  virtual TBaudRate BaudRate() const = 0;
  virtual TStopBits StopBits() const = 0;
  virtual TDataBits DataBits() const = 0;
  virtual TParityBits ParityBits() const = 0;
  virtual bool OutCtsFlow() const = 0;
  virtual bool OutDsrFlow() const = 0;
  virtual bool XonXoffOut() const = 0;
  virtual bool XonXoffIn() const = 0;
  virtual TRtsFlowControl ControlRts() const = 0;
  virtual TDtrFlowControl ControlDtr() const = 0;

  virtual void SetPort(TPortType value) = 0;
  virtual void SetBaudRate(TBaudRate value) = 0;
  virtual void SetStopBits(TStopBits value) = 0;
  virtual void SetDataBits(TDataBits value) = 0;
  // The parity bits are stored as they are, without re-applying the line state: the dialog runs
  // only while the port is closed.
  virtual void StoreParityBits(TParityBits value) = 0;
  virtual void SetOutCtsFlow(bool value) = 0;
  virtual void SetOutDsrFlow(bool value) = 0;
  virtual void SetXonXoffOut(bool value) = 0;
  virtual void SetXonXoffIn(bool value) = 0;
  virtual void SetControlRts(TRtsFlowControl value) = 0;
  virtual void SetControlDtr(TDtrFlowControl value) = 0;
};

// Fills the dialog's values from the port's current settings.
PortDialogModel ReadPortDialogModel(const PortSettingsAccess& port);

// Writes the confirmed values back in the fixed order: port, baud rate, stop bits, data bits,
// parity, output CTS flow, output DSR flow, XON/XOFF output, XON/XOFF input, RTS, DTR.
void WritePortDialogModel(const PortDialogModel& values, PortSettingsAccess& port);

}  // namespace qm
