// The terminal as the bare reference clients use it, without the rest of the benchmarks'
// support (bench/minimal_client links nothing of the program).
#pragma once

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace bench {

// The terminal at `path` in raw mode, a blocking read returning once at least one byte came;
// `nonBlocking` opens it for waits on epoll instead. -1 when it cannot be opened.
inline int OpenRawTerminal(const char* path, bool nonBlocking = false) {
  const int fd = ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC | (nonBlocking ? O_NONBLOCK : 0));
  if (fd < 0) return -1;
  termios t{};
  ::tcgetattr(fd, &t);
  ::cfmakeraw(&t);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  ::tcsetattr(fd, TCSANOW, &t);
  return fd;
}

}  // namespace bench
