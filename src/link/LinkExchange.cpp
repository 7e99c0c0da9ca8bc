#include "link/LinkExchange.h"

#include <exception>

namespace qm {

LinkExchange::LinkExchange(ScaleLink& link, ExchangeHold* hold) : link_(link), hold_(hold) {
  if (hold_) hold_->Hold();
  RunState& state = link_.State();
  busyBefore_ = state.LinkBusy;
  state.LinkBusy = true;
  try {
    opened_ = link_.BeginExchange(wasConnected_);
  } catch (...) {
    state.LinkBusy = busyBefore_;
    if (hold_) hold_->Release();
    throw;
  }
  generation_ = link_.Generation();
}

LinkExchange::~LinkExchange() {
  if (ended_) return;
  try {
    End();
  } catch (const EComPort&) {
    // Everything else was restored; the port's own failure is the one being reported.
  }
}

bool LinkExchange::Live() const {
  return opened_ && link_.IsOpen() && link_.Generation() == generation_;
}

void LinkExchange::End() {
  if (ended_) return;
  ended_ = true;
  std::exception_ptr failure;
  if (opened_) {
    try {
      link_.EndExchange(wasConnected_);
    } catch (...) {
      failure = std::current_exception();
    }
  }
  link_.State().LinkBusy = busyBefore_;
  if (hold_) hold_->Release();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace qm
