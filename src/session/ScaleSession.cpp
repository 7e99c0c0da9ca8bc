#include "session/ScaleSession.h"

#include "session/TransferRun.h"
#include "transfer/GrandTotals.h"
#include "transfer/TransferTexts.h"

namespace qm {

ScaleSession::ScaleSession(TComPort& port, EventPump& pump, StatusView& status, RunState& state)
    : state_(state),
      status_(status),
      tables_(&status),
      link_(port, state, status, pump),
      poll_(link_, port, state, status) {
  link_.SetFailureHandler([this](const LinkFailure& failure) { OnLinkFailure(failure); });
  link_.SetTimerTick([this] { poll_.TimerTick(); });
}

void ScaleSession::OnLinkFailure(const LinkFailure& failure) {
  ++failures_;
  lastFailure_ = failure;
  if (failureHandler_) failureHandler_(failure);
}

// --- Sales totals ----------------------------------------------------------------------------

TransferReport ScaleSession::ReadTotals(TransferObserver& observer) {
  TransferRun run(*this, observer);
  if (!run.exchange.Opened()) return run.report;

  auto body = [&] {
    // The totals shown are about to be replaced: the caller may save them first. Saving gives
    // LinkBusy back as it found it, but take it again in case it did not.
    const bool goOn = observer.BeforeTotalsRead();
    state_.LinkBusy = true;
    // A failed save keeps the totals on the page, and so the chance to save them again.
    if (!goOn) {
      run.report.status = TransferStatus::Cancelled;
      return;
    }
    status_.SetStatusText(kPanelActivity, kReadingGtdStatus);
    if (!run.ScaleReady()) return;
    std::string data;
    const std::int32_t result = link_.SendCommand(kCommandReadTotals, true, data, kGrandTotalsSize);
    if (result == kCommandDone) {
      Totals() = DecodeGrandTotals(data);
      run.report.stored = 1;
      observer.TotalsChanged(Totals());
      tables_.flags.SetTotalsModified(true);
    } else if (result == NotProgrammed) {
      run.Stop(TransferStatus::NotProgrammed, kTotalsReadErrorText, false);
    } else if (result == NoAnswer) {
      run.LinkLetDown(TransferStatus::LinkClosed);
    } else {
      run.report.status = TransferStatus::OddAnswer;
      run.report.answerByte = result == kAnswerZeroByte ? 0 : (result & 0xFF);
    }
  };
  auto finish = [&] {
    observer.Finishing(run.report);
    status_.SetStatusText(kPanelActivity, kDoneStatus);
    observer.Finished(run.report);
  };
  return run.Run(body, finish);
}

TransferReport ScaleSession::ClearTotals(TransferObserver& observer) {
  TransferRun run(*this, observer);
  if (!run.exchange.Opened()) return run.report;
  status_.SetStatusText(kPanelActivity, kClearingGtdStatus);

  auto body = [&] {
    if (!run.ScaleReady()) return;  // nothing erased, nothing said
    std::string data;
    const std::int32_t result = link_.SendCommand(kCommandClearTotals, false, data, 0);
    if (result == kCommandDone) {
      Totals() = ClearedTotalsPage();
      run.report.stored = 1;
      observer.TotalsChanged(Totals());
      tables_.flags.ClearTotals();
    } else if (result == NotProgrammed) {
      run.Stop(TransferStatus::NotProgrammed, kTotalsClearErrorText, false);
    } else if (result == NoAnswer) {
      run.LinkLetDown(TransferStatus::LinkClosed);
    } else {
      run.report.status = TransferStatus::OddAnswer;
      run.report.answerByte = result == kAnswerZeroByte ? 0 : (result & 0xFF);
    }
  };
  auto finish = [&] {
    observer.Finishing(run.report);
    status_.SetStatusText(kPanelActivity, kDoneStatus);
    observer.Finished(run.report);
  };
  return run.Run(body, finish);
}

}  // namespace qm
