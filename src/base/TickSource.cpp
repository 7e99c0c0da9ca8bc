#include "base/TickSource.h"

#include <algorithm>

namespace qm {

namespace {

// How often a loop on virtual time looks at an unsettled line again. Short, because a far end
// usually settles within microseconds; long enough that the look does not become a spin.
constexpr std::chrono::microseconds kSettleLook{500};

// How long the line must have stayed settled before a tick is given early. A far end reports
// settled between two of its own steps for a moment at times (its thread not yet woken by a byte
// the kernel is still passing on); a short hold keeps such a moment from costing a tick, at a
// few milliseconds per tick that a test waits through.
constexpr std::chrono::milliseconds kSettleHold{2};

}  // namespace

bool SteadyTicks::TakeTick(Clock::time_point now, bool) {
  if (now < next_) return false;
  next_ += interval_;
  if (next_ <= now) next_ = now + interval_;
  return true;
}

VirtualTicks::VirtualTicks(std::function<bool()> settled, std::chrono::milliseconds backstop)
    : settled_(std::move(settled)), backstop_(backstop) {}

bool VirtualTicks::TakeTick(Clock::time_point now, bool idle) {
  const bool settled = idle && (!settled_ || settled_());
  if (!settled) {
    settledSince_.reset();
  } else if (!settledSince_) {
    settledSince_ = now;
  }
  const bool due = (settled && now - *settledSince_ >= kSettleHold) || now >= deadline_;
  if (!due) return false;
  deadline_ = now + backstop_;
  settledSince_.reset();
  ++ticks_;
  return true;
}

VirtualTicks::Clock::time_point VirtualTicks::NextLook(Clock::time_point now) const {
  return std::min(deadline_, now + std::chrono::duration_cast<Clock::duration>(kSettleLook));
}

}  // namespace qm
