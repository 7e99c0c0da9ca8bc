// Sockets on Windows: non-blocking Winsock TCP, select() for connecting and sending, and an
// event pair (the socket's own network event and a wake event) for a waiting reader. Names are
// resolved on a thread of their own so that a resolver that does not answer cannot hold the
// caller past its time-out. Winsock's codes are turned into the <cerrno> codes the rest of the
// line speaks.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "port/NetSocket.h"

namespace qm::net {

namespace {

using Clock = NetSocket::Clock;

// Winsock is started once for the whole program and left running until it ends.
bool WinsockStarted() {
  static const bool started = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

int ErrnoOf(int wsaCode) {
  switch (wsaCode) {
    case WSAEWOULDBLOCK:
      return EAGAIN;
    case WSAECONNREFUSED:
      return ECONNREFUSED;
    case WSAETIMEDOUT:
      return ETIMEDOUT;
    case WSAENETUNREACH:
    case WSAENETDOWN:
      return ENETUNREACH;
    case WSAEHOSTUNREACH:
    case WSAEHOSTDOWN:
      return EHOSTUNREACH;
    case WSAECONNRESET:
    case WSAENETRESET:
      return ECONNRESET;
    case WSAECONNABORTED:
      return ECONNABORTED;
    case WSAENOTCONN:
    case WSAESHUTDOWN:
      return ENOTCONN;
    case WSAENOBUFS:
      return ENOMEM;
    default:
      return EIO;
  }
}

int LastErrno() {
  return ErrnoOf(WSAGetLastError());
}

timeval TimeLeft(Clock::time_point deadline) {
  auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now()).count();
  if (left < 0) left = 0;
  timeval tv{};
  tv.tv_sec = static_cast<long>(left / 1000000);
  tv.tv_usec = static_cast<long>(left % 1000000);
  return tv;
}

// The outcome of one resolution, shared with its thread, which may outlive the caller's wait.
struct Resolution {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  int error = 0;
  addrinfo* addresses = nullptr;
  ~Resolution() {
    if (addresses) freeaddrinfo(addresses);
  }
};

int Resolve(const std::string& host, std::uint16_t port, Clock::time_point deadline,
            std::shared_ptr<Resolution>& out) {
  auto r = std::make_shared<Resolution>();
  std::thread([r, host, port] {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int code = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    std::lock_guard lock(r->mutex);
    // Whatever the resolver's reason (no such name, no address, no answer), the name did not
    // resolve; only a lack of memory is told apart.
    r->error = code == 0 ? 0 : (code == WSA_NOT_ENOUGH_MEMORY ? ENOMEM : ENXIO);
    r->addresses = found;
    r->finished = true;
    r->done.notify_all();
  }).detach();
  std::unique_lock lock(r->mutex);
  if (!r->done.wait_until(lock, deadline, [&] { return r->finished; })) return ENXIO;
  if (r->error) return r->error;
  out = r;
  return 0;
}

// One non-blocking connect, finished within the deadline. Returns the socket or
// INVALID_SOCKET with `error`.
SOCKET ConnectOne(const addrinfo& a, Clock::time_point deadline, int& error) {
  SOCKET s = socket(a.ai_family, a.ai_socktype, a.ai_protocol);
  if (s == INVALID_SOCKET) {
    error = LastErrno();
    return INVALID_SOCKET;
  }
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0 ||
      (connect(s, a.ai_addr, static_cast<int>(a.ai_addrlen)) != 0 &&
       WSAGetLastError() != WSAEWOULDBLOCK)) {
    error = LastErrno();
    closesocket(s);
    return INVALID_SOCKET;
  }
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  timeval limit = TimeLeft(deadline);
  const int n = select(0, nullptr, &writable, &failed, &limit);
  if (n == 0) {
    error = ETIMEDOUT;
    closesocket(s);
    return INVALID_SOCKET;
  }
  int soError = 0;
  int len = sizeof soError;
  if (n < 0 || getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len) != 0 ||
      soError != 0 || FD_ISSET(s, &failed)) {
    error = n < 0 ? LastErrno() : (soError ? ErrnoOf(soError) : ECONNREFUSED);
    closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

}  // namespace

struct NetSocket::Impl {
  SOCKET socket = INVALID_SOCKET;
  WSAEVENT network = WSACreateEvent();  // the socket's: data or the server's close
  WSAEVENT wake = WSACreateEvent();
  ~Impl() {
    if (socket != INVALID_SOCKET) closesocket(socket);
    WSACloseEvent(network);
    WSACloseEvent(wake);
  }
};

NetSocket::NetSocket() : impl_(std::make_unique<Impl>()) {}
NetSocket::~NetSocket() = default;

int NetSocket::Connect(const std::string& host, std::uint16_t port,
                       std::chrono::milliseconds timeout) {
  Close();
  if (!WinsockStarted()) return ENETDOWN;
  const Clock::time_point deadline = Clock::now() + timeout;
  std::shared_ptr<Resolution> resolved;
  if (int error = Resolve(host, port, deadline, resolved)) return error;
  int error = EHOSTUNREACH;
  for (const addrinfo* a = resolved->addresses; a; a = a->ai_next) {
    const SOCKET s = ConnectOne(*a, deadline, error);
    if (s == INVALID_SOCKET) {
      if (error == ETIMEDOUT) break;
      continue;
    }
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    // Arrivals and the server's close set the socket's event for a waiting reader.
    if (WSAEventSelect(s, impl_->network, FD_READ | FD_CLOSE) != 0) {
      error = LastErrno();
      closesocket(s);
      return error;
    }
    impl_->socket = s;
    return 0;
  }
  return error;
}

bool NetSocket::IsOpen() const {
  return impl_->socket != INVALID_SOCKET;
}

void NetSocket::Close() {
  if (impl_->socket != INVALID_SOCKET) closesocket(impl_->socket);
  impl_->socket = INVALID_SOCKET;
}

int NetSocket::SendAll(std::string_view data, std::optional<Clock::time_point> deadline,
                       std::size_t& sent) {
  sent = 0;
  while (sent < data.size()) {
    const int n = send(impl_->socket, data.data() + sent, static_cast<int>(data.size() - sent), 0);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK) return LastErrno();
    if (deadline && Clock::now() >= *deadline) return 0;
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(impl_->socket, &writable);
    timeval limit{};
    if (deadline) limit = TimeLeft(*deadline);
    if (select(0, nullptr, &writable, nullptr, deadline ? &limit : nullptr) < 0) return LastErrno();
  }
  return 0;
}

int NetSocket::Receive(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  const int n = recv(impl_->socket, buffer, static_cast<int>(size), 0);
  if (n >= 0) {
    got = static_cast<std::size_t>(n);
    return 0;
  }
  return LastErrno();
}

int NetSocket::WaitReadable(bool& woken) {
  woken = false;
  WSAEVENT events[2] = {impl_->network, impl_->wake};
  const DWORD which = WSAWaitForMultipleEvents(2, events, FALSE, WSA_INFINITE, FALSE);
  if (which == WSA_WAIT_FAILED) return LastErrno();
  if (which == WSA_WAIT_EVENT_0 + 1) {
    WSAResetEvent(impl_->wake);
    woken = true;
    return 0;
  }
  // Takes the socket's news, which also resets its event; the next receive re-arms it.
  WSANETWORKEVENTS news{};
  if (WSAEnumNetworkEvents(impl_->socket, impl_->network, &news) != 0) return LastErrno();
  return 0;
}

void NetSocket::Wake() {
  WSASetEvent(impl_->wake);
}

std::vector<std::string> HostAddresses(const std::string& host, std::chrono::milliseconds timeout) {
  if (!WinsockStarted()) return {};
  std::shared_ptr<Resolution> resolved;
  if (Resolve(host, 1, Clock::now() + timeout, resolved) != 0) return {};
  std::vector<std::string> addresses;
  for (const addrinfo* a = resolved->addresses; a; a = a->ai_next) {
    char text[NI_MAXHOST];
    if (getnameinfo(a->ai_addr, static_cast<socklen_t>(a->ai_addrlen), text, sizeof text, nullptr, 0,
                    NI_NUMERICHOST) == 0) {
      addresses.emplace_back(text);
    }
  }
  return addresses;
}

}  // namespace qm::net
