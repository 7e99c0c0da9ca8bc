// The serial port on Linux: a tty device opened non-blocking, line settings through termios2,
// transfers driven by poll() with the port's time-outs, and line events from epoll and the
// driver's counters.
//
// <asm/termbits.h> is used instead of <termios.h> because only termios2 can carry speeds that
// have no Bxxx constant (14400 and 56000 bit/s); the two headers cannot be mixed.
#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>
#include <utility>

#include "port/ComPortBackend.h"
#include "port/LowLatency.h"
#include "port/UiDispatcher.h"

namespace qm::comm {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kMax = 0xFFFFFFFFu;
// How often the event thread looks at modem lines, line-error counters and the output queue
// when the device offers them; none of these can wake a waiting thread by themselves.
constexpr int kLinePollMs = 10;
// How often a write held by DSR flow control looks at DSR again.
constexpr int kDsrPollMs = 10;

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  UniqueFd& operator=(UniqueFd&& o) noexcept {
    if (this != &o) {
      Reset();
      fd_ = o.fd_;
      o.fd_ = -1;
    }
    return *this;
  }
  ~UniqueFd() { Reset(); }
  int Get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

void Signal(int eventFd) {
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(eventFd, &one, sizeof one);
}

void Drain(int eventFd) {
  std::uint64_t value;
  [[maybe_unused]] ssize_t n = ::read(eventFd, &value, sizeof value);
}

speed_t StandardSpeed(int baud) {
  switch (baud) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return BOTHER;
  }
}

// Milliseconds left until `deadline`, for poll(); -1 without a deadline.
int MillisLeft(const std::optional<Clock::time_point>& deadline) {
  if (!deadline) return -1;
  auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left > 0x7FFFFFFF ? 0x7FFFFFFF : left);
}

std::optional<Clock::time_point> Earliest(std::optional<Clock::time_point> a,
                                          std::optional<Clock::time_point> b) {
  if (!a) return b;
  if (!b) return a;
  return *a < *b ? a : b;
}

// Terminal ends of pseudo-terminals have the device majors 136..143 (/dev/pts).
bool IsPseudoTerminal(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) < 0) return false;
  unsigned major = ::major(st.st_rdev);
  return S_ISCHR(st.st_mode) && major >= 136 && major <= 143;
}

// A pseudo-terminal's either end: the terminal ends (majors 136-143), the masters of the old
// numbering (128-135) and the multiplexer /dev/ptmx (5, 2).
bool IsPtyEnd(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) < 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned major = ::major(st.st_rdev), minor = ::minor(st.st_rdev);
  return (major >= 128 && major <= 143) || (major == 5 && minor == 2);
}

}  // namespace

int SystemSerialIoctl(int fd, unsigned long request, void* data) {
  return ::ioctl(fd, request, data);
}

bool RequestLowLatency(int fd, SerialIoctl ioctl) {
  if (IsPtyEnd(fd)) return false;
  const int saved = errno;
  serial_struct serial{};
  bool asked = false;
  if (ioctl(fd, TIOCGSERIAL, &serial) == 0 && (serial.flags & ASYNC_LOW_LATENCY) == 0) {
    serial.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &serial);  // a refusal leaves the driver's own timing
    asked = true;
  }
  errno = saved;
  return asked;
}

namespace {

bool DsrOn(int fd, int& error) {
  int bits = 0;
  if (::ioctl(fd, TIOCMGET, &bits) < 0) {
    error = errno;
    return false;
  }
  return (bits & TIOCM_DSR) != 0;
}

// Whether the input queue stands above the Rx80Full mark. The event thread sets it when the
// queue reaches the mark; reads clear it when they leave the queue below the mark, which the
// event thread cannot see (taking bytes wakes nobody).
struct RxMark {
  std::atomic<std::uint32_t> mark{0};
  std::atomic<bool> above{false};
  std::atomic<int> liveReads{0};  // pending read transfers: they take bytes from the driver
  // `ahead`: bytes the port took from the driver ahead of the reads, still part of the queue.
  void InputTaken(int fd, std::size_t ahead = 0) {
    if (!above.load()) return;  // nothing to clear: spare the reader a look at the queue
    int queued = 0;
    if (::ioctl(fd, FIONREAD, &queued) == 0 && queued + ahead < mark.load()) above.store(false);
  }
  // The receive events of `mask` for a queue of `count` bytes, seen after new bytes `arrived`
  // (or after another wake-up, which can only end the Rx80Full state).
  std::uint32_t EventsAt(std::uint32_t mask, std::uint32_t count, bool arrived) {
    std::uint32_t events = 0;
    if (arrived && count > 0) events |= kEvRxChar;
    if (count >= mark.load() && count > 0) {
      if (!above.exchange(true)) events |= kEvRx80Full;
    } else {
      above.store(false);
    }
    return events & mask;
  }
};

// A transfer that could not complete at once; it is finished by Run, either on the caller's
// thread (Wait without StartBackground) or on a thread of its own.
class PosixTransfer : public PendingTransfer {
 public:
  PosixTransfer(int fd, bool isWrite, std::string data, std::uint32_t wanted, std::size_t done,
                const Timeouts& timeouts, bool dsrFlow, RxMark* rxMark)
      : fd_(fd),
        rxMark_(rxMark),
        isWrite_(isWrite),
        data_(std::move(data)),
        wanted_(wanted),
        done_(done),
        timeouts_(timeouts),
        dsrFlow_(dsrFlow),
        cancel_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
        start_(Clock::now()) {
    if (!isWrite_) ++rxMark_->liveReads;
  }

  ~PosixTransfer() override {
    Cancel();
    if (worker_.joinable()) worker_.join();
    if (!isWrite_) --rxMark_->liveReads;
  }

  void StartBackground() override {
    worker_ = std::thread([this] { result_ = Run(); });
  }

  TransferResult Wait() override {
    if (worker_.joinable()) {
      worker_.join();
    } else if (!finished_) {
      result_ = Run();
    }
    finished_ = true;
    return result_;
  }

  void Cancel() override { Signal(cancel_.Get()); }

  const std::string& Received() const override { return data_; }

 private:
  TransferResult Run() { return isWrite_ ? RunWrite() : RunRead(); }

  // Waits for `events` on the device or for a cancel; returns 0, ECANCELED, or an errno.
  // `ready` tells whether the device became ready before `timeoutMs` ran out.
  int WaitDevice(short events, int timeoutMs, bool& ready) {
    pollfd fds[2] = {{fd_, events, 0}, {cancel_.Get(), POLLIN, 0}};
    ready = false;
    for (;;) {
      int n = ::poll(fds, 2, timeoutMs);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      if (fds[1].revents) return ECANCELED;
      ready = fds[0].revents != 0;
      return 0;
    }
  }

  TransferResult RunRead() {
    std::optional<Clock::time_point> total;
    bool firstBytesEnd = timeouts_.readInterval == kMax && timeouts_.readTotalMultiplier == kMax;
    if (firstBytesEnd) {
      total = start_ + std::chrono::milliseconds(timeouts_.readTotalConstant);
    } else {
      std::uint64_t ms =
          std::uint64_t(timeouts_.readTotalMultiplier) * wanted_ + timeouts_.readTotalConstant;
      if (ms != 0) total = start_ + std::chrono::milliseconds(ms);
    }
    std::optional<Clock::time_point> lastByte;
    while (done_ < wanted_) {
      if (firstBytesEnd && done_ > 0) break;
      std::optional<Clock::time_point> deadline = total;
      if (lastByte && timeouts_.readInterval != 0 && timeouts_.readInterval != kMax) {
        deadline =
            Earliest(deadline, *lastByte + std::chrono::milliseconds(timeouts_.readInterval));
      }
      bool ready;
      int timeoutMs = MillisLeft(deadline);
      if (int error = WaitDevice(POLLIN, timeoutMs, ready)) return {error, Count()};
      if (!ready) {
        if (timeoutMs == 0 || (deadline && Clock::now() >= *deadline)) break;
        continue;
      }
      ssize_t n = ::read(fd_, data_.data() + done_, wanted_ - done_);
      if (n > 0) {
        done_ += static_cast<std::size_t>(n);
        lastByte = Clock::now();
        rxMark_->InputTaken(fd_);
      } else if (n == 0) {
        return {EIO, Count()};  // the device hung up
      } else if (errno != EAGAIN && errno != EINTR) {
        return {errno, Count()};
      }
    }
    data_.resize(done_);
    return {0, Count()};
  }

  TransferResult RunWrite() {
    std::optional<Clock::time_point> deadline;
    std::uint64_t ms =
        std::uint64_t(timeouts_.writeTotalMultiplier) * data_.size() + timeouts_.writeTotalConstant;
    if (ms != 0) deadline = start_ + std::chrono::milliseconds(ms);
    while (done_ < data_.size()) {
      if (deadline && Clock::now() >= *deadline) break;
      bool ready;
      if (dsrFlow_) {
        int error = 0;
        bool on = DsrOn(fd_, error);
        if (error) return {error, Count()};
        if (!on) {
          int wait = deadline ? std::min(MillisLeft(deadline), kDsrPollMs) : kDsrPollMs;
          pollfd fd = {cancel_.Get(), POLLIN, 0};
          if (::poll(&fd, 1, wait) > 0) return {ECANCELED, Count()};
          continue;
        }
      }
      ssize_t n = ::write(fd_, data_.data() + done_, data_.size() - done_);
      if (n > 0) {
        done_ += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return {errno, Count()};
      int timeoutMs = MillisLeft(deadline);
      if (dsrFlow_) timeoutMs = timeoutMs < 0 ? kDsrPollMs : std::min(timeoutMs, kDsrPollMs);
      if (int error = WaitDevice(POLLOUT, timeoutMs, ready)) return {error, Count()};
    }
    return {0, Count()};
  }

  std::int32_t Count() const { return static_cast<std::int32_t>(done_); }

  int fd_;
  RxMark* rxMark_;
  bool isWrite_;
  std::string data_;  // write: the bytes to send; read: the buffer, cut to the count at the end
  std::uint32_t wanted_;
  std::size_t done_;
  Timeouts timeouts_;
  bool dsrFlow_;
  UniqueFd cancel_;
  Clock::time_point start_;
  std::thread worker_;
  TransferResult result_;
  bool finished_ = false;
};

// The arrival bell: an epoll set that watches the device edge-triggered, so that it turns
// readable at each arrival of bytes (not while they merely wait unread) and Clear takes the ring.
// The set is made when a waiter first asks for the descriptor: a waiter that watches the device
// itself (Source) never does, and then the device has one watcher fewer to tell at each arrival.
class PosixBell : public ArrivalBell {
 public:
  explicit PosixBell(int fd) : device_(fd) {}
  int Descriptor() const override {
    if (epoll_.Get() < 0) {
      // Bytes already waiting make the new set ready at once: nothing that came is missed.
      epoll_ = UniqueFd(::epoll_create1(EPOLL_CLOEXEC));
      epoll_event ev{};
      ev.events = EPOLLIN | EPOLLET;
      ev.data.fd = device_;
      ::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, device_, &ev);
    }
    return epoll_.Get();
  }
  void Clear() override {
    if (epoll_.Get() >= 0) {
      epoll_event ev;
      [[maybe_unused]] int n = ::epoll_wait(epoll_.Get(), &ev, 1, 0);
    }
    rang_ = true;
  }
  int Source() const override { return device_; }
  void Heard() override { rang_ = true; }
  // Whether a ring was heard since the last call.
  bool TakeRing() { return std::exchange(rang_, false); }

 private:
  mutable UniqueFd epoll_;  // made by the first Descriptor call
  int device_;
  bool rang_ = false;
};

class PosixBackend;

// Line events on Linux:
//  * RxChar: the tty is watched edge-triggered, so each arrival of bytes wakes the thread once,
//    however long earlier bytes wait unread; reported when bytes are queued.
//  * Rx80Full: reported once when the queue reaches 80 % of ReadBufSize, again only after it
//    dropped below.
//  * TxEmpty: after a write, reported when the driver's output queue (TIOCOUTQ) is empty.
//  * CTS, DSR, RLSD, Ring: changes of the modem lines (TIOCMGET), where the device has them.
//  * Break, Error: growth of the driver's break and line-error counters (TIOCGICOUNT), where the
//    device keeps them.
//  * RxFlag: Linux cannot tell which bytes are queued without taking them, so it never occurs.
// Devices without modem lines or counters (pseudo-terminals) simply never report those events.
class PosixEventWaiter : public EventWaiter {
 public:
  PosixEventWaiter(PosixBackend& backend, int fd, std::uint32_t mask, std::uint32_t readBufSize,
                   const std::atomic<std::uint32_t>& handled);
  ~PosixEventWaiter() override;
  std::uint32_t Wait(std::stop_token stop) override;
  void PurgeAll() override { ::ioctl(fd_, TCFLSH, TCIOFLUSH); }

 private:
  std::uint32_t CheckLines();

  PosixBackend& backend_;
  int fd_;
  std::uint32_t mask_;
  std::uint32_t rx80Threshold_;
  UniqueFd epoll_;
  UniqueFd wake_;
  bool modemLines_ = false;
  int lastModem_ = 0;
  bool counters_ = false;
  serial_icounter_struct lastCounts_{};
};

class PosixBackend : public ComPortBackend {
 public:
  ~PosixBackend() override { Close(); }

  int Open(const std::string& device) override {
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    UniqueFd guard(fd);
    // The lock keeps out every other program (and privileged ones, which TIOCEXCL lets in);
    // TIOCEXCL also keeps out programs that do not take the lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) < 0) return errno;
    if (::ioctl(fd, TIOCEXCL) < 0 && errno != ENOTTY) return errno;
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) < 0) return errno;
    RequestLowLatency(fd);
    fd_ = std::move(guard);
    rs485_ = false;
    // A pseudo-terminal hands bytes to its other end at once: its output queue says nothing of
    // when a far end has taken them.
    drainReachesLine_ = !IsPseudoTerminal(fd);
    bell_ = std::make_unique<PosixBell>(fd_.Get());
    return 0;
  }

  bool IsOpen() const override { return fd_.Get() >= 0; }

  void Close() override {
    if (fd_.Get() < 0) return;
    ahead_.clear();
    readAhead_ = false;
    bell_.reset();
    ::ioctl(fd_.Get(), TIOCNXCL);
    fd_.Reset();
  }

  ArrivalBell* Bell() override { return bell_.get(); }

  int TakeArrival(std::uint32_t mask, std::uint32_t& events, std::uint32_t& inQue) override {
    int error = 0;
    if (readAhead_) {
      error = LookAhead(inQue, true);
    } else {
      int queued = 0;
      if (::ioctl(fd_.Get(), FIONREAD, &queued) < 0) error = errno;
      inQue = static_cast<std::uint32_t>(queued);
    }
    if (error) return error;
    events = rxMark_.EventsAt(mask, inQue, true);
    return 0;
  }

  // Linux tty queues have fixed sizes; ReadBufSize still sets the 80 % mark of Rx80Full and
  // bounds what the port takes ahead of the reads.
  int SetBufferSizes(std::uint32_t input, std::uint32_t) override {
    if (fd_.Get() < 0) return EBADF;
    aheadLimit_ = std::clamp<std::uint32_t>(input, 1, kAheadChunk);
    return 0;
  }

  void SetReadAhead(bool on) override {
    readAhead_ = on;
    ahead_.clear();
    lookedAt_ = {};
  }

  int SetLineState(const LineState& s) override {
    refused_ = LineRefusal::None;
    int fd = fd_.Get();
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) < 0) return errno;
    // No way to drop NUL bytes in the driver; a replacement other than NUL for bytes with
    // parity errors is not possible either (the driver gives NUL).
    if (s.discardNull) return Refuse(LineRefusal::DiscardNull);
    if (s.parityCheck && s.replaceErrors && s.replaceChar != 0) {
      return Refuse(LineRefusal::ErrorChar);
    }
    // 1.5 stop bits exist only with 5 data bits, where the UART's two-stop-bit setting sends 1.5.
    if (s.stopBits == TStopBits::sbOne5StopBits && s.dataBits != TDataBits::dbFive) {
      return Refuse(LineRefusal::StopBits);
    }
    // DTR handshake (input flow on DTR) has no Linux equivalent.
    if (s.dtr == TDtrFlowControl::dtrHandshake) return Refuse(LineRefusal::DtrHandshake);
    if (s.outDsrFlow) {
      int error = 0;
      DsrOn(fd, error);  // DSR flow is done by the writes; it needs a readable DSR line
      if (error) {
        refused_ = LineRefusal::DsrFlow;
        return error;
      }
    }

    // Raw bytes both ways.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                     IXANY | IGNPAR | INPCK | IUCLC | IMAXBEL);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &=
        ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CREAD | CLOCAL;

    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= kSizes[static_cast<int>(s.dataBits)];
    switch (s.parity) {
      case TParityBits::prNone:
        break;
      case TParityBits::prOdd:
        tio.c_cflag |= PARENB | PARODD;
        break;
      case TParityBits::prEven:
        tio.c_cflag |= PARENB;
        break;
      case TParityBits::prMark:
        tio.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
      case TParityBits::prSpace:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    }
    if (s.parityCheck) tio.c_iflag |= INPCK;
    if (s.stopBits != TStopBits::sbOneStopBit) tio.c_cflag |= CSTOPB;
    if (s.outCtsFlow || s.rts == TRtsFlowControl::rtsHandshake) tio.c_cflag |= CRTSCTS;
    if (s.xonXoffOut) tio.c_iflag |= IXON;
    if (s.xonXoffIn) tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;

    speed_t speed = StandardSpeed(s.baudRate);
    tio.c_cflag |= speed | (speed << IBSHIFT);
    tio.c_ispeed = tio.c_ospeed = static_cast<speed_t>(s.baudRate);
    if (::ioctl(fd, TCSETS2, &tio) < 0) return errno;
    // The driver takes what it can and stays silent about the rest (some USB adapters have no
    // mark or space parity): read the settings back. A pseudo-terminal has no framing at all and
    // always reports eight data bits without parity, so it is not checked.
    constexpr tcflag_t kFraming = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    termios2 now{};
    if (::ioctl(fd, TCGETS2, &now) < 0) return errno;
    if ((now.c_cflag & kFraming) != (tio.c_cflag & kFraming) && !IsPseudoTerminal(fd)) {
      return Refuse(FramingRefused(now.c_cflag ^ tio.c_cflag));
    }

    if (int error = SetRs485(fd, s.rts == TRtsFlowControl::rtsToggle)) return error;
    // DTR and RTS levels; devices without modem lines (pseudo-terminals) have none to set.
    int error = SetModemLine(fd, TIOCM_DTR, s.dtr != TDtrFlowControl::dtrDisable);
    if (!error && s.rts != TRtsFlowControl::rtsHandshake && s.rts != TRtsFlowControl::rtsToggle) {
      error = SetModemLine(fd, TIOCM_RTS, s.rts == TRtsFlowControl::rtsEnable);
    }
    if (error) return error;
    dsrFlow_ = s.outDsrFlow;
    characterTime_ = CharacterTime(s);
    return 0;
  }

  LineRefusal Refused() const override { return refused_; }

  int SetTimeouts(const Timeouts& t) override {
    if (fd_.Get() < 0) return EBADF;
    timeouts_ = t;
    return 0;
  }

  int InputCount(std::uint32_t& count) override {
    if (readAhead_) return LookAhead(count, false);
    int n = 0;
    if (::ioctl(fd_.Get(), FIONREAD, &n) < 0) return errno;
    count = static_cast<std::uint32_t>(n);
    return 0;
  }

  // Polls the output queue rather than calling tcdrain, which has no time limit and would hang on
  // a line held by flow control.
  int Drain() override {
    const int fd = fd_.Get();
    if (fd < 0) return EBADF;
    if (!drainReachesLine_) return 0;
    const std::uint64_t limitMs = std::uint64_t{timeouts_.writeTotalMultiplier} * lastWriteLength_ +
                                  timeouts_.writeTotalConstant;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
      int queued = 0;
      if (::ioctl(fd, TIOCOUTQ, &queued) < 0) return errno;
      // The transmitter's own register and FIFO, where the driver can tell.
      unsigned lineStatus = TIOCSER_TEMT;
      if (queued == 0 && ::ioctl(fd, TIOCSERGETLSR, &lineStatus) < 0) lineStatus = TIOCSER_TEMT;
      if (queued == 0 && (lineStatus & TIOCSER_TEMT)) return 0;
      // Past the write's limit the bytes are the line's business; the reply wait takes over.
      const auto now = Clock::now();
      if (limitMs != 0 && now >= deadline) return 0;
      auto pause = characterTime_ * std::max(queued, 1);
      if (limitMs != 0) pause = std::min<Clock::duration>(pause, deadline - now);
      std::this_thread::sleep_for(pause);
    }
  }

  bool DrainReachesLine() const override { return fd_.Get() >= 0 && drainReachesLine_; }

  StartResult StartWrite(std::string_view data) override {
    lastWriteLength_ = data.size();
    StartResult r;
    int fd = fd_.Get();
    std::size_t done = 0;
    int error = 0;
    if (!dsrFlow_ || DsrOn(fd, error)) {
      ssize_t n = data.empty() ? 0 : ::write(fd, data.data(), data.size());
      if (n < 0 && errno != EAGAIN && errno != EINTR) {
        r.error = errno;
        return r;
      }
      if (n > 0) done = static_cast<std::size_t>(n);
    } else if (error) {
      r.error = error;
      return r;
    }
    if (done > 0) NoteWrite();
    if (done == data.size()) {
      r.count = static_cast<std::int32_t>(done);
      return r;
    }
    r.pending = std::make_unique<PosixTransfer>(fd, true, std::string(data), 0, done, timeouts_,
                                                dsrFlow_, &rxMark_);
    // The rest goes out later; the event thread checks the output queue meanwhile.
    NoteWrite();
    return r;
  }

  StartResult StartRead(std::uint32_t count) override {
    StartResult r;
    int fd = fd_.Get();
    std::string buffer(count, '\0');
    // Bytes taken ahead come first; the driver is asked only for the rest.
    std::size_t done = std::min<std::size_t>(count, ahead_.size());
    if (done > 0) {
      ahead_.copy(buffer.data(), done);
      ahead_.erase(0, done);
    }
    if (count > done) {
      ssize_t n = ::read(fd, buffer.data() + done, count - done);
      if (n < 0 && errno != EAGAIN && errno != EINTR) {
        r.error = errno;
        return r;
      }
      if (n == 0) {
        r.error = EIO;  // the device hung up
        return r;
      }
      if (n > 0) done += static_cast<std::size_t>(n);
    }
    if (done > 0) rxMark_.InputTaken(fd, ahead_.size());
    const Timeouts& t = timeouts_;
    bool atOnce =
        (t.readInterval == kMax && t.readTotalMultiplier == 0 && t.readTotalConstant == 0) ||
        (t.readInterval == kMax && t.readTotalMultiplier == kMax && done > 0);
    if (done == count || atOnce) {
      buffer.resize(done);
      r.count = static_cast<std::int32_t>(done);
      r.received = std::move(buffer);
      return r;
    }
    r.pending = std::make_unique<PosixTransfer>(fd, false, std::move(buffer), count, done,
                                                timeouts_, false, &rxMark_);
    return r;
  }

  int CancelTransfers() override {
    int n;
    return ::ioctl(fd_.Get(), FIONREAD, &n) < 0 ? errno : 0;
  }

  std::unique_ptr<EventWaiter> CreateEventWaiter(
      std::uint32_t mask, std::uint32_t readBufSize,
      const std::atomic<std::uint32_t>& handled) override {
    return std::make_unique<PosixEventWaiter>(*this, fd_.Get(), mask, readBufSize, handled);
  }

  // Event thread side of TxEmpty: a write happened; wake the thread so it watches the output
  // queue until it is empty. Only while TxEmpty has a handler: the watch costs a wake-up of the
  // event thread per write and a look at the queue every few milliseconds until it drained.
  void NoteWrite() {
    const int wake = wakeFd_.load();
    const std::atomic<std::uint32_t>* handled = txHandled_.load();
    if (wake < 0 || handled == nullptr || !(handled->load() & kEvTxEmpty)) return;
    txWatch_.store(true);
    Signal(wake);
  }
  bool TakeTxWatch() { return txWatch_.load(); }
  void ClearTxWatch() { txWatch_.store(false); }
  // The waiter's wake-up for TxEmpty and where it learns whether TxEmpty has a handler; -1 and
  // null when no waiter watches TxEmpty.
  void SetTxWatcher(int fd, const std::atomic<std::uint32_t>* handled) {
    txHandled_.store(handled);
    wakeFd_.store(fd);
  }
  RxMark& Rx80Mark() { return rxMark_; }

 private:
  static int SetModemLine(int fd, int line, bool on) {
    if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) < 0 && errno != ENOTTY && errno != EINVAL) {
      return errno;
    }
    return 0;
  }

  // RTS toggled around transmission: the driver's RS-485 mode. Turning it off is only asked
  // of a device on which it was turned on.
  int SetRs485(int fd, bool on) {
    if (!on && !rs485_) return 0;
    serial_rs485 conf{};
    if (on) conf.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    if (::ioctl(fd, TIOCSRS485, &conf) < 0) return errno;
    rs485_ = on;
    return 0;
  }

  // Read-ahead, while the UI thread hears the bell (SetReadAhead): InputCount takes what the
  // driver holds into ahead_ with one read, which the next reads are served from without a call
  // of their own. The driver is looked at again only when the bell rang since, or when the last
  // look is older than kAheadFresh; otherwise the count of that look stands. A wait that finds
  // too few bytes sleeps on the bell, which has rung for anything that came after the look, so
  // no arrival is missed; a caller polling without the loop sees counts at most that old.
  static constexpr std::size_t kAheadChunk = 4096;
  static constexpr std::chrono::microseconds kAheadFresh{1000};
  int LookAhead(std::uint32_t& count, bool force) {
    const int fd = fd_.Get();
    const bool rang = bell_->TakeRing();
    if (rxMark_.liveReads.load() > 0) {
      // A pending read takes its bytes from the driver itself: count them, take none.
      int queued = 0;
      if (::ioctl(fd, FIONREAD, &queued) < 0) return errno;
      count = static_cast<std::uint32_t>(ahead_.size() + queued);
      return 0;
    }
    const auto now = Clock::now();
    if (!force && !rang && !aheadFull_ && now - lookedAt_ < kAheadFresh) {
      count = static_cast<std::uint32_t>(ahead_.size());
      return 0;
    }
    aheadFull_ = false;
    if (ahead_.size() < aheadLimit_) {
      const std::size_t room = aheadLimit_ - ahead_.size();
      ssize_t n;
      do {
        n = ::read(fd, chunk_.data(), room);
      } while (n < 0 && errno == EINTR);
      if (n > 0) ahead_.append(chunk_.data(), static_cast<std::size_t>(n));
      // A short read or an empty queue: the driver holds nothing more. A full read may leave
      // more; a hung-up or failing device gives its error on the count below.
      if ((n > 0 && static_cast<std::size_t>(n) < room) || (n < 0 && errno == EAGAIN)) {
        lookedAt_ = now;
        count = static_cast<std::uint32_t>(ahead_.size());
        return 0;
      }
    }
    int queued = 0;
    if (::ioctl(fd, FIONREAD, &queued) < 0) return errno;
    aheadFull_ = queued > 0;  // bytes beyond the limit: the next look asks the driver again
    lookedAt_ = now;
    count = static_cast<std::uint32_t>(ahead_.size() + static_cast<std::size_t>(queued));
    return 0;
  }

  int Refuse(LineRefusal refusal) {
    refused_ = refusal;
    return EINVAL;
  }

  // The setting behind the framing bits `differ` that the driver did not take as asked.
  static LineRefusal FramingRefused(tcflag_t differ) {
    if (differ & CSIZE) return LineRefusal::DataBits;
    if (differ & (PARENB | PARODD | CMSPAR)) return LineRefusal::Parity;
    if (differ & CSTOPB) return LineRefusal::StopBits;
    return LineRefusal::CtsFlow;
  }

  UniqueFd fd_;
  std::unique_ptr<PosixBell> bell_;
  LineRefusal refused_ = LineRefusal::None;
  bool readAhead_ = false;
  bool aheadFull_ = false;
  std::string ahead_;
  std::array<char, kAheadChunk> chunk_;  // where a look reads into
  std::uint32_t aheadLimit_ = 1024;
  Clock::time_point lookedAt_{};
  Timeouts timeouts_;
  std::size_t lastWriteLength_ = 0;
  Clock::duration characterTime_ = std::chrono::microseconds(1042);  // 9600 8N1
  bool drainReachesLine_ = true;
  bool dsrFlow_ = false;
  bool rs485_ = false;
  std::atomic<bool> txWatch_{false};
  std::atomic<int> wakeFd_{-1};
  std::atomic<const std::atomic<std::uint32_t>*> txHandled_{nullptr};
  RxMark rxMark_;
};

PosixEventWaiter::PosixEventWaiter(PosixBackend& backend, int fd, std::uint32_t mask,
                                   std::uint32_t readBufSize,
                                   const std::atomic<std::uint32_t>& handled)
    : backend_(backend),
      fd_(fd),
      mask_(mask),
      rx80Threshold_(static_cast<std::uint32_t>(std::uint64_t(readBufSize) * 8 / 10)),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  epoll_event ev{};
  if (mask_ & (kEvRxChar | kEvRx80Full)) {
    ev.events = EPOLLIN | EPOLLET;
    ev.data.fd = fd_;
    ::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, fd_, &ev);
  }
  ev.events = EPOLLIN;
  ev.data.fd = wake_.Get();
  ::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, wake_.Get(), &ev);

  if (mask_ & (kEvCts | kEvDsr | kEvRlsd | kEvRing)) {
    modemLines_ = ::ioctl(fd_, TIOCMGET, &lastModem_) == 0;
  }
  if (mask_ & (kEvBreak | kEvError | kEvRing)) {
    counters_ = ::ioctl(fd_, TIOCGICOUNT, &lastCounts_) == 0;
  }
  backend_.ClearTxWatch();
  backend_.Rx80Mark().mark.store(rx80Threshold_);
  backend_.Rx80Mark().above.store(false);
  if (mask_ & kEvTxEmpty) backend_.SetTxWatcher(wake_.Get(), &handled);
}

PosixEventWaiter::~PosixEventWaiter() {
  backend_.SetTxWatcher(-1, nullptr);
}

std::uint32_t PosixEventWaiter::CheckLines() {
  std::uint32_t events = 0;
  if ((mask_ & kEvTxEmpty) && backend_.TakeTxWatch()) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued == 0) {
      backend_.ClearTxWatch();
      events |= kEvTxEmpty;
    }
  }
  if (modemLines_) {
    int bits = 0;
    if (::ioctl(fd_, TIOCMGET, &bits) == 0) {
      int changed = bits ^ lastModem_;
      if (changed & TIOCM_CTS) events |= kEvCts;
      if (changed & TIOCM_DSR) events |= kEvDsr;
      if (changed & TIOCM_CD) events |= kEvRlsd;
      if (!counters_ && (changed & TIOCM_RI) && !(bits & TIOCM_RI)) events |= kEvRing;
      lastModem_ = bits;
    }
  }
  if (counters_) {
    serial_icounter_struct now{};
    if (::ioctl(fd_, TIOCGICOUNT, &now) == 0) {
      if (now.brk != lastCounts_.brk) events |= kEvBreak;
      if (now.frame != lastCounts_.frame || now.overrun != lastCounts_.overrun ||
          now.parity != lastCounts_.parity || now.buf_overrun != lastCounts_.buf_overrun) {
        events |= kEvError;
      }
      if (now.rng != lastCounts_.rng) events |= kEvRing;
      lastCounts_ = now;
    }
  }
  return events & mask_;
}

std::uint32_t PosixEventWaiter::Wait(std::stop_token stop) {
  std::stop_callback wakeOnStop(stop, [this] { Signal(wake_.Get()); });
  const bool linesPolled = modemLines_ || counters_;
  for (;;) {
    if (stop.stop_requested()) return 0;
    int timeout = -1;
    if (linesPolled || ((mask_ & kEvTxEmpty) && backend_.TakeTxWatch())) timeout = kLinePollMs;
    epoll_event evs[2];
    int n = ::epoll_wait(epoll_.Get(), evs, 2, timeout);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return 0;
    if (stop.stop_requested()) return 0;
    bool arrived = false;
    for (int i = 0; i < n; ++i) {
      if (evs[i].data.fd == wake_.Get()) {
        Drain(wake_.Get());
      } else if (evs[i].events & EPOLLIN) {
        arrived = true;
      }
    }
    std::uint32_t events = 0;
    if (mask_ & (kEvRxChar | kEvRx80Full)) {
      int queued = 0;
      if (::ioctl(fd_, FIONREAD, &queued) == 0) {
        events = backend_.Rx80Mark().EventsAt(mask_, static_cast<std::uint32_t>(queued), arrived);
      }
    }
    events |= CheckLines();
    if (events) return events;
  }
}

}  // namespace

std::unique_ptr<ComPortBackend> CreateComPortBackend() {
  return std::make_unique<PosixBackend>();
}

}  // namespace qm::comm
