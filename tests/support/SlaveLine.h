// The program's end of the virtual scale's pty, driven with plain POSIX calls, so that the scale
// is checked without the program's own serial port code.
//
// Reads never wait for a pause on the line to decide that nothing more comes: they end when the
// scale says it is quiet (VirtualScale::Quiet: waiting for the program, every byte it sent in the
// terminal end's queue) and that queue has been emptied. A fixed real-time wait would only guess.
// Real time bounds a read only when the scale never gets quiet (a stuck thread, a slow pace).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace qmtest {

using ByteString = std::vector<std::uint8_t>;

class SlaveLine {
 public:
  // Opens `path` raw and non-blocking. `farEndQuiet`: whether the scale on the master end has
  // nothing on its way (called from the test's thread, often).
  SlaveLine(const std::string& path, std::function<bool()> farEndQuiet);
  ~SlaveLine();
  SlaveLine(const SlaveLine&) = delete;
  SlaveLine& operator=(const SlaveLine&) = delete;

  bool IsOpen() const { return fd_ >= 0; }

  // Sends all of `bytes`, waiting while the line's queue is full.
  void Write(const ByteString& bytes);

  // Up to n bytes: returns once n came, the line hung up, or the scale is quiet and everything
  // it sent has been taken; `patience` only bounds a scale that never gets quiet.
  ByteString Read(std::size_t n,
                  std::chrono::milliseconds patience = std::chrono::milliseconds(2000));
  // Everything the scale still sends before it is quiet (empty when nothing more comes).
  ByteString Extra() { return Read(kAll); }
  // What the terminal end's queue holds now, without waiting.
  ByteString Available();

  // True when the last Read or Available ended on a hang-up of the other end.
  bool HungUp() const { return hungUp_; }

  // One exchange as the program makes it: the address, then (after echo and status) the command
  // and its data in a second write. Returns everything that came back, reading `expect` bytes.
  ByteString Exchange(std::uint8_t address, std::uint8_t command, const ByteString& data,
                      std::size_t expect);

 private:
  static constexpr std::size_t kAll = 1 << 20;
  // Takes what the queue holds now, up to n bytes in all; false on a hang-up.
  bool Take(ByteString& out, std::size_t n);

  int fd_ = -1;
  std::function<bool()> farEndQuiet_;
  bool hungUp_ = false;
};

ByteString Concat(std::initializer_list<ByteString> parts);
// A record whose every byte tells its position, so a shifted or truncated copy shows.
ByteString Pattern(std::size_t n, std::uint8_t seed);

}  // namespace qmtest
