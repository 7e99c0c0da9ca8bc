#include "port/ComThread.h"

#include <stdexcept>

#include "port/ComPort.h"
#include "port/UiDispatcher.h"

namespace qm {

TComThread::TComThread(TComPort& port, std::unique_ptr<comm::EventWaiter> waiter)
    : port_(port), waiter_(std::move(waiter)) {
  thread_ = std::thread([this] { Execute(); });
}

TComThread::~TComThread() {
  StopEvent.request_stop();
  if (thread_.joinable()) thread_.join();
}

void TComThread::Execute() {
  std::stop_token stop = StopEvent.get_token();
  for (;;) {
    mask_ = waiter_->Wait(stop);
    if (mask_ == 0 || stop.stop_requested()) break;
    Dispatch(mask_);
  }
  waiter_->PurgeAll();
}

void TComThread::Dispatch(std::uint32_t mask) {
  // Events without a handler would run nothing; handing them over would only cost the UI
  // thread a wake-up and this thread a wait.
  mask &= port_.HandledEvents();
  if (mask == 0) return;
  std::stop_token stop = StopEvent.get_token();
  switch (port_.SyncMethod()) {
    case TSyncMethod::smNone:
      // Nobody on this thread could report a failure of a handler; it must not end the thread.
      try {
        port_.DispatchEvents(mask);
      } catch (...) {
      }
      break;
    case TSyncMethod::smSynchronize:
      port_.dispatcher_->RunAndWait([this, mask] { port_.DispatchEvents(mask); }, stop);
      break;
    case TSyncMethod::smWindow:
      // One hand-off per event, in dispatch order; each must return before the next is sent.
      for (std::uint32_t bit : comm::kDispatchOrder) {
        if ((mask & bit) == 0) continue;
        if (!port_.dispatcher_->RunAndWait([this, bit] { port_.DispatchOne(bit); }, stop)) break;
      }
      break;
  }
}

}  // namespace qm
