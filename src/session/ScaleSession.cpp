#include "session/ScaleSession.h"

#include <cerrno>

#include "base/Cp1251.h"

#include "session/TransferRun.h"
#include "transfer/GrandTotals.h"
#include "transfer/TransferTexts.h"

namespace qm {

ScaleSession::ScaleSession(TComPort& port, EventPump& pump, StatusView& status, RunState& state)
    : port_(port),
      state_(state),
      status_(status),
      tables_(&status),
      link_(port, state, status, pump),
      poll_(link_, port, state, status) {
  link_.SetFailureHandler([this](const LinkFailure& failure) { OnLinkFailure(failure); });
  link_.SetTimerTick([this] { poll_.TimerTick(); });
}

namespace {

// A device that opens but is no terminal (/dev/null, a plain file, a pipe) fails when its line
// settings are set, with the bare system code ENOTTY; the operator is told what it is instead.
void ExplainNotATerminal(LinkFailure& failure, const std::string& device) {
  if (failure.kind != LinkFailure::Kind::CannotOpenPort) return;
  const std::string code = LastErrorText(ENOTTY);
  if (failure.cause.size() < code.size() || !failure.cause.ends_with(code)) return;
  failure.cause = Win1251("Устройство ") + device +
                  Win1251(
                      " не является последовательным портом: укажите порт весов в настройке "
                      "портов.");
  failure.text = CannotOpenPortText(failure.portName, failure.cause);
}

}  // namespace

void ScaleSession::OnLinkFailure(LinkFailure failure) {
  ExplainNotATerminal(failure, port_.DevicePath());
  ++failures_;
  lastFailure_ = failure;
  if (failureHandler_) failureHandler_(failure);
}

// --- Sales totals ----------------------------------------------------------------------------

namespace {

// One totals command after the scale was selected: 0xAA and the reply go to `done`; 0xEE stops
// with `refusedText`; a lost link or any other byte end it as such.
template <typename Done>
void TotalsCommand(TransferRun& run, ScaleLink& link, std::uint8_t command, std::uint32_t replySize,
                   const std::string& refusedText, Done&& done) {
  if (!run.ScaleReady()) return;  // nothing read or erased, nothing said
  const Answer answer = link.SendCommand(command, std::string(), replySize);
  switch (answer.kind) {
    case Answer::Kind::Done:
      run.report.stored = 1;
      done(answer.reply);
      break;
    case Answer::Kind::Refused:
      run.Stop(TransferStatus::NotProgrammed, refusedText, false);
      break;
    case Answer::Kind::NoAnswer:
      run.LinkLetDown(TransferStatus::LinkClosed);
      break;
    case Answer::Kind::OddByte:
      run.report.status = TransferStatus::OddAnswer;
      run.report.answerByte = answer.byte;
      break;
  }
}

}  // namespace

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
    TotalsCommand(run, link_, kCommandReadTotals, kTotalsReplySize, kTotalsReadErrorText,
                  [&](const std::string& reply) {
                    Totals() = DecodeGrandTotals(reply);
                    observer.TotalsChanged(Totals());
                    tables_.flags.SetTotalsModified(true);
                  });
  };
  return run.Run(body);
}

TransferReport ScaleSession::ClearTotals(TransferObserver& observer) {
  TransferRun run(*this, observer);
  if (!run.exchange.Opened()) return run.report;
  status_.SetStatusText(kPanelActivity, kClearingGtdStatus);

  auto body = [&] {
    TotalsCommand(run, link_, kCommandClearTotals, 0, kTotalsClearErrorText,
                  [&](const std::string&) {
                    Totals() = ClearedTotalsPage();
                    observer.TotalsChanged(Totals());
                    tables_.flags.ClearTotals();
                  });
  };
  return run.Run(body);
}

}  // namespace qm
