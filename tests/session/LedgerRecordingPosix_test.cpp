// What the transfers record in the ledger of what the scale holds, against the virtual scale and
// its faults, and the writes of changed records planned from it: only rows the scale confirmed
// are recorded, a record not known to be stored is forgotten, and a write of changed records
// sends exactly what a whole write would send for the rows the ledger cannot vouch for.
#include <filesystem>
#include <fstream>
#include <map>

#include "ledger/Ledger.h"
#include "support/TestFolder.h"
#include "transfer/TransferFixture.h"

namespace qmtest {
namespace {

using qm::LedgerTable;
using qm::TransferStatus;

class LedgerRecording : public TransferFixture {
 protected:
  LedgerRecording() {
    dir_ = FreshTestFolder("qm_ledger_session");
    RecordFailures();
    session.SetLedgerPlace([this] { return qm::LedgerPlace{Path(), "rig"}; });
  }
  ~LedgerRecording() override { std::filesystem::remove_all(dir_); }

  std::string Path() const { return (dir_ / "ledger.sqlite").string(); }
  qm::LedgerRecords Held(LedgerTable table = LedgerTable::Plu) {
    return qm::Ledger(Path()).Held("rig", table);
  }
  void Fault(const std::function<void(qmsim::Faults&)>& set) {
    qmsim::Faults f;
    set(f);
    scale.SetFaults(f);
  }
  // What the scale holds of PLU n as the write command sends it.
  std::string OnScale(int n) {
    const Bytes b = *scale.Plu(n);
    return std::string(b.begin(), b.begin() + 83);
  }
  // The PLU numbers of the write commands the scale received since its log was cleared.
  std::vector<int> WrittenNumbers() {
    std::vector<int> numbers;
    for (const Bytes& b : Received(0x82)) numbers.push_back(b[0] | b[1] << 8);
    return numbers;
  }

  std::filesystem::path dir_;
  qm::TransferObserver quiet;
};

// The ledger starts holding "old n" for PLUs 1..5; 'S' expects the scale's record after the
// transfer, 'O' the old one kept, '-' nothing.
TEST_F(LedgerRecording, OnlyWhatTheScaleConfirmedIsRecorded) {
  struct Case {
    const char* name;
    bool write;
    std::function<void(qmsim::Faults&)> fault;
    const char* expect;  // PLUs 1..5
  };
  const Case cases[] = {
      {"clean write", true, [](qmsim::Faults&) {}, "SSSSS"},
      {"refused at 3", true, [](qmsim::Faults& f) { f.refusedPlus = {3}; }, "SS-OO"},
      {"odd answer at 3", true,
       [](qmsim::Faults& f) {
         f.ackByte = 0x55;
         f.skipExchanges = 2;
       },
       "SS-OO"},
      // No answer to the address: record 3 never went.
      {"silent at 3", true,
       [](qmsim::Faults& f) {
         f.silent = true;
         f.skipExchanges = 2;
       },
       "SSOOO"},
      {"read, 2 refused", false, [](qmsim::Faults& f) { f.refusedPlus = {2}; }, "S-SSS"},
      {"read, odd answer at 2", false,
       [](qmsim::Faults& f) {
         f.ackByte = 0x55;
         f.skipExchanges = 1;
       },
       "S----"},
      {"read, reply cut at 3", false,
       [](qmsim::Faults& f) {
         f.replyCut = 20;
         f.skipExchanges = 2;
       },
       "SSOOO"},
      // The scale stores and acknowledges 3, then hangs up: 4 never went (last: the line is gone).
      {"hang-up after 3", true,
       [](qmsim::Faults& f) {
         f.hangUpAfter = 0;
         f.hangUpDelay = std::chrono::milliseconds(5);
         f.skipExchanges = 2;
       },
       "SSSOO"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(Path());
    {
      qm::Ledger ledger(Path());
      std::vector<std::pair<int, std::string>> old;
      for (int n = 1; n <= 5; ++n) old.emplace_back(n, "old " + std::to_string(n));
      ledger.Apply("rig", LedgerTable::Plu, old, {}, false, 1);
    }
    Fault([](qmsim::Faults&) {});
    for (int n = 1; n <= 5; ++n) scale.SetPlu(n, PluReply(n, "On scale", 100 * n));
    SetGoodRows(5);
    Fault(c.fault);
    try {
      if (c.write) {
        session.WritePlu(1, 5, quiet);
      } else {
        plu.ReplaceDataRows({});
        session.ReadPluTable(5, quiet);
      }
    } catch (const std::exception&) {
      // A hang-up ends the transfer with the port's exception; what was recorded stays.
    }
    Quiesce();
    const qm::LedgerRecords held = Held();
    for (int n = 1; n <= 5; ++n) {
      const char want = c.expect[n - 1];
      const auto it = held.find(n);
      if (want == '-') {
        EXPECT_EQ(it, held.end()) << "PLU " << n;
      } else {
        ASSERT_NE(it, held.end()) << "PLU " << n;
        EXPECT_EQ(it->second, want == 'S' ? OnScale(n) : "old " + std::to_string(n)) << "PLU " << n;
      }
    }
    if (scale.HungUp()) return;  // the line is gone: the last case
  }
}

TEST_F(LedgerRecording, AChangedWriteSendsWhatTheLedgerCannotVouchFor) {
  struct Case {
    const char* name;
    std::function<void()> change;
    int sample;
    std::vector<int> sent;  // PLU numbers, in table order
    int unchanged;
    std::optional<int> disagrees;
  };
  auto price = [this](int row, const char* p) { plu.SetCell(qm::kPrice, row, p); };
  const Case cases[] = {
      {"two prices",
       [&] {
         price(2, "2.50");
         price(5, "7.25");
       },
       8,
       {2, 5},
       4,
       {}},
      {"nothing changed", [] {}, 8, {}, 6, {}},
      {"edited at the scale",
       [this] { scale.SetPlu(3, PluReply(3, "Keyboard", 1)); },
       100,
       {1, 2, 3, 4, 5, 6},
       0,
       3},
      {"scale reset", [this] { scale.ErasePlu(4); }, 100, {1, 2, 3, 4, 5, 6}, 0, 4},
      // The sample is what notices the scale's own edits: without it the ledger is trusted.
      {"no sample", [this] { scale.SetPlu(3, PluReply(3, "Keyboard", 1)); }, 0, {}, 6, {}},
      {"ledger forgotten",
       [this] { qm::Ledger(Path()).Forget("rig"); },
       8,
       {1, 2, 3, 4, 5, 6},
       0,
       {}},
      // Two rows for PLU 5: both go, the last is what the scale keeps.
      {"number shared", [this] { plu.SetCell(qm::kPluNo, 6, "5"); }, 8, {5, 5}, 4, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(Path());
    SetGoodRows(6);
    ASSERT_EQ(session.WritePlu(1, 6, quiet).status, TransferStatus::Done);
    c.change();
    Quiesce();
    scale.ClearLog();
    qm::ChangedWriteOptions options;
    options.sample = c.sample;
    options.seed = 7;
    const qm::TransferReport r = session.WritePluChanged(1, 6, options, quiet);
    EXPECT_EQ(r.status, TransferStatus::Done);
    EXPECT_EQ(r.unchanged, c.unchanged);
    EXPECT_EQ(r.stored, static_cast<int>(c.sent.size()));
    EXPECT_EQ(r.ledgerDisagrees, c.disagrees);
    EXPECT_EQ(WrittenNumbers(), c.sent);
    // Byte for byte what a whole write sends for the same rows.
    const std::vector<Bytes> changed = Received(0x82);
    scale.ClearLog();
    ASSERT_EQ(session.WritePlu(1, 6, quiet).status, TransferStatus::Done);
    const std::vector<Bytes> whole = Received(0x82);
    for (const Bytes& record : changed) {
      EXPECT_NE(std::find(whole.begin(), whole.end(), record), whole.end());
    }
    scale.ClearLog();
  }
}

TEST_F(LedgerRecording, ALedgerThatCannotBeReadStopsEveryWriteAndNoRead) {
  struct Case {
    const char* name;
    std::function<void()> spoil;
    const char* says;
  };
  const Case cases[] = {
      {"damaged", [this] { std::ofstream(Path(), std::ios::binary) << std::string(8192, '\x5a'); },
       "is damaged"},
      {"newer",
       [this] {
         { qm::Ledger made(Path()); }
         std::fstream f(Path(), std::ios::in | std::ios::out | std::ios::binary);
         f.seekp(60);  // the header's user version, big-endian
         f.write("\0\0\0\x09", 4);
       },
       "newer version"},
  };
  SetGoodRows(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(Path());
    c.spoil();
    scale.ClearLog();
    for (bool changed : {false, true}) {
      const qm::TransferReport r =
          changed ? session.WritePluChanged(1, 3, {}, quiet) : session.WritePlu(1, 3, quiet);
      EXPECT_EQ(r.status, TransferStatus::LedgerFailed);
      EXPECT_NE(r.ledgerError.find(c.says), std::string::npos) << r.ledgerError;
    }
    EXPECT_EQ(scale.ExchangeCount(), 0u);
    // A read changes nothing on the scale: it goes on, saying it could not record.
    plu.ReplaceDataRows({});
    const qm::TransferReport read = session.ReadPluTable(2, quiet);
    EXPECT_EQ(read.status, TransferStatus::Done);
    EXPECT_NE(read.ledgerError.find(c.says), std::string::npos);
    SetGoodRows(3);
  }
}

// The window's command: the same question and completion box as the whole-table write, the
// counts in the activity panel, a box and nothing sent when the ledger cannot be read.
TEST_F(LedgerRecording, TheWindowsChangedWriteAsksAndReportsAsTheWholeTableWrite) {
  struct Case {
    const char* name;
    std::function<void()> before;
    const char* box;
    const char* panel;
    std::size_t writes;
  };
  const std::string damaged = "Ничего не записано: журнал записей весов недоступен (the ledger " +
                              Path() +
                              " is damaged; remove it (the next write of changed records then "
                              "sends every record)).";
  const Case cases[] = {
      {"empty ledger", [] {}, "Таблица товаров записана.", "3 sent, 0 unchanged", 3},
      {"nothing changed", [] {}, "Таблица товаров записана.", "0 sent, 3 unchanged", 0},
      {"one price", [this] { plu.SetCell(qm::kPrice, 2, "3.30"); }, "Таблица товаров записана.",
       "1 sent, 2 unchanged", 1},
      {"damaged ledger",
       [this] { std::ofstream(Path(), std::ios::binary) << std::string(8192, '\x5a'); },
       damaged.c_str(), "Done.", 0},
  };
  SetGoodRows(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.before();
    scale.ClearLog();
    dialogs.ExpectMessage("Записать таблицу товаров?", qm::kButtonYes, "Подтвердите")
        .ExpectMessage(c.box, qm::kButtonOk);
    transfers.WriteChangedPluClick();
    EXPECT_EQ(Received(0x82).size(), c.writes);
    EXPECT_EQ(Panel(qm::kPanelActivity), c.panel);
    ExpectSettled(false);
  }
}

}  // namespace
}  // namespace qmtest
