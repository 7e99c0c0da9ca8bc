// The headless loop's sleep on Windows: WaitForMultipleObjects on an event that Wake sets and
// on the port's arrival bell (its WaitHandle), with the deadline as the time-out. A ring that
// brought nothing new (wine repeats the receive event while bytes wait unread) puts the bell
// aside for a short pause, so that the wait does not spin on it.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>

#include "port/LoopWait.h"
#include "port/UiDispatcher.h"

namespace qm {

namespace {

constexpr auto kQuietRingPause = std::chrono::milliseconds(10);

// Milliseconds until `until`, rounded up so that the wait does not end before it; INFINITE for
// no limit.
DWORD MillisecondsUntil(std::optional<LoopWait::Clock::time_point> until) {
  if (!until) return INFINITE;
  const auto left = *until - LoopWait::Clock::now();
  if (left <= LoopWait::Clock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<DWORD>(std::min<long long>(ms, INFINITE - 1));
}

}  // namespace

struct LoopWait::Impl {
  HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // auto-reset: a wake is taken once
  std::optional<Clock::time_point> bellAsideUntil;
};

LoopWait::LoopWait() : impl_(std::make_unique<Impl>()) {}

LoopWait::~LoopWait() {
  if (impl_->wake) CloseHandle(impl_->wake);
}

void LoopWait::Wake() { SetEvent(impl_->wake); }

void LoopWait::BellChanged() { impl_->bellAsideUntil.reset(); }

LoopWait::Why LoopWait::Sleep(std::optional<Clock::time_point> deadline, ArrivalBell* bell) {
  for (;;) {
    if (impl_->bellAsideUntil && Clock::now() >= *impl_->bellAsideUntil) {
      impl_->bellAsideUntil.reset();
    }
    HANDLE handles[2] = {impl_->wake, nullptr};
    DWORD count = 1;
    std::optional<Clock::time_point> until = deadline;
    if (bell != nullptr && bell->WaitHandle() != nullptr) {
      if (impl_->bellAsideUntil) {
        until = until ? std::min(*until, *impl_->bellAsideUntil) : *impl_->bellAsideUntil;
      } else {
        handles[count++] = static_cast<HANDLE>(bell->WaitHandle());
      }
    }
    const DWORD which = WaitForMultipleObjects(count, handles, FALSE, MillisecondsUntil(until));
    if (which == WAIT_OBJECT_0) return Why::Woken;
    if (which == WAIT_OBJECT_0 + 1) {
      if (bell->TakeHandleRing()) return Why::Bell;
      impl_->bellAsideUntil = Clock::now() + kQuietRingPause;
      if (deadline && Clock::now() >= *deadline) return Why::Deadline;
      continue;
    }
    if (which == WAIT_TIMEOUT) {
      if (deadline && Clock::now() >= *deadline) return Why::Deadline;
      continue;  // the pause ended, or the wait came back a little early
    }
    return Why::Deadline;  // a failing wait must not turn into a spin either
  }
}

}  // namespace qm
