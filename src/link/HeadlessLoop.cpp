#include "link/HeadlessLoop.h"

namespace qm {

HeadlessLoop::HeadlessLoop(std::chrono::milliseconds tickInterval) : interval_(tickInterval) {
  dispatcher_.SetWakeup([this] {
    {
      std::lock_guard lock(mutex_);
      ++handOffSignals_;
    }
    wake_.notify_all();
  });
}

HeadlessLoop::~HeadlessLoop() = default;

void HeadlessLoop::StartTimer() {
  if (timerActive_) return;
  timerActive_ = true;
  nextTick_ = Clock::now() + interval_;
}

void HeadlessLoop::StopTimer() {
  timerActive_ = false;
}

void HeadlessLoop::Post(std::function<void()> call) {
  {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(call));
  }
  wake_.notify_all();
}

void HeadlessLoop::Guarded(const std::function<void()>& fn) {
  if (!onError_) {
    fn();
    return;
  }
  try {
    fn();
  } catch (...) {
    onError_(std::current_exception());
  }
}

void HeadlessLoop::ProcessPendingEvents() {
  std::size_t postedNow = 0;
  {
    std::unique_lock lock(mutex_);
    auto somethingQueued = [&] { return handOffSignals_ > 0 || !posted_.empty(); };
    if (timerActive_) {
      wake_.wait_until(lock, nextTick_, somethingQueued);
    } else {
      wake_.wait(lock, somethingQueued);
    }
    handOffSignals_ = 0;
    postedNow = posted_.size();
  }

  // Port events first: the event thread is blocked until its hand-off has run. A hand-off
  // queued after the signal was taken signals again, so the next round sees it.
  std::size_t ran = 0;
  try {
    ran = dispatcher_.RunPending();
  } catch (...) {
    // The hand-offs behind the failed one are still queued: look at them in the next round.
    {
      std::lock_guard lock(mutex_);
      ++handOffSignals_;
    }
    if (!onError_) throw;
    onError_(std::current_exception());
  }

  // Only the calls posted before this round; a call may pump the loop itself, and then the later
  // ones run inside it, in order, as in a window system.
  std::size_t postedRan = 0;
  for (std::size_t i = 0; i < postedNow; ++i) {
    std::function<void()> call;
    {
      std::lock_guard lock(mutex_);
      if (posted_.empty()) break;
      call = std::move(posted_.front());
      posted_.pop_front();
    }
    ++postedRan;
    Guarded(call);
  }

  bool tick = false;
  if (timerActive_) {
    const Clock::time_point now = Clock::now();
    if (now >= nextTick_) {
      tick = true;
      // Set before the handler runs, so a nested wait inside the handler ticks on schedule.
      nextTick_ += interval_;
      if (nextTick_ <= now) nextTick_ = now + interval_;
    }
  }
  if (tick && onTick_) Guarded(onTick_);

  std::lock_guard lock(mutex_);
  ++counters_.rounds;
  counters_.handOffs += ran;
  counters_.posted += postedRan;
  if (tick) ++counters_.ticks;
}

void HeadlessLoop::RunUntil(const std::function<bool()>& done) {
  while (!done()) ProcessPendingEvents();
}

HeadlessLoop::Counters HeadlessLoop::Count() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

}  // namespace qm
