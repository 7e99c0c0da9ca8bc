#include <gtest/gtest.h>

#include "app/CloseRequest.h"
#include "app/PortLineSettings.h"
#include "app/ScaleTypeSelection.h"
#include "support/RecordingStatusView.h"
#include "support/ScriptedDialogs.h"

namespace qm {
namespace {

TEST(StatusTexts, AddressHasTwoDigitsAtLeast) {
  EXPECT_EQ(FormatAddress(0), "00");
  EXPECT_EQ(FormatAddress(7), "07");
  EXPECT_EQ(FormatAddress(9), "09");
  EXPECT_EQ(FormatAddress(10), "10");
  EXPECT_EQ(FormatAddress(12), "12");
  EXPECT_EQ(FormatAddress(255), "255");
}

TEST(StatusTexts, LineSettingsNameEveryBaudParityStopAndDataBits) {
  PortLineSettings line;
  EXPECT_EQ(LineSettingsText(line), "9600   8-N-1");
  line.BaudRate = TBaudRate::br110;
  line.DataBits = TDataBits::dbFive;
  line.Parity = TParityBits::prOdd;
  line.StopBits = TStopBits::sbOne5StopBits;
  EXPECT_EQ(LineSettingsText(line), "110   5-O-1.5");
  line.BaudRate = TBaudRate::br56000;
  line.DataBits = TDataBits::dbSeven;
  line.Parity = TParityBits::prMark;
  EXPECT_EQ(LineSettingsText(line), "56000   7-M-1.5");
  EXPECT_EQ(PortPanelText(TPortType::COM1), "COM1");
}

TEST(StatusTexts, PortDefaultsComeFromTheModelButThePortStays) {
  PortLineSettings line{TPortType::COM5, TBaudRate::br300, TDataBits::dbSix, TParityBits::prEven,
                        TStopBits::sbTwoStopBits};
  ApplyPortDefaults(BuildScaleParams(30, 200), line);
  EXPECT_EQ(line.Port, TPortType::COM5);
  EXPECT_EQ(LineSettingsText(line), "9600   8-N-1");
}

TEST(ScaleTypeMenu, SelectionSwitchesToThe4000VersionAndShowsTheName) {
  RunState state;
  state.ScaleModel = 15;
  state.ScaleVersion = 600;
  state.ScaleAddress = 120;  // above the new model's highest address: stays
  state.CurrentScale = BuildScaleParams(15, 600);
  qmtest::RecordingStatusView status;

  ASSERT_TRUE(ScaleTypeMenuClick(state, status, 0));
  EXPECT_EQ(state.ScaleModel, 6);
  EXPECT_EQ(state.ScaleVersion, 4000);
  EXPECT_EQ(state.CurrentScale, BuildScaleParams(6, 4000));
  EXPECT_EQ(state.ScaleAddress, 120);
  EXPECT_EQ(status.panels[kPanelModel], "ORB QM-06(R) 4000 PLU");

  ASSERT_TRUE(ScaleTypeMenuClick(state, status, 2));
  EXPECT_EQ(status.panels[kPanelModel], "ORB QM-30(R) 4000 PLU");

  EXPECT_FALSE(ScaleTypeMenuClick(state, status, 3));
  EXPECT_FALSE(ScaleTypeMenuClick(state, status, -1));
  EXPECT_EQ(state.ScaleModel, 30);
}

TEST(CloseRequest, OnlyYesEndsTheProgram) {
  qmtest::ScriptedDialogs dialogs;
  dialogs.ExpectMessage("Вы хотите закончить работу?", kButtonNo, "Подтвердите")
      .ExpectMessage("Вы хотите закончить работу?", kButtonYes);
  EXPECT_FALSE(ConfirmClose(dialogs));
  EXPECT_TRUE(ConfirmClose(dialogs));
  ASSERT_EQ(dialogs.Shown().size(), 2u);
  EXPECT_EQ(dialogs.Shown()[0].icon, DialogIcon::Question);
  EXPECT_EQ(dialogs.Shown()[0].buttons, kButtonYes | kButtonNo);
}

}  // namespace
}  // namespace qm
