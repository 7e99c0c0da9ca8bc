// The headless loop's sleep on Windows: a condition variable that Wake notifies, with the
// deadline as its time-out. The Windows port has no arrival bell (its backend returns none), so
// a waiting link finds new bytes through the event thread's hand-off, which wakes the loop.
#include <condition_variable>
#include <mutex>

#include "port/LoopWait.h"

namespace qm {

struct LoopWait::Impl {
  std::mutex mutex;
  std::condition_variable woken;
  bool pending = false;  // a Wake not yet taken by a Sleep
};

LoopWait::LoopWait() : impl_(std::make_unique<Impl>()) {}

LoopWait::~LoopWait() = default;

void LoopWait::Wake() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->pending = true;
  }
  impl_->woken.notify_one();
}

void LoopWait::BellChanged() {}

LoopWait::Why LoopWait::Sleep(std::optional<Clock::time_point> deadline, ArrivalBell*) {
  std::unique_lock lock(impl_->mutex);
  const auto wakeTaken = [&] { return impl_->pending; };
  if (deadline) {
    if (!impl_->woken.wait_until(lock, *deadline, wakeTaken)) return Why::Deadline;
  } else {
    impl_->woken.wait(lock, wakeTaken);
  }
  impl_->pending = false;
  return Why::Woken;
}

}  // namespace qm
