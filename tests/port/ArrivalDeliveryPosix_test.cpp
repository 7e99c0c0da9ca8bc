// A port whose dispatcher is a headless loop: the loop hears the port's bell and runs the receive
// handlers itself, and the port answers its reads from what it took ahead. What must hold: the
// handlers see what the event thread's hand-off gave them, and no byte is lost, reordered or
// missed after the port opens again. The marks and the order hold on a network line too, whose
// bell its reader thread rings (the terminal reached through ser2net).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "port/ComPort.h"
#include "port/HeadlessLoop.h"
#include "support/PtyPair.h"
#include "support/Ser2net.h"

namespace {

using namespace std::chrono_literals;
using qm::TComPort;
using qm::TEvent;
using qm::TSyncMethod;
using qmtest::PtyPair;

class ArrivalDelivery : public ::testing::Test {
 protected:
  ArrivalDelivery() {
    port.SetDeviceResolver([this](qm::TPortType) { return pty.Path(); });
    port.SetDispatcher(&loop.Dispatcher());
    port.SetSyncMethod(TSyncMethod::smWindow);
    port.OnRxChar = [this](TComPort&, std::int32_t inQue) {
      inQues.push_back(inQue);
      threads.push_back(std::this_thread::get_id());
    };
    loop.StartTimer();  // a round ends at least every tick, so a missed ring cannot hang a test
  }
  ~ArrivalDelivery() override { port.Close(); }

  // Runs the loop until `done` holds; false after five seconds.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto giveUp = std::chrono::steady_clock::now() + 5s;
    while (!done()) {
      if (std::chrono::steady_clock::now() > giveUp) return false;
      loop.ProcessPendingEvents();
    }
    return true;
  }
  void PumpFor(std::chrono::milliseconds period) {
    const auto end = std::chrono::steady_clock::now() + period;
    PumpUntil([&] { return std::chrono::steady_clock::now() >= end; });
  }
  std::string ReadAll(std::uint32_t count) {
    std::string buffer;
    const std::int32_t got = port.Read(buffer, count, true);
    return buffer.substr(0, got < 0 ? 0 : static_cast<std::size_t>(got));
  }

  PtyPair pty;
  qm::HeadlessLoop loop;
  TComPort port;
  std::vector<std::int32_t> inQues;
  std::vector<std::thread::id> threads;
};

TEST_F(ArrivalDelivery, OnRxChar_RunsOnTheLoopOncePerArrival_AlsoAfterThePortOpensAgain) {
  for (int opening = 0; opening < 3; ++opening) {
    SCOPED_TRACE(opening);
    inQues.clear();
    port.Open();
    pty.Send("ab");
    ASSERT_TRUE(PumpUntil([&] { return inQues.size() == 1; }));
    EXPECT_EQ(inQues[0], 2);
    EXPECT_EQ(threads.back(), std::this_thread::get_id());
    EXPECT_EQ(ReadAll(2), "ab");
    pty.Send("c");
    ASSERT_TRUE(PumpUntil([&] { return inQues.size() == 2; }));
    EXPECT_EQ(inQues[1], 1);
    PumpFor(300ms);  // "c" waits unread: it rang once
    EXPECT_EQ(inQues.size(), 2u);
    EXPECT_EQ(port.InputCount(), 1u);
    port.Close();
  }
  EXPECT_EQ(loop.Count().handOffs, 0u);  // the event thread handed nothing over
}

// The terminal itself, or raw TCP through ser2net in front of it.
class ArrivalDeliveryOnLines : public ArrivalDelivery, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    if (!GetParam()) return;
    if (const std::string missing = qmtest::Ser2net::MissingReason(); !missing.empty()) {
      GTEST_SKIP() << missing;
    }
    server = std::make_unique<qmtest::Ser2net>(pty.Path());
    port.SetDeviceResolver([this](qm::TPortType) { return server->RawUrl(); });
  }
  void TearDown() override { port.Close(); }  // before the server goes

  std::unique_ptr<qmtest::Ser2net> server;
};

INSTANTIATE_TEST_SUITE_P(TerminalAndTcp, ArrivalDeliveryOnLines, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "tcp" : "terminal"; });

TEST_P(ArrivalDeliveryOnLines, Rx80Full_ComesOnceAtTheMarkAndAgainOnlyAfterTheQueueFellBelowIt) {
  port.SetEvents({TEvent::evRxChar, TEvent::evRx80Full});
  port.SetReadBufSize(10);  // the mark is 8 bytes
  int full = 0;
  port.OnRx80Full = [&](TComPort&) { ++full; };
  port.Open();
  pty.Send("1234567");
  ASSERT_TRUE(PumpUntil([&] { return !inQues.empty() && inQues.back() == 7; }));
  EXPECT_EQ(full, 0);
  pty.Send("8");
  ASSERT_TRUE(PumpUntil([&] { return full == 1; }));
  pty.Send("9");
  ASSERT_TRUE(PumpUntil([&] { return inQues.back() == 9; }));
  EXPECT_EQ(full, 1);  // still above the mark
  EXPECT_EQ(ReadAll(9), "123456789");
  pty.Send("abcdefgh");
  ASSERT_TRUE(PumpUntil([&] { return full == 2; }));
  EXPECT_EQ(loop.Count().handOffs, 0u);  // the loop delivered them all
}

TEST_P(ArrivalDeliveryOnLines, BytesTakenAheadAndBytesStillInTheDriverAreReadInOrder) {
  port.SetReadBufSize(16);  // the port takes at most 16 bytes ahead of the reads
  port.Open();
  for (std::size_t size : {1u, 15u, 16u, 17u, 600u}) {
    SCOPED_TRACE(size);
    std::string sent;
    for (std::size_t i = 0; i < size; ++i) sent += static_cast<char>('A' + (i * 7 + size) % 26);
    pty.Send(sent);
    ASSERT_TRUE(PumpUntil([&] { return port.InputCount() == size; })) << port.InputCount();
    const std::uint32_t first = static_cast<std::uint32_t>(size / 3);
    std::string got = ReadAll(first);
    EXPECT_EQ(port.InputCount(), size - first);
    got += ReadAll(static_cast<std::uint32_t>(size - first));
    EXPECT_EQ(got, sent);
    EXPECT_EQ(port.InputCount(), 0u);
  }
}

}  // namespace
