// qmctl's transfer commands against every fault the virtual scale can play: the exit code, and
// for the reads whether the output file that was there before was replaced ("w") or kept ("k").
// A script must be able to trust both: 0 only when everything asked for came, and a file only
// from a read that got something.
#include <gtest/gtest.h>

#include "CtlRun.h"
#include "sim/VirtualScale.h"
#include "support/ScaleRig.h"
#include "support/ScaleFaults.h"

namespace qmtest {
namespace {

struct Command {
  const char* name;
  std::vector<std::string> args;  // "@" stands for the file the test prepared
  const char* file;               // the output (reads) or input (writes)
};
const Command kCommands[] = {
    {"read-plu", {"read-plu", "--last", "3", "-o", "@"}, "out.csv"},
    {"read-msg", {"read-msg", "--last", "2", "-o", "@"}, "out.msw"},
    {"write-plu", {"write-plu", "-i", "@"}, "prices.csv"},
    {"write-msg", {"write-msg", "-i", "@"}, "messages.csv"},
    {"read-totals", {"read-totals", "-o", "@"}, "totals.txt"},
    {"clear-totals", {"clear-totals", "--yes"}, ""},
};
constexpr int kCommandCount = sizeof kCommands / sizeof kCommands[0];

// Exit code, then for commands that write a file "w" (replaced) or "k" (kept as it was).
const char* const kExpected[kCommandCount][kFaultCount] = {
    {"0w", "3k", "3k", "3k", "3k", "0w", "1k", "1k", "3k", "3k", "0w", "3k", "1w"},
    {"0w", "3k", "3k", "3k", "3k", "0w", "1k", "1k", "3k", "3k", "0w", "3k", "1w"},
    {"0", "3", "3", "3", "3", "1", "1", "1", "0", "0", "0", "3", "1"},
    {"0", "3", "3", "3", "3", "1", "1", "1", "0", "0", "0", "3", "1"},
    {"0w", "3k", "3k", "3k", "3k", "1k", "1k", "1k", "3k", "3k", "0w", "0w", "0w"},
    {"0", "3", "3", "3", "3", "1", "1", "1", "0", "0", "0", "0", "0"},
};

class CtlFaultMatrix : public CtlTest,
                       protected ScaleForProgram,
                       public ::testing::WithParamInterface<std::tuple<int, int>> {
 protected:
  CtlFaultMatrix() {
    scale.SetWeightMoving(false);
    for (std::int32_t k = 1; k <= 3; ++k) {
      qmsim::Bytes record(100, 0);
      record[0] = static_cast<std::uint8_t>(k);
      scale.SetPlu(k, record);
    }
    for (std::int32_t k = 1; k <= 2; ++k) scale.SetMessage(k, qmsim::Bytes(400, 0x40 + k));
  }
};

TEST_P(CtlFaultMatrix, ExitCodeAndTheOutputFile) {
  const auto [command, fault] = GetParam();
  const Command& c = kCommands[command];
  const bool reads = c.args[0].starts_with("read");
  WriteText("prices.csv", "Товары,\nT\n1,Молоко,,45.50,5,0,1,1,0,0\n2,Хлеб,,12.50,3,0,2,1,0,0\n");
  WriteText("messages.csv", "Сообщения,\n№,Название\n1,a,x\n2,b,y\n");
  if (reads) WriteText(c.file, "keep\n");
  qmsim::Faults faults;
  kFaults[fault].set(faults);
  scale.SetFaults(faults);

  std::vector<std::string> args{"--port", scale.SlavePath()};
  for (const std::string& a : c.args) args.push_back(a == "@" ? Path(c.file) : a);
  const CtlResult r = RunCtl(args, &ticks);

  const bool kept = !reads || ReadText(c.file) == "keep\n";
  const std::string outcome = std::to_string(r.code) + (reads ? (kept ? "k" : "w") : "");
  EXPECT_EQ(outcome, kExpected[command][fault]) << r.err;
}

INSTANTIATE_TEST_SUITE_P(EveryCommandAndFault, CtlFaultMatrix,
                         ::testing::Combine(::testing::Range(0, kCommandCount),
                                            ::testing::Range(0, kFaultCount)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
                           return CellTestName(kCommands[std::get<0>(info.param)].name,
                                               std::get<1>(info.param));
                         });

}  // namespace
}  // namespace qmtest
