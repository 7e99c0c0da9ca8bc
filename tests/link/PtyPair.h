// A pseudo-terminal for port tests: the test keeps the master end (the far side of the line)
// and the terminal end open; the port under test opens the terminal end by its path.
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

 private:
  int master_ = -1;
  int terminal_ = -1;
  std::string path_;
};

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
