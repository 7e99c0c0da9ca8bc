// The smallest program that reads a scale's PLU records 1..N, for bench/process_ratio: the
// reference a whole qmctl run is set against, built the two ways a client can wait for the
// scale, with or without a second thread asleep beside it (as the port's event thread sleeps
// through a transfer):
//   minimal_client PATH RECORDS block|multiplexed [thread]
//   block        blocking reads on the terminal
//   multiplexed  a non-blocking terminal watched by epoll (edge-triggered), read when it says
//                bytes came: the way a program must wait whose thread also serves a timer and
//                other events
// Exit status 0 when every exchange went through; the caller times the process.
#include <sys/epoll.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "RawLine.h"

namespace {

class Line {
 public:
  Line(const char* path, bool multiplexed) : multiplexed_(multiplexed) {
    fd_ = bench::OpenRawTerminal(path, multiplexed);
    if (fd_ >= 0 && multiplexed) {
      epoll_ = ::epoll_create1(0);
      epoll_event e{};
      e.events = EPOLLIN | EPOLLET;
      ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd_, &e);
    }
  }
  ~Line() {
    if (epoll_ >= 0) ::close(epoll_);
    if (fd_ >= 0) ::close(fd_);
  }
  bool Open() const { return fd_ >= 0 && (!multiplexed_ || epoll_ >= 0); }

  // After a request nothing of its answer can be there yet: a multiplexed wait comes first.
  bool Send(const std::uint8_t* bytes, int n) {
    mayHoldBytes_ = false;
    return ::write(fd_, bytes, n) == n;
  }

  bool Take(std::uint8_t* into, int n) {
    int have = 0;
    while (have < n) {
      if (multiplexed_ && !mayHoldBytes_) {
        epoll_event e{};
        if (::epoll_wait(epoll_, &e, 1, -1) < 0 && errno != EINTR) return false;
        mayHoldBytes_ = true;
      }
      const ssize_t got = ::read(fd_, into + have, n - have);
      if (got > 0) {
        have += static_cast<int>(got);
      } else if (got < 0 && errno == EAGAIN && multiplexed_) {
        mayHoldBytes_ = false;
      } else if (!(got < 0 && errno == EINTR)) {
        return false;
      }
    }
    return true;
  }

 private:
  bool multiplexed_;
  bool mayHoldBytes_ = false;  // multiplexed: whether a read may find bytes without a wait
  int fd_ = -1;
  int epoll_ = -1;
};

class SleepingThread {
 public:
  SleepingThread()
      : thread_([this] {
          std::unique_lock lock(mutex_);
          woken_.wait(lock, [this] { return stop_; });
        }) {}
  ~SleepingThread() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    woken_.notify_one();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable woken_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || (std::strcmp(argv[3], "block") != 0 && std::strcmp(argv[3], "multiplexed") != 0)) {
    std::fprintf(stderr, "usage: minimal_client PATH RECORDS block|multiplexed [thread]\n");
    return 2;
  }
  const int records = std::atoi(argv[2]);
  Line line(argv[1], std::strcmp(argv[3], "multiplexed") == 0);
  if (!line.Open()) return 1;
  std::optional<SleepingThread> sleeper;
  if (argc > 4 && std::strcmp(argv[4], "thread") == 0) sleeper.emplace();
  constexpr std::uint8_t kAddress = 1, kReady = 0x80, kAck = 0xAA, kReadPlu = 0x81;
  std::uint8_t in[128];
  for (int k = 1; k <= records; ++k) {
    if (!line.Send(&kAddress, 1) || !line.Take(in, 2) || in[0] != kAddress || in[1] != kReady) {
      return 1;
    }
    const std::uint8_t command[5] = {kReadPlu, static_cast<std::uint8_t>(k),
                                     static_cast<std::uint8_t>(k >> 8), 0, 0};
    if (!line.Send(command, 5) || !line.Take(in, 1)) return 1;
    if (in[0] == kAck && !line.Take(in, 100)) return 1;  // else refused: nothing follows
  }
  return 0;
}
