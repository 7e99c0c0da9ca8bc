// The pieces every transfer of the session shares: the watch on the table a transfer fills, and
// one run of a transfer (its exchange, its report, the finish that runs however it ends).
// Internal to the session.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <utility>

#include "link/LinkExchange.h"
#include "session/ScaleSession.h"
#include "tables/TextGrid.h"
#include "transfer/TransferTexts.h"

namespace qm {

// Notices when the rows of a grid are inserted, removed, reordered or replaced by anyone but the
// transfer itself while the transfer runs (events run inside the link's waits). Row indices
// the transfer decided on are stale from then on. Cell edits and moves of the current cell do
// not count. The grid must outlive the watch.
class GridWatch : public GridObserver {
 public:
  explicit GridWatch(TextGrid& grid) : grid_(grid) { grid_.AddObserver(this); }
  ~GridWatch() override { grid_.RemoveObserver(this); }
  GridWatch(const GridWatch&) = delete;
  GridWatch& operator=(const GridWatch&) = delete;

  bool Changed() const { return changed_; }

  // Runs a change the transfer makes itself (appending a row) without counting it.
  template <typename F>
  void Own(F&& change) {
    own_ = true;
    try {
      std::forward<F>(change)();
    } catch (...) {
      own_ = false;
      throw;
    }
    own_ = false;
  }

  void RowsAboutToBeInserted(int, int) override { Mark(); }
  void RowsAboutToBeRemoved(int, int) override { Mark(); }
  void AboutToReorder() override { Mark(); }
  void AboutToReset() override { Mark(); }

 private:
  void Mark() {
    if (!own_) changed_ = true;
  }
  TextGrid& grid_;
  bool own_ = false;
  bool changed_ = false;
};

// One transfer from the moment it takes the link: the exchange, the report being filled in, and
// the reasons a step can fail, told apart.
class TransferRun {
  // Counted before the exchange takes the link: opening it may already fail.
  std::uint64_t failuresBefore_;

 public:
  TransferRun(ScaleSession& session, TransferObserver& observer)
      : failuresBefore_(session.failures_),
        session(session),
        observer(observer),
        exchange(session.link_, session.hold_) {
    if (!exchange.Opened()) LinkLetDown(TransferStatus::LinkClosed);
  }

  // The link did not do what was asked: LinkFailed when it reported a failure during this
  // transfer, LinkClosed when it is no longer the link the transfer took, else `otherwise`.
  void LinkLetDown(TransferStatus otherwise) {
    if (session.failures_ != failuresBefore_) {
      report.status = TransferStatus::LinkFailed;
      report.linkFailure = session.lastFailure_;
    } else if (!exchange.Live()) {
      report.status = TransferStatus::LinkClosed;
    } else {
      report.status = otherwise;
    }
  }

  // The one question a transfer loop asks before its next step: is the table it fills or sends
  // still as the transfer found it (`watch`), and is the link still the one the exchange took?
  // When not, the report says which (TableChanged, or the link's let-down) and the loop ends.
  bool GoOn(const GridWatch& watch) {
    if (watch.Changed()) {
      report.status = TransferStatus::TableChanged;
      return false;
    }
    if (!exchange.Live()) {
      LinkLetDown(TransferStatus::LinkClosed);
      return false;
    }
    return true;
  }

  // Selects the scale; true only on the ready status 0x80. A wrong echo, a failure and the
  // status 0xDD with a number all count as not ready; the report keeps the selection.
  bool ScaleReady() {
    const Selection selection = session.link_.SelectScale();
    if (selection.Ready()) return true;
    report.selection = selection;
    LinkLetDown(TransferStatus::NotReady);
    return false;
  }

  // A step that stops the transfer for a reason on the scale's side: told to the observer now.
  void Stop(TransferStatus status, std::string message, bool rowStillValid) {
    report.status = status;
    report.message = std::move(message);
    observer.Stopped(report, rowStillValid);
  }

  // Runs `body`, then the end every transfer shares, also when `body` throws: the observer's
  // finishing step, "Done." in panel 0, `shown` (what a read leaves in its count panel), the
  // observer's last step, all still inside the exchange. An exception then goes on after that
  // end has run (and the exchange is given back on the way out).
  template <typename Body>
  TransferReport Run(Body&& body, const std::function<void()>& shown = {}) {
    std::exception_ptr failure;
    try {
      body();
    } catch (...) {
      failure = std::current_exception();
      if (report.status == TransferStatus::Done) report.status = TransferStatus::LinkFailed;
    }
    observer.Finishing(report);
    session.Status().SetStatusText(kPanelActivity, kDoneStatus);
    if (shown) shown();
    observer.Finished(report);
    if (failure) std::rethrow_exception(failure);
    exchange.End();
    return report;
  }

  ScaleSession& session;
  TransferObserver& observer;
  LinkExchange exchange;
  TransferReport report;
};

}  // namespace qm
