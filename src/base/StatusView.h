// What the core shows in the main window besides dialogs: the status bar panels, the Save and
// Connect tool buttons and the four live display panels. The window layer renders it. Texts are
// Windows-1251.
#pragma once

#include <string>

namespace qm {

// Status bar panels, counted from 0.
enum StatusPanel : int {
  kPanelActivity = 0,  // "Idle.", "Reading PLU...", "Done." ...
  kPanelModel = 1,     // ModelName of CurrentScale
  kPanelPort = 2,      // "COM2"
  kPanelLine = 3,      // "9600   8-N-1"
  kPanelAddress = 4,   // "01"
  kPanelPluCount = 5,  // "1 PLU"
  kPanelMsgCount = 6,  // "1 MSG"
  kPanelBusy = 7,      // "Busy..." or empty
};
inline constexpr int kStatusPanelCount = 8;

// The four live display panels.
enum DisplayPanel : int {
  kDisplayPluNo = 0,
  kDisplayWeight = 1,
  kDisplayPrice = 2,
  kDisplayTotal = 3
};

class StatusView {
 public:
  virtual ~StatusView() = default;
  // Sets a panel's text; `repaintNow` asks the window to redraw the bar at once (before a long
  // operation that does not process events).
  virtual void SetStatusText(int panel, const std::string& text, bool repaintNow = false) = 0;
  virtual void SetSaveEnabled(bool enabled) = 0;
  // The Connect button: pressed while the port is open, with the hint that goes with it.
  virtual void SetConnectState(bool pressed, const std::string& hint) = 0;
  virtual void SetDisplayText(int panel, const std::string& text) = 0;
};

}  // namespace qm
