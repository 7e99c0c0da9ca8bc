// The program's end of the virtual scale's pty, driven with plain POSIX calls, so that the
// simulator is checked without the program's own serial port code.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "sim/ScaleData.h"

namespace qmsim::test {

class SlaveLine {
 public:
  explicit SlaveLine(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    if (fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
      cfmakeraw(&tio);
      tcsetattr(fd_, TCSANOW, &tio);
    }
  }
  ~SlaveLine() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool IsOpen() const { return fd_ >= 0; }

  void Write(const Bytes& b) {
    std::size_t done = 0;
    while (done < b.size()) {
      ssize_t w = ::write(fd_, b.data() + done, b.size() - done);
      if (w > 0) {
        done += static_cast<std::size_t>(w);
      } else {
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 100);
      }
    }
  }

  // Up to n bytes; returns early with what came when the line stays quiet for `quiet` or
  // hangs up.
  Bytes Read(std::size_t n, std::chrono::milliseconds quiet = std::chrono::milliseconds(2000)) {
    Bytes out;
    hungUp_ = false;
    while (out.size() < n) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0) break;
      std::uint8_t buf[512];
      ssize_t r = ::read(fd_, buf, std::min(sizeof buf, n - out.size()));
      if (r > 0) {
        out.insert(out.end(), buf, buf + r);
      } else if (r == 0 || errno != EAGAIN) {
        hungUp_ = true;
        break;
      }
    }
    return out;
  }

  // Whatever arrives within `wait` (used to check that nothing more comes).
  Bytes Extra(std::chrono::milliseconds wait = std::chrono::milliseconds(150)) {
    return Read(100000, wait);
  }

  // True when the last Read ended on a hang-up of the other end.
  bool HungUp() const { return hungUp_; }

  // One exchange as the program makes it: address, then (after echo and status) command and
  // data in a second write. Returns everything that came back, reading `expect` bytes.
  Bytes Exchange(std::uint8_t address, std::uint8_t command, const Bytes& data,
                 std::size_t expect) {
    Write({address});
    Bytes got = Read(2);
    if (got.size() < 2) return got;
    Write({command});
    if (!data.empty()) Write(data);
    Bytes rest = Read(expect - 2);
    got.insert(got.end(), rest.begin(), rest.end());
    return got;
  }

 private:
  int fd_ = -1;
  bool hungUp_ = false;
};

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A record whose every byte tells its position, so a shifted or truncated copy shows.
inline Bytes Pattern(std::size_t n, std::uint8_t seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i);
  return b;
}

}  // namespace qmsim::test
