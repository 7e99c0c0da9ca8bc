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

// Waits on `changed` under `lock` until `done()` holds or `stop` is requested. The stop request
// is looked at between bounded waits rather than signalled through a std::stop_callback: with
// MinGW's threads the library's stop-aware wait lost the wake-up, and a callback's removal can
// wait forever for a run that already ended; the port's Close then waited for the event thread
// forever. A stop is seen within kStopLook; the call's own completion wakes the wait at once.
inline constexpr std::chrono::milliseconds kStopLook{20};
template <typename Mutex, typename Done>
void WaitUntilDoneOrStopped(std::condition_variable_any& changed, std::unique_lock<Mutex>& lock,
                            std::stop_token stop, Done done) {
  while (!done() && !stop.stop_requested()) changed.wait_for(lock, kStopLook);
}

// An open port's arrival bell: a descriptor that turns readable when new bytes arrive at the
// port (once per arrival, however long earlier bytes wait unread) and stays readable until
// Clear. A UI thread that blocks for events also wakes on it, so that a link waiting for a reply
// finds the bytes as soon as the driver has them, one thread switch sooner than through the
// event thread's hand-off. Ringing runs no handler: the receive notification still comes from
// the event thread.
class ArrivalBell {
 public:
  virtual ~ArrivalBell() = default;
  virtual int Descriptor() const = 0;  // poll() it for reading
  virtual void Clear() = 0;            // UI thread: the ring was heard
};

class UiDispatcher {
 public:
  virtual ~UiDispatcher() = default;
  // Called on a worker thread. Returns true when `fn` ran on the UI thread, false when the stop
  // request came first and `fn` was not run.
  virtual bool RunAndWait(std::function<void()> fn, std::stop_token stop) = 0;
  // UI thread: the port that hands off through this dispatcher opened (`bell`, borrowed until
  // the next call) or closed (null). A dispatcher whose thread cannot wait on it ignores it.
  virtual void SetArrivalBell(ArrivalBell* bell) {}
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

  void SetArrivalBell(ArrivalBell* bell) override { bell_ = bell; }
  // UI thread: the bell of the open port, null when none.
  ArrivalBell* Bell() const { return bell_; }

 private:
  struct Call {
    std::function<void()> fn;
    enum class State { kQueued, kRunning, kDone } state = State::kQueued;
  };
  mutable std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<std::shared_ptr<Call>> queue_;
  std::function<void()> wakeup_;
  ArrivalBell* bell_ = nullptr;
};

}  // namespace qm
