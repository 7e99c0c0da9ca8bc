// The ledger of what each scale holds, as far as this program has seen: for every scale, every
// PLU and message number, the record as the scale last acknowledged it (a write) or sent it (a
// read), with the time. A write of changed records compares against it and sends only what the
// scale lacks.
//
// One SQLite database in the per-user state folder, in WAL mode, so that several threads or
// processes (a fleet's scales) can record at once; each batch of rows is one transaction.
//
// The ledger only ever vouches for a record the scale confirmed. A write names the numbers it
// is about to send (MarkSending) before the first goes out; until a number is acknowledged or
// given up (Apply) it is not vouched for, also when the program dies in the middle: a number
// left marked by a write that never finished counts as unknown from then on.
//
// Every failure raises LedgerError with one sentence (UTF-8) that names the file and says what
// to do: a damaged file, one locked by another program, a read-only file, one made by a newer
// version of the program (never changed then). A ledger that is not there yet is made empty.
//
// One object per thread; the objects of several threads may share a file.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;

namespace qm {

class LedgerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The two tables of a scale the ledger keeps.
enum class LedgerTable : int { Plu = 0, Messages = 1 };

// What the ledger holds of one scale.
struct LedgerScale {
  std::string name;
  int pluRows = 0;
  int messageRows = 0;
  std::int64_t lastExchange = 0;  // seconds since 1970 (UTC) of its newest row
};

// A record confirmed by the scale, by number.
using LedgerRecords = std::map<int, std::string>;

class Ledger {
 public:
  // The layout of the database this program writes; a file with a higher number is refused.
  static constexpr int kSchemaVersion = 1;

  // $XDG_STATE_HOME/qm-interchange/ledger.sqlite (~/.local/state/... without it); on Windows
  // %LOCALAPPDATA%\qm-interchange\ledger.sqlite.
  static std::string DefaultPath();
  // Whether this build keeps a ledger at all (a build without SQLite does not).
  static bool Available();

  // Opens the ledger at `path`, making it and its folder when they are not there. `busyWait`:
  // how long to wait for another writer before the file counts as locked.
  explicit Ledger(std::string path,
                  std::chrono::milliseconds busyWait = std::chrono::milliseconds(5000));
  ~Ledger();
  Ledger(const Ledger&) = delete;
  Ledger& operator=(const Ledger&) = delete;

  const std::string& Path() const { return path_; }

  // The records the ledger vouches for: numbers a write left unconfirmed are not among them.
  LedgerRecords Held(const std::string& scale, LedgerTable table);

  // A write is about to send `numbers`: from now until Apply settles each, none is vouched
  // for. Numbers an earlier write left marked lose their records first.
  void MarkSending(const std::string& scale, LedgerTable table, const std::vector<int>& numbers);

  // One batch, one transaction: `held` are records the scale confirmed now (in the order they
  // came: a later one of a number replaces an earlier), `unknown` numbers whose record is no
  // longer known (refused, unanswered); both lose their mark. `endOfWrite`: the write is over,
  // so the numbers still marked were never sent and keep their records.
  void Apply(const std::string& scale, LedgerTable table,
             const std::vector<std::pair<int, std::string>>& held, const std::vector<int>& unknown,
             bool endOfWrite, std::int64_t time);

  // Every scale the ledger holds rows of, by name.
  std::vector<LedgerScale> Scales();
  // Drops everything of `scale`; false when it held nothing.
  bool Forget(const std::string& scale);
  // Moves the history of `from` to the name `to` (a scale that moved to another port). False
  // when `from` holds nothing; raises LedgerError when `to` already holds rows.
  bool Rename(const std::string& from, const std::string& to);

 private:
  [[noreturn]] void Fail(int code, const std::string& doing);
  void Exec(const char* sql, const char* doing);

  std::string path_;
  sqlite3* db_ = nullptr;
};

}  // namespace qm
