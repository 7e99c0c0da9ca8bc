// qmctl's writes of changed records and its ledger command against the virtual scale: what each
// run says and sends, a ledger that cannot be read (exit 2, nothing sent), and a fleet whose
// scales record into one ledger at once, each getting its own delta.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CtlRun.h"
#include "base/TickSource.h"
#include "ctl/Fleet.h"
#include "ctl/Qmctl.h"
#include "ledger/Ledger.h"
#include "sim/VirtualScale.h"
#include "support/ScaleRig.h"

namespace qmtest {
namespace {

std::string PriceRows(const char* bread, const char* salt = "9.99") {
  return std::string(kPluHeader) + "1,Молоко,,45.50,5,0,1,1,0,0,,0,0,0\n" + "2,Хлеб,," + bread +
         ",3,0.125,2,1,0,0,,0,0,0\n" + "3,Соль,," + salt + ",30,0,3,1,0,0,,0,0,0\n";
}

class LedgerCommands : public CtlTest, protected ScaleForProgram {
 protected:
  LedgerCommands() { scale.SetWeightMoving(false); }

  CtlResult Run(std::vector<std::string> args, bool line = true) {
    if (line) args.insert(args.begin(), {"--port", scale.SlavePath()});
    std::ostringstream out, err;
    CtlResult r;
    r.code = qm::ctl::RunQmctl(args, {out, err, false, &ticks, Ledger()});
    r.out = out.str();
    r.err = err.str();
    return r;
  }
  std::string Ledger() const { return Path("state/ledger.sqlite"); }
  std::size_t Writes() {
    EXPECT_TRUE(WaitUntil([this] { return scale.Quiet(); }, std::chrono::seconds(10)));
    return scale.CommandCount(0x82) + scale.CommandCount(0x84);
  }
};

TEST_F(LedgerCommands, EachRunSendsWhatTheScaleLacksAndSaysSo) {
  struct Step {
    const char* name;
    std::function<std::vector<std::string>()> args;
    int code;
    std::size_t writes;   // PLU and message writes the scale received in this step
    const char* outEnds;  // the last line on stdout
    const char* errHas;   // a text on stderr, or nullptr
  };
  const std::string prices = WriteText("prices.csv", PriceRows("12.50"));
  const std::string dearer = WriteText("dearer.csv", PriceRows("13.10"));
  const std::string bad = WriteText("bad.csv", PriceRows("12a"));
  const char* kNotes = "Сообщения,\n№,Название,\"Строка 1\"\n1,Первое,Abc\n2,Второе,";
  const std::string notes = WriteText("m.csv", std::string(kNotes) + "X\n");
  const std::string newNotes = WriteText("m2.csv", std::string(kNotes) + "Y\n");
  const std::string name = std::filesystem::canonical(scale.SlavePath()).string() + "#1";
  const std::vector<Step> steps = {
      {"an empty ledger sends all",
       [&] {
         return std::vector<std::string>{"write-plu", "-i", prices, "--changed"};
       },
       0, 3, "3 sent, 0 unchanged", nullptr},
      {"one price",
       [&] {
         return std::vector<std::string>{"write-plu", "-i", dearer, "--changed"};
       },
       0, 1, "1 sent, 2 unchanged", nullptr},
      {"nothing new",
       [&] {
         return std::vector<std::string>{"write-plu", "-i", dearer, "--changed"};
       },
       0, 0, "0 sent, 3 unchanged", nullptr},
      {"a price file with errors is refused first",
       [&] {
         return std::vector<std::string>{"write-plu", "-i", bad, "--changed"};
       },
       1, 0, "", "nothing was written; --force writes despite the findings"},
      {"edited at the scale",
       [&] {
         qmsim::Bytes edited = *scale.Plu(3);
         edited[70] ^= 1;
         scale.SetPlu(3, edited);
         return std::vector<std::string>{"write-plu", "-i", dearer, "--changed", "--sample", "5"};
       },
       0, 3, "3 sent, 0 unchanged",
       "PLU 3 on the scale is not what the ledger holds (edited at the scale, or the scale was "
       "reset): sending everything"},
      {"the ledger lists the scale",
       [] {
         return std::vector<std::string>{"ledger", "list"};
       },
       0, 0, "\t3\t0\t", nullptr},
      {"forgotten",
       [&] {
         return std::vector<std::string>{"ledger", "forget", name};
       },
       0, 0, "", nullptr},
      // A read records what the scale sent: after it nothing needs to go.
      {"read back",
       [&] {
         return std::vector<std::string>{"read-plu", "--last", "3", "-o", Path("back.csv")};
       },
       0, 0, "3 PLU", nullptr},
      {"after the read",
       [&] {
         return std::vector<std::string>{"write-plu", "-i", dearer, "--changed"};
       },
       0, 0, "0 sent, 3 unchanged", nullptr},
      {"messages, all",
       [&] {
         return std::vector<std::string>{"write-msg", "-i", notes, "--changed"};
       },
       0, 2, "2 sent, 0 unchanged", nullptr},
      {"messages, one changed",
       [&] {
         return std::vector<std::string>{"write-msg", "-i", newNotes, "--changed"};
       },
       0, 1, "1 sent, 1 unchanged", nullptr},
      {"an unknown scale",
       [] {
         return std::vector<std::string>{"ledger", "forget", "nobody"};
       },
       1, 0, "", "the ledger holds no scale nobody"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    const std::size_t before = Writes();
    const std::vector<std::string> args = s.args();
    const CtlResult r = Run(args, args[0] != "ledger");
    EXPECT_EQ(r.code, s.code) << r.err;
    EXPECT_EQ(Writes() - before, s.writes);
    if (*s.outEnds) {
      EXPECT_NE(r.out.find(s.outEnds), std::string::npos) << r.out;
    }
    if (s.errHas) {
      EXPECT_NE(r.err.find(s.errHas), std::string::npos) << r.err;
    }
    if (std::string(s.name) == "the ledger lists the scale") {
      EXPECT_EQ(r.out.find(name + "\t3\t0\t"), r.out.find('\n') + 1) << r.out;
    }
  }
}

TEST_F(LedgerCommands, ALedgerThatCannotBeReadIsExitTwoAndNothingIsSent) {
  struct Case {
    const char* name;
    std::function<void(const std::string&)> spoil;
    const char* says;
  };
  const Case cases[] = {
      {"damaged",
       [](const std::string& p) { std::ofstream(p, std::ios::binary) << std::string(5000, '#'); },
       "is damaged"},
      {"read-only",
       [](const std::string& p) {
         { qm::Ledger made(p); }
         std::filesystem::permissions(p, std::filesystem::perms::owner_read);
       },
       "is read-only"},
      {"newer",
       [](const std::string& p) {
         { qm::Ledger made(p); }
         std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
         f.seekp(60);
         f.write("\0\0\0\x02", 4);
       },
       "was made by a newer version of the program"},
  };
  const std::string prices = WriteText("prices.csv", PriceRows("12.50"));
  std::filesystem::create_directories(Path("state"));
  scale.SetPlu(1, {1});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(Ledger());
    c.spoil(Ledger());
    for (const char* changed : {"--changed", "--force"}) {
      const std::size_t before = Writes();
      const CtlResult r = Run({"write-plu", "-i", prices, changed});
      EXPECT_EQ(r.code, qm::ctl::kExitUsage) << r.err;
      EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
      EXPECT_EQ(Writes(), before);
    }
    // A read leaves the scale as it was: it goes on and says it recorded nothing.
    const CtlResult read = Run({"read-plu", "--last", "3", "-o", Path("out.csv")});
    EXPECT_EQ(read.code, 0) << read.err;
    EXPECT_NE(read.err.find("qmctl: warning: the ledger"), std::string::npos) << read.err;
    std::filesystem::permissions(Ledger(), std::filesystem::perms::owner_all);
  }
}

// Two scales on lines of their own run at once, each recording into the one ledger.
TEST_F(LedgerCommands, EveryScaleOfAFleetGetsItsOwnDelta) {
  qmsim::VirtualScale deli, bakery;
  const std::string conf = WriteText(
      "scales.conf", "deli " + deli.SlavePath() + " 1\nbakery " + bakery.SlavePath() + " 1\n");
  auto fleet = [&](const std::vector<std::string>& command) {
    std::vector<std::string> args = {"fleet", "-c", conf};
    args.insert(args.end(), command.begin(), command.end());
    qm::ctl::FleetTicks ticks =
        [&](const qm::ctl::FleetScale& s) -> std::unique_ptr<qm::TickSource> {
      qmsim::VirtualScale* scale = s.name == "deli" ? &deli : &bakery;
      return std::make_unique<qm::VirtualTicks>([scale] { return scale->Quiet(); });
    };
    std::ostringstream out, err;
    qm::ctl::CtlIo io{out, err, false, nullptr, Ledger()};
    const int code = qm::ctl::RunFleet(args, io, ticks, [](std::chrono::milliseconds) {});
    EXPECT_EQ(code, 0) << err.str();
    return out.str();
  };
  WriteText("p-deli.csv", PriceRows("12.50"));
  WriteText("p-bakery.csv", PriceRows("12.50"));
  fleet({"write-plu", "-i", Path("p-{name}.csv"), "--changed"});
  WriteText("p-deli.csv", PriceRows("13.00"));
  WriteText("p-bakery.csv", PriceRows("14.00", "8.88"));
  const std::string out = fleet({"write-plu", "-i", Path("p-{name}.csv"), "--changed"});
  EXPECT_NE(out.find("[deli] 1 sent, 2 unchanged"), std::string::npos) << out;
  EXPECT_NE(out.find("[bakery] 2 sent, 1 unchanged"), std::string::npos) << out;
  const std::vector<qm::LedgerScale> scales = qm::Ledger(Ledger()).Scales();
  ASSERT_EQ(scales.size(), 2u);
  EXPECT_EQ(scales[0].name, "bakery");
  EXPECT_EQ(scales[1].name, "deli");
  EXPECT_EQ(scales[0].pluRows + scales[1].pluRows, 6);
}

}  // namespace
}  // namespace qmtest
