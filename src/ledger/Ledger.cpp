#include "ledger/Ledger.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace qm {

namespace {

// One prepared statement, finalised however the scope ends.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    code_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  int PrepareCode() const { return code_; }
  void Text(int i, const std::string& s) {
    sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  }
  void Blob(int i, const std::string& s) {
    sqlite3_bind_blob(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  }
  void Int(int i, std::int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step() { return sqlite3_step(stmt_); }
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  std::int64_t ColumnInt(int i) { return sqlite3_column_int64(stmt_, i); }
  std::string ColumnText(int i) {
    const auto* p = sqlite3_column_blob(stmt_, i);
    return p ? std::string(static_cast<const char*>(p), sqlite3_column_bytes(stmt_, i))
             : std::string();
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  int code_ = SQLITE_OK;
};

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS records("
    " scale TEXT NOT NULL, tab INTEGER NOT NULL, number INTEGER NOT NULL,"
    " record BLOB NOT NULL, time INTEGER NOT NULL,"
    " PRIMARY KEY(scale, tab, number)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS sending("
    " scale TEXT NOT NULL, tab INTEGER NOT NULL, number INTEGER NOT NULL,"
    " PRIMARY KEY(scale, tab, number)) WITHOUT ROWID;";

bool ReadOnlyFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  // No write permission for anyone: the owner marked it read-only (also for root, who would
  // write regardless of the bits).
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

bool Ledger::Available() {
  return true;
}

Ledger::Ledger(std::string path, std::chrono::milliseconds busyWait) : path_(std::move(path)) {
  if (ReadOnlyFile(path_)) {
    throw LedgerError("the ledger " + path_ +
                      " is read-only; make it writable (or remove it to start afresh)");
  }
  const std::filesystem::path parent = std::filesystem::path(path_).parent_path();
  if (!parent.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (ec) {
      throw LedgerError("the folder of the ledger " + path_ + " cannot be made (" + ec.message() +
                        ")");
    }
  }
  const int opened =
      sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (opened != SQLITE_OK) {
    const std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(opened);
    sqlite3_close(db_);
    db_ = nullptr;
    throw LedgerError("the ledger " + path_ + " cannot be opened (" + why + ")");
  }
  try {
    sqlite3_busy_timeout(db_, static_cast<int>(busyWait.count()));
    sqlite3_extended_result_codes(db_, 0);
    // The version before anything that could write: a newer file is left exactly as it is.
    int version = 0;
    {
      Statement q(db_, "PRAGMA user_version");
      if (q.PrepareCode() != SQLITE_OK) Fail(q.PrepareCode(), "reading");
      const int step = q.Step();
      if (step != SQLITE_ROW) Fail(step, "reading");
      version = static_cast<int>(q.ColumnInt(0));
    }
    if (version > kSchemaVersion) {
      throw LedgerError("the ledger " + path_ +
                        " was made by a newer version of the program "
                        "(layout " +
                        std::to_string(version) + ", this one knows " +
                        std::to_string(kSchemaVersion) + "); it was left unchanged");
    }
    {
      Statement q(db_, "PRAGMA quick_check");
      if (q.PrepareCode() != SQLITE_OK) Fail(q.PrepareCode(), "checking");
      const int step = q.Step();
      if (step != SQLITE_ROW) Fail(step, "checking");
      if (q.ColumnText(0) != "ok") Fail(SQLITE_CORRUPT, "checking");
    }
    {
      Statement q(db_, "PRAGMA journal_mode=WAL");
      const int step = q.PrepareCode() == SQLITE_OK ? q.Step() : q.PrepareCode();
      if (step != SQLITE_ROW) Fail(step, "opening");
    }
    Exec("PRAGMA synchronous=NORMAL", "opening");
    if (version < kSchemaVersion) {
      Exec("BEGIN IMMEDIATE", "preparing");
      Exec(kSchema, "preparing");
      Exec("PRAGMA user_version=1", "preparing");
      Exec("COMMIT", "preparing");
    }
  } catch (...) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw;
  }
}

Ledger::~Ledger() {
  sqlite3_close(db_);
}

void Ledger::Fail(int code, const std::string& doing) {
  const int primary = code & 0xFF;
  if (db_ && sqlite3_get_autocommit(db_) == 0)
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw LedgerError("the ledger " + path_ +
                        " is locked by another program; try again when it has finished");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
      throw LedgerError("the ledger " + path_ + " cannot be written (" + sqlite3_errstr(code) +
                        "); make it and its folder writable");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      throw LedgerError("the ledger " + path_ +
                        " is damaged; remove it (the next write of changed records then sends "
                        "every record)");
    default:
      throw LedgerError("the ledger " + path_ + " failed while " + doing + " (" +
                        (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code)) + ")");
  }
}

void Ledger::Exec(const char* sql, const char* doing) {
  const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) Fail(code, doing);
}

LedgerRecords Ledger::Held(const std::string& scale, LedgerTable table) {
  LedgerRecords held;
  Statement q(db_,
              "SELECT number, record FROM records r WHERE scale=?1 AND tab=?2 AND NOT EXISTS"
              " (SELECT 1 FROM sending s WHERE s.scale=r.scale AND s.tab=r.tab"
              "  AND s.number=r.number)");
  if (q.PrepareCode() != SQLITE_OK) Fail(q.PrepareCode(), "reading");
  q.Text(1, scale);
  q.Int(2, static_cast<int>(table));
  int step;
  while ((step = q.Step()) == SQLITE_ROW) {
    held.emplace(static_cast<int>(q.ColumnInt(0)), q.ColumnText(1));
  }
  if (step != SQLITE_DONE) Fail(step, "reading");
  return held;
}

void Ledger::MarkSending(const std::string& scale, LedgerTable table,
                         const std::vector<int>& numbers) {
  Exec("BEGIN IMMEDIATE", "recording");
  {
    // Marks an earlier write left behind: what it sent under them is not known.
    Statement drop(db_,
                   "DELETE FROM records WHERE scale=?1 AND tab=?2 AND number IN"
                   " (SELECT number FROM sending WHERE scale=?1 AND tab=?2)");
    Statement clear(db_, "DELETE FROM sending WHERE scale=?1 AND tab=?2");
    Statement mark(db_, "INSERT OR IGNORE INTO sending(scale, tab, number) VALUES(?1, ?2, ?3)");
    for (Statement* s : {&drop, &clear, &mark}) {
      if (s->PrepareCode() != SQLITE_OK) Fail(s->PrepareCode(), "recording");
    }
    for (Statement* s : {&drop, &clear}) {
      s->Text(1, scale);
      s->Int(2, static_cast<int>(table));
      if (const int step = s->Step(); step != SQLITE_DONE) Fail(step, "recording");
    }
    for (int n : numbers) {
      mark.Reset();
      mark.Text(1, scale);
      mark.Int(2, static_cast<int>(table));
      mark.Int(3, n);
      if (const int step = mark.Step(); step != SQLITE_DONE) Fail(step, "recording");
    }
  }
  Exec("COMMIT", "recording");
}

void Ledger::Apply(const std::string& scale, LedgerTable table,
                   const std::vector<std::pair<int, std::string>>& held,
                   const std::vector<int>& unknown, bool endOfWrite, std::int64_t time) {
  Exec("BEGIN IMMEDIATE", "recording");
  {
    Statement put(db_,
                  "INSERT INTO records(scale, tab, number, record, time) VALUES(?1, ?2, ?3, ?4, ?5)"
                  " ON CONFLICT(scale, tab, number) DO UPDATE SET record=excluded.record,"
                  " time=excluded.time");
    Statement drop(db_, "DELETE FROM records WHERE scale=?1 AND tab=?2 AND number=?3");
    Statement unmark(db_, "DELETE FROM sending WHERE scale=?1 AND tab=?2 AND number=?3");
    Statement clear(db_, "DELETE FROM sending WHERE scale=?1 AND tab=?2");
    for (Statement* s : {&put, &drop, &unmark, &clear}) {
      if (s->PrepareCode() != SQLITE_OK) Fail(s->PrepareCode(), "recording");
    }
    auto run = [&](Statement& s, int number, const std::string* record) {
      s.Reset();
      s.Text(1, scale);
      s.Int(2, static_cast<int>(table));
      s.Int(3, number);
      if (record) {
        s.Blob(4, *record);
        s.Int(5, time);
      }
      if (const int step = s.Step(); step != SQLITE_DONE) Fail(step, "recording");
    };
    for (const auto& [number, record] : held) {
      run(put, number, &record);
      run(unmark, number, nullptr);
    }
    for (int number : unknown) {
      run(drop, number, nullptr);
      run(unmark, number, nullptr);
    }
    if (endOfWrite) {
      clear.Text(1, scale);
      clear.Int(2, static_cast<int>(table));
      if (const int step = clear.Step(); step != SQLITE_DONE) Fail(step, "recording");
    }
  }
  Exec("COMMIT", "recording");
}

std::vector<LedgerScale> Ledger::Scales() {
  std::vector<LedgerScale> scales;
  Statement q(db_,
              "SELECT scale, SUM(tab=0), SUM(tab=1), MAX(time) FROM records GROUP BY scale"
              " ORDER BY scale");
  if (q.PrepareCode() != SQLITE_OK) Fail(q.PrepareCode(), "reading");
  int step;
  while ((step = q.Step()) == SQLITE_ROW) {
    scales.push_back({q.ColumnText(0), static_cast<int>(q.ColumnInt(1)),
                      static_cast<int>(q.ColumnInt(2)), q.ColumnInt(3)});
  }
  if (step != SQLITE_DONE) Fail(step, "reading");
  return scales;
}

bool Ledger::Forget(const std::string& scale) {
  Exec("BEGIN IMMEDIATE", "forgetting");
  int changed = 0;
  for (const char* sql :
       {"DELETE FROM records WHERE scale=?1", "DELETE FROM sending WHERE scale=?1"}) {
    Statement s(db_, sql);
    if (s.PrepareCode() != SQLITE_OK) Fail(s.PrepareCode(), "forgetting");
    s.Text(1, scale);
    if (const int step = s.Step(); step != SQLITE_DONE) Fail(step, "forgetting");
    changed += sqlite3_changes(db_);
  }
  Exec("COMMIT", "forgetting");
  return changed > 0;
}

bool Ledger::Rename(const std::string& from, const std::string& to) {
  Exec("BEGIN IMMEDIATE", "renaming");
  {
    Statement taken(db_, "SELECT COUNT(*) FROM records WHERE scale=?1");
    if (taken.PrepareCode() != SQLITE_OK) Fail(taken.PrepareCode(), "renaming");
    taken.Text(1, to);
    if (const int step = taken.Step(); step != SQLITE_ROW) Fail(step, "renaming");
    if (taken.ColumnInt(0) > 0 && from != to) {
      Exec("ROLLBACK", "renaming");
      throw LedgerError("the ledger already holds a scale named " + to +
                        "; forget it first to give its name to " + from);
    }
  }
  int changed = 0;
  for (const char* sql : {"UPDATE records SET scale=?2 WHERE scale=?1",
                          "UPDATE sending SET scale=?2 WHERE scale=?1"}) {
    Statement s(db_, sql);
    if (s.PrepareCode() != SQLITE_OK) Fail(s.PrepareCode(), "renaming");
    s.Text(1, from);
    s.Text(2, to);
    if (const int step = s.Step(); step != SQLITE_DONE) Fail(step, "renaming");
    changed += sqlite3_changes(db_);
  }
  Exec("COMMIT", "renaming");
  return changed > 0;
}

}  // namespace qm
