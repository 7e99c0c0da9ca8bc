#include "app/Settings.h"

#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingStatusView.h"

namespace qm {
namespace {

using qmtest::MemorySettingsStore;
using qmtest::RecordingStatusView;

const std::vector<std::string> kValueOrder = {
    "Settings/Communication Port", "Settings/Baud Rate",     "Settings/Parity",
    "Settings/Stop Bits",          "Settings/Scale Address", "Settings/Scale Model",
    "Settings/Scale Version",      "Settings/Left Position", "Settings/Top Position",
    "Settings/Form Width",         "Settings/Form Heiht",    "Settings\\Font/CharSet",
    "Settings\\Font/Color",        "Settings\\Font/Height",  "Settings\\Font/Name",
    "Settings\\Font/Pitch",        "Settings\\Font/Size",    "Settings\\Font/Style"};

// The window's current position and font, which stand in for missing values.
StoredSettings CurrentWindow() {
  StoredSettings v;
  v.Left = 33;
  v.Top = 44;
  return v;
}

TEST(Settings, WithoutTheKeyNothingIsReadOrWrittenAndThePanelsStay) {
  MemorySettingsStore store(false);
  RecordingStatusView status;
  RunState state;
  StoredSettings values = CurrentWindow();
  LoadSettingsAtStartUp(store, state, values, status);
  EXPECT_FALSE(state.SettingsKeyPresent);
  EXPECT_TRUE(store.reads.empty());
  EXPECT_EQ(values, CurrentWindow());
  for (const std::string& panel : status.panels) EXPECT_EQ(panel, "");

  state.ScaleModel = 6;
  SaveSettingsAtClose(store, state, values);
  EXPECT_TRUE(store.writes.empty());
}

TEST(Settings, AnEmptyKeyGivesEveryDefault) {
  MemorySettingsStore store(true);
  RecordingStatusView status;
  RunState state;
  StoredSettings values = CurrentWindow();
  values.Font.Name = "Arial";
  values.Font.Size = 10;
  values.Font.Bold = true;  // the style is cleared and rebuilt from the stored letters
  LoadSettingsAtStartUp(store, state, values, status);

  EXPECT_TRUE(state.SettingsKeyPresent);
  EXPECT_EQ(store.reads, kValueOrder);
  EXPECT_EQ(values.Line, PortLineSettings{});
  EXPECT_EQ(values.Left, 33);
  EXPECT_EQ(values.Top, 44);
  EXPECT_EQ(values.Width, 640);
  EXPECT_EQ(values.Height, 480);
  EXPECT_EQ(values.Font.Name, "Arial");
  EXPECT_EQ(values.Font.Size, 10);
  EXPECT_FALSE(values.Font.Bold);
  EXPECT_EQ(state.ScaleModel, 15);
  EXPECT_EQ(state.ScaleVersion, 4000);
  EXPECT_EQ(state.ScaleAddress, 1);
  EXPECT_EQ(status.panels[kPanelModel], "ORB QM-15(R) 4000 PLU");
  EXPECT_EQ(status.panels[kPanelPort], "COM2");
  EXPECT_EQ(status.panels[kPanelLine], "9600   8-N-1");
  EXPECT_EQ(status.panels[kPanelAddress], "01");
}

TEST(Settings, EveryValueRoundTripsInOrder) {
  MemorySettingsStore first(true);
  StoredSettings written;
  written.Line = {TPortType::COM8, TBaudRate::br115200, TDataBits::dbEight, TParityBits::prSpace,
                  TStopBits::sbTwoStopBits};
  written.ScaleAddress = 200;
  written.ScaleModel = 6;
  written.ScaleVersion = 600;
  written.Left = -20;
  written.Top = 15;
  written.Width = 800;
  written.Height = 601;
  written.Font = {204,   255,  -13, Win1251("Шрифт Arial"), FontPitch::Fixed, 12, true,
                  false, true, true};
  WriteSettings(first, written);
  EXPECT_EQ(first.writes, kValueOrder);
  EXPECT_EQ(first.Get("Settings", "Baud Rate"), "12");
  EXPECT_EQ(first.Get("Settings", "Left Position"), "-20");
  EXPECT_EQ(first.Get("Settings\\Font", "Color"), "255");
  EXPECT_EQ(first.Get("Settings\\Font", "Style"), "BUS");

  StoredSettings read;
  ReadSettings(first, read);
  EXPECT_EQ(read, written);
}

TEST(Settings, StartUpTakesScaleAndSizeAndCloseWritesTheStateBack) {
  MemorySettingsStore store(true);
  store.Set("Settings", {{"Scale Model", "15"},
                         {"Scale Version", "600"},
                         {"Scale Address", "7"},
                         {"Communication Port", "0"},
                         {"Baud Rate", "8"},
                         {"Parity", "2"},
                         {"Stop Bits", "1"},
                         {"Form Width", "900"},
                         {"Form Heiht", "700"}});
  RecordingStatusView status;
  RunState state;
  StoredSettings values = CurrentWindow();
  LoadSettingsAtStartUp(store, state, values, status);

  EXPECT_EQ(state.SavedWidth, 900);
  EXPECT_EQ(state.SavedHeight, 700);
  EXPECT_EQ(state.CurrentScale.MaxMessages, 200);
  EXPECT_EQ(state.CurrentScale.MsgLines, 4);
  EXPECT_EQ(status.panels[kPanelModel], "ORB QM-15(R) 600 PLU");
  EXPECT_EQ(status.panels[kPanelPort], "COM1");
  EXPECT_EQ(status.panels[kPanelLine], "19200   8-E-1.5");
  EXPECT_EQ(status.panels[kPanelAddress], "07");

  state.ScaleModel = 30;
  state.ScaleVersion = 4000;
  state.ScaleAddress = 12;
  SaveSettingsAtClose(store, state, values);
  EXPECT_EQ(store.writes, kValueOrder);
  EXPECT_EQ(store.Get("Settings", "Scale Model"), "30");
  EXPECT_EQ(store.Get("Settings", "Scale Version"), "4000");
  EXPECT_EQ(store.Get("Settings", "Scale Address"), "12");
  EXPECT_EQ(store.Get("Settings", "Baud Rate"), "8");
}

TEST(Settings, NonNumericValuesGiveTheirDefaults) {
  MemorySettingsStore store(true);
  for (const char* name :
       {"Communication Port", "Baud Rate", "Parity", "Stop Bits", "Scale Address", "Scale Model",
        "Scale Version", "Left Position", "Top Position", "Form Width", "Form Heiht"}) {
    store.Set("Settings", name, "12a");
  }
  for (const char* name : {"CharSet", "Color", "Height", "Pitch", "Size"}) {
    store.Set("Settings\\Font", name, "");
  }
  store.Set("Settings", "Scale Version", "1e3");
  store.Set("Settings", "Form Width", "2.5");
  StoredSettings values = CurrentWindow();
  ReadSettings(store, values);
  StoredSettings expected = CurrentWindow();
  EXPECT_EQ(values, expected);
}

TEST(Settings, EnumerationsOutsideTheirTablesAreNeverUsed) {
  MemorySettingsStore store(true);
  store.Set(
      "Settings",
      {{"Communication Port", "12"}, {"Baud Rate", "40"}, {"Parity", "9"}, {"Stop Bits", "5"}});
  store.Set("Settings\\Font", "Pitch", "3");
  StoredSettings values;
  values.Font.Pitch = FontPitch::Variable;
  ReadSettings(store, values);
  EXPECT_EQ(values.Line, PortLineSettings{});
  EXPECT_EQ(values.Font.Pitch, FontPitch::Variable);
  EXPECT_EQ(PortPanelText(values.Line.Port), "COM2");
  EXPECT_EQ(LineSettingsText(values.Line), "9600   8-N-1");

  store.Set("Settings", {{"Communication Port", "-1"}, {"Baud Rate", "-6"}, {"Stop Bits", "2"}});
  ReadSettings(store, values);
  EXPECT_EQ(values.Line.Port, TPortType::COM2);
  EXPECT_EQ(values.Line.BaudRate, TBaudRate::br9600);
  EXPECT_EQ(values.Line.StopBits, TStopBits::sbTwoStopBits);

  // Largest values inside the tables are taken.
  store.Set("Settings", {{"Communication Port", "7"}, {"Baud Rate", "12"}, {"Parity", "4"}});
  ReadSettings(store, values);
  EXPECT_EQ(PortPanelText(values.Line.Port), "COM8");
  EXPECT_EQ(LineSettingsText(values.Line), "115200   8-S-2");
}

TEST(Settings, NumbersAreNotRangeTestedAndTheAddressKeepsItsLowByte) {
  MemorySettingsStore store(true);
  store.Set("Settings", {{"Scale Address", "257"},
                         {"Scale Model", "20"},
                         {"Scale Version", "-5"},
                         {"Form Width", " 100 "}});
  RunState state;
  RecordingStatusView status;
  StoredSettings values;
  LoadSettingsAtStartUp(store, state, values, status);
  EXPECT_EQ(state.ScaleAddress, 1);
  EXPECT_EQ(state.ScaleModel, 20);
  EXPECT_EQ(state.ScaleVersion, -5);
  EXPECT_EQ(state.SavedWidth, 100);
  EXPECT_EQ(status.panels[kPanelModel], "ORB QM");
  EXPECT_EQ(state.CurrentScale.MaxTare, 0);

  store.Set("Settings", "Scale Address", "-1");
  ReadSettings(store, values);
  EXPECT_EQ(values.ScaleAddress, 255);
}

TEST(Settings, StyleLettersSetExactlyTheirStyles) {
  MemorySettingsStore store(true);
  StoredSettings values;
  values.Font.Italic = true;
  store.Set("Settings\\Font", "Style", "BU");
  ReadSettings(store, values);
  EXPECT_TRUE(values.Font.Bold);
  EXPECT_FALSE(values.Font.Italic);
  EXPECT_TRUE(values.Font.Underline);
  EXPECT_FALSE(values.Font.StrikeOut);

  store.Set("Settings\\Font", "Style", "X");
  ReadSettings(store, values);
  EXPECT_EQ(StyleLetters(values.Font), "");

  store.Set("Settings\\Font", "Style", "SIxB");
  ReadSettings(store, values);
  EXPECT_EQ(StyleLetters(values.Font), "BIS");
}

// A size of 0 names no size: the face and the style stand, the size and height stay the
// window's, whatever height was stored beside it.
TEST(Settings, AFontSizeOfZeroKeepsTheFaceAndStyleAtTheCurrentSize) {
  for (const char* height : {"0", "-20"}) {
    SCOPED_TRACE(height);
    MemorySettingsStore store(true);
    store.Set("Settings\\Font",
              {{"Name", "DejaVu Sans"}, {"Height", height}, {"Size", "0"}, {"Style", "BU"}});
    StoredSettings values = CurrentWindow();
    ReadSettings(store, values);
    EXPECT_EQ(values.Font.Name, "DejaVu Sans");
    EXPECT_EQ(StyleLetters(values.Font), "BU");
    EXPECT_EQ(values.Font.Size, 8);
    EXPECT_EQ(values.Font.Height, -11);
  }
}

}  // namespace
}  // namespace qm
