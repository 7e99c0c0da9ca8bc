#include "FakeServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace qmtest {

namespace {
constexpr int kWaitMs = 5000;
}

std::string FakeServer::Peer::Read(std::size_t n) {
  std::string got;
  while (got.size() < n && fd_ >= 0) {
    pollfd p = {fd_, POLLIN, 0};
    if (::poll(&p, 1, kWaitMs) <= 0) break;
    char buffer[512];
    const ssize_t r = ::recv(fd_, buffer, std::min(sizeof buffer, n - got.size()), 0);
    if (r <= 0) break;
    got.append(buffer, static_cast<std::size_t>(r));
  }
  std::lock_guard lock(server_.mutex_);
  server_.heard_ += got;
  return got;
}

void FakeServer::Peer::Write(const std::string& bytes) {
  if (fd_ < 0) return;
  const ssize_t w = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  if (w > 0) server_.sent_ += static_cast<std::uint64_t>(w);
}

void FakeServer::Peer::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

FakeServer::FakeServer(Script script) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(listener_, 1) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0 || ::pipe(wake_) != 0) {
    throw std::runtime_error("fake server cannot listen");
  }
  port_ = ntohs(a.sin_port);
  thread_ = std::thread([this, script = std::move(script)] {
    pollfd p[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(p, 2, -1) > 0 && p[0].revents) {
      const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        Peer peer(*this, fd);
        script(peer);
        peer.Close();
      }
    }
    done_ = true;
  });
}

FakeServer::~FakeServer() {
  const char one = 1;
  [[maybe_unused]] ssize_t n = ::write(wake_[1], &one, 1);
  thread_.join();
  ::close(listener_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

std::string FakeServer::Heard() const {
  std::lock_guard lock(mutex_);
  return heard_;
}

}  // namespace qmtest
