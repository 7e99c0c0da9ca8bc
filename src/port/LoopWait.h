// How the headless loop's thread sleeps: until another thread wakes it, a deadline passes or
// the open port's arrival bell rings. One file per platform implements it (LoopWaitPosix.cpp).
//
// Threads: Wake from any thread; everything else on the loop's thread.
#pragma once

#include <chrono>
#include <memory>
#include <optional>

namespace qm {

class ArrivalBell;

class LoopWait {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Why { Woken, Deadline, Bell };

  LoopWait();
  ~LoopWait();
  LoopWait(const LoopWait&) = delete;
  LoopWait& operator=(const LoopWait&) = delete;

  // Ends the Sleep in progress, or else the next one at once.
  void Wake();
  // Blocks until Wake, `deadline` (none: no limit) or `bell` (may be null) rings, and clears
  // what ended it (a ring through the bell's Source is taken by the wait and told with Heard).
  // Never spins: a ring or a wake is taken once.
  Why Sleep(std::optional<Clock::time_point> deadline, ArrivalBell* bell);
  // The bell was set again (a port opened or closed): the next Sleep watches it anew, even if
  // it is the same object as before.
  void BellChanged();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qm
