// The headless loop's sleep on Linux: epoll_wait on a set that holds an eventfd, which Wake
// writes, a timerfd for the deadline, and the port's arrival bell. Where the bell offers its
// device (Source), the device itself is in the set, edge-triggered, so that the wait that ends
// at an arrival has also taken its ring. The timer is set only when the deadline changes (once
// per tick of a steady timer), not for every wait: a wait with a time-out would arm and cancel
// a kernel timer each time, which costs more than the wait itself on a busy line.
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "port/LoopWait.h"
#include "port/UiDispatcher.h"

namespace qm {

namespace {

constexpr std::uint64_t kWakeTag = 0;
constexpr std::uint64_t kBellTag = 1;
constexpr std::uint64_t kTimerTag = 2;

// The steady clock is CLOCK_MONOTONIC; its time points go to the timerfd as they are.
static_assert(LoopWait::Clock::is_steady);
timespec AsTimespec(LoopWait::Clock::time_point t) {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
  timespec ts{};
  ts.tv_sec = static_cast<std::time_t>(ns / 1000000000);
  ts.tv_nsec = static_cast<long>(ns % 1000000000);
  return ts;
}

}  // namespace

struct LoopWait::Impl {
  int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  int epoll = ::epoll_create1(EPOLL_CLOEXEC);
  int timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  std::optional<Clock::time_point> armed;  // the deadline the timer is set to
  ArrivalBell* watched = nullptr;  // the bell in the set, or null
  int watchedFd = -1;
  bool watchedSource = false;  // the bell's device (edge-triggered), else its descriptor
  bool stale = true;           // the set must be brought up to date before the next wait

  Impl() {
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = kWakeTag;
    ::epoll_ctl(epoll, EPOLL_CTL_ADD, wake, &ev);
    ev.data.u64 = kTimerTag;
    ::epoll_ctl(epoll, EPOLL_CTL_ADD, timer, &ev);
  }

  // Sets the timer to `deadline` (none: off) unless it is set so already. Setting it also drops
  // an expiry of the old deadline that was not taken.
  void Arm(std::optional<Clock::time_point> deadline) {
    if (deadline == armed) return;
    itimerspec when{};
    if (deadline) {
      when.it_value = AsTimespec(*deadline);
      // Zero would turn the timer off: a deadline at the clock's origin has passed anyway.
      if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0) when.it_value.tv_nsec = 1;
    }
    ::timerfd_settime(timer, TFD_TIMER_ABSTIME, &when, nullptr);
    armed = deadline;
  }

  void Watch(ArrivalBell* bell) {
    if (!stale && bell == watched) return;
    // A descriptor closed since was dropped from the set by the kernel; then this fails, fine.
    if (watchedFd >= 0) ::epoll_ctl(epoll, EPOLL_CTL_DEL, watchedFd, nullptr);
    watched = bell;
    watchedFd = -1;
    stale = false;
    if (bell == nullptr) return;
    epoll_event ev{};
    ev.data.u64 = kBellTag;
    watchedSource = bell->Source() >= 0;
    if (watchedSource) {
      // Bytes already waiting make the first wait end at once: nothing that came is missed.
      ev.events = EPOLLIN | EPOLLET;
      watchedFd = bell->Source();
    } else {
      ev.events = EPOLLIN;
      watchedFd = bell->Descriptor();
    }
    if (::epoll_ctl(epoll, EPOLL_CTL_ADD, watchedFd, &ev) < 0) watchedFd = -1;
  }
};

LoopWait::LoopWait() : impl_(std::make_unique<Impl>()) {}

LoopWait::~LoopWait() {
  if (impl_->timer >= 0) ::close(impl_->timer);
  if (impl_->epoll >= 0) ::close(impl_->epoll);
  if (impl_->wake >= 0) ::close(impl_->wake);
}

void LoopWait::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(impl_->wake, &one, sizeof one);
}

void LoopWait::BellChanged() {
  impl_->stale = true;
}

LoopWait::Why LoopWait::Sleep(std::optional<Clock::time_point> deadline, ArrivalBell* bell) {
  impl_->Watch(bell);
  impl_->Arm(deadline);
  for (;;) {
    epoll_event events[3];
    const int n = ::epoll_wait(impl_->epoll, events, 3, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Why::Deadline;  // a failing wait must not turn into a spin either
    bool woken = false;
    bool rang = false;
    bool due = false;
    for (int i = 0; i < n; ++i) {
      const std::uint64_t tag = events[i].data.u64;
      (tag == kWakeTag ? woken : tag == kBellTag ? rang : due) = true;
    }
    // A ring taken by this wait (edge-triggered) must be answered now or it is gone; a wake
    // stays readable for the next Sleep. The bell's descriptor stays readable until Clear, so
    // there the wake goes first.
    if (rang && impl_->watchedSource) {
      impl_->watched->Heard();
      return Why::Bell;
    }
    if (woken) {
      std::uint64_t value;
      [[maybe_unused]] ssize_t got = ::read(impl_->wake, &value, sizeof value);
      return Why::Woken;
    }
    if (rang) {
      impl_->watched->Clear();
      return Why::Bell;
    }
    if (due) {
      // The deadline passed: the expiry is taken, and the timer is off until a deadline is set.
      std::uint64_t expiries;
      [[maybe_unused]] ssize_t got = ::read(impl_->timer, &expiries, sizeof expiries);
      impl_->armed.reset();
      return Why::Deadline;
    }
  }
}

}  // namespace qm
