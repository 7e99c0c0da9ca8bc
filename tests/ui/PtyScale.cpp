#include "PtyScale.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>

namespace qmtest {

namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

PtyScale::PtyScale(std::uint8_t address) : address_(address) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[256] = {};
  if (master_ < 0 || ::grantpt(master_) < 0 || ::unlockpt(master_) < 0 ||
      ::ptsname_r(master_, name, sizeof name) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  path_ = name;
  terminal_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal_ < 0) throw std::runtime_error("cannot open " + path_);
  SetDisplay(0, 0, 0, 0, 0);
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

PtyScale::~PtyScale() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
  ::close(master_);
  ::close(terminal_);
}

void PtyScale::SetDisplay(std::uint8_t flags, std::uint16_t grams, std::int32_t price,
                          std::int32_t total, std::int32_t pluNo) {
  std::string reply(1, static_cast<char>(flags));
  PutLe(reply, grams, 2);
  PutLe(reply, static_cast<std::uint32_t>(price), 4);
  PutLe(reply, static_cast<std::uint32_t>(total), 4);
  PutLe(reply, static_cast<std::uint32_t>(pluNo), 4);
  std::lock_guard lock(mutex_);
  display_ = reply;
}

void PtyScale::Run(std::stop_token stop) {
  while (!stop.stop_requested()) {
    pollfd fd = {master_, POLLIN, 0};
    // A short poll so that the stop request is seen soon; this thread is the far end of the line.
    if (::poll(&fd, 1, 20) <= 0 || !(fd.revents & POLLIN)) continue;
    char buffer[64];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    for (ssize_t i = 0; i < n; ++i) Answer(static_cast<std::uint8_t>(buffer[i]));
  }
}

void PtyScale::Answer(std::uint8_t byte) {
  if (inCommand_) {
    inCommand_ = false;
    if (silent_) return;
    if (byte == 0x89) {
      std::string reply(1, static_cast<char>(0xAA));
      {
        std::lock_guard lock(mutex_);
        reply += display_;
      }
      Send(reply);
      ++polls_;
    } else {
      Send(std::string(1, static_cast<char>(0xEE)));
    }
    return;
  }
  if (byte != address_) return;
  ++addressBytes_;
  if (silent_) return;
  if (busy_) {
    Send(std::string(1, static_cast<char>(address_)));
    return;
  }
  Send(std::string{static_cast<char>(address_), static_cast<char>(0x80)});
  inCommand_ = true;
}

void PtyScale::Send(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace qmtest
