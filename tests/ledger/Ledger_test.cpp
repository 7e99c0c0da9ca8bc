// The ledger's file: what it vouches for after each kind of settlement, the files it refuses
// and why (never changing them), and two threads recording into one file at once.
#include "ledger/Ledger.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "support/TestFolder.h"

namespace {

using qm::Ledger;
using qm::LedgerError;
using qm::LedgerTable;

class LedgerFile : public ::testing::Test {
 protected:
  LedgerFile() { dir_ = qmtest::FreshTestFolder("qm_ledger"); }
  ~LedgerFile() override {
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(dir_);
  }
  std::string Path() const { return (dir_ / "state" / "ledger.sqlite").string(); }
  std::string Bytes(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
  }
  // Runs SQL on the file through a connection of its own.
  void Sql(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }

  std::filesystem::path dir_;
};

// Each step settles numbers as a transfer does; the ledger vouches for exactly `held` after.
TEST_F(LedgerFile, VouchesOnlyForRecordsTheScaleConfirmed) {
  struct Case {
    const char* name;
    std::function<void(Ledger&)> steps;
    qm::LedgerRecords held;
  };
  const std::string s = "deli";
  const auto P = LedgerTable::Plu;
  const std::vector<Case> cases = {
      {"acknowledged rows are held, a later one of a number replaces the earlier",
       [&](Ledger& l) {
         l.MarkSending(s, P, {1, 2});
         l.Apply(s, P, {{1, "a"}, {2, "b"}, {1, "c"}}, {}, true, 10);
       },
       {{1, "c"}, {2, "b"}}},
      {"a number marked and not yet settled is not vouched for",
       [&](Ledger& l) {
         l.Apply(s, P, {{1, "a"}, {2, "b"}}, {}, false, 10);
         l.MarkSending(s, P, {2});
       },
       {{1, "a"}}},
      {"the end of a write gives back the numbers it never sent",
       [&](Ledger& l) {
         l.Apply(s, P, {{1, "a"}, {2, "b"}, {3, "c"}}, {}, false, 10);
         l.MarkSending(s, P, {1, 2, 3});
         l.Apply(s, P, {{1, "x"}}, {2}, true, 11);
       },
       {{1, "x"}, {3, "c"}}},
      {"marks left by a write that never ended lose their records",
       [&](Ledger& l) {
         l.Apply(s, P, {{1, "a"}, {2, "b"}}, {}, false, 10);
         l.MarkSending(s, P, {2});
         l.MarkSending(s, P, {1});
         l.Apply(s, P, {}, {}, true, 11);
       },
       {{1, "a"}}},
      {"other scales and the other table stay apart",
       [&](Ledger& l) {
         l.Apply(s, P, {{1, "a"}}, {}, false, 10);
         l.Apply("bakery", P, {{2, "b"}}, {}, false, 10);
         l.Apply(s, LedgerTable::Messages, {{3, "m"}}, {}, false, 10);
       },
       {{1, "a"}}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(dir_ / "state");
    Ledger ledger(Path());
    c.steps(ledger);
    EXPECT_EQ(ledger.Held(s, P), c.held) << c.name;
  }
}

TEST_F(LedgerFile, ABadFileIsRefusedWithItsReasonAndLeftAsItWas) {
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
    const char* says;
  };
  const std::vector<Case> cases = {
      {"damaged",
       [](const std::string& p) { std::ofstream(p, std::ios::binary) << std::string(4096, 'x'); },
       "is damaged"},
      {"newer", [this](const std::string& p) { Sql(p, "PRAGMA user_version=7"); },
       "newer version of the program (layout 7"},
      {"read-only",
       [](const std::string& p) {
         { Ledger made(p); }
         std::filesystem::permissions(p, std::filesystem::perms::owner_read);
       },
       "is read-only"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(dir_ / "state");
    std::filesystem::create_directories(dir_ / "state");
    c.make(Path());
    const std::string before = Bytes(Path());
    try {
      Ledger ledger(Path());
      ADD_FAILURE() << c.name << ": opened";
    } catch (const LedgerError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos)
          << c.name << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(Path()), std::string::npos) << c.name;
    }
    EXPECT_EQ(Bytes(Path()), before) << c.name;
  }
}

TEST_F(LedgerFile, AFileAnotherProgramHoldsIsLocked) {
  { Ledger made(Path()); }
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(Path().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  try {
    Ledger ledger(Path(), std::chrono::milliseconds(0));
    ledger.Apply("deli", LedgerTable::Plu, {{1, "a"}}, {}, false, 1);
    ADD_FAILURE() << "recorded into a locked file";
  } catch (const LedgerError& e) {
    EXPECT_NE(std::string(e.what()).find("is locked by another program"), std::string::npos)
        << e.what();
  }
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
}

TEST_F(LedgerFile, TwoThreadsRecordIntoOneFileAtOnce) {
  constexpr int kBatches = 40;
  { Ledger made(Path()); }
  auto record = [this](const std::string& scale) {
    Ledger ledger(Path());
    for (int b = 0; b < kBatches; ++b) {
      ledger.MarkSending(scale, LedgerTable::Plu, {b});
      ledger.Apply(scale, LedgerTable::Plu, {{b, scale + std::to_string(b)}}, {}, true, b);
    }
  };
  std::thread a(record, "deli"), b(record, "bakery");
  a.join();
  b.join();
  Ledger ledger(Path());
  const std::vector<qm::LedgerScale> scales = ledger.Scales();
  ASSERT_EQ(scales.size(), 2u);
  for (const qm::LedgerScale& s : scales) {
    EXPECT_EQ(s.pluRows, kBatches) << s.name;
    EXPECT_EQ(ledger.Held(s.name, LedgerTable::Plu).at(kBatches - 1),
              s.name + std::to_string(kBatches - 1));
  }
}

}  // namespace
