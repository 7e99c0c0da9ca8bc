// The port dialog's view of the serial port and the line settings the window saves: every field
// is read from the port and written back to it, and nothing is written when the dialog is
// dismissed.
#include <gtest/gtest.h>

#include "app/ComPortSettingsAccess.h"
#include "support/PortModels.h"

namespace qm {
namespace {

// Every field away from its default and from the port's own settings in the tests below.
PortDialogModel Unusual() {
  PortDialogModel m = qmtest::UnusualPortModel();
  m.port = TPortType::COM7;
  m.baudRate = TBaudRate::br57600;
  m.parity = TParityBits::prMark;
  m.outCtsFlow = true;
  m.xonXoffOut = true;
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
  const PortLineSettings line{.Port = TPortType::COM8,
                              .BaudRate = TBaudRate::br110,
                              .DataBits = TDataBits::dbFive,
                              .Parity = TParityBits::prSpace,
                              .StopBits = TStopBits::sbOne5StopBits};
  TComPort port;
  ApplyLineSettings(line, port);
  EXPECT_EQ(LineSettingsOf(port), line);
  // What the dialog changes is what the window saves next.
  ComPortSettingsAccess access(port);
  WritePortDialogModel(Unusual(), access);
  EXPECT_EQ(LineSettingsOf(port), (PortLineSettings{.Port = TPortType::COM7,
                                                    .BaudRate = TBaudRate::br57600,
                                                    .DataBits = TDataBits::dbSeven,
                                                    .Parity = TParityBits::prMark,
                                                    .StopBits = TStopBits::sbTwoStopBits}));
}

}  // namespace
}  // namespace qm
