#include "support/LineTicks.h"

namespace qmtest {

namespace {

// How long a seen arrival may wait for its hand-off before time goes on regardless (the bytes
// are in the queue, so a late hand-off cannot turn them into a time-out; it costs a tick).
constexpr std::chrono::milliseconds kHandOffGrace{50};

}  // namespace

LineTicks::LineTicks(std::function<bool()> farEnd)
    : qm::VirtualTicks([this] { return Settled(); }, kTestBackstop), farEnd_(std::move(farEnd)) {}

void LineTicks::Watch(qm::TComPort& port, qm::HeadlessLoop& loop) {
  port_ = &port;
  loop_ = &loop;
}

bool LineTicks::Settled() {
  // The far end first: its look pushes its last bytes into the port's queue.
  if (farEnd_ && !farEnd_()) return false;
  return PortSettled();
}

bool LineTicks::PortSettled() {
  if (!port_ || !loop_) return true;
  std::uint32_t queued = 0;
  try {
    if (port_->Connected()) queued = port_->InputCount();
  } catch (const qm::EComPort&) {
    // A failed device is the link's to meet, on its own next look.
  }
  // An arrival reaches the loop as a hand-off of the event thread or as a ring the loop answers.
  const qm::HeadlessLoop::Counters count = loop_->Count();
  const std::uint64_t handOffs = count.handOffs + count.rings;
  const auto now = std::chrono::steady_clock::now();
  if (handOffs != lastHandOffs_) {
    arrivalPending_ = false;
  } else if (queued > lastQueued_ && !arrivalPending_) {
    // New bytes and no hand-off since the last look: the event thread has yet to report them.
    arrivalPending_ = true;
    pendingSince_ = now;
  }
  lastQueued_ = queued;
  lastHandOffs_ = handOffs;
  if (arrivalPending_ && now - pendingSince_ < kHandOffGrace) return false;
  arrivalPending_ = false;
  return true;
}

}  // namespace qmtest
