// The headless loop's sleep: wakes from other threads and the port's arrival bell, each ending
// one sleep only, on Linux (the bell's descriptor) and on Windows (its event object).
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "port/HeadlessLoop.h"
#include "port/LoopWait.h"
#include "port/RingSignal.h"
#include "port/UiDispatcher.h"

namespace {

using namespace std::chrono_literals;
using qm::HeadlessLoop;

// A port's arrival bell the test rings by hand. A quiet bell's rings bring nothing new, as
// wine's repeated receive events do.
class HandBell : public qm::ArrivalBell {
 public:
  int Descriptor() const override { return signal_.Descriptor(); }
  void Clear() override { signal_.Lower(); }
  void* WaitHandle() const override { return signal_.Handle(); }
  bool TakeHandleRing() override {
    ++looks;
    if (quiet) return false;
    Clear();
    return true;
  }
  void Ring() { signal_.Raise(); }

  bool quiet = false;
  int looks = 0;

 private:
  qm::RingSignal signal_;
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
    if (c.wakes > 0 && c.rings > 0) {
      EXPECT_EQ(wait.Sleep(soon(), &bell), Why::Bell);
    }
    EXPECT_EQ(wait.Sleep(soon(), &bell), Why::Deadline) << c.wakes << c.rings;  // no spin
  }
}

#ifdef _WIN32
// A ring that brings nothing new stays signalled; the sleep must look at it now and then, not
// spin on it, and end at its deadline.
TEST(LoopWait, AQuietRingIsLookedAtAfterPausesAndTheSleepEndsAtItsDeadline) {
  qm::LoopWait wait;
  HandBell bell;
  bell.quiet = true;
  bell.Ring();
  EXPECT_EQ(wait.Sleep(qm::LoopWait::Clock::now() + 50ms, &bell), qm::LoopWait::Why::Deadline);
  EXPECT_GE(bell.looks, 1);
  EXPECT_LE(bell.looks, 10);  // one look per pause at most; a spin makes thousands
}
#endif

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

}  // namespace
