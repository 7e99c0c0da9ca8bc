// How the serial port's event thread gets a handler run on the user-interface thread.
//
// The event thread calls RunAndWait and stays blocked until the UI thread has run the call. The
// wait must give way when `stop` is requested: the UI thread closes the port by requesting stop
// and then joining the event thread, so a hand-off that the UI thread has not picked up yet is
// dropped (RunAndWait returns false without running it). A call the UI thread has already started
// is always waited for, so a handler never outlives the port's event thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>

namespace qm {

class UiDispatcher {
 public:
  virtual ~UiDispatcher() = default;
  // Called on a worker thread. Returns true when `fn` ran on the UI thread, false when the stop
  // request came first and `fn` was not run.
  virtual bool RunAndWait(std::function<void()> fn, std::stop_token stop) = 0;
};

// A UI dispatcher without a toolkit: hand-offs wait in a queue until the UI thread drains it with
// RunPending. Used by the tests and by headless tools; the window program has its own.
class QueuedDispatcher : public UiDispatcher {
 public:
  bool RunAndWait(std::function<void()> fn, std::stop_token stop) override;

  // UI thread: runs every queued call, oldest first, and returns how many ran. An exception from
  // a call is passed on after the waiting worker was released.
  std::size_t RunPending();
  // UI thread: blocks until a call is queued or `timeout` passed; true when one is queued.
  bool WaitForPending(std::chrono::milliseconds timeout);
  // Called on the worker thread each time a call is queued, e.g. to wake the UI's event loop.
  // Set it before any port using this dispatcher is opened.
  void SetWakeup(std::function<void()> wakeup) { wakeup_ = std::move(wakeup); }
  std::size_t QueuedCount() const;

 private:
  struct Call {
    std::function<void()> fn;
    enum class State { kQueued, kRunning, kDone } state = State::kQueued;
  };
  mutable std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<std::shared_ptr<Call>> queue_;
  std::function<void()> wakeup_;
};

}  // namespace qm
