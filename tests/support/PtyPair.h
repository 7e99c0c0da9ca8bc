// A pseudo-terminal for port and link tests: the test keeps the master end (the far side of the
// line) and the terminal end open; the port under test opens the terminal end by its path.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace qmtest {

class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& Path() const { return path_; }
  int Master() const { return master_; }
  int Terminal() const { return terminal_; }
  // The far end goes away: the port's line hangs up.
  void HangUp();
  // Sends bytes to the port (all of them).
  void Send(const std::string& bytes);
  // Takes up to `max` bytes the port sent, waiting for the first ones up to `patience`.
  std::string Receive(std::size_t max, std::chrono::milliseconds patience);
  // For the test as a passive far end: true once every byte on the line is in the queue of the
  // end it goes to. The pty moves bytes between its ends in a kernel worker, so a byte just
  // written may be in neither queue yet; looking pushes it on (see LineSettled).
  bool Settled() const;

 private:
  int master_ = -1;
  int terminal_ = -1;
  std::chrono::steady_clock::time_point lastSend_{};
  std::string path_;
};

// For a far end that reads: pushes bytes on towards both ends and tells whether nothing the
// port sent waits unread at the far end (`farEnd` -1, closed, has nothing waiting) and the far
// end's bytes, the last written at `lastWrite`, have all reached the terminal end's queue.
bool LineSettled(int farEnd, int terminal, std::chrono::steady_clock::time_point lastWrite);

// Line settings of the terminal end as the driver holds them.
struct DriverLine {
  std::uint32_t cflag, iflag, lflag, oflag;
  std::uint32_t outSpeed;  // bit/s
};
DriverLine ReadDriverLine(int fd);
// The termios flag values the tests look at.
struct TermFlags {
  static const std::uint32_t kCsize, kParenb, kParodd, kCmspar, kCstopb, kCrtscts, kInpck, kIxon,
      kIxoff, kEcho, kIcanon, kOpost;
};

// Polls `condition` until it holds or `patience` passed; returns its last value. Only for
// waiting on another thread or the driver, never for measuring time.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds patience = std::chrono::seconds(5));

}  // namespace qmtest
