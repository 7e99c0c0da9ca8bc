// Debian's serial device server in front of a device, started and stopped by a test: a raw TCP
// accepter, a Telnet accepter with COM-PORT-OPTION and a plain Telnet one, on free loopback
// ports, with the device opened at 9600 8N1 when a client connects.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace qmtest {

class Ser2net {
 public:
  // Why ser2net cannot be started here ("ser2net is not installed ..."), or empty.
  static std::string MissingReason();

  // Starts the server in the foreground for `device` and waits until both ports listen.
  // `charDelay`: ser2net's own batching of serial input (off in tests: it only adds latency).
  // Throws std::runtime_error when it does not come up.
  explicit Ser2net(const std::string& device, bool charDelay = false);
  ~Ser2net();  // stops it (SIGTERM) and waits for it
  Ser2net(const Ser2net&) = delete;
  Ser2net& operator=(const Ser2net&) = delete;

  std::string RawUrl() const { return "tcp://127.0.0.1:" + std::to_string(rawPort_); }
  std::string Rfc2217Url() const { return "rfc2217://127.0.0.1:" + std::to_string(telnetPort_); }
  // The plain Telnet accepter, which does not offer COM-PORT-OPTION, named as a client would
  // wrongly name it.
  std::string PlainTelnetUrl() const { return "rfc2217://127.0.0.1:" + std::to_string(plainPort_); }
  // What the server printed, for a failing test's message.
  std::string Log() const;

 private:
  std::string dir_;
  std::uint16_t rawPort_ = 0;
  std::uint16_t telnetPort_ = 0;
  std::uint16_t plainPort_ = 0;
  pid_t pid_ = -1;
};

// A loopback TCP port that nothing listens on right now.
std::uint16_t FreeLoopbackPort();

}  // namespace qmtest
