// One exchange with the scale as a transfer holds it, from its first byte to its end: LinkBusy
// set (the live poll and a second transfer stay away), the live poll paused, a link that was
// closed opened for the exchange (and closed again after it), the operator's input held off the
// main window. Ending the exchange gives all of it back, however the exchange ends: a refusal, a
// lost link, Cancel, an exception from the port.
//
// Events run while the link waits (timer ticks, port notifications, the close button), so a
// loop asks Live() before each step: the link is still open in the generation the exchange began
// with, i.e. nobody closed (and maybe reopened) it meanwhile.
//
// UI thread only. The link (and the hold) must outlive the exchange.
#pragma once

#include <cstdint>

#include "link/ScaleLink.h"

namespace qm {

// What the window does while a transfer runs: keeps the operator's hands off its tables. The
// window layer implements it; without a window there is nothing to hold.
class ExchangeHold {
 public:
  virtual ~ExchangeHold() = default;
  virtual void Hold() = 0;     // the exchange begins
  virtual void Release() = 0;  // the exchange has ended
};

class LinkExchange {
 public:
  // Holds the input, sets LinkBusy and takes the link: opens it without the poll (a port that
  // cannot be opened goes to the link's failure handler) or pauses the poll of an open link and
  // waits until the port's pending operations are done.
  explicit LinkExchange(ScaleLink& link, ExchangeHold* hold = nullptr);
  // Ends the exchange if End() was not called; a port failure while closing is dropped then,
  // because another exception is usually on its way.
  ~LinkExchange();
  LinkExchange(const LinkExchange&) = delete;
  LinkExchange& operator=(const LinkExchange&) = delete;

  // Whether the link could be taken; false: nothing may be sent, End() only restores.
  bool Opened() const { return opened_; }
  // Whether the link is still the one the exchange took: open, and not closed meanwhile.
  bool Live() const;

  // Gives the link back (the poll resumes on a link that was open and still is, a link opened
  // for the exchange is closed), then LinkBusy as it was, then the input. Once; a port failure
  // while closing goes on to the caller after everything was restored.
  void End();

 private:
  ScaleLink& link_;
  ExchangeHold* hold_;
  bool busyBefore_ = false;
  bool wasConnected_ = false;
  bool opened_ = false;
  bool ended_ = false;
  std::uint64_t generation_ = 0;
};

}  // namespace qm
