// How the serial port's event thread reaches the window's thread in the window program
// (SyncMethod smWindow and smSynchronize): each hand-off is posted to a hidden object living on
// the UI thread, the port's notification window, and the event thread waits until the UI thread
// has run it. A posted event wakes the window's event loop, so a link that waits in
// processEvents(WaitForMoreEvents) sees its receive notifications at once.
//
// The wait gives way to the port's stop request: Close on the UI thread requests stop and joins
// the event thread, so a hand-off the UI thread has not started yet is withdrawn and never runs.
// One the UI thread has started is always waited for (a handler never outlives the event thread).
//
// While a port is open it also watches the port's arrival bell and delivers the port's receive
// events itself, so that a link waiting in processEvents(WaitForMoreEvents) wakes as soon as
// bytes arrive and the event thread stays out of every reply.
//
// Create it on the UI thread; it must outlive every port opened with it.
#pragma once

#include <exception>
#include <functional>
#include <memory>

#include "port/UiDispatcher.h"

class QObject;
class QSocketNotifier;

namespace qm {

class QtUiDispatcher : public UiDispatcher {
 public:
  QtUiDispatcher();
  ~QtUiDispatcher() override;
  QtUiDispatcher(const QtUiDispatcher&) = delete;
  QtUiDispatcher& operator=(const QtUiDispatcher&) = delete;

  // Called on the port's event thread.
  bool RunAndWait(std::function<void()> fn, std::stop_token stop) override;
  // UI thread, by the port when it opens and closes.
  // The window hears a bell through a socket notifier on its descriptor. Windows bells are event
  // objects, which the notifier cannot watch: there the event thread tells arrivals.
  void SetArrivalBell(ArrivalBell* bell) override;
#ifdef _WIN32
  bool DeliversArrivals() const override { return false; }
#else
  bool DeliversArrivals() const override { return true; }
#endif

  // Where an exception thrown by a handler goes (it must not cross the window's event loop). It
  // is called on the UI thread, after the waiting event thread (if any) was released. Without a handler
  // the exception is dropped.
  void SetErrorHandler(std::function<void(std::exception_ptr)> onError) {
    onError_ = std::move(onError);
  }

  // The hidden object the hand-offs are posted to.
  QObject* NotifyWindow() const { return notifyWindow_.get(); }

 private:
  struct Call;
  void Run(const std::shared_ptr<Call>& call);

  std::unique_ptr<QObject> notifyWindow_;
  std::unique_ptr<QSocketNotifier> bellNotifier_;
  std::function<void(std::exception_ptr)> onError_;
};

}  // namespace qm
