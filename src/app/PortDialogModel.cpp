#include "app/PortDialogModel.h"

namespace qm {

void PortDialogModel::PresetRtsCts() {
  controlRts = TRtsFlowControl::rtsHandshake;
  outCtsFlow = true;
}

void PortDialogModel::PresetDtrDsr() {
  controlDtr = TDtrFlowControl::dtrEnable;
  outDsrFlow = true;
}

void PortDialogModel::PresetXonXoff() {
  xonXoffOut = true;
  xonXoffIn = true;
}

void PortDialogModel::PresetNone() {
  outCtsFlow = false;
  outDsrFlow = false;
  xonXoffOut = false;
  xonXoffIn = false;
  controlRts = TRtsFlowControl::rtsDisable;
  controlDtr = TDtrFlowControl::dtrDisable;
}

namespace {
constexpr int kListedPorts = 4;  // "COM 1" ... "COM 4"
}

std::vector<TPortType> PortChoices(TPortType current) {
  std::vector<TPortType> choices;
  for (int i = 0; i < kListedPorts; ++i) choices.push_back(static_cast<TPortType>(i));
  const int index = static_cast<int>(current);
  if (index >= kListedPorts && index < kPortCount) choices.push_back(current);
  return choices;
}

int PortChoiceIndex(TPortType current) {
  const std::vector<TPortType> choices = PortChoices(current);
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (choices[i] == current) return static_cast<int>(i);
  }
  return 0;
}

std::string PortChoiceText(TPortType port) {
  return "COM " + std::to_string(static_cast<int>(port) + 1);
}

PortDialogModel ReadPortDialogModel(const PortSettingsAccess& port) {
  PortDialogModel m;
  m.port = port.Port();
  m.baudRate = port.BaudRate();
  m.stopBits = port.StopBits();
  m.dataBits = port.DataBits();
  m.parity = port.ParityBits();
  m.outCtsFlow = port.OutCtsFlow();
  m.outDsrFlow = port.OutDsrFlow();
  m.xonXoffOut = port.XonXoffOut();
  m.xonXoffIn = port.XonXoffIn();
  m.controlRts = port.ControlRts();
  m.controlDtr = port.ControlDtr();
  return m;
}

void WritePortDialogModel(const PortDialogModel& values, PortSettingsAccess& port) {
  port.SetPort(values.port);
  port.SetBaudRate(values.baudRate);
  port.SetStopBits(values.stopBits);
  port.SetDataBits(values.dataBits);
  port.StoreParityBits(values.parity);
  port.SetOutCtsFlow(values.outCtsFlow);
  port.SetOutDsrFlow(values.outDsrFlow);
  port.SetXonXoffOut(values.xonXoffOut);
  port.SetXonXoffIn(values.xonXoffIn);
  port.SetControlRts(values.controlRts);
  port.SetControlDtr(values.controlDtr);
}

}  // namespace qm
