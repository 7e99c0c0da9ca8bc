// What scripts read from the scale commands: --json, one object a line, and "-" for standard
// input and output, against the virtual scale on a pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <sstream>

#include "CtlRun.h"
#include "sim/VirtualScale.h"
#include "support/ScaleRig.h"

namespace qmtest {
namespace {

const std::string kPrices = std::string(kPluHeader) +
                            "1,Молоко,,45.50,5,0,1,1,0,0,,0,0,0\n"
                            "2,Хлеб,,12.50,3,0.125,2,1,0,0,,0,0,0\n";

class ScriptOutput : public CtlTest, protected ScaleForProgram {
 protected:
  ScriptOutput() { scale.SetWeightMoving(false); }

  CtlResult Run(std::vector<std::string> args, const std::string& in = {}) {
    args.insert(args.begin(), {"--port", scale.SlavePath()});
    std::istringstream input(in);
    std::ostringstream out, err;
    CtlResult r;
    r.code = qm::ctl::RunQmctl(args, {out, err, false, &ticks, {}, &input});
    r.out = out.str();
    r.err = err.str();
    return r;
  }
};

// Each case runs after the scale was set up as the one before left it and `before` says.
TEST_F(ScriptOutput, JsonIsOneObjectALine) {
  const std::string prices = WriteText("prices.csv", kPrices);
  ASSERT_EQ(Run({"write-plu", "-i", prices}).code, 0);
  struct Case {
    std::function<void()> before;
    std::vector<std::string> args;
    int code;
    std::string out;
  };
  const std::vector<Case> cases = {
      {[&] { ShowWeighing(); },
       {"weigh", "--json"},
       0,
       "{\"weight\": \"1.234\", \"unit_price\": \"123.45\", \"total\": \"15.23\", \"plu\": \"7\", "
       "\"stable\": true, \"tare\": true, \"zero\": false}\n"},
      {[&] {
         qmsim::Display d;
         d.flags = 0x0C;  // t and z
         scale.SetDisplay(d);
       },
       {"weigh", "--json"},
       0,
       "{\"weight\": \"0.000\", \"unit_price\": \"0.0\", \"total\": \"0.0\", \"plu\": \"0\", "
       "\"stable\": false, \"tare\": true, \"zero\": true}\n"},
      {[] {}, {"scan", "--from", "1", "--to", "3", "--json"}, 0,
       "{\"address\": 1, \"status\": \"ready\"}\n"},
      {[] {}, {"verify", "-i", prices, "--json"}, 0,
       "{\"plu_checked\": 2, \"match\": true, \"differences\": []}\n"},
      {[&] {
         qmsim::Bytes changed = *scale.Plu(2);
         changed[66] = 0xE8;  // 10.00
         changed[67] = 0x03;
         scale.SetPlu(2, changed);
         scale.ErasePlu(1);
       },
       {"verify", "-i", prices, "--json"}, qm::ctl::kExitFindings,
       "{\"plu_checked\": 2, \"match\": false, \"differences\": [{\"plu\": 1, \"missing\": true}, "
       "{\"plu\": 2, \"fields\": [{\"field\": \"price\", \"file\": \"12.50\", \"scale\": "
       "\"10.00\"}]}]}\n"},
  };
  for (const Case& c : cases) {
    c.before();
    const CtlResult r = Run(c.args);
    EXPECT_EQ(r.code, c.code) << c.args[0] << r.err;
    EXPECT_EQ(r.out, c.out) << c.args[0];
  }
}

// A table goes to the scale from standard input and comes back on standard output, byte for
// byte what a file would hold; -q leaves the progress and completion lines out.
TEST_F(ScriptOutput, TablesComeAndGoThroughStandardStreams) {
  std::string csv;
  ASSERT_TRUE(qm::ReadWholeFile(WriteText("prices.csv", kPrices), csv).ok);
  const CtlResult write = Run({"write-plu", "-i", "-", "--format", "csv"}, csv);
  ASSERT_EQ(write.code, 0) << write.err;
  EXPECT_EQ(write.out, "Таблица товаров записана.\n");
  EXPECT_TRUE(scale.Plu(1) && scale.Plu(2));

  ASSERT_EQ(Run({"read-plu", "--last", "2", "-o", Path("read.csv")}).code, 0);
  std::string file;
  ASSERT_TRUE(qm::ReadWholeFile(Path("read.csv"), file).ok);
  const CtlResult read = Run({"read-plu", "--last", "2", "-o", "-", "--format", "csv"});
  ASSERT_EQ(read.code, 0) << read.err;
  EXPECT_EQ(read.out, file);
  EXPECT_EQ(read.err, "Таблица товаров считана.\n2 PLU\n");
  const CtlResult quiet = Run({"-q", "read-plu", "--last", "2", "-o", "-", "--format", "csv"});
  EXPECT_EQ(quiet.out, file);
  EXPECT_EQ(quiet.err, "");

  const CtlResult totals = Run({"read-totals", "-o", "-"});
  ASSERT_EQ(totals.code, 0) << totals.err;
  EXPECT_FALSE(totals.out.empty());
  // A pipe a script reads from takes the report as it stands and stays a pipe.
  const std::string fifo = Path("totals.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const CtlResult piped = Run({"read-totals", "-o", fifo});
  EXPECT_EQ(piped.code, 0) << piped.err;
  char report[8192];
  const ssize_t got = ::read(reader, report, sizeof report);
  close(reader);
  EXPECT_EQ(got, static_cast<ssize_t>(totals.out.size()));
  struct stat after {};
  ASSERT_EQ(stat(fifo.c_str(), &after), 0);
  EXPECT_TRUE(S_ISFIFO(after.st_mode));
  const CtlResult verify = Run({"--quiet", "verify", "-i", "-", "--format", "csv"}, csv);
  EXPECT_EQ(verify.code, 0) << verify.err;
  EXPECT_EQ(verify.out + verify.err, "");
}

}  // namespace
}  // namespace qmtest
