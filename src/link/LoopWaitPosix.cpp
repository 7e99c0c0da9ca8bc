// The headless loop's sleep on Linux: ppoll() on an eventfd that Wake writes and on the port's
// arrival bell, with the deadline as its time-out.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "link/LoopWait.h"
#include "link/UiDispatcher.h"

namespace qm {

struct LoopWait::Impl {
  int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
};

LoopWait::LoopWait() : impl_(std::make_unique<Impl>()) {}

LoopWait::~LoopWait() {
  if (impl_->wake >= 0) ::close(impl_->wake);
}

void LoopWait::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(impl_->wake, &one, sizeof one);
}

LoopWait::Why LoopWait::Sleep(std::optional<Clock::time_point> deadline, ArrivalBell* bell) {
  pollfd fds[2] = {{impl_->wake, POLLIN, 0}, {bell ? bell->Descriptor() : -1, POLLIN, 0}};
  for (;;) {
    timespec limit{};
    timespec* timeout = nullptr;
    if (deadline) {
      const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(*deadline - Clock::now());
      if (left.count() <= 0) return Why::Deadline;
      limit.tv_sec = static_cast<std::time_t>(left.count() / 1000000000);
      limit.tv_nsec = static_cast<long>(left.count() % 1000000000);
      timeout = &limit;
    }
    const int n = ::ppoll(fds, bell ? 2 : 1, timeout, nullptr);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Why::Deadline;  // a failing poll must not turn into a spin either
    if (fds[0].revents) {
      std::uint64_t value;
      [[maybe_unused]] ssize_t got = ::read(impl_->wake, &value, sizeof value);
      return Why::Woken;
    }
    bell->Clear();
    return Why::Bell;
  }
}

}  // namespace qm
