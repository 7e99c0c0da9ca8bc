// The live display: while the link is open and idle, the 100 ms timer polls the scale about once
// a second (command 0x89) and shows its weight with three indicator letters, unit price, total
// price and PLU number in the four display panels (the reply's codec is in Protocol.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/RunState.h"
#include "base/StatusView.h"
#include "port/ComPort.h"
#include "link/Protocol.h"
#include "link/ScaleLink.h"

namespace qm {

inline constexpr std::int32_t kPollPeriodTicks = 10;

class LivePoll {
 public:
  // Everything is borrowed and must outlive the poll.
  LivePoll(ScaleLink& link, TComPort& port, RunState& state, StatusView& status);

  // The main window's 100 ms timer tick: counts the link's reply time-out down, and every
  // tenth tick, when the poll is enabled, the port open and idle and LinkBusy clear, reads the
  // scale's display into the panels. A poll that fails leaves the panels as they are.
  void TimerTick();

  // Runs after each reading was shown, with its texts; may be unset.
  void SetReadingHandler(std::function<void(const DisplayTexts&)> handler) {
    onReading_ = std::move(handler);
  }
  // How the last poll's selection of the scale ended; nothing before the first poll.
  const std::optional<Selection>& LastSelection() const { return lastSelection_; }

 private:
  ScaleLink& link_;
  TComPort& port_;
  RunState& state_;
  StatusView& status_;
  std::function<void(const DisplayTexts&)> onReading_;
  std::optional<Selection> lastSelection_;
};

}  // namespace qm
