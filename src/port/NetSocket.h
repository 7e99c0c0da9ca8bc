// The few socket calls a network serial line needs, behind one small class so that each
// platform has a file of its own (NetSocketPosix.cpp, NetSocketWin32.cpp). The build compiles
// the network line only where the platform's file exists.
//
// Error codes are <cerrno> values on every platform (a platform file translates its own codes):
// ENXIO for a host name that does not resolve (in the time allowed), ETIMEDOUT for a connection
// that took longer than allowed, ECONNREFUSED, ENETUNREACH, EHOSTUNREACH, ECONNRESET and so on.
//
// Threads: one thread may send while another receives or waits; Wake may be called from any
// thread. Connect and Close must not overlap other calls.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::net {

class NetSocket {
 public:
  using Clock = std::chrono::steady_clock;

  NetSocket();
  ~NetSocket();  // closes
  NetSocket(const NetSocket&) = delete;
  NetSocket& operator=(const NetSocket&) = delete;

  // Resolves `host` and connects to `port` over TCP, both within `timeout` (a resolver that
  // hangs is left behind, not waited for). Small writes go out at once (no coalescing delay).
  int Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout);
  bool IsOpen() const;
  void Close();

  // Sends all of `data`, waiting for room as needed until `deadline` (none: no limit). `sent`
  // is the count handed to the system; 0 and sent < size means the deadline passed.
  int SendAll(std::string_view data, std::optional<Clock::time_point> deadline, std::size_t& sent);
  // Takes what has arrived, up to `size` bytes, without waiting. Returns 0 with got > 0 for
  // data, 0 with got == 0 when the server closed the connection, EAGAIN when nothing waits.
  int Receive(char* buffer, std::size_t size, std::size_t& got);
  // Blocks until something can be received (or the server closed, or failed), or until Wake.
  // `woken` tells which.
  int WaitReadable(bool& woken);
  // Ends a WaitReadable in progress or makes the next one return at once.
  void Wake();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The addresses `host` resolves to for a TCP connection, as text ("127.0.0.1", "::1"), in the
// resolver's order; none when it does not resolve within `timeout`.
std::vector<std::string> HostAddresses(const std::string& host, std::chrono::milliseconds timeout);

}  // namespace qm::net
