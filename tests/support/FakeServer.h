// A TCP server on a loopback port that plays one script against the first client, in a thread
// of its own: the network line's far end when it misbehaves (closes in the middle of a reply,
// refuses or garbles the Telnet negotiation).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace qmtest {

class FakeServer {
 public:
  // The script's side of the connection. Reads wait at most a few seconds on the real clock (a
  // client that never sends cannot hang a test).
  class Peer {
   public:
    explicit Peer(FakeServer& server, int fd) : server_(server), fd_(fd) {}
    // Exactly `n` bytes, fewer when the client closed or the wait ran out.
    std::string Read(std::size_t n);
    void Write(const std::string& bytes);
    void Close();

   private:
    FakeServer& server_;
    int fd_;
  };
  using Script = std::function<void(Peer&)>;

  explicit FakeServer(Script script);
  ~FakeServer();  // ends the script's wait for a client and joins it
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  std::string Url(const std::string& scheme) const {
    return scheme + "://127.0.0.1:" + std::to_string(port_);
  }
  // The script has run to its end and the connection is closed.
  bool Done() const { return done_.load(); }
  std::uint64_t BytesSent() const { return sent_.load(); }
  // Everything the client sent that the script read.
  std::string Heard() const;

 private:
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  std::uint16_t port_ = 0;
  std::atomic<bool> done_{false};
  std::atomic<std::uint64_t> sent_{0};
  mutable std::mutex mutex_;
  std::string heard_;
  std::thread thread_;
};

}  // namespace qmtest
