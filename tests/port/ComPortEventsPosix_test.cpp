// The event thread of TComPort: which events reach the handlers, how often, on which thread, and
// that closing never waits forever on a hand-off to the UI thread.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "port/ComPort.h"
#include "port/UiDispatcher.h"
#include "support/PtyPair.h"

namespace {

using namespace std::chrono_literals;
using qm::TComPort;
using qm::TEvent;
using qm::TSyncMethod;
using qmtest::PtyPair;
using qmtest::WaitUntil;

// A stretch with no activity, long enough for a wrongly repeating event thread to show itself.
constexpr auto kQuietPeriod = 300ms;

int ThreadCount() {
  int n = 0;
  for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++n;
  return n;
}

class ComPortEvents : public ::testing::Test {
 protected:
  ComPortEvents() {
    port.SetDeviceResolver([this](qm::TPortType) { return pty.Path(); });
    port.SetDispatcher(&ui);
    port.OnRxChar = [this](TComPort&, std::int32_t inQue) {
      std::lock_guard lock(mutex);
      inQues.push_back(inQue);
      threads.push_back(std::this_thread::get_id());
    };
  }
  std::size_t RxCalls() {
    std::lock_guard lock(mutex);
    return inQues.size();
  }
  std::int32_t LastInQue() {
    std::lock_guard lock(mutex);
    return inQues.empty() ? -1 : inQues.back();
  }
  // Plays the UI thread: runs the hand-offs until `condition` holds.
  bool PumpUntil(const std::function<bool()>& condition) {
    return WaitUntil([&] {
      ui.RunPending();
      return condition();
    });
  }

  PtyPair pty;
  qm::QueuedDispatcher ui;
  TComPort port;
  std::mutex mutex;
  std::vector<std::int32_t> inQues;
  std::vector<std::thread::id> threads;
};

TEST_F(ComPortEvents, EmptyEventsStartNoThreadAndCallNoHandler) {
  port.SetEvents({});
  port.SetDispatcher(nullptr);  // nothing to hand over, so none is needed
  int others = 0;
  port.OnTxEmpty = port.OnRx80Full = [&](TComPort&) { ++others; };
  const int before = ThreadCount();
  port.Open();
  EXPECT_EQ(ThreadCount(), before);
  pty.Send("abc");
  port.Write("x", true);
  std::this_thread::sleep_for(kQuietPeriod);
  EXPECT_EQ(RxCalls(), 0u);
  EXPECT_EQ(others, 0);
  port.Close();
}

TEST_F(ComPortEvents, SyncMethodsThatHandOverNeedADispatcher) {
  port.SetDispatcher(nullptr);
  EXPECT_THROW(port.Open(), std::logic_error);
  EXPECT_FALSE(port.Connected());
}

TEST_F(ComPortEvents, RxCharComesOncePerArrivalNotWhileBytesWaitUnread) {
  port.SetSyncMethod(TSyncMethod::smNone);
  port.Open();
  pty.Send("abc");
  ASSERT_TRUE(WaitUntil([&] { return RxCalls() == 1; }));
  EXPECT_EQ(LastInQue(), 3);
  std::this_thread::sleep_for(kQuietPeriod);  // the three bytes stay unread
  EXPECT_EQ(RxCalls(), 1u);

  pty.Send("de");  // a new arrival on top of the unread bytes
  ASSERT_TRUE(WaitUntil([&] { return RxCalls() == 2; }));
  EXPECT_EQ(LastInQue(), 5);
  std::this_thread::sleep_for(kQuietPeriod);
  EXPECT_EQ(RxCalls(), 2u);

  std::string buffer;
  EXPECT_EQ(port.Read(buffer, 5, true), 5);
  pty.Send("f");
  ASSERT_TRUE(WaitUntil([&] { return RxCalls() == 3; }));
  EXPECT_EQ(LastInQue(), 1);
  EXPECT_NE(threads.back(), std::this_thread::get_id());  // smNone: on the event thread
}

TEST_F(ComPortEvents, SynchronizeRunsHandlersOnTheUiThreadWithTheQueueAtCallTime) {
  port.Open();  // smSynchronize is the default
  pty.Send("abc");
  ASSERT_TRUE(ui.WaitForPending(5s));
  // More bytes come while the hand-off waits; the handler sees the queue as it is when it runs.
  pty.Send("defg");
  ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 7; }));
  EXPECT_EQ(RxCalls(), 0u);  // nothing runs before the UI thread takes it
  ui.RunPending();
  ASSERT_GE(RxCalls(), 1u);
  EXPECT_EQ(inQues.front(), 7);
  EXPECT_EQ(threads.front(), std::this_thread::get_id());
}

TEST_F(ComPortEvents, WindowMethodHandsOverEachEventOnItsOwn) {
  port.SetSyncMethod(TSyncMethod::smWindow);
  port.SetEvents({TEvent::evRxChar, TEvent::evTxEmpty});
  std::vector<std::thread::id> txThreads;
  port.OnTxEmpty = [&](TComPort&) { txThreads.push_back(std::this_thread::get_id()); };
  port.Open();
  port.Write("ping", true);
  ASSERT_TRUE(PumpUntil([&] { return !txThreads.empty(); }));
  EXPECT_EQ(txThreads.front(), std::this_thread::get_id());
  EXPECT_EQ(pty.Receive(16, 5s), "ping");

  pty.Send("pong");
  ASSERT_TRUE(PumpUntil([&] { return RxCalls() == 1; }));
  EXPECT_EQ(LastInQue(), 4);
  EXPECT_EQ(threads.back(), std::this_thread::get_id());
  std::this_thread::sleep_for(kQuietPeriod);
  EXPECT_EQ(ui.RunPending(), 0u);  // no further hand-off while "pong" waits unread
  EXPECT_EQ(txThreads.size(), 1u);
}

TEST_F(ComPortEvents, EventsWithoutAHandlerAreNotHandedOver) {
  port.SetSyncMethod(TSyncMethod::smWindow);  // all ten events watched, only RxChar handled
  port.Open();
  port.Write("ping", true);
  EXPECT_EQ(pty.Receive(16, 5s), "ping");
  pty.Send("pong");
  std::size_t handOffs = 0;
  ASSERT_TRUE(WaitUntil([&] {
    handOffs += ui.RunPending();
    return RxCalls() == 1;
  }));
  EXPECT_EQ(handOffs, 1u);  // TxEmpty after the write had nobody to run

  // A handler assigned while the port is open hears of the next write.
  std::atomic<int> txEmpty{0};
  port.OnTxEmpty = [&](TComPort&) { ++txEmpty; };
  port.Write("x", true);
  ASSERT_TRUE(PumpUntil([&] { return txEmpty == 1; }));
}

TEST_F(ComPortEvents, TheArrivalBellRingsOncePerArrivalWhileThePortIsOpen) {
  port.SetSyncMethod(TSyncMethod::smWindow);
  EXPECT_EQ(ui.Bell(), nullptr);
  port.Open();
  qm::ArrivalBell* bell = ui.Bell();
  ASSERT_NE(bell, nullptr);
  auto rang = [&](int patienceMs) {
    pollfd p{bell->Descriptor(), POLLIN, 0};
    return ::poll(&p, 1, patienceMs) == 1;
  };
  EXPECT_FALSE(rang(0));
  pty.Send("ab");
  ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 2; }));
  EXPECT_TRUE(rang(0));
  bell->Clear();
  EXPECT_FALSE(rang(0));  // the bytes still wait unread; they rang once
  pty.Send("c");
  EXPECT_TRUE(rang(5000));
  port.Close();
  EXPECT_EQ(ui.Bell(), nullptr);
}

// The bell's descriptor is made when a waiter first asks for it; bytes that came before must
// still ring it, or a window that starts listening late would wait for the next arrival.
TEST_F(ComPortEvents, TheArrivalBellAskedForLateRingsForBytesAlreadyWaiting) {
  port.SetSyncMethod(TSyncMethod::smWindow);
  port.Open();
  pty.Send("ab");
  ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 2; }));
  pollfd p{ui.Bell()->Descriptor(), POLLIN, 0};
  EXPECT_EQ(::poll(&p, 1, 0), 1);
  port.Close();
}

TEST_F(ComPortEvents, Rx80FullComesWhenTheQueueReachesEightyPercent) {
  port.SetSyncMethod(TSyncMethod::smNone);
  port.SetEvents({TEvent::evRx80Full});
  port.SetReadBufSize(10);  // the mark is 8 bytes
  std::atomic<int> full{0};
  port.OnRx80Full = [&](TComPort&) { ++full; };
  port.Open();
  pty.Send("12345");
  ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 5; }));
  pty.Send("678");
  ASSERT_TRUE(WaitUntil([&] { return full == 1; }));
  pty.Send("9");
  std::this_thread::sleep_for(kQuietPeriod);
  EXPECT_EQ(full, 1);  // still above the mark: not again
  std::string buffer;
  port.Read(buffer, 9, true);
  pty.Send("abcdefgh");
  ASSERT_TRUE(WaitUntil([&] { return full == 2; }));
  EXPECT_EQ(RxCalls(), 0u);  // RxChar was not asked for
}

TEST_F(ComPortEvents, CloseNeverDeadlocksOnAHandOffTheUiThreadDidNotTake) {
  for (int i = 0; i < 200; ++i) {
    SCOPED_TRACE(i);
    port.SetSyncMethod(i % 2 ? TSyncMethod::smWindow : TSyncMethod::smSynchronize);
    port.Open();
    pty.Send("z");
    ASSERT_TRUE(ui.WaitForPending(5s));
    port.Close();  // the event thread is blocked in the hand-off; it must give way
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(ui.QueuedCount(), 0u);
    EXPECT_EQ(ui.RunPending(), 0u);
  }
  EXPECT_EQ(RxCalls(), 0u);  // withdrawn hand-offs never ran
}

TEST_F(ComPortEvents, CloseWhileBytesArriveAndHandOffsAreServed) {
  // The far end keeps sending while the UI thread serves hand-offs and opens and closes the port.
  std::atomic<bool> sending{true};
  std::thread farEnd([&] {
    while (sending) {
      pty.Send("q");
      std::this_thread::sleep_for(1ms);
    }
  });
  for (int i = 0; i < 50; ++i) {
    port.Open();
    ui.WaitForPending(50ms);
    ui.RunPending();
    port.Close();
  }
  sending = false;
  farEnd.join();
  EXPECT_FALSE(port.Connected());
  EXPECT_GT(RxCalls(), 0u);
}

}  // namespace
