// One transfer's recording into the ledger of what the scale holds (ledger/Ledger.h): the rows
// the scale acknowledged or sent, gathered and written a batch at a time, and the numbers whose
// record is no longer known. Internal to the session.
//
// A write marks the numbers it will send before the first goes out (Prepare); each record sent
// is then either acknowledged (held from then on) or not (unknown from then on). A read records
// every record it received; a number the scale refused or answered oddly is unknown.
//
// A failure of the ledger in the middle of a transfer does not stop the transfer: it is kept
// (Error) and nothing more is recorded. What was marked and not settled stays unknown, so the
// ledger never vouches for a record the scale did not confirm.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ledger/Ledger.h"

namespace qm {

class LedgerTap {
 public:
  // Rows are written in batches of this many.
  static constexpr std::size_t kBatch = 64;

  // Records into `ledger` under `scale`; a null ledger records nothing.
  LedgerTap(std::unique_ptr<Ledger> ledger, std::string scale, LedgerTable table);
  LedgerTap(const LedgerTap&) = delete;
  LedgerTap& operator=(const LedgerTap&) = delete;

  bool Recording() const { return ledger_ != nullptr; }
  // The ledger's failure during the transfer (UTF-8), or empty.
  const std::string& Error() const { return error_; }

  // The records the ledger vouches for. Raises LedgerError.
  LedgerRecords Held();
  // A write is about to send `numbers`. Raises LedgerError: nothing may be sent then.
  void Prepare(const std::vector<int>& numbers);

  // A write: `record` of `number` goes out now.
  void Sending(int number, std::string record);
  // ...and the scale acknowledged it, or did not.
  void Acknowledged();
  void Unconfirmed();

  // A read: the scale sent `record` for `number`, or gave none.
  void Received(int number, std::string record);
  void Unknown(int number);

  // The end of the transfer: what is left is written. Never raises (the failure is kept).
  void Finish();

 private:
  void Flush(bool endOfWrite);

  std::unique_ptr<Ledger> ledger_;
  std::string scale_;
  LedgerTable table_;
  bool writing_ = false;
  std::set<int> marked_;
  std::optional<std::pair<int, std::string>> inFlight_;
  std::vector<std::pair<int, std::string>> held_;
  std::vector<int> unknown_;
  std::string error_;
};

}  // namespace qm
