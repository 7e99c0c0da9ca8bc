// Sockets on POSIX: non-blocking TCP with poll(), an eventfd to wake a waiting reader, and name
// resolution on a thread of its own so that a resolver that does not answer cannot hold the
// caller past its time-out.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "port/NetSocket.h"

namespace qm::net {

namespace {

using Clock = NetSocket::Clock;

int MillisLeft(Clock::time_point deadline) {
  auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left > 0x7FFFFFFF ? 0x7FFFFFFF : left);
}

// The outcome of one resolution, shared with its thread, which may outlive the caller's wait.
struct Resolution {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  int error = 0;
  addrinfo* addresses = nullptr;
  ~Resolution() {
    if (addresses) ::freeaddrinfo(addresses);
  }
};

int ResolveError(int code) {
  switch (code) {
    case EAI_SYSTEM:
      return errno ? errno : EIO;
    case EAI_MEMORY:
      return ENOMEM;
    default:  // no such name, no address for it, the resolver failed or asks to try again
      return ENXIO;
  }
}

int Resolve(const std::string& host, std::uint16_t port, Clock::time_point deadline,
            std::shared_ptr<Resolution>& out) {
  auto r = std::make_shared<Resolution>();
  std::thread([r, host, port] {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int code = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    std::lock_guard lock(r->mutex);
    r->error = code == 0 ? 0 : ResolveError(code);
    r->addresses = found;
    r->finished = true;
    r->done.notify_all();
  }).detach();
  std::unique_lock lock(r->mutex);
  // A name that does not resolve in time is, to the caller, a name that does not resolve.
  if (!r->done.wait_until(lock, deadline, [&] { return r->finished; })) return ENXIO;
  if (r->error) return r->error;
  out = r;
  return 0;
}

// One non-blocking connect, finished within the deadline. Returns the socket or -1 with `error`.
int ConnectOne(const addrinfo& a, Clock::time_point deadline, int& error) {
  const int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  if (::connect(fd, a.ai_addr, a.ai_addrlen) < 0 && errno != EINPROGRESS) {
    error = errno;
    ::close(fd);
    return -1;
  }
  pollfd p = {fd, POLLOUT, 0};
  int n;
  do {
    n = ::poll(&p, 1, MillisLeft(deadline));
  } while (n < 0 && errno == EINTR);
  if (n == 0) {
    error = ETIMEDOUT;
    ::close(fd);
    return -1;
  }
  int soError = 0;
  socklen_t len = sizeof soError;
  if (n < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) < 0 || soError != 0) {
    error = n < 0 ? errno : (soError ? soError : errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

struct NetSocket::Impl {
  int fd = -1;
  int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  ~Impl() {
    if (fd >= 0) ::close(fd);
    if (wake >= 0) ::close(wake);
  }
};

NetSocket::NetSocket() : impl_(std::make_unique<Impl>()) {}
NetSocket::~NetSocket() = default;

int NetSocket::Connect(const std::string& host, std::uint16_t port,
                       std::chrono::milliseconds timeout) {
  Close();
  const Clock::time_point deadline = Clock::now() + timeout;
  std::shared_ptr<Resolution> resolved;
  if (int error = Resolve(host, port, deadline, resolved)) return error;
  int error = EHOSTUNREACH;
  for (const addrinfo* a = resolved->addresses; a; a = a->ai_next) {
    const int fd = ConnectOne(*a, deadline, error);
    if (fd < 0) {
      if (error == ETIMEDOUT) break;
      continue;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    impl_->fd = fd;
    return 0;
  }
  return error;
}

bool NetSocket::IsOpen() const {
  return impl_->fd >= 0;
}

void NetSocket::Close() {
  if (impl_->fd >= 0) ::close(impl_->fd);
  impl_->fd = -1;
}

int NetSocket::SendAll(std::string_view data, std::optional<Clock::time_point> deadline,
                       std::size_t& sent) {
  sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(impl_->fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return errno;
    if (deadline && Clock::now() >= *deadline) return 0;
    pollfd p = {impl_->fd, POLLOUT, 0};
    if (::poll(&p, 1, deadline ? MillisLeft(*deadline) : -1) < 0 && errno != EINTR) return errno;
  }
  return 0;
}

int NetSocket::Receive(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  const ssize_t n = ::recv(impl_->fd, buffer, size, 0);
  if (n >= 0) {
    // Acknowledge at once: a server that coalesces small writes (Nagle) holds the rest of a
    // reply until the first part is acknowledged, and a delayed acknowledgement would cost every
    // exchange tens of milliseconds. The system clears the flag again, so it is set after every
    // reception.
    const int on = 1;
    ::setsockopt(impl_->fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    got = static_cast<std::size_t>(n);
    return 0;
  }
  return errno == EWOULDBLOCK ? EAGAIN : errno;
}

int NetSocket::WaitReadable(bool& woken) {
  woken = false;
  pollfd p[2] = {{impl_->fd, POLLIN, 0}, {impl_->wake, POLLIN, 0}};
  for (;;) {
    const int n = ::poll(p, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (p[1].revents) {
      std::uint64_t value;
      [[maybe_unused]] ssize_t r = ::read(impl_->wake, &value, sizeof value);
      woken = true;
    }
    return 0;
  }
}

void NetSocket::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(impl_->wake, &one, sizeof one);
}

std::vector<std::string> HostAddresses(const std::string& host, std::chrono::milliseconds timeout) {
  std::shared_ptr<Resolution> resolved;
  if (Resolve(host, 1, Clock::now() + timeout, resolved) != 0) return {};
  std::vector<std::string> addresses;
  for (const addrinfo* a = resolved->addresses; a; a = a->ai_next) {
    char text[NI_MAXHOST];
    if (::getnameinfo(a->ai_addr, static_cast<socklen_t>(a->ai_addrlen), text, sizeof text, nullptr, 0,
                    NI_NUMERICHOST) == 0) {
      addresses.emplace_back(text);
    }
  }
  return addresses;
}

}  // namespace qm::net
