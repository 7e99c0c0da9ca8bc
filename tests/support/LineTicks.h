// Virtual time for a link on a headless loop: a tick falls due when the far end is quiet and no
// byte that reached the port waits for its event thread to hand it to the loop. The second
// condition keeps ticks out of an exchange that goes on normally: a reply the link is about to
// take must not cost it a tick it would not get on real time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "base/TickSource.h"
#include "port/ComPort.h"
#include "port/HeadlessLoop.h"

namespace qmtest {

// How long a test's virtual time waits at most for a far end that is not settled (a paced reply,
// a scale pausing on purpose) before it ticks anyway: the real timer's period, so a far end that
// pauses on purpose sees the ticks it would see on real time.
inline constexpr std::chrono::milliseconds kTestBackstop{100};

class LineTicks : public qm::VirtualTicks {
 public:
  // `farEnd`: whether the far end of the line is quiet (e.g. VirtualScale::Quiet).
  explicit LineTicks(std::function<bool()> farEnd);
  // The port and the loop it hands its events to; both must outlive the ticks' use.
  void Watch(qm::TComPort& port, qm::HeadlessLoop& loop);
  void SetFarEnd(std::function<bool()> farEnd) { farEnd_ = std::move(farEnd); }

 private:
  bool Settled();
  bool PortSettled();

  std::function<bool()> farEnd_;
  qm::TComPort* port_ = nullptr;
  qm::HeadlessLoop* loop_ = nullptr;
  std::uint32_t lastQueued_ = 0;
  std::uint64_t lastHandOffs_ = 0;
  bool arrivalPending_ = false;
  std::chrono::steady_clock::time_point pendingSince_{};
};

}  // namespace qmtest
