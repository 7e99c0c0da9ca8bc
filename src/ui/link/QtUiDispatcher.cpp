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
  bellNotifier_.reset();
  if (bell == nullptr) return;
  bellNotifier_ = std::make_unique<QSocketNotifier>(bell->Descriptor(), QSocketNotifier::Read);
  // Hearing the ring is all there is to do: the event it makes ends the wait of the link.
  QObject::connect(bellNotifier_.get(), &QSocketNotifier::activated, notifyWindow_.get(),
                   [bell] { bell->Clear(); });
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
