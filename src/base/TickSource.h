// What delivers the timer ticks that drive the link's reply time-out and the live poll: the
// window program's 100 ms timer, qmctl's headless loop, or virtual time in the tests.
//
// The loop that runs the ticks asks its source when to tick; the source never calls back. The
// window program and qmctl tick on the steady clock (SteadyTicks). Tests tick on VirtualTicks:
// a tick falls due as soon as the loop has nothing to handle and the far end of the line says
// that nothing is on its way, so a reply time-out there means the far end really has nothing
// more to send, and it costs microseconds instead of half a second.
//
// Threads: a source belongs to the thread of the loop that asks it; `settled` runs there too.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace qm {

class TickSource {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~TickSource() = default;

  // The timer was started at `now`: the first tick falls due one period later.
  virtual void Restart(Clock::time_point now) = 0;
  // Whether a tick runs now. `idle`: the loop found no event waiting in this round. True also
  // counts the tick as given: the next one is measured from it.
  virtual bool TakeTick(Clock::time_point now, bool idle) = 0;
  // The latest time at which the loop should ask again, were no event to wake it first.
  virtual Clock::time_point NextLook(Clock::time_point now) const = 0;
};

// Real time: one tick per `interval` on the steady clock. Missed ticks are not made up in a
// burst: a tick found late is followed by the next one a whole interval later.
class SteadyTicks : public TickSource {
 public:
  explicit SteadyTicks(std::chrono::milliseconds interval = std::chrono::milliseconds(100))
      : interval_(interval) {}
  void Restart(Clock::time_point now) override { next_ = now + interval_; }
  bool TakeTick(Clock::time_point now, bool idle) override;
  Clock::time_point NextLook(Clock::time_point) const override { return next_; }

 private:
  Clock::duration interval_;
  Clock::time_point next_{};
};

// Virtual time for tests. A tick falls due when the loop is idle and `settled()` holds: the far
// end has taken in everything sent to it and everything it wrote is in the port's input queue
// (see the far ends in the tests' support folder). While the line is not settled (a paced
// reply, a scale that pauses before it hangs up) the ticks come at the latest one `backstop`
// after the previous one, as the real timer would give them, so nothing waits for ever on a far
// end that never settles.
class VirtualTicks : public TickSource {
 public:
  explicit VirtualTicks(std::function<bool()> settled,
                        std::chrono::milliseconds backstop = std::chrono::milliseconds(100));
  void SetSettled(std::function<bool()> settled) { settled_ = std::move(settled); }

  void Restart(Clock::time_point now) override { deadline_ = now + backstop_; }
  bool TakeTick(Clock::time_point now, bool idle) override;
  Clock::time_point NextLook(Clock::time_point now) const override;

  // Ticks given so far.
  std::uint64_t Ticks() const { return ticks_; }

 private:
  std::function<bool()> settled_;
  Clock::duration backstop_;
  Clock::time_point deadline_{};
  std::optional<Clock::time_point> settledSince_;  // settled at every look since then
  std::uint64_t ticks_ = 0;
};

}  // namespace qm
