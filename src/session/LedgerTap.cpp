#include "session/LedgerTap.h"

#include <ctime>

namespace qm {

LedgerTap::LedgerTap(std::unique_ptr<Ledger> ledger, std::string scale, LedgerTable table)
    : ledger_(std::move(ledger)), scale_(std::move(scale)), table_(table) {}

LedgerRecords LedgerTap::Held() {
  return ledger_ ? ledger_->Held(scale_, table_) : LedgerRecords{};
}

void LedgerTap::Prepare(const std::vector<int>& numbers) {
  if (!ledger_) return;
  Flush(false);
  if (!error_.empty()) throw LedgerError(error_);
  ledger_->MarkSending(scale_, table_, numbers);
  writing_ = true;
  marked_.insert(numbers.begin(), numbers.end());
}

void LedgerTap::Sending(int number, std::string record) {
  inFlight_.emplace(number, std::move(record));
  if (!ledger_ || !writing_ || marked_.count(number)) return;
  // A number the write did not expect (the row was edited meanwhile) is marked before it goes.
  Flush(false);
  if (!ledger_) return;
  try {
    ledger_->MarkSending(scale_, table_, {number});
    marked_.insert(number);
  } catch (const LedgerError& e) {
    error_ = e.what();
    ledger_.reset();
  }
}

void LedgerTap::Acknowledged() {
  if (!inFlight_) return;
  held_.push_back(std::move(*inFlight_));
  inFlight_.reset();
  if (held_.size() >= kBatch) Flush(false);
}

void LedgerTap::Unconfirmed() {
  if (!inFlight_) return;
  unknown_.push_back(inFlight_->first);
  inFlight_.reset();
}

void LedgerTap::Received(int number, std::string record) {
  held_.emplace_back(number, std::move(record));
  if (held_.size() >= kBatch) Flush(false);
}

void LedgerTap::Unknown(int number) {
  unknown_.push_back(number);
}

void LedgerTap::Finish() {
  // A record that went out without an answer either way (the transfer ended by an exception)
  // is not known to be stored.
  Unconfirmed();
  Flush(writing_);
}

void LedgerTap::Flush(bool endOfWrite) {
  if (!ledger_ || (held_.empty() && unknown_.empty() && !endOfWrite)) return;
  try {
    ledger_->Apply(scale_, table_, held_, unknown_, endOfWrite, std::time(nullptr));
  } catch (const LedgerError& e) {
    error_ = e.what();
    ledger_.reset();
  }
  held_.clear();
  unknown_.clear();
}

}  // namespace qm
