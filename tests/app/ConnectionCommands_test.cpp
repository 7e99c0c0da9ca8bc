#include "app/ConnectionCommands.h"

#include <gtest/gtest.h>

#include "app/RecordingPort.h"
#include "base/StatusTexts.h"
#include "support/RecordingStatusView.h"
#include "support/ScriptedDialogs.h"

namespace qm {
namespace {

using qmtest::RecordingPort;
using qmtest::RecordingStatusView;
using qmtest::ScriptedDialogs;

// The main window's side of the commands: a link that is open or closed, and the dialog runs.
struct Window {
  ScriptedDialogs dialogs;
  RecordingStatusView status;
  RecordingPort port;
  RunState state;
  bool open = false;
  int closeCalls = 0;
  int dialogRuns = 0;
  PortDialogModel dialogSawValues;
  std::optional<PortDialogModel> dialogAnswer;  // nothing: Cancel

  ConnectionSeams Seams() {
    return ConnectionSeams{dialogs, status, [this] { return open; },
                           [this] {
                             ++closeCalls;
                             open = false;
                           }};
  }
  void ClickPort() {
    SelectComPortClick(Seams(), port, [this](const PortDialogModel& current) {
      ++dialogRuns;
      dialogSawValues = current;
      return dialogAnswer;
    });
  }
  void ClickAddress() { SelectScaleAddrClick(Seams(), state); }
};

TEST(SelectComPort, NoToTheDisconnectQuestionLeavesLinkOpenAndDialogUnshown) {
  Window w;
  w.open = true;
  w.status.panels[kPanelPort] = "unchanged";
  w.dialogs.ExpectMessage("Весы подключены, отключить?", kButtonNo, "Подтвердите");
  w.ClickPort();
  EXPECT_TRUE(w.open);
  EXPECT_EQ(w.closeCalls, 0);
  EXPECT_EQ(w.dialogRuns, 0);
  EXPECT_EQ(w.status.panels[kPanelPort], "unchanged");
  ASSERT_EQ(w.dialogs.Shown().size(), 1u);
  EXPECT_EQ(w.dialogs.Shown()[0].icon, DialogIcon::Question);
  EXPECT_EQ(w.dialogs.Shown()[0].buttons, kButtonYes | kButtonNo);
}

TEST(SelectComPort, YesClosesTheLinkThenRunsTheDialogWithThePortValues) {
  Window w;
  w.open = true;
  w.port.values.port = TPortType::COM3;
  w.port.values.baudRate = TBaudRate::br19200;
  PortDialogModel chosen = w.port.values;
  chosen.port = TPortType::COM1;
  chosen.parity = TParityBits::prEven;
  chosen.stopBits = TStopBits::sbOne5StopBits;
  w.dialogAnswer = chosen;
  w.dialogs.ExpectMessage("Весы подключены, отключить?", kButtonYes);
  w.ClickPort();
  EXPECT_EQ(w.closeCalls, 1);
  EXPECT_FALSE(w.open);  // not reopened
  EXPECT_EQ(w.dialogSawValues.port, TPortType::COM3);
  EXPECT_EQ(w.dialogSawValues.baudRate, TBaudRate::br19200);
  EXPECT_EQ(w.port.values, chosen);
  EXPECT_EQ(w.port.calls.size(), 11u);
  EXPECT_EQ(w.status.panels[kPanelPort], "COM1");
  EXPECT_EQ(w.status.panels[kPanelLine], "19200   8-E-1.5");
}

TEST(SelectComPort, CancelWritesNothingButStillRefreshesPanelsTwoAndThree) {
  Window w;  // closed: no question
  w.port.values.port = TPortType::COM2;
  w.status.panels[kPanelPort] = "stale";
  w.status.panels[kPanelLine] = "stale";
  w.ClickPort();
  EXPECT_EQ(w.dialogRuns, 1);
  EXPECT_TRUE(w.port.calls.empty());
  EXPECT_EQ(w.status.panels[kPanelPort], "COM2");
  EXPECT_EQ(w.status.panels[kPanelLine], "9600   8-N-1");
}

TEST(SelectScaleAddr, AddressBoundsFollowTheModel) {
  struct Case {
    int version;
    const char* entry;
    bool accepted;
  };
  for (const Case c :
       {Case{200, "1", true}, Case{200, "2", false}, Case{600, "2", false}, Case{1000, "1", true},
        Case{1000, "2", false}, Case{4000, "99", true}, Case{4000, "100", false},
        Case{4000, "0", false}, Case{200, "0", false}, Case{4000, " 7 ", true}}) {
    SCOPED_TRACE(std::to_string(c.version) + " " + c.entry);
    Window w;
    w.state.CurrentScale = BuildScaleParams(15, c.version);
    w.state.ScaleAddress = 1;
    w.status.panels[kPanelAddress] = "01";
    w.dialogs.ExpectInput("Введите адрес весов:", c.entry);
    if (!c.accepted) w.dialogs.ExpectMessage("Неправильный адрес весов.", kButtonOk, "Ошибка");
    w.ClickAddress();
    const std::uint8_t expected = c.accepted ? std::stoi(c.entry) : 1;
    EXPECT_EQ(w.state.ScaleAddress, expected);
    EXPECT_EQ(w.status.panels[kPanelAddress], FormatAddress(expected));
  }
}

TEST(SelectScaleAddr, OffersTheCurrentAddressAndShowsTheNewOneWithLeadingZero) {
  Window w;
  w.state.ScaleAddress = 12;
  w.dialogs.ExpectInput("Введите адрес весов:", "7");
  w.ClickAddress();
  EXPECT_EQ(w.dialogs.lastInputDefault, "12");
  EXPECT_EQ(w.state.ScaleAddress, 7);
  EXPECT_EQ(w.status.panels[kPanelAddress], "07");
}

TEST(SelectScaleAddr, WhileConnectedAsksWithTheAddressJoinedAsItStands) {
  Window w;
  w.open = true;
  w.state.ScaleAddress = 5;
  w.dialogs.ExpectMessage("Весы с адресом 05уже подключены, отключить?", kButtonNo, "Подтвердите");
  w.ClickAddress();
  EXPECT_TRUE(w.open);
  EXPECT_EQ(w.state.ScaleAddress, 5);

  w.dialogs.ExpectMessage("Весы с адресом 05уже подключены, отключить?", kButtonYes)
      .ExpectInput("Введите адрес весов:", std::nullopt);
  w.ClickAddress();
  EXPECT_FALSE(w.open);
  EXPECT_EQ(w.closeCalls, 1);
  EXPECT_EQ(w.state.ScaleAddress, 5);
  EXPECT_EQ(w.status.panels[kPanelAddress], "");  // cancelled: panel untouched
}

TEST(StatusTexts, AddressPortAndLineSettings) {
  EXPECT_EQ(FormatAddress(1), "01");
  EXPECT_EQ(FormatAddress(9), "09");
  EXPECT_EQ(FormatAddress(10), "10");
  EXPECT_EQ(FormatAddress(255), "255");
  EXPECT_EQ(PortPanelText(TPortType::COM8), "COM8");
  EXPECT_EQ(LineSettingsText(TBaudRate::br115200, TDataBits::dbFive, TParityBits::prSpace,
                             TStopBits::sbTwoStopBits),
            "115200   5-S-2");
  EXPECT_EQ(LineSettingsText(TBaudRate::br110, TDataBits::dbSix, TParityBits::prOdd,
                             TStopBits::sbOneStopBit),
            "110   6-O-1");
  // Damaged settings show "?" instead of reading past a table.
  EXPECT_EQ(LineSettingsText(static_cast<TBaudRate>(13), static_cast<TDataBits>(4),
                             static_cast<TParityBits>(5), static_cast<TStopBits>(3)),
            "?   ?-?-?");
}

}  // namespace
}  // namespace qm
