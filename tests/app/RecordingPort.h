// A PortSettingsAccess that holds the settings and records the name of every setter called, in
// order, so tests can check what a command wrote and in which order.
#pragma once

#include <string>
#include <vector>

#include "app/PortDialogModel.h"

namespace qmtest {

class RecordingPort : public qm::PortSettingsAccess {
 public:
  qm::PortDialogModel values;
  std::vector<std::string> calls;

  qm::TPortType Port() const override { return values.port; }
  qm::TBaudRate BaudRate() const override { return values.baudRate; }
  qm::TStopBits StopBits() const override { return values.stopBits; }
  qm::TDataBits DataBits() const override { return values.dataBits; }
  qm::TParityBits ParityBits() const override { return values.parity; }
  bool OutCtsFlow() const override { return values.outCtsFlow; }
  bool OutDsrFlow() const override { return values.outDsrFlow; }
  bool XonXoffOut() const override { return values.xonXoffOut; }
  bool XonXoffIn() const override { return values.xonXoffIn; }
  qm::TRtsFlowControl ControlRts() const override { return values.controlRts; }
  qm::TDtrFlowControl ControlDtr() const override { return values.controlDtr; }

  void SetPort(qm::TPortType v) override { Record("Port", values.port, v); }
  void SetBaudRate(qm::TBaudRate v) override { Record("BaudRate", values.baudRate, v); }
  void SetStopBits(qm::TStopBits v) override { Record("StopBits", values.stopBits, v); }
  void SetDataBits(qm::TDataBits v) override { Record("DataBits", values.dataBits, v); }
  void StoreParityBits(qm::TParityBits v) override { Record("Parity", values.parity, v); }
  void SetOutCtsFlow(bool v) override { Record("OutCtsFlow", values.outCtsFlow, v); }
  void SetOutDsrFlow(bool v) override { Record("OutDsrFlow", values.outDsrFlow, v); }
  void SetXonXoffOut(bool v) override { Record("XonXoffOut", values.xonXoffOut, v); }
  void SetXonXoffIn(bool v) override { Record("XonXoffIn", values.xonXoffIn, v); }
  void SetControlRts(qm::TRtsFlowControl v) override { Record("ControlRts", values.controlRts, v); }
  void SetControlDtr(qm::TDtrFlowControl v) override { Record("ControlDtr", values.controlDtr, v); }

 private:
  template <typename T>
  void Record(const char* name, T& field, T value) {
    calls.emplace_back(name);
    field = value;
  }
};

}  // namespace qmtest
