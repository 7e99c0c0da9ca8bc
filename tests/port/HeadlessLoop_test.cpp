// The headless event loop: what wakes it, what runs on its thread, nesting and errors.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <thread>

#include "port/HeadlessLoop.h"
#include "support/ErrorTexts.h"

namespace {

using namespace std::chrono_literals;
using qm::HeadlessLoop;

TEST(HeadlessLoop, WithOnlyTheTimerEveryRoundWaitsForATick) {
  HeadlessLoop loop(5ms);
  int ticks = 0;
  loop.SetTickHandler([&] { ++ticks; });
  loop.StartTimer();
  for (int i = 0; i < 4; ++i) loop.ProcessPendingEvents();
  // A round that returned without a due tick would be a spin.
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(loop.Count().ticks, 4u);
  EXPECT_EQ(loop.Count().rounds, 4u);

  loop.StopTimer();
  loop.Post([] {});
  loop.ProcessPendingEvents();
  EXPECT_EQ(ticks, 4);
}

TEST(HeadlessLoop, PostsAndPortHandOffsFromOtherThreadsWakeItAndRunOnItsThread) {
  HeadlessLoop loop;  // timer stopped: only the other threads can wake it
  const std::thread::id loopThread = std::this_thread::get_id();
  std::atomic<bool> ranOnLoop{false};
  bool handedOff = false;

  std::jthread worker([&](std::stop_token stop) {
    handedOff = loop.Dispatcher().RunAndWait(
        [&] { ranOnLoop = std::this_thread::get_id() == loopThread; }, stop);
    loop.Post([] {});
  });
  loop.RunUntil([&] { return loop.Count().posted == 1; });
  worker.join();
  EXPECT_TRUE(handedOff);
  EXPECT_TRUE(ranOnLoop);
  EXPECT_EQ(loop.Count().handOffs, 1u);
}

TEST(HeadlessLoop, ATickHandlerThatWaitsInsideTheLoopKeepsGettingTicks) {
  HeadlessLoop loop(2ms);
  int depth = 0, nestedTicks = 0, outerTicks = 0;
  loop.SetTickHandler([&] {
    if (depth > 0) {
      ++nestedTicks;
      return;
    }
    ++outerTicks;
    ++depth;
    while (nestedTicks < 3) loop.ProcessPendingEvents();
    --depth;
  });
  loop.StartTimer();
  loop.ProcessPendingEvents();
  EXPECT_EQ(outerTicks, 1);
  EXPECT_EQ(nestedTicks, 3);
}

TEST(HeadlessLoop, PostedCallsRunOnceInOrderAlsoWhenOneOfThemWaitsInsideTheLoop) {
  HeadlessLoop loop;
  std::string order;
  loop.Post([&] {
    order += 'a';
    loop.ProcessPendingEvents();  // runs b and c inside, as a window system would
    order += 'A';
  });
  loop.Post([&] { order += 'b'; });
  loop.Post([&] { order += 'c'; });
  loop.RunUntil([&] { return order.size() == 4; });
  EXPECT_EQ(order, "abcA");  // each once, in the order posted
}

TEST(HeadlessLoop, HandlerErrorsGoToTheErrorHandlerOrToTheCaller) {
  HeadlessLoop loop;
  loop.Post([] { throw std::runtime_error("first"); });
  EXPECT_THROW(loop.ProcessPendingEvents(), std::runtime_error);

  std::vector<std::string> reported;
  loop.SetErrorHandler(qmtest::KeepErrorTexts(reported));
  bool after = false;
  loop.Post([] { throw std::runtime_error("second"); });
  loop.Post([&] { after = true; });
  loop.ProcessPendingEvents();
  EXPECT_EQ(reported, std::vector<std::string>{"second"});
  EXPECT_TRUE(after);
}

TEST(HeadlessLoop, AFailedHandOffDoesNotStrandTheOnesQueuedBehindIt) {
  HeadlessLoop loop;
  std::atomic<int> released{0};
  bool secondRan = false;
  std::jthread first([&](std::stop_token stop) {
    loop.Dispatcher().RunAndWait([] { throw std::runtime_error("handler"); }, stop);
    ++released;
  });
  // Both hand-offs are queued before the loop looks.
  while (static_cast<qm::QueuedDispatcher&>(loop.Dispatcher()).QueuedCount() < 1)
    std::this_thread::yield();
  std::jthread second([&](std::stop_token stop) {
    loop.Dispatcher().RunAndWait([&] { secondRan = true; }, stop);
    ++released;
  });
  while (static_cast<qm::QueuedDispatcher&>(loop.Dispatcher()).QueuedCount() < 2)
    std::this_thread::yield();
  EXPECT_THROW(loop.ProcessPendingEvents(), std::runtime_error);
  loop.ProcessPendingEvents();  // must not block: the second hand-off is still due
  first.join();
  second.join();
  EXPECT_TRUE(secondRan);
  EXPECT_EQ(released, 2);
}

TEST(VirtualTicks, ATickFallsDueWhenIdleAndSettledForAMomentOrAtTheBackstop) {
  using Clock = qm::TickSource::Clock;
  // Two looks: at the start and `later`; the second one decides.
  struct Case {
    bool idle, settled;
    std::chrono::milliseconds later;
    bool due;
  } cases[] = {{true, true, 3ms, true},    // settled since the first look
               {true, true, 1ms, false},   // settled only for a moment
               {true, false, 3ms, false},  // the far end still busy
               {false, true, 3ms, false},  // events waiting
               {false, false, 100ms, true},
               {true, false, 100ms, true}};
  for (const Case& c : cases) {
    qm::VirtualTicks ticks([&] { return c.settled; }, 100ms);
    const Clock::time_point start = Clock::now();
    ticks.Restart(start);
    EXPECT_FALSE(ticks.TakeTick(start, c.idle));
    EXPECT_EQ(ticks.TakeTick(start + c.later, c.idle), c.due)
        << c.idle << c.settled << c.later.count();
  }
}

TEST(HeadlessLoop, OnVirtualTimeTicksComeAtOnceWhenSettledAndNeverBeforeQueuedEvents) {
  bool settled = true;
  qm::VirtualTicks ticks([&] { return settled; }, 10s);
  HeadlessLoop loop(ticks);
  std::string order;
  loop.SetTickHandler([&] { order += 't'; });
  loop.StartTimer();
  for (int i = 0; i < 3; ++i) loop.ProcessPendingEvents();  // 10 s each on real time
  loop.Post([&] { order += 'p'; });
  loop.ProcessPendingEvents();
  loop.ProcessPendingEvents();
  EXPECT_EQ(order, "tttpt");

  // Unsettled, the loop waits for the far end; a post still wakes it.
  settled = false;
  std::jthread poster([&] {
    std::this_thread::sleep_for(20ms);
    loop.Post([&] { order += 'p'; });
  });
  loop.ProcessPendingEvents();
  EXPECT_EQ(order, "tttptp");
}

}  // namespace
