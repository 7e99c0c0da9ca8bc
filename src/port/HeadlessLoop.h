// An event loop without a window system, for the tests and the command-line tools. It gives the
// core what the window program's loop gives it: the EventPump the link waits with, the hand-off
// of the serial port's events to the loop's thread (the UI thread), and the 100 ms timer.
//
// Time: the timer's ticks come from a TickSource. By default the loop owns one on the steady
// clock (qmctl and the benchmarks keep real time); tests hand it a source on virtual time.
//
// Threads: every member except Post and the dispatcher's hand-offs is called on the thread that
// runs the loop (the UI thread). Waiting blocks until a hand-off, a posted call or the next
// timer tick is due, or the open port's arrival bell rings (ArrivalBell: new bytes are in the
// port's queue); it never spins and never sleeps past an event. The loop delivers the port's
// arrivals itself (its dispatcher says so): after a ring, the port's receive handlers run in
// the same round, right after the hand-offs.
//
// Order: a port opened with Dispatcher() must be closed before the loop is destroyed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "base/EventPump.h"
#include "base/TickSource.h"
#include "port/LoopWait.h"
#include "port/UiDispatcher.h"

namespace qm {

class HeadlessLoop : public EventPump {
 public:
  // Ticks on the steady clock, one per `tickInterval`.
  explicit HeadlessLoop(std::chrono::milliseconds tickInterval = std::chrono::milliseconds(100));
  // Ticks when `ticks` says; borrowed, must outlive the loop.
  explicit HeadlessLoop(TickSource& ticks);
  // Replaces the source from now on (a running timer restarts on it); borrowed as above.
  void SetTickSource(TickSource& ticks);
  ~HeadlessLoop() override;
  HeadlessLoop(const HeadlessLoop&) = delete;
  HeadlessLoop& operator=(const HeadlessLoop&) = delete;

  // Where TComPort (smWindow or smSynchronize) hands its events to this loop's thread.
  UiDispatcher& Dispatcher() { return dispatcher_; }

  // The timer: `onTick` runs on the loop's thread once per tick of the source while the timer is
  // active. A tick that falls due while a tick handler waits inside the loop runs there
  // (nested), as a window timer would; missed ticks are not made up in a burst.
  void SetTickHandler(std::function<void()> onTick) { onTick_ = std::move(onTick); }
  void StartTimer();
  void StopTimer();
  bool TimerActive() const { return timerActive_; }

  // Any thread: queues `call` to run on the loop's thread and wakes the loop.
  void Post(std::function<void()> call);

  // Handles what is due now (port hand-offs, then posted calls, then the timer tick), first
  // blocking until at least one of them is due or the port's bell rang (a round that may run
  // nothing: the caller looks at the port again). With the timer stopped and nothing posted it
  // blocks until a hand-off, a Post or a ring. The source is asked for a tick only when nothing
  // else is waiting, and again after the round's events ran.
  void ProcessPendingEvents() override;

  // Handles events until `done` returns true (checked before every round).
  void RunUntil(const std::function<bool()>& done);

  // Where an exception thrown by a handler goes, like the window program's standard error
  // report: with a handler set, the loop reports it and goes on; without one it is passed on to
  // the caller of ProcessPendingEvents.
  void SetErrorHandler(std::function<void(std::exception_ptr)> onError) {
    onError_ = std::move(onError);
  }

  // How much work the loop did, for measurements and tests.
  struct Counters {
    std::uint64_t rounds = 0;    // ProcessPendingEvents calls that returned
    std::uint64_t handOffs = 0;  // port hand-offs run
    std::uint64_t posted = 0;    // posted calls run
    std::uint64_t ticks = 0;     // timer ticks run
    std::uint64_t rings = 0;     // rounds the port's arrival bell ended (and delivered)
  };
  Counters Count() const;

 private:
  using Clock = std::chrono::steady_clock;
  void ConnectWakeup();
  void Guarded(const std::function<void()>& fn);

  QueuedDispatcher dispatcher_;
  std::unique_ptr<TickSource> ownTicks_;  // the steady clock, unless a source was handed in
  TickSource* ticks_;
  std::function<void()> onTick_;
  std::function<void(std::exception_ptr)> onError_;
  bool timerActive_ = false;

  // Another thread queued work: flags it and wakes the loop's thread if it sleeps. The two
  // flags are read and written in opposite order on the two sides (sequentially consistent), so
  // either the loop sees the work before it sleeps or the queuing thread sees it asleep: a round
  // with nothing queued takes no lock at all.
  void Signal();

  LoopWait wait_;
  std::uint64_t bellChangesSeen_ = 0;  // the dispatcher's BellChanges the wait was told of
  std::atomic<bool> queued_{false};    // hand-offs or posted calls wait for the loop
  std::atomic<bool> sleeping_{false};  // the loop's thread is in wait_.Sleep or about to be
  mutable std::mutex mutex_;
  std::uint64_t handOffSignals_ = 0;  // hand-offs queued since the loop last looked
  std::deque<std::function<void()>> posted_;
  // Written by the loop's thread only; read from any thread.
  std::atomic<std::uint64_t> rounds_{0}, handOffs_{0}, postedRan_{0}, ticksRan_{0}, rings_{0};
};

}  // namespace qm
