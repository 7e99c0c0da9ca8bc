// The core session: the tables a session works on, the link to one scale with its live poll,
// and the transfers between them as operations with explicit arguments that return reports.
// The window and qmctl each own one; both put their questions and boxes on top (the window's
// operator flows, qmctl's exit codes), none inside.
//
// The session owns the tables (SessionTables: PLU table, messages, modified flags, totals, file
// state; the window's grids observe them), the link and the live poll. It borrows what the
// platform gives: the serial port (its events must reach this thread), the event pump the link
// waits with, the status panels (which also show the Save button's state) and the run-time
// state.
//
// Every transfer holds one LinkExchange from its first exchange to its end. The caller makes sure
// no other transfer runs (LinkBusy clear, or held by the caller itself around the transfer).
// Status panels: 0 shows the activity ("Reading PLU..." ... "Done."), 5 and 6 the table counts
// after a read.
//
// UI thread only. Texts are Windows-1251.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/EventPump.h"
#include "base/RunState.h"
#include "base/StatusView.h"
#include "port/ComPort.h"
#include "link/LinkExchange.h"
#include "link/LivePoll.h"
#include "link/ScaleLink.h"
#include "session/SessionTables.h"
#include "session/TransferReport.h"
#include "tables/MessageTable.h"
#include "tables/ModifiedFlags.h"
#include "tables/TextGrid.h"
#include "tables/TotalsPage.h"

namespace qm {

// Where the transfers of a session record what the scale holds: the ledger's file and the name
// of the scale in it.
struct LedgerPlace {
  std::string path;
  std::string scale;
};

// A write of changed records: how many of the records it would leave out are read back first.
struct ChangedWriteOptions {
  int sample = 8;
  // Chooses the sample; nothing: a fresh random choice each time.
  std::optional<std::uint32_t> seed;
};

class ScaleSession {
 public:
  // Fresh tables (SessionTables); the borrowed parts must outlive the session.
  ScaleSession(TComPort& port, EventPump& pump, StatusView& status, RunState& state);
  ScaleSession(const ScaleSession&) = delete;
  ScaleSession& operator=(const ScaleSession&) = delete;

  ScaleLink& Link() { return link_; }
  LivePoll& Poll() { return poll_; }
  RunState& State() { return state_; }
  StatusView& Status() { return status_; }
  SessionTables& Tables() { return tables_; }
  TextGrid& Plu() { return tables_.plu; }
  MessageTable& Messages() { return tables_.messages; }
  ModifiedFlags& Flags() { return tables_.flags; }
  TotalsPage& Totals() { return tables_.totals; }

  // Receives every link failure the operator must hear of, inside a transfer or not (the live
  // poll), when it happens.
  void SetLinkFailureHandler(ScaleLink::FailureHandler handler) {
    failureHandler_ = std::move(handler);
  }
  // The window's hold on its input during every transfer; may be null; must outlive the session.
  void SetExchangeHold(ExchangeHold* hold) { hold_ = hold; }
  // Where the table transfers record what the scale holds, asked at the start of each; nothing
  // (no function, or no place) records nothing. A write does not start when the ledger there
  // cannot be opened (LedgerFailed); a read goes on without recording (ledgerError).
  void SetLedgerPlace(std::function<std::optional<LedgerPlace>()> place) {
    ledgerPlace_ = std::move(place);
  }
  std::optional<LedgerPlace> CurrentLedgerPlace() const {
    return ledgerPlace_ ? ledgerPlace_() : std::nullopt;
  }

  // --- PLU records: command 0x81 (4-byte number, 100-byte reply), 0x82 (83-byte record) ---

  // Reads record `number` into grid row `row`. A number the scale has not programmed stops it
  // (NotProgrammed, with PluNotProgrammedText).
  TransferReport ReadOnePlu(std::int32_t number, int row, TransferObserver& observer);
  // Reads numbers from the number of data rows up to `last` into the last row and then appended
  // rows; numbers the scale has not programmed are passed over.
  TransferReport ReadPluTable(std::int32_t last, TransferObserver& observer);
  // Writes rows firstRow..lastRow in table order. 0xAA goes on; 0xEE (Refused) or any other
  // byte (OddAnswer) stops at that row.
  TransferReport WritePlu(int firstRow, int lastRow, TransferObserver& observer);
  // Writes those of rows firstRow..lastRow, in table order, whose record the ledger does not
  // show on the scale (the ledger lacks it or holds another); `unchanged` counts the others.
  // Rows sharing a PLU number are all sent. Before trusting the ledger a sample of the rows
  // left out is read back; when one differs from the ledger or is absent, every row is sent
  // (ledgerDisagrees). Without a ledger place, or with an empty ledger, every row is sent.
  TransferReport WritePluChanged(int firstRow, int lastRow, const ChangedWriteOptions& options,
                                 TransferObserver& observer);

  // --- Messages: command 0x83 (2-byte number, 400-byte reply), 0x84 (402-byte record) ---

  // Reads message `number` into the message of grid row `row` (the row keeps its number).
  TransferReport ReadOneMessage(std::int32_t number, int row, TransferObserver& observer);
  // Reads from the number of data rows up to `last`: the first into the current row, the others
  // into appended rows.
  TransferReport ReadMessageTable(std::int32_t last, TransferObserver& observer);
  // Writes messages firstNumber..lastNumber. A number without text stops it (NoText): sending
  // nothing would erase the scale's message.
  TransferReport WriteMessages(int firstNumber, int lastNumber, TransferObserver& observer);
  // Writes those of messages firstNumber..lastNumber the ledger does not show on the scale, as
  // WritePluChanged does.
  TransferReport WriteMessagesChanged(int firstNumber, int lastNumber,
                                      const ChangedWriteOptions& options,
                                      TransferObserver& observer);

  // --- Sales totals: command 0x85 (40-byte reply), 0x86 ---

  // Reads the totals into Totals() (TotalsModified set). 0xEE: NotProgrammed with
  // kTotalsReadErrorText.
  TransferReport ReadTotals(TransferObserver& observer);
  // Erases the scale's totals; the page is cleared (TotalsModified cleared). 0xEE: NotProgrammed
  // with kTotalsClearErrorText.
  TransferReport ClearTotals(TransferObserver& observer);

 private:
  friend class TransferRun;
  void OnLinkFailure(LinkFailure failure);

  TComPort& port_;
  RunState& state_;
  StatusView& status_;
  SessionTables tables_;
  ScaleLink link_;
  LivePoll poll_;
  ExchangeHold* hold_ = nullptr;
  ScaleLink::FailureHandler failureHandler_;
  std::function<std::optional<LedgerPlace>()> ledgerPlace_;
  // Every failure the link reported, counted, and the last one: a transfer tells from the count
  // whether its own exchanges failed.
  std::uint64_t failures_ = 0;
  LinkFailure lastFailure_;
};

}  // namespace qm
