#include "port/UiDispatcher.h"

#include <algorithm>

namespace qm {

bool QueuedDispatcher::RunAndWait(std::function<void()> fn, std::stop_token stop) {
  auto call = std::make_shared<Call>();
  call->fn = std::move(fn);
  {
    std::unique_lock lock(mutex_);
    if (stop.stop_requested()) return false;
    queue_.push_back(call);
  }
  changed_.notify_all();
  if (wakeup_) wakeup_();

  std::unique_lock lock(mutex_);
  WaitUntilDoneOrStopped(changed_, lock, stop,
                         [&] { return call->state == Call::State::kDone; });
  if (call->state == Call::State::kQueued) {
    // Stopped before the UI thread took it: withdraw it so it never runs.
    queue_.erase(std::find(queue_.begin(), queue_.end(), call));
    return false;
  }
  // Started (or finished) on the UI thread: the handler must not outlive this wait.
  changed_.wait(lock, [&] { return call->state == Call::State::kDone; });
  return true;
}

std::size_t QueuedDispatcher::RunPending() {
  std::size_t ran = 0;
  for (;;) {
    std::shared_ptr<Call> call;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return ran;
      call = queue_.front();
      queue_.pop_front();
      call->state = Call::State::kRunning;
    }
    auto finish = [&] {
      {
        std::lock_guard lock(mutex_);
        call->state = Call::State::kDone;
      }
      changed_.notify_all();
    };
    try {
      call->fn();
    } catch (...) {
      finish();
      throw;
    }
    finish();
    ++ran;
  }
}

bool QueuedDispatcher::WaitForPending(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return !queue_.empty(); });
}

std::size_t QueuedDispatcher::QueuedCount() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

}  // namespace qm
