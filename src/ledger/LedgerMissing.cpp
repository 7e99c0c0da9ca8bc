// The ledger of a build without SQLite: there is none, and asking for one says so.
#include "ledger/Ledger.h"

namespace qm {

bool Ledger::Available() {
  return false;
}

Ledger::Ledger(std::string path, std::chrono::milliseconds) : path_(std::move(path)) {
  throw LedgerError("this build of the program keeps no ledger (it was built without SQLite)");
}

Ledger::~Ledger() = default;

LedgerRecords Ledger::Held(const std::string&, LedgerTable) {
  return {};
}
void Ledger::MarkSending(const std::string&, LedgerTable, const std::vector<int>&) {}
void Ledger::Apply(const std::string&, LedgerTable, const std::vector<std::pair<int, std::string>>&,
                   const std::vector<int>&, bool, std::int64_t) {}
std::vector<LedgerScale> Ledger::Scales() {
  return {};
}
bool Ledger::Forget(const std::string&) {
  return false;
}
bool Ledger::Rename(const std::string&, const std::string&) {
  return false;
}

}  // namespace qm
