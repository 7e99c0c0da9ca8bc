// A port dialog model for the tests of the dialog, its presets and its write-back.
#pragma once

#include "app/PortDialogModel.h"

namespace qmtest {

// Every field away from its default but the output flows of CTS and XON/XOFF, which presets turn
// on: a preset or a write that touches a field it should leave is seen.
inline qm::PortDialogModel UnusualPortModel() {
  qm::PortDialogModel m;
  m.port = qm::TPortType::COM3;
  m.baudRate = qm::TBaudRate::br38400;
  m.stopBits = qm::TStopBits::sbTwoStopBits;
  m.dataBits = qm::TDataBits::dbSeven;
  m.parity = qm::TParityBits::prOdd;
  m.controlRts = qm::TRtsFlowControl::rtsToggle;
  m.controlDtr = qm::TDtrFlowControl::dtrHandshake;
  m.outDsrFlow = true;
  m.xonXoffIn = true;
  return m;
}

}  // namespace qmtest
