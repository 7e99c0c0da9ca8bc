#include "app/PortDialogModel.h"

#include <gtest/gtest.h>

#include "app/RecordingPort.h"
#include "support/PortModels.h"

namespace qm {
namespace {

using qmtest::UnusualPortModel;

TEST(PortDialogPresets, EachChangesOnlyItsOwnFields) {
  PortDialogModel m = UnusualPortModel();
  m.PresetRtsCts();
  PortDialogModel expected = UnusualPortModel();
  expected.controlRts = TRtsFlowControl::rtsHandshake;
  expected.outCtsFlow = true;
  EXPECT_EQ(m, expected);

  m = UnusualPortModel();
  m.PresetDtrDsr();
  expected = UnusualPortModel();
  expected.controlDtr = TDtrFlowControl::dtrEnable;  // Enable, not Handshake
  expected.outDsrFlow = true;
  EXPECT_EQ(m, expected);

  m = UnusualPortModel();
  m.PresetXonXoff();
  expected = UnusualPortModel();
  expected.xonXoffOut = true;
  expected.xonXoffIn = true;
  EXPECT_EQ(m, expected);
}

TEST(PortDialogPresets, NoFlowControlThenOkTurnsEveryFlowControlOff) {
  PortDialogModel m = UnusualPortModel();
  m.PresetRtsCts();
  m.PresetXonXoff();
  m.PresetNone();

  qmtest::RecordingPort port;
  port.values = UnusualPortModel();
  port.values.outCtsFlow = true;
  port.values.xonXoffOut = true;
  WritePortDialogModel(m, port);

  EXPECT_FALSE(port.values.outCtsFlow);
  EXPECT_FALSE(port.values.outDsrFlow);
  EXPECT_FALSE(port.values.xonXoffOut);
  EXPECT_FALSE(port.values.xonXoffIn);
  EXPECT_EQ(port.values.controlRts, TRtsFlowControl::rtsDisable);
  EXPECT_EQ(port.values.controlDtr, TDtrFlowControl::dtrDisable);
  // The line settings stay as they were chosen.
  EXPECT_EQ(port.values.baudRate, UnusualPortModel().baudRate);
  EXPECT_EQ(port.values.parity, UnusualPortModel().parity);
}

TEST(PortDialogWriteBack, SettersRunInTheFixedOrderAndStoreEveryValue) {
  qmtest::RecordingPort port;
  const PortDialogModel chosen = UnusualPortModel();
  WritePortDialogModel(chosen, port);
  const std::vector<std::string> order = {"Port",      "BaudRate",   "StopBits",   "DataBits",
                                          "Parity",    "OutCtsFlow", "OutDsrFlow", "XonXoffOut",
                                          "XonXoffIn", "ControlRts", "ControlDtr"};
  EXPECT_EQ(port.calls, order);
  EXPECT_EQ(port.values, chosen);
  EXPECT_EQ(ReadPortDialogModel(port), chosen);
}

TEST(PortChoices, FourListedPortsPlusACurrentPortBeyondThem) {
  const std::vector<TPortType> four = {TPortType::COM1, TPortType::COM2, TPortType::COM3,
                                       TPortType::COM4};
  EXPECT_EQ(PortChoices(TPortType::COM2), four);
  EXPECT_EQ(PortChoiceIndex(TPortType::COM2), 1);
  EXPECT_EQ(PortChoices(TPortType::COM4), four);
  EXPECT_EQ(PortChoiceIndex(TPortType::COM4), 3);

  std::vector<TPortType> withCom8 = four;
  withCom8.push_back(TPortType::COM8);
  EXPECT_EQ(PortChoices(TPortType::COM8), withCom8);
  EXPECT_EQ(PortChoiceIndex(TPortType::COM8), 4);
  EXPECT_EQ(PortChoiceText(TPortType::COM8), "COM 8");
  EXPECT_EQ(PortChoiceText(TPortType::COM1), "COM 1");
}

TEST(PortChoices, AValueNamingNoPortSelectsComOneSoOkStoresARealPort) {
  const auto damaged = static_cast<TPortType>(12);
  EXPECT_EQ(PortChoices(damaged).size(), 4u);
  EXPECT_EQ(PortChoiceIndex(damaged), 0);
  EXPECT_EQ(PortChoices(damaged)[PortChoiceIndex(damaged)], TPortType::COM1);
}

}  // namespace
}  // namespace qm
