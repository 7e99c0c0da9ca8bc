// The port dialog's view of the serial port and the line settings the window saves: every field
// is read from the port and written back to it, and nothing is written when the dialog is
// dismissed.
#include <gtest/gtest.h>

#include "app/ComPortSettingsAccess.h"

namespace qm {
namespace {

PortDialogModel Unusual() {
  PortDialogModel m;
  m.port = TPortType::COM7;
  m.baudRate = TBaudRate::br57600;
  m.stopBits = TStopBits::sbTwoStopBits;
  m.dataBits = TDataBits::dbSeven;
  m.parity = TParityBits::prMark;
  m.controlRts = TRtsFlowControl::rtsToggle;
  m.controlDtr = TDtrFlowControl::dtrHandshake;
  m.outCtsFlow = true;
  m.outDsrFlow = true;
  m.xonXoffOut = true;
  m.xonXoffIn = true;
  return m;
}

TEST(PortDialogAccess, DialogShowsThePortsSettingsAndOkWritesEveryChoiceBack) {
  TComPort port;
  port.SetPort(TPortType::COM2);
  port.FlowControl().SetXonXoffIn(true);
  port.FlowControl().SetControlDtr(TDtrFlowControl::dtrEnable);

  PortDialogModel shown;
  ASSERT_TRUE(ShowSetupDialog(port, [&](const PortDialogModel& current) {
    shown = current;
    return std::optional<PortDialogModel>(Unusual());
  }));
  PortDialogModel expectedShown;
  expectedShown.port = TPortType::COM2;
  expectedShown.xonXoffIn = true;
  expectedShown.controlDtr = TDtrFlowControl::dtrEnable;
  EXPECT_EQ(shown, expectedShown);

  ComPortSettingsAccess access(port);
  EXPECT_EQ(ReadPortDialogModel(access), Unusual());
  EXPECT_EQ(port.Port(), TPortType::COM7);
  EXPECT_EQ(port.Parity().Bits(), TParityBits::prMark);
  EXPECT_EQ(port.FlowControl().ControlRts(), TRtsFlowControl::rtsToggle);
}

TEST(PortDialogAccess, DismissedDialogChangesNothing) {
  TComPort port;
  port.SetPort(TPortType::COM2);
  ComPortSettingsAccess access(port);
  const PortDialogModel before = ReadPortDialogModel(access);
  EXPECT_FALSE(ShowSetupDialog(
      port, [](const PortDialogModel&) { return std::optional<PortDialogModel>(); }));
  EXPECT_EQ(ReadPortDialogModel(access), before);
}

TEST(PortDialogAccess, LineSettingsGoIntoThePortAndComeBackWhole) {
  PortLineSettings line;
  line.Port = TPortType::COM8;
  line.BaudRate = TBaudRate::br110;
  line.DataBits = TDataBits::dbFive;
  line.Parity = TParityBits::prSpace;
  line.StopBits = TStopBits::sbOne5StopBits;
  TComPort port;
  ApplyLineSettings(line, port);
  EXPECT_EQ(LineSettingsOf(port), line);
  // What the dialog changes is what the window saves next.
  ComPortSettingsAccess access(port);
  WritePortDialogModel(Unusual(), access);
  const PortLineSettings after = LineSettingsOf(port);
  EXPECT_EQ(after.Port, TPortType::COM7);
  EXPECT_EQ(after.BaudRate, TBaudRate::br57600);
  EXPECT_EQ(after.DataBits, TDataBits::dbSeven);
  EXPECT_EQ(after.Parity, TParityBits::prMark);
  EXPECT_EQ(after.StopBits, TStopBits::sbTwoStopBits);
}

}  // namespace
}  // namespace qm
