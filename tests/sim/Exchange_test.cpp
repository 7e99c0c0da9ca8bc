// The well-behaved scale: every command with its exact bytes, storage and refusals.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "sim/VirtualScale.h"
#include "support/SlaveLine.h"

namespace qmsim::test {
namespace {

using namespace std::chrono_literals;
using qmtest::Concat;
using qmtest::Pattern;
using qmtest::SlaveLine;

Bytes PluBytes(std::int32_t number, std::uint8_t seed) {
  Bytes r = Pattern(kPluRecordSize, seed);
  r[0] = static_cast<std::uint8_t>(number);
  r[1] = static_cast<std::uint8_t>(number >> 8);
  r[2] = r[3] = 0;
  return r;
}

class ScaleTest : public ::testing::Test {
 protected:
  VirtualScale scale;
  SlaveLine line{scale.SlavePath(), [this] { return scale.Quiet(); }};
};

TEST_F(ScaleTest, ReadPluIsEchoStatusAckAndTheHundredByteRecord) {
  ASSERT_TRUE(line.IsOpen());
  Bytes rec = PluBytes(7, 0x30);
  scale.SetPlu(7, rec);

  line.Write({0x01});
  EXPECT_EQ(line.Read(2), (Bytes{0x01, 0x80}));
  line.Write({0x81});
  line.Write({0x07, 0x00, 0x00, 0x00});
  EXPECT_EQ(line.Read(101), Concat({{0xAA}, rec}));
  EXPECT_TRUE(line.Extra().empty());

  ASSERT_TRUE(scale.WaitForExchanges(1, 2s));
  auto log = scale.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].command, 0x81);
  EXPECT_TRUE(log[0].complete);
  EXPECT_EQ(log[0].in, (Bytes{0x01, 0x81, 0x07, 0x00, 0x00, 0x00}));
  EXPECT_EQ(log[0].out, Concat({{0x01, 0x80, 0xAA}, rec}));
  EXPECT_EQ(scale.CommandCount(0x81), 1u);
  EXPECT_EQ(scale.CommandCount(0x82), 0u);
}

// The scale must wait for exactly the data length of each command before it answers: one byte
// short gets no acknowledgement, the last byte brings the acknowledgement and a reply of the
// fixed length, and nothing after it.
TEST_F(ScaleTest, EachCommandTakesItsDataLengthAndAnswersItsReplyLength) {
  scale.SetPlu(1, PluBytes(1, 0));
  scale.SetMessage(1, Pattern(kMessageSize, 9));
  Bytes msgWrite = Concat({{0x02, 0x00}, Pattern(kMessageSize, 1)});
  struct Case {
    std::uint8_t command;
    Bytes data;
    std::size_t reply;
  };
  const Case cases[] = {
      {0x81, {0x01, 0x00, 0x00, 0x00}, 100},
      {0x82, PluBytes(4, 2), 0},  // resized to 83 below
      {0x83, {0x01, 0x00}, 400},
      {0x84, msgWrite, 0},
      {0x85, {}, 40},
      {0x86, {}, 0},
      {0x89, {}, 15},
  };
  for (Case c : cases) {
    SCOPED_TRACE(testing::Message() << "command 0x" << std::hex << int(c.command));
    if (c.command == 0x82) c.data.resize(kPluWriteSize);
    line.Write({0x01});
    ASSERT_EQ(line.Read(2), (Bytes{0x01, 0x80}));
    line.Write({c.command});
    if (!c.data.empty()) {
      line.Write(Bytes(c.data.begin(), c.data.end() - 1));
      EXPECT_TRUE(line.Extra().empty()) << "answered before the data was complete";
      line.Write({c.data.back()});
    }
    Bytes got = line.Read(1 + c.reply);
    ASSERT_EQ(got.size(), 1 + c.reply);
    EXPECT_EQ(got[0], 0xAA);
    EXPECT_TRUE(line.Extra().empty()) << "more than the fixed reply length";
  }
  ASSERT_TRUE(scale.WaitForExchanges(7, 2s));
  for (const Case& c : cases) EXPECT_EQ(scale.CommandCount(c.command), 1u);
}

TEST_F(ScaleTest, AbsentRecordsAndUnknownCommandsAreRefused) {
  scale.SetPlu(1, PluBytes(1, 0));
  scale.SetMessage(3, Pattern(kMessageSize, 0));
  EXPECT_EQ(line.Exchange(0x01, 0x81, {0x02, 0x00, 0x00, 0x00}, 3), (Bytes{0x01, 0x80, 0xEE}));
  EXPECT_TRUE(line.Extra().empty());
  // PLU 1 + 256: only the low byte matches a stored number.
  EXPECT_EQ(line.Exchange(0x01, 0x81, {0x01, 0x01, 0x00, 0x00}, 3), (Bytes{0x01, 0x80, 0xEE}));
  EXPECT_TRUE(line.Extra().empty());
  EXPECT_EQ(line.Exchange(0x01, 0x83, {0x03, 0x01}, 3), (Bytes{0x01, 0x80, 0xEE}));
  EXPECT_TRUE(line.Extra().empty());
  EXPECT_EQ(line.Exchange(0x01, 0x87, {}, 3), (Bytes{0x01, 0x80, 0xEE}));
  EXPECT_TRUE(line.Extra().empty());
}

TEST_F(ScaleTest, WrittenPluReadsBackWithItsSalesTail) {
  // A new PLU: the 83 bytes written, then a zero sales tail.
  Bytes written = PluBytes(300, 0x40);
  written.resize(kPluWriteSize);
  EXPECT_EQ(line.Exchange(0x01, 0x82, written, 3), (Bytes{0x01, 0x80, 0xAA}));
  Bytes expected = written;
  expected.resize(kPluRecordSize, 0);
  EXPECT_EQ(line.Exchange(0x01, 0x81, {0x2C, 0x01, 0x00, 0x00}, 103),
            Concat({{0x01, 0x80, 0xAA}, expected}));

  // Rewriting a PLU that has sales keeps them: the program never sends those bytes.
  Bytes old = PluBytes(5, 0x10);
  scale.SetPlu(5, old);
  Bytes update = PluBytes(5, 0x90);
  update.resize(kPluWriteSize);
  line.Exchange(0x01, 0x82, update, 3);
  ASSERT_TRUE(scale.WaitForExchanges(3, 2s));
  Bytes merged = update;
  merged.insert(merged.end(), old.begin() + kPluWriteSize, old.end());
  EXPECT_EQ(scale.Plu(5), merged);
  EXPECT_EQ(scale.Log().back().data, update);  // the write's bytes, byte for byte
}

TEST_F(ScaleTest, WrittenMessageIsFiledUnderItsNumberAndReadsBack) {
  Bytes block = Pattern(kMessageSize, 0x21);
  EXPECT_EQ(line.Exchange(0x01, 0x84, Concat({{0x05, 0x01}, block}), 3), (Bytes{0x01, 0x80, 0xAA}));
  ASSERT_TRUE(scale.WaitForExchanges(1, 2s));
  EXPECT_EQ(scale.MessageNumbers(), (std::vector<std::int32_t>{261}));
  EXPECT_EQ(line.Exchange(0x01, 0x83, {0x05, 0x01}, 403), Concat({{0x01, 0x80, 0xAA}, block}));
}

TEST_F(ScaleTest, ClearingTotalsRestartsTheCountersFromNowAndKeepsFreePlaces) {
  Bytes totals = Pattern(kTotalsSize, 0x11);
  scale.SetTotals(totals);
  EXPECT_EQ(line.Exchange(0x01, 0x85, {}, 43), Concat({{0x01, 0x80, 0xAA}, totals}));

  std::time_t before = std::time(nullptr);
  EXPECT_EQ(line.Exchange(0x01, 0x86, {}, 3), (Bytes{0x01, 0x80, 0xAA}));
  Bytes got = line.Exchange(0x01, 0x85, {}, 43);
  ASSERT_EQ(got.size(), 43u);
  Bytes after(got.begin() + 3, got.end());
  EXPECT_EQ(Bytes(after.begin(), after.begin() + 30), Bytes(30, 0));
  EXPECT_EQ(Bytes(after.begin() + 36, after.end()), Bytes(totals.begin() + 36, totals.end()));
  // Start date as packed BCD day, month, year of today (the day may turn over meanwhile).
  auto bcd = [](int v) { return static_cast<std::uint8_t>(v / 10 * 16 + v % 10); };
  std::tm tm{};
  localtime_r(&before, &tm);
  std::time_t now = std::time(nullptr);
  std::tm tm2{};
  localtime_r(&now, &tm2);
  Bytes date(after.begin() + 33, after.begin() + 36);
  EXPECT_TRUE(date == (Bytes{bcd(tm.tm_mday), bcd(tm.tm_mon + 1), bcd(tm.tm_year % 100)}) ||
              date == (Bytes{bcd(tm2.tm_mday), bcd(tm2.tm_mon + 1), bcd(tm2.tm_year % 100)}));
  for (int i = 30; i < 33; ++i) EXPECT_LT(after[i] & 0x0F, 10) << "not BCD at " << i;
}

TEST_F(ScaleTest, DisplayReplyCarriesTheSetValues) {
  Display d;
  d.flags = 0x44;
  d.weight = 1234;
  d.unitPrice = 12345;
  d.totalPrice = -2;
  d.pluNo = 70000;
  scale.SetDisplay(d);
  EXPECT_EQ(line.Exchange(0x01, 0x89, {}, 18),
            (Bytes{0x01, 0x80, 0xAA, 0x44, 0xD2, 0x04, 0x39, 0x30, 0x00, 0x00, 0xFE, 0xFF, 0xFF,
                   0xFF, 0x70, 0x11, 0x01, 0x00}));
}

TEST(ScaleData, MovingWeightClimbsAndFallsWithTotalPriceFollowing) {
  ScaleData data;
  Display d;
  d.flags = 0x85;  // negative and overloaded make no sense for a moving load
  d.unitPrice = 45990;
  d.pluNo = 3;
  data.SetDisplay(d);
  auto t0 = ScaleData::Clock::now();
  data.SetWeightMoving(true, t0);
  Display at1 = data.DisplayAt(t0 + std::chrono::seconds(1));
  EXPECT_EQ(at1.weight, 100);
  EXPECT_EQ(at1.totalPrice, 4599);
  EXPECT_EQ(at1.flags, 0x04);
  EXPECT_EQ(at1.pluNo, 3);
  EXPECT_EQ(data.DisplayAt(t0 + std::chrono::seconds(25)).weight, 2500);
  EXPECT_EQ(data.DisplayAt(t0 + std::chrono::seconds(30)).weight, 2000);
  EXPECT_EQ(data.DisplayAt(t0 + std::chrono::seconds(51)).weight, 100);
  // Switching motion on again while it runs does not restart it.
  data.SetWeightMoving(true, t0 + std::chrono::seconds(10));
  EXPECT_EQ(data.DisplayAt(t0 + std::chrono::seconds(1)).weight, 100);
  data.SetWeightMoving(false, t0);
  EXPECT_EQ(data.DisplayAt(t0 + std::chrono::seconds(1)), d);
}

TEST_F(ScaleTest, OtherAddressesAreIgnoredUntilTheAddressChanges) {
  line.Write({0x02});
  ASSERT_TRUE(scale.WaitForIgnoredBytes(1, 2s));
  EXPECT_TRUE(line.Extra().empty());
  EXPECT_EQ(scale.ExchangeCount(), 0u);

  scale.SetAddress(0x02);
  EXPECT_EQ(line.Exchange(0x02, 0x86, {}, 3), (Bytes{0x02, 0x80, 0xAA}));
  line.Write({0x01});
  ASSERT_TRUE(scale.WaitForIgnoredBytes(2, 2s));
  EXPECT_TRUE(line.Extra().empty());
}

TEST(VirtualScaleLink, KeepsASymbolicLinkToTheTerminalWhileRunning) {
  std::string path = ::testing::TempDir() + "qmsim-link-" + std::to_string(::getpid());
  ::unlink(path.c_str());
  {
    VirtualScale::Options o;
    o.linkPath = path;
    VirtualScale scale(o);
    char target[256] = {};
    ASSERT_GT(::readlink(path.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), scale.SlavePath());
    SlaveLine line(path, [&] { return scale.Quiet(); });
    EXPECT_EQ(line.Exchange(0x01, 0x86, {}, 3), (Bytes{0x01, 0x80, 0xAA}));
  }
  EXPECT_NE(::access(path.c_str(), F_OK), 0);
}


// The trace holds every frame in the order it went by, each a line in qmctl's trace format: a
// stray byte, then a PLU read, one frame per part; nothing once the trace has ended.
TEST_F(ScaleTest, TraceWritesEveryFrameInAndOutAsTimedHexLines) {
  const std::string path = ::testing::TempDir() + "qm-scale-sim-trace.txt";
  scale.TraceTo(path);
  Bytes rec = PluBytes(2, 0x40);
  scale.SetPlu(2, rec);
  line.Write({0x07});
  ASSERT_TRUE(scale.WaitForIgnoredBytes(1, 2s));
  line.Exchange(0x01, 0x81, {0x02, 0x00, 0x00, 0x00}, 103);
  ASSERT_TRUE(scale.WaitForExchanges(1, 2s));
  scale.TraceTo("");
  line.Exchange(0x01, 0x85, {}, 43);

  std::string reply = ">";
  for (std::uint8_t b : rec) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", b);
    reply += hex;
  }
  const std::vector<std::string> expected = {"< 07", "< 01",          "> 01", "> 80",
                                             "< 81", "< 02 00 00 00", "> AA", reply};
  std::ifstream file(path);
  std::vector<std::string> frames;
  const std::regex stamp(R"(\[ {0,5}\d+\.\d{3}\] )");
  for (std::string text; std::getline(file, text);) {
    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, stamp) && m.position(0) == 0) << text;
    frames.push_back(text.substr(static_cast<std::size_t>(m.length(0))));
  }
  EXPECT_EQ(frames, expected);
}

}  // namespace
}  // namespace qmsim::test
