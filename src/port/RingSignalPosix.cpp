#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "port/RingSignal.h"

namespace qm {

RingSignal::RingSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

RingSignal::~RingSignal() {
  if (fd_ >= 0) ::close(fd_);
}

void RingSignal::Raise() {
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
}

void RingSignal::Lower() {
  std::uint64_t value;
  [[maybe_unused]] ssize_t n = ::read(fd_, &value, sizeof value);
}

int RingSignal::Descriptor() const { return fd_; }

void* RingSignal::Handle() const { return nullptr; }

}  // namespace qm
