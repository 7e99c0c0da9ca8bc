// The headless loop's sleep on Linux: wakes from other threads and the port's arrival bell, each
// ending one sleep only.
#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <thread>

#include "port/HeadlessLoop.h"
#include "port/LoopWait.h"
#include "port/UiDispatcher.h"

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
    if (c.wakes > 0 && c.rings > 0) {
      EXPECT_EQ(wait.Sleep(soon(), &bell), Why::Bell);
    }
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

}  // namespace
