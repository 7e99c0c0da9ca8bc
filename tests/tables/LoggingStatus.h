// A StatusView for the table command tests that logs every panel text in order, as
// "<panel> <UTF-8 text>" with " !" appended when an immediate repaint was asked for.
#pragma once

#include <string>
#include <vector>

#include "base/Cp1251.h"
#include "base/StatusView.h"

namespace qmtest {

class LoggingStatus : public qm::StatusView {
 public:
  void SetStatusText(int panel, const std::string& text, bool repaintNow) override {
    log.push_back(std::to_string(panel) + " " + qm::Utf8(text) + (repaintNow ? " !" : ""));
  }
  void SetSaveEnabled(bool enabled) override { saveEnabled = enabled; }
  void SetConnectState(bool, const std::string&) override {}
  void SetDisplayText(int, const std::string&) override {}

  std::vector<std::string> log;
  bool saveEnabled = false;
};

}  // namespace qmtest
