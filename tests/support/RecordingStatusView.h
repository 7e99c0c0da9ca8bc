// A StatusView for tests that keeps the last text of every panel (as UTF-8) and the button states.
#pragma once

#include <array>
#include <string>

#include "base/Cp1251.h"
#include "base/StatusView.h"

namespace qmtest {

class RecordingStatusView : public qm::StatusView {
 public:
  void SetStatusText(int panel, const std::string& text, bool) override {
    if (panel >= 0 && panel < qm::kStatusPanelCount) panels[panel] = qm::Utf8(text);
  }
  void SetSaveEnabled(bool enabled) override { saveEnabled = enabled; }
  void SetConnectState(bool pressed, const std::string& hint) override {
    connectPressed = pressed;
    connectHint = qm::Utf8(hint);
  }
  void SetDisplayText(int panel, const std::string& text) override {
    if (panel >= 0 && panel < 4) display[panel] = qm::Utf8(text);
  }

  std::array<std::string, qm::kStatusPanelCount> panels{};
  std::array<std::string, 4> display{};
  bool saveEnabled = false;
  bool connectPressed = false;
  std::string connectHint;
};

}  // namespace qmtest
