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
#include <cstdint>
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

// An open port's arrival bell: a descriptor (on Windows an event object, WaitHandle) that turns
// readable when new bytes arrive at the port (once per arrival, however long earlier bytes wait
// unread) and stays readable until Clear. A UI thread that blocks for events can wait on it, so
// that a link waiting for a reply finds the bytes as soon as the driver has them.
//
// When the UI thread's dispatcher delivers arrivals (UiDispatcher::DeliversArrivals), the ring
// also carries the port's receive events: the event thread then leaves arrivals alone, and the
// UI thread calls Deliver after each ring it cleared, which runs OnRxChar (and Rx80Full) there,
// once per arrival, as the event thread's hand-off would have. This takes the event thread's
// wake-up and the two threads' hand-off off every reply; the handlers see no difference.
class ArrivalBell {
 public:
  virtual ~ArrivalBell() = default;
  virtual int Descriptor() const = 0;  // poll() it for reading
  virtual void Clear() = 0;            // UI thread: the ring was heard
  // The device itself, for a waiter that keeps its own epoll set: registered there
  // edge-triggered, it rings at the same arrivals, and the waiter's own wait takes the ring
  // (one call fewer per ring); the waiter then calls Heard instead of Clear. -1: use Descriptor.
  virtual int Source() const { return -1; }
  virtual void Heard() {}  // UI thread: a ring was heard through Source
  // Windows: an event object (a HANDLE) that is signalled at a ring, for a waiter that waits on
  // handles; null where the bell rings through Descriptor (which is -1 where it has none). The
  // waiter calls TakeHandleRing when it is signalled, instead of Clear. False: the signal
  // brought no new bytes (wine repeats the receive event while bytes wait unread); the waiter
  // looks at the handle again only after a short pause, or it would spin.
  virtual void* WaitHandle() const { return nullptr; }
  virtual bool TakeHandleRing() {
    Clear();
    return true;
  }
  // UI thread, after Clear: runs the receive handlers for what arrived, when the port delivers
  // them this way; else nothing. A handler's exception is passed on.
  virtual void Deliver() {}
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
  // Whether this dispatcher's thread waits on the bell it is given and calls Deliver after each
  // ring it clears. The port asks when it opens; a dispatcher whose thread cannot hear the bell
  // leaves arrivals to the event thread's hand-offs.
  virtual bool DeliversArrivals() const { return false; }
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

  void SetArrivalBell(ArrivalBell* bell) override {
    bell_ = bell;
    ++bellChanges_;
  }
  // UI thread: the bell of the open port, null when none.
  ArrivalBell* Bell() const { return bell_; }
  // UI thread: how often the bell was set, so that a waiter sees a port opened anew even when its
  // bell has the same address and descriptor as the one before.
  std::uint64_t BellChanges() const { return bellChanges_; }
  // The owner of the queue also waits on the bell and delivers arrivals (a loop does; a test that
  // only drains the queue does not). Set it before a port using this dispatcher is opened.
  void SetDeliversArrivals(bool delivers) { deliversArrivals_ = delivers; }
  bool DeliversArrivals() const override { return deliversArrivals_; }

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
  std::uint64_t bellChanges_ = 0;
  bool deliversArrivals_ = false;
};

}  // namespace qm
