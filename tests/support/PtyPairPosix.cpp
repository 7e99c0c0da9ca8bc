#include "support/PtyPair.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace qmtest {

PtyPair::PtyPair() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[256] = {};
  if (master_ < 0 || ::grantpt(master_) < 0 || ::unlockpt(master_) < 0 ||
      ::ptsname_r(master_, name, sizeof name) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  path_ = name;
  // Kept open so that the line never hangs up between the port's opens.
  terminal_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal_ < 0) throw std::runtime_error("cannot open " + path_);
}

PtyPair::~PtyPair() {
  HangUp();
  ::close(terminal_);
}

void PtyPair::HangUp() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

void PtyPair::Send(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n < 0) throw std::runtime_error("pty write failed");
    done += static_cast<std::size_t>(n);
  }
  lastSend_ = std::chrono::steady_clock::now();
}

std::string PtyPair::Receive(std::size_t max, std::chrono::milliseconds patience) {
  pollfd fd = {master_, POLLIN, 0};
  if (::poll(&fd, 1, static_cast<int>(patience.count())) <= 0) return {};
  std::string out(max, '\0');
  ssize_t n = ::read(master_, out.data(), max);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}

bool PtyPair::Settled() const {
  // What the port sent only has to land at the master; nobody is waiting to read it.
  pollfd toMaster = {master_, POLLIN, 0};
  ::poll(&toMaster, 1, 0);
  return LineSettled(-1, terminal_, lastSend_);
}

bool LineSettled(int farEnd, int terminal, std::chrono::steady_clock::time_point lastWrite) {
  // How long bytes may take through the kernel to a queue that already holds bytes. Generous:
  // the hand-over usually takes microseconds.
  constexpr std::chrono::milliseconds kLandingTime{20};
  // poll() on a pty end first finishes the kernel's pending hand-over of bytes to that end, but
  // only when that end's queue is empty.
  pollfd fds[2] = {{farEnd, POLLIN, 0}, {terminal, POLLIN, 0}};
  if (::poll(fds, 2, 0) < 0 || (fds[0].revents & POLLIN)) return false;
  return !(fds[1].revents & POLLIN) || std::chrono::steady_clock::now() - lastWrite >= kLandingTime;
}

DriverLine ReadDriverLine(int fd) {
  termios2 t{};
  if (::ioctl(fd, TCGETS2, &t) < 0) throw std::runtime_error("TCGETS2 failed");
  return {t.c_cflag, t.c_iflag, t.c_lflag, t.c_oflag, t.c_ospeed};
}

const std::uint32_t TermFlags::kCsize = CSIZE, TermFlags::kParenb = PARENB,
                    TermFlags::kParodd = PARODD, TermFlags::kCmspar = CMSPAR,
                    TermFlags::kCstopb = CSTOPB, TermFlags::kCrtscts = CRTSCTS,
                    TermFlags::kInpck = INPCK, TermFlags::kIxon = IXON, TermFlags::kIxoff = IXOFF,
                    TermFlags::kEcho = ECHO, TermFlags::kIcanon = ICANON, TermFlags::kOpost = OPOST;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds patience) {
  auto end = std::chrono::steady_clock::now() + patience;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace qmtest
