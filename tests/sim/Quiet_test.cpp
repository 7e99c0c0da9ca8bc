// The scale's quiet state, on which the tests' virtual time rests: whenever the scale says it is
// quiet, everything it sent must already wait at the terminal end, and nothing more may follow.
#include <gtest/gtest.h>

#include <chrono>

#include "sim/VirtualScale.h"
#include "support/PtyPair.h"
#include "support/SlaveLine.h"

namespace qmsim::test {
namespace {

using namespace std::chrono_literals;

TEST(VirtualScaleQuiet, QuietOnlyOnceEverythingSentHasArrived) {
  const Bytes readPlu1{0x01, 0x81, 0x01, 0x00, 0x00, 0x00};
  const Bytes writePlu = qmtest::Concat({{0x01, 0x82}, qmtest::Pattern(kPluWriteSize, 0)});
  const Faults hangUp{.hangUpAfter = 10, .hangUpDelay = 100ms};
  struct Case {
    const char* what;
    unsigned baud;
    Faults faults;
    Bytes send;
    std::size_t reply;  // bytes the scale answers
    bool slow;          // the answer takes long enough that the scale must be seen busy first
    bool hangsUp;
  };
  const Case cases[] = {
      {"waiting for an address", 0, {}, {}, 0, false, false},
      {"waiting for the command after the status", 0, {}, {0x01}, 2, false, false},
      {"a whole read", 0, {}, readPlu1, 103, false, false},
      {"a paced reply on its way", 2400, {}, {0x01, 0x85}, 43, true, false},
      {"paced data still coming in", 9600, {}, writePlu, 3, true, false},
      {"the pause before a hang-up", 0, hangUp, readPlu1, 13, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VirtualScale scale;
    scale.SetPlu(1, Bytes{0x01, 0x00, 0x00, 0x00});
    scale.SetPacing(c.baud);
    scale.SetFaults(c.faults);
    qmtest::SlaveLine line(scale.SlavePath(), [&] { return scale.Quiet(); });
    line.Write(c.send);

    Bytes got;
    bool sawBusy = false;
    const bool quiet = qmtest::WaitUntil([&] {
      const bool q = scale.Quiet();  // before the take: then the take must find the whole answer
      Bytes now = line.Available();
      got.insert(got.end(), now.begin(), now.end());
      sawBusy = sawBusy || !q;
      return q;
    });
    ASSERT_TRUE(quiet);
    EXPECT_EQ(got.size(), c.reply);
    if (c.slow) {
      EXPECT_TRUE(sawBusy);
    }
    EXPECT_TRUE(scale.Quiet());
    EXPECT_TRUE(line.Available().empty());
    EXPECT_EQ(line.HungUp(), c.hangsUp);
  }
}

}  // namespace
}  // namespace qmsim::test
