#include "ui/link/QtUiDispatcher.h"

#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <condition_variable>
#include <mutex>

namespace qm {

struct QtUiDispatcher::Call {
  std::function<void()> fn;
  enum class State { kQueued, kRunning, kDone, kWithdrawn } state = State::kQueued;
  std::mutex mutex;
  std::condition_variable_any changed;
};

QtUiDispatcher::QtUiDispatcher() : notifyWindow_(std::make_unique<QObject>()) {
  notifyWindow_->setObjectName(QStringLiteral("NotifyWindow"));
}

QtUiDispatcher::~QtUiDispatcher() = default;

bool QtUiDispatcher::RunAndWait(std::function<void()> fn, std::stop_token stop) {
  if (stop.stop_requested()) return false;
  auto call = std::make_shared<Call>();
  call->fn = std::move(fn);
  // The posted call holds its own reference: a withdrawn call may still be delivered later and
  // then finds nothing to do.
  QMetaObject::invokeMethod(
      notifyWindow_.get(), [this, call] { Run(call); }, Qt::QueuedConnection);

  std::unique_lock lock(call->mutex);
  WaitUntilDoneOrStopped(call->changed, lock, stop,
                         [&] { return call->state == Call::State::kDone; });
  if (call->state == Call::State::kQueued) {
    call->state = Call::State::kWithdrawn;
    return false;
  }
  call->changed.wait(lock, [&] { return call->state == Call::State::kDone; });
  return true;
}

void QtUiDispatcher::SetArrivalBell(ArrivalBell* bell) {
  if (bellNotifier_) {
    // The port may close inside a receive handler the notifier's own signal runs: the notifier
    // is silenced now and deleted when the loop is back.
    bellNotifier_->setEnabled(false);
    QObject::disconnect(bellNotifier_.get(), nullptr, nullptr, nullptr);
    bellNotifier_.release()->deleteLater();
  }
  if (bell == nullptr || !DeliversArrivals() || bell->Descriptor() < 0) return;
  bellNotifier_ = std::make_unique<QSocketNotifier>(bell->Descriptor(), QSocketNotifier::Read);
  // The ring's event ends the wait of the link; the port's receive handlers run here too.
  QObject::connect(bellNotifier_.get(), &QSocketNotifier::activated, notifyWindow_.get(),
                   [this, bell] {
                     bell->Clear();
                     try {
                       bell->Deliver();
                     } catch (...) {
                       if (onError_) onError_(std::current_exception());
                     }
                   });
}

void QtUiDispatcher::Run(const std::shared_ptr<Call>& call) {
  {
    std::lock_guard lock(call->mutex);
    if (call->state != Call::State::kQueued) return;
    call->state = Call::State::kRunning;
  }
  std::exception_ptr failure;
  try {
    call->fn();
  } catch (...) {
    failure = std::current_exception();
  }
  {
    std::lock_guard lock(call->mutex);
    call->state = Call::State::kDone;
  }
  call->changed.notify_all();
  if (failure && onError_) onError_(failure);
}

}  // namespace qm
