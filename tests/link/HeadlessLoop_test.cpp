// The headless event loop: what wakes it, what runs on its thread, nesting and errors.
#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <thread>

#include "link/HeadlessLoop.h"

namespace {

using namespace std::chrono_literals;
using qm::HeadlessLoop;

// A port's arrival bell the test rings by hand.
class HandBell : public qm::ArrivalBell {
 public:
  HandBell() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~HandBell() override { ::close(fd_); }
  int Descriptor() const override { return fd_; }
  void Clear() override {
    std::uint64_t n;
    EXPECT_EQ(::read(fd_, &n, sizeof n), static_cast<ssize_t>(sizeof n));
  }
  void Ring() {
    const std::uint64_t one = 1;
    EXPECT_EQ(::write(fd_, &one, sizeof one), static_cast<ssize_t>(sizeof one));
  }

 private:
  int fd_;
};

TEST(LoopWait, EachWakeOrRingEndsOneSleepOnly) {
  using Why = qm::LoopWait::Why;
  struct Case {
    int wakes, rings;
    Why first;
  } cases[] = {{0, 0, Why::Deadline}, {1, 0, Why::Woken}, {2, 0, Why::Woken},
               {0, 1, Why::Bell},     {0, 2, Why::Bell},  {1, 1, Why::Woken}};
  for (const Case& c : cases) {
    qm::LoopWait wait;
    HandBell bell;
    for (int i = 0; i < c.wakes; ++i) wait.Wake();
    for (int i = 0; i < c.rings; ++i) bell.Ring();
    auto soon = [] { return qm::LoopWait::Clock::now() + 1ms; };
    EXPECT_EQ(wait.Sleep(soon(), &bell), c.first) << c.wakes << c.rings;
    if (c.wakes > 0 && c.rings > 0) EXPECT_EQ(wait.Sleep(soon(), &bell), Why::Bell);
    EXPECT_EQ(wait.Sleep(soon(), &bell), Why::Deadline) << c.wakes << c.rings;  // no spin
  }
}

TEST(HeadlessLoop, ThePortsBellEndsAWaitWithoutRunningAnything) {
  HeadlessLoop loop;  // timer stopped: only another thread can end the wait
  HandBell bell;
  loop.Dispatcher().SetArrivalBell(&bell);
  std::jthread ringer([&] { bell.Ring(); });
  loop.ProcessPendingEvents();
  const HeadlessLoop::Counters count = loop.Count();
  EXPECT_EQ(count.rings, 1u);
  EXPECT_EQ(count.rounds, 1u);
  EXPECT_EQ(count.handOffs + count.posted + count.ticks, 0u);
  loop.Dispatcher().SetArrivalBell(nullptr);
}

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
  loop.SetErrorHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& x) {
      reported.push_back(x.what());
    }
  });
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
