// What a transfer with the scale hands back, and what it tells its caller while it runs.
//
// A transfer never asks anything and shows nothing. Progress and Cancel go through the
// observer; a record the scale has not programmed, a refused write, an odd answer are told to
// the observer at the moment they stop the transfer (so a window can show its box at exactly
// that point) and again in the report. Failures of the link itself (no answer, a port that
// cannot be opened) go to the session's link failure handler when they happen and are named in
// the report.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/ScaleLink.h"
#include "tables/TotalsPage.h"

namespace qm {

enum class TransferStatus {
  Done,           // went through (a table read may have skipped unprogrammed numbers)
  Cancelled,      // the observer asked to stop, or declined before anything was sent
  TableChanged,   // the table was restructured while events ran; what was stored stays
  LinkFailed,     // no answer or the port could not be opened (see TransferReport::linkFailure)
  LinkClosed,     // the link was closed meanwhile (Connect, the window closing): nothing said
  NotReady,       // the scale did not answer its address with the ready status
  NotProgrammed,  // a single read: the scale holds no such record (0xEE)
  Refused,        // a write refused (0xEE)
  OddAnswer,      // answered with another byte than the acknowledgement (answerByte)
  NoText,         // a message write: the list names a message it holds no text for
  LedgerFailed,   // a write: the ledger of what the scale holds could not be read or prepared,
                  // so nothing was sent (ledgerError says why)
};

struct TransferReport {
  TransferStatus status = TransferStatus::Done;
  int stored = 0;         // records stored into the table (reads) or acknowledged (writes)
  std::optional<int> failedRow;     // writes: the grid row that stopped the transfer
  std::optional<int> failedNumber;  // the record number that stopped the transfer, when known
  std::optional<std::uint8_t> answerByte;  // OddAnswer, Refused: the byte the scale sent
  std::string message;    // what stopped it, as the operator is told (Windows-1251), or empty
  std::optional<LinkFailure> linkFailure;  // LinkFailed: the failure as reported
  // The selection of the scale that ended the transfer, when one did (the scale not ready,
  // busy beyond the link's limit, silent, ...).
  std::optional<Selection> selection;
  // Reads: the numbers passed over without a record, in order. `refused`: the scale has no
  // such record (0xEE; a whole-table read goes on). `oddAnswered`: the scale answered with
  // another byte than the acknowledgement (the last such byte is answerByte), so whether it
  // holds the record is not known; the read goes on without it.
  std::vector<int> refused;
  std::vector<int> oddAnswered;
  // A write of changed records: the rows left out because the ledger shows the scale holds
  // them (`stored` counts those sent and acknowledged).
  int unchanged = 0;
  // A write of changed records: the number whose record, read back before the write, was not
  // the ledger's (or was absent); every row was sent then.
  std::optional<int> ledgerDisagrees;
  // The ledger's failure (UTF-8): with LedgerFailed why nothing was sent; otherwise the
  // transfer went on and recorded nothing more from then on.
  std::string ledgerError;

  bool Stopped() const {
    return status == TransferStatus::Cancelled || status == TransferStatus::TableChanged;
  }
};

// The caller's side of a running transfer. Every call happens while the link is still held.
class TransferObserver {
 public:
  virtual ~TransferObserver() = default;
  // A whole-table transfer goes over the items first..last.
  virtual void Started(int /*first*/, int /*last*/) {}
  // Item `position` of a whole-table transfer is done; true stops the transfer (Cancelled).
  virtual bool Step(int /*position*/) { return false; }
  // A read is about to store its first record into the table.
  virtual void FirstRecordArriving() {}
  // The totals page was replaced (read or erased); `page` is the session's new page.
  virtual void TotalsChanged(const TotalsPage& /*page*/) {}
  // A totals read is about to replace the page: false keeps it and reads nothing (Cancelled).
  virtual bool BeforeTotalsRead() { return true; }
  // Something on the scale's side stopped the transfer (NotProgrammed, Refused, OddAnswer,
  // NoText): `report` names it. A write's row is still the row it was when the transfer began
  // when `rowStillValid`.
  virtual void Stopped(const TransferReport& /*report*/, bool /*rowStillValid*/) {}
  // A write of changed records has compared the table with the ledger (and read back its
  // sample): `report` holds the rows it leaves out and whether the scale disagreed; `sending`
  // rows go out now.
  virtual void Planned(const TransferReport& /*report*/, int /*sending*/) {}
  // The transfer has ended, before "Done." shows in the activity panel.
  virtual void Finishing(const TransferReport& /*report*/) {}
  // After "Done." (and the count panel of a table read), before the link is given back.
  virtual void Finished(const TransferReport& /*report*/) {}
};

}  // namespace qm
