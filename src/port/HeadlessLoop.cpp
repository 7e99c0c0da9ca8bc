#include "port/HeadlessLoop.h"

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
    {
      std::lock_guard lock(mutex_);
      ++handOffSignals_;
    }
    Signal();
  });
}

void HeadlessLoop::Signal() {
  queued_.store(true);
  if (sleeping_.exchange(false)) wait_.Wake();  // one wake is enough until it sleeps again
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
  {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(call));
  }
  Signal();
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
  bool tick = false;
  bool rang = false;
  while (!queued_.load()) {
    std::optional<Clock::time_point> deadline;
    if (timerActive_) {
      // A virtual source looks at the far end of the line here; the port's event thread must be
      // able to queue its hand-offs meanwhile, so no lock is held.
      tick = ticks_->TakeTick(Clock::now(), true);
      if (tick || queued_.load()) break;
      deadline = ticks_->NextLook(Clock::now());
    }
    sleeping_.store(true);
    if (queued_.load()) {
      sleeping_.store(false);
      break;
    }
    if (dispatcher_.BellChanges() != bellChangesSeen_) {
      bellChangesSeen_ = dispatcher_.BellChanges();
      wait_.BellChanged();
    }
    const LoopWait::Why why = wait_.Sleep(deadline, dispatcher_.Bell());
    sleeping_.store(false);
    if (why == LoopWait::Why::Bell) {
      rang = true;
      break;
    }
  }
  bool handOffsSignalled = false;
  std::size_t postedNow = 0;
  if (queued_.load()) {
    std::lock_guard lock(mutex_);
    handOffsSignalled = handOffSignals_ > 0;
    handOffSignals_ = 0;
    postedNow = posted_.size();
    // Posted calls stay flagged until they ran: one of them may pump a nested round, which
    // must find the ones behind it. Work queued from now on signals again.
    queued_.store(postedNow > 0);
  }

  // Port events first: the event thread is blocked until its hand-off has run. A hand-off
  // queued after the signal was taken signals again, so the next round sees it.
  std::size_t ran = 0;
  if (handOffsSignalled) {
    try {
      ran = dispatcher_.RunPending();
    } catch (...) {
      // The hand-offs behind the failed one are still queued: look at them in the next round.
      {
        std::lock_guard lock(mutex_);
        ++handOffSignals_;
      }
      queued_.store(true);
      if (!onError_) throw;
      onError_(std::current_exception());
    }
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
      if (posted_.empty() && handOffSignals_ == 0) queued_.store(false);
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

  rounds_.fetch_add(1, std::memory_order_relaxed);
  if (ran) handOffs_.fetch_add(ran, std::memory_order_relaxed);
  if (postedRan) postedRan_.fetch_add(postedRan, std::memory_order_relaxed);
  if (tick) ticksRan_.fetch_add(1, std::memory_order_relaxed);
  if (rang) rings_.fetch_add(1, std::memory_order_relaxed);
}

void HeadlessLoop::RunUntil(const std::function<bool()>& done) {
  while (!done()) ProcessPendingEvents();
}

HeadlessLoop::Counters HeadlessLoop::Count() const {
  Counters c;
  c.rounds = rounds_.load(std::memory_order_relaxed);
  c.handOffs = handOffs_.load(std::memory_order_relaxed);
  c.posted = postedRan_.load(std::memory_order_relaxed);
  c.ticks = ticksRan_.load(std::memory_order_relaxed);
  c.rings = rings_.load(std::memory_order_relaxed);
  return c;
}

}  // namespace qm
