// Each fault switch of the virtual scale does what it promises, and pacing slows the line.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "sim/VirtualScale.h"
#include "support/SlaveLine.h"

namespace qmsim::test {
namespace {

using namespace std::chrono_literals;
using qmtest::Concat;
using qmtest::Pattern;
using qmtest::SlaveLine;

class FaultTest : public ::testing::Test {
 protected:
  FaultTest() {
    Bytes rec = Pattern(kPluRecordSize, 0x50);
    rec[0] = 1;
    rec[1] = rec[2] = rec[3] = 0;
    plu1 = rec;
    scale.SetPlu(1, rec);
    rec[0] = 3;
    scale.SetPlu(3, rec);
    scale.SetMessage(1, Pattern(kMessageSize, 0));
    scale.SetMessage(2, Pattern(kMessageSize, 1));
  }
  VirtualScale scale;
  SlaveLine line{scale.SlavePath(), [this] { return scale.Quiet(); }};
  Bytes plu1;
  const Bytes readPlu1{0x01, 0x00, 0x00, 0x00};
};

TEST_F(FaultTest, SilentScaleAnswersNothingButLogsTheAddress) {
  Faults f;
  f.silent = true;
  scale.SetFaults(f);
  line.Write({0x01});
  ASSERT_TRUE(scale.WaitForExchanges(1, 2s));
  EXPECT_TRUE(line.Extra().empty());
  EXPECT_EQ(scale.Log()[0].in, (Bytes{0x01}));
  EXPECT_TRUE(scale.Log()[0].out.empty());

  scale.ClearFaults();
  EXPECT_EQ(line.Exchange(0x01, 0x86, {}, 3), (Bytes{0x01, 0x80, 0xAA}));
}

TEST_F(FaultTest, WrongEchoBusyAndNumberStatusEndTheExchangeBeforeACommand) {
  Faults f;
  f.wrongEcho = 0x55;
  scale.SetFaults(f);
  line.Write({0x01});
  EXPECT_EQ(line.Read(1), (Bytes{0x55}));
  EXPECT_TRUE(line.Extra().empty());

  f = {};
  f.endlessBusy = true;
  scale.SetFaults(f);
  for (int attempt = 0; attempt < 3; ++attempt) {
    line.Write({0x01});
    EXPECT_EQ(line.Read(1), (Bytes{0x01}));
    EXPECT_TRUE(line.Extra().empty()) << "a status came after all";
  }

  f = {};
  f.busyNumber = 10000;
  scale.SetFaults(f);
  line.Write({0x01});
  EXPECT_EQ(line.Read(6), (Bytes{0x01, 0xDD, 0x10, 0x27, 0x00, 0x00}));
  EXPECT_TRUE(line.Extra().empty());

  ASSERT_TRUE(scale.WaitForExchanges(5, 2s));
  for (const auto& rec : scale.Log()) EXPECT_FALSE(rec.command.has_value());
}

TEST_F(FaultTest, RefusalsHitOnlyTheChosenNumbersAndCommands) {
  Bytes rec259 = plu1;
  rec259[0] = 0x03;
  rec259[1] = 0x01;
  scale.SetPlu(259, rec259);
  Faults f;
  f.refusedPlus = {259};
  f.refusedMessages = {2};
  f.refusedCommands = {0x86};
  scale.SetFaults(f);
  EXPECT_EQ(line.Exchange(0x01, 0x81, {0x03, 0x01, 0x00, 0x00}, 3), (Bytes{0x01, 0x80, 0xEE}));
  EXPECT_TRUE(line.Extra().empty());
  EXPECT_EQ(line.Exchange(0x01, 0x81, {0x03, 0x00, 0x00, 0x00}, 103).size(), 103u);

  Bytes write259 = Pattern(kPluWriteSize, 0x77);
  std::copy_n(rec259.begin(), 4, write259.begin());
  EXPECT_EQ(line.Exchange(0x01, 0x82, write259, 3), (Bytes{0x01, 0x80, 0xEE}));
  EXPECT_EQ(line.Exchange(0x01, 0x83, {0x02, 0x00}, 3), (Bytes{0x01, 0x80, 0xEE}));
  EXPECT_EQ(line.Exchange(0x01, 0x84, Concat({{0x02, 0x00}, Bytes(kMessageSize, 0x41)}), 3),
            (Bytes{0x01, 0x80, 0xEE}));
  EXPECT_EQ(line.Exchange(0x01, 0x86, {}, 3), (Bytes{0x01, 0x80, 0xEE}));
  EXPECT_EQ(line.Exchange(0x01, 0x83, {0x01, 0x00}, 403).size(), 403u);

  // A refused write changes nothing.
  ASSERT_TRUE(scale.WaitForExchanges(7, 2s));
  EXPECT_EQ(scale.Plu(259), rec259);
  EXPECT_EQ(scale.Message(2), Pattern(kMessageSize, 1));
}

TEST_F(FaultTest, CutReplyStopsAfterTheGivenBytes) {
  Faults f;
  f.replyCut = 60;
  scale.SetFaults(f);
  Bytes got = line.Exchange(0x01, 0x81, readPlu1, 63);
  EXPECT_EQ(got, Concat({{0x01, 0x80, 0xAA}, Bytes(plu1.begin(), plu1.begin() + 60)}));
  EXPECT_TRUE(line.Extra().empty());
}

TEST_F(FaultTest, OddAcknowledgementReplacesAaWithOrWithoutTheReply) {
  Faults f;
  f.ackByte = 0x00;
  scale.SetFaults(f);
  EXPECT_EQ(line.Exchange(0x01, 0x81, readPlu1, 3), (Bytes{0x01, 0x80, 0x00}));
  EXPECT_TRUE(line.Extra().empty());

  f.ackByte = 0x55;
  f.replyAfterOddAck = true;
  scale.SetFaults(f);
  EXPECT_EQ(line.Exchange(0x01, 0x81, readPlu1, 103), Concat({{0x01, 0x80, 0x55}, plu1}));
  // Refusals stay refusals: only a would-be 0xAA is replaced.
  EXPECT_EQ(line.Exchange(0x01, 0x81, {0x02, 0x00, 0x00, 0x00}, 3), (Bytes{0x01, 0x80, 0xEE}));
}

TEST_F(FaultTest, GarbageFollowsEveryAnswerAndCanComeUnasked) {
  Faults f;
  f.trailingGarbage = {0x55, 0x00, 0xAA};
  scale.SetFaults(f);
  Bytes got = line.Exchange(0x01, 0x86, {}, 6);
  EXPECT_EQ(got, (Bytes{0x01, 0x80, 0xAA, 0x55, 0x00, 0xAA}));
  f.busyNumber = 1;
  scale.SetFaults(f);
  line.Write({0x01});
  EXPECT_EQ(line.Read(9), (Bytes{0x01, 0xDD, 0x01, 0x00, 0x00, 0x00, 0x55, 0x00, 0xAA}));

  scale.ClearFaults();
  ASSERT_TRUE(scale.SendUnasked({0x12, 0x34}));
  EXPECT_EQ(line.Read(2), (Bytes{0x12, 0x34}));
  EXPECT_TRUE(line.Extra().empty());
}

TEST_F(FaultTest, HangUpClosesTheLineAfterPartOfTheReply) {
  Faults f;
  f.hangUpAfter = 10;
  f.hangUpDelay = 100ms;  // the line here reads at once; the default allows for a busy program
  f.skipExchanges = 1;    // the first read goes through whole
  scale.SetFaults(f);
  EXPECT_EQ(line.Exchange(0x01, 0x81, readPlu1, 103), Concat({{0x01, 0x80, 0xAA}, plu1}));
  EXPECT_FALSE(scale.HungUp());

  Bytes got = line.Exchange(0x01, 0x81, readPlu1, 103);
  EXPECT_EQ(got, Concat({{0x01, 0x80, 0xAA}, Bytes(plu1.begin(), plu1.begin() + 10)}));
  EXPECT_TRUE(line.HungUp());
  ASSERT_TRUE(scale.WaitForExchanges(2, 2s));
  EXPECT_TRUE(scale.HungUp());
  EXPECT_FALSE(scale.SendUnasked({0x00}));
}

TEST_F(FaultTest, SkippedExchangesAreAnsweredNormallyBeforeTheFaultsStart) {
  scale.ClearLog();
  Faults f;
  f.refusedPlus = {1};
  f.skipExchanges = 2;
  scale.SetFaults(f);
  EXPECT_EQ(line.Exchange(0x01, 0x81, readPlu1, 103).size(), 103u);
  EXPECT_EQ(line.Exchange(0x01, 0x81, readPlu1, 103).size(), 103u);
  EXPECT_EQ(line.Exchange(0x01, 0x81, readPlu1, 3), (Bytes{0x01, 0x80, 0xEE}));
  EXPECT_EQ(line.Exchange(0x01, 0x81, readPlu1, 3), (Bytes{0x01, 0x80, 0xEE}));
}

TEST_F(FaultTest, ACommandCutShortIsAbandonedAndTheScaleListensAgain) {
  VirtualScale::Options o;
  o.byteTimeout = 50ms;  // the data comes in one write, so no gap inside it comes near this
  VirtualScale quick(o);
  SlaveLine l(quick.SlavePath(), [&] { return quick.Quiet(); });
  l.Write({0x01});
  ASSERT_EQ(l.Read(2), (Bytes{0x01, 0x80}));
  l.Write({0x82, 0x01, 0x00});  // 2 of 83 bytes
  ASSERT_TRUE(quick.WaitForExchanges(1, 2s));
  EXPECT_FALSE(quick.Log()[0].complete);
  EXPECT_EQ(quick.CommandCount(0x82), 0u);
  EXPECT_TRUE(quick.PluNumbers().empty());
  EXPECT_TRUE(l.Extra().empty());
  EXPECT_EQ(l.Exchange(0x01, 0x86, {}, 3), (Bytes{0x01, 0x80, 0xAA}));
}

// A loose lower bound only: pacing must never let 1.2 KB through faster than 9600 baud would.
TEST(Pacing, MessageReadsTakeAtLeastTheWireTime) {
  VirtualScale scale;
  for (int n = 1; n <= 3; ++n) scale.SetMessage(n, Pattern(kMessageSize, n));
  scale.SetPacing(9600);
  SlaveLine line(scale.SlavePath(), [&] { return scale.Quiet(); });
  auto start = std::chrono::steady_clock::now();
  std::size_t bytes = 0;
  for (std::uint8_t n = 1; n <= 3; ++n) {
    Bytes got = line.Exchange(0x01, 0x83, {n, 0x00}, 403);
    ASSERT_EQ(got.size(), 403u);
    bytes += got.size() + 4;  // both directions: 4 bytes go to the scale
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double wire = 3 * 403 * 10.0 / 9600;  // the replies alone
  EXPECT_GE(seconds, 0.8 * wire) << bytes << " bytes in " << seconds << " s";
}

}  // namespace
}  // namespace qmsim::test
