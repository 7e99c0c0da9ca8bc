#include "support/SlaveLine.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace qmtest {

SlaveLine::SlaveLine(const std::string& path, std::function<bool()> farEndQuiet)
    : farEndQuiet_(std::move(farEndQuiet)) {
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios tio{};
  if (fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
  }
}

SlaveLine::~SlaveLine() {
  if (fd_ >= 0) ::close(fd_);
}

void SlaveLine::Write(const ByteString& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (w > 0) {
      done += static_cast<std::size_t>(w);
    } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
      return;  // hung up: the reads will tell
    } else {
      pollfd p{fd_, POLLOUT, 0};
      ::poll(&p, 1, 100);
    }
  }
}

bool SlaveLine::Take(ByteString& out, std::size_t n) {
  while (out.size() < n) {
    std::uint8_t buf[512];
    ssize_t r = ::read(fd_, buf, std::min(sizeof buf, n - out.size()));
    if (r > 0) {
      out.insert(out.end(), buf, buf + r);
    } else if (r < 0 && errno == EINTR) {
      continue;
    } else if (r < 0 && errno == EAGAIN) {
      return true;
    } else {
      return false;  // end of file or EIO: the master is gone
    }
  }
  return true;
}

ByteString SlaveLine::Read(std::size_t n, std::chrono::milliseconds patience) {
  ByteString out;
  hungUp_ = false;
  const auto end = std::chrono::steady_clock::now() + patience;
  while (out.size() < n) {
    // Looked at before taking: once the scale is quiet, all it sent is already in the queue, so
    // the take that follows empties the line for good.
    const bool quiet = farEndQuiet_();
    if (!Take(out, n)) {
      hungUp_ = true;
      break;
    }
    if (quiet || std::chrono::steady_clock::now() >= end) break;
    // Wakes at once for a byte; otherwise looks at the scale again shortly.
    pollfd p{fd_, POLLIN, 0};
    ::poll(&p, 1, 1);
  }
  return out;
}

ByteString SlaveLine::Available() {
  ByteString out;
  hungUp_ = !Take(out, kAll);
  return out;
}

ByteString SlaveLine::Exchange(std::uint8_t address, std::uint8_t command, const ByteString& data,
                               std::size_t expect) {
  Write({address});
  ByteString got = Read(2);
  if (got.size() < 2) return got;
  Write({command});
  if (!data.empty()) Write(data);
  ByteString rest = Read(expect - 2);
  got.insert(got.end(), rest.begin(), rest.end());
  return got;
}

ByteString Concat(std::initializer_list<ByteString> parts) {
  ByteString out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

ByteString Pattern(std::size_t n, std::uint8_t seed) {
  ByteString b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i);
  return b;
}

}  // namespace qmtest
