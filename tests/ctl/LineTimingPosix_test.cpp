// The line as it is, not as fast as a pseudo-terminal: a write with wait must end when its bytes
// have left, so that the reply wait measures the scale and not the line; and bytes trailing an
// answer must be discarded the same way every time, so that one line gives one outcome.
#include <gtest/gtest.h>

#include "CtlRun.h"
#include "sim/VirtualScale.h"

namespace qmtest {
namespace {

class LineTiming : public CtlTest {
 protected:
  LineTiming() { scale.SetWeightMoving(false); }
  qmsim::VirtualScale scale;
};

TEST_F(LineTiming, AWriteAt1200BaudWaitsForItsBytesBeforeTheReplyWaitStarts) {
  // The record takes 84 bytes, 0.7 s at 1200 baud: longer than the wait for a reply (5 ticks).
  // The line's own pace is under test, so the link's timer runs on the clock here.
  scale.SetPacing(1200);
  const std::string prices = WriteText("p.csv", "Товары,\nT\n1,Молоко,,45.50,5,0,1,1,0,0\n");
  const CtlResult r =
      RunCtl({"--port", scale.SlavePath(), "--baud", "1200", "write-plu", "-i", prices});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "Таблица товаров записана.\n");
}

TEST_F(LineTiming, BytesTrailingEveryAnswerAreDiscardedTheSameWayEveryRun) {
  for (std::int32_t k : {1, 2, 3}) {
    qmsim::Bytes record(100, 0);
    record[0] = static_cast<std::uint8_t>(k);
    scale.SetPlu(k, record);
  }
  qmsim::Faults faults;
  faults.trailingGarbage = {0x55, 0xAA, 0x00};
  scale.SetFaults(faults);
  // Paced as a line runs, the garbage is still on its way when the next exchange begins. On
  // virtual time a tick would wait for it to arrive; the race is with the clock.
  scale.SetPacing(38400);
  for (int run = 0; run < 10; ++run) {
    SCOPED_TRACE(run);
    const CtlResult r =
        RunCtl({"--port", scale.SlavePath(), "read-plu", "--last", "3", "-o", Path("p.csv")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Таблица товаров считана.\n3 PLU\n");
  }
}

}  // namespace
}  // namespace qmtest
