#include "link/HeadlessLoop.h"

namespace qm {

HeadlessLoop::HeadlessLoop(std::chrono::milliseconds tickInterval)
    : ownTicks_(std::make_unique<SteadyTicks>(tickInterval)), ticks_(ownTicks_.get()) {
  ConnectWakeup();
}

HeadlessLoop::HeadlessLoop(TickSource& ticks) : ticks_(&ticks) {
  ConnectWakeup();
}

HeadlessLoop::~HeadlessLoop() = default;

void HeadlessLoop::ConnectWakeup() {
  dispatcher_.SetDeliversArrivals(true);
  dispatcher_.SetWakeup([this] {
    std::unique_lock lock(mutex_);
    ++handOffSignals_;
    WakeIfSleeping(lock);
  });
}

void HeadlessLoop::WakeIfSleeping(std::unique_lock<std::mutex>& lock) {
  const bool sleeping = sleeping_;
  sleeping_ = false;  // one wake is enough until the loop goes to sleep again
  lock.unlock();
  if (sleeping) wait_.Wake();
}

void HeadlessLoop::SetTickSource(TickSource& ticks) {
  ticks_ = &ticks;
  if (timerActive_) ticks_->Restart(Clock::now());
}

void HeadlessLoop::StartTimer() {
  if (timerActive_) return;
  timerActive_ = true;
  ticks_->Restart(Clock::now());
}

void HeadlessLoop::StopTimer() {
  timerActive_ = false;
}

void HeadlessLoop::Post(std::function<void()> call) {
  std::unique_lock lock(mutex_);
  posted_.push_back(std::move(call));
  WakeIfSleeping(lock);
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
  bool tick = false;
  bool rang = false;
  {
    std::unique_lock lock(mutex_);
    auto somethingQueued = [&] { return handOffSignals_ > 0 || !posted_.empty(); };
    while (!somethingQueued()) {
      std::optional<Clock::time_point> deadline;
      if (timerActive_) {
        // The source is asked without the lock: a virtual one looks at the far end of the line,
        // and the port's event thread must be able to queue its hand-offs meanwhile.
        lock.unlock();
        tick = ticks_->TakeTick(Clock::now(), true);
        lock.lock();
        if (tick || somethingQueued()) break;
        deadline = ticks_->NextLook(Clock::now());
      }
      sleeping_ = true;
      lock.unlock();
      if (dispatcher_.BellChanges() != bellChangesSeen_) {
        bellChangesSeen_ = dispatcher_.BellChanges();
        wait_.BellChanged();
      }
      const LoopWait::Why why = wait_.Sleep(deadline, dispatcher_.Bell());
      lock.lock();
      sleeping_ = false;
      if (why == LoopWait::Why::Bell) {
        rang = true;
        break;
      }
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
  // Then what the bell brought. The hand-offs above may have closed the port (no bell then) or
  // opened another; a delivery that finds nothing new runs no handler.
  if (rang) {
    if (ArrivalBell* bell = dispatcher_.Bell()) Guarded([bell] { bell->Deliver(); });
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

  // Taken before the handler runs, so a nested wait inside the handler ticks on schedule. A
  // handler above may have stopped the timer.
  if (!timerActive_) {
    tick = false;
  } else if (!tick) {
    tick = ticks_->TakeTick(Clock::now(), false);
  }
  if (tick && onTick_) Guarded(onTick_);

  std::lock_guard lock(mutex_);
  ++counters_.rounds;
  counters_.handOffs += ran;
  counters_.posted += postedRan;
  if (tick) ++counters_.ticks;
  if (rang) ++counters_.rings;
}

void HeadlessLoop::RunUntil(const std::function<bool()>& done) {
  while (!done()) ProcessPendingEvents();
}

HeadlessLoop::Counters HeadlessLoop::Count() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

}  // namespace qm
