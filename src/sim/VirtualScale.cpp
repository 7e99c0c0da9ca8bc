#include "sim/VirtualScale.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <system_error>
#include <utility>

namespace qmsim {
namespace {

// How long bytes may take through the kernel from the master to the terminal end's queue when
// that queue already holds bytes (see Quiet). Generous: the hand-over usually takes microseconds.
constexpr std::chrono::milliseconds kLandingTime{20};

std::int32_t Le(const Bytes& b, std::size_t width) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < width && i < b.size(); ++i) v |= std::uint32_t{b[i]} << (8 * i);
  return static_cast<std::int32_t>(v);
}

Bytes LeBytes(std::int32_t v) {
  auto u = static_cast<std::uint32_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}

// Sleeps until `deadline`, the last stretch spent watching the clock instead: a sleep on a
// virtual machine wakes some 30 us late even without timer slack, and the scale's answer to
// the end of a message (or the end of its own reply) would be that much later than the wire's
// timing, at every turn of every exchange. Used only where the end of a message may be.
void SleepUntilExactly(std::chrono::steady_clock::time_point deadline) {
  constexpr std::chrono::microseconds kWatched{80};
  if (deadline - std::chrono::steady_clock::now() > kWatched) {
    std::this_thread::sleep_until(deadline - kWatched);
  }
  while (std::chrono::steady_clock::now() < deadline) {
  }
}

// One line of the trace: "[seconds.millis] " then ">" (sent) or "<" (received) and the bytes.
std::string TraceLine(std::chrono::steady_clock::duration sinceStart, bool sent,
                      const Bytes& bytes) {
  const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%6lld.%03lld] ", ms / 1000, ms % 1000);
  std::string line = stamp;
  line += sent ? ">" : "<";
  for (std::uint8_t c : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", c);
    line += hex;
  }
  line += '\n';
  return line;
}

}  // namespace

// The thread's side of the line. Pacing models the wire at 10 bits per byte in both directions:
// a byte is not taken in before the previous one could have finished arriving, and a byte is not
// handed to the line before the previous one could have finished leaving.
struct VirtualScale::Line {
  VirtualScale& scale;
  int master;
  int wake;
  struct In {
    std::uint8_t byte;
    Clock::time_point readAt;
  };
  std::deque<In> pending;
  Clock::time_point lastIn{};
  Clock::time_point lastOut{};
  bool stop = false;

  Clock::duration ByteTime() const {
    unsigned baud = scale.baud_.load();
    if (baud == 0) return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(std::chrono::microseconds(10'000'000) /
                                                       baud);
  }

  // The next byte from the program, or nullopt on stop or when the deadline passes first.
  std::optional<std::uint8_t> Next(std::optional<Clock::time_point> deadline) {
    while (pending.empty()) {
      int ms = -1;
      if (deadline) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
        if (left.count() <= 0) return std::nullopt;
        ms = static_cast<int>(left.count());
      }
      pollfd fds[2] = {{master, POLLIN, 0}, {wake, POLLIN, 0}};
      scale.SetWaiting(true);
      int r = ::poll(fds, 2, ms);
      scale.SetWaiting(false);
      if (r < 0 && errno != EINTR) return std::nullopt;
      if (fds[1].revents) {
        stop = true;
        return std::nullopt;
      }
      if (r <= 0) continue;
      std::uint8_t buf[512];
      ssize_t n = ::read(master, buf, sizeof buf);
      if (n > 0) {
        scale.bytesIn_ += static_cast<std::uint64_t>(n);
        auto now = Clock::now();
        for (ssize_t i = 0; i < n; ++i) pending.push_back({buf[i], now});
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        // No terminal end open (cannot happen while the pty keeps its own); do not spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
    In in = pending.front();
    pending.pop_front();
    auto bt = ByteTime();
    if (bt != Clock::duration::zero()) {
      lastIn = std::max(in.readAt, lastIn) + bt;
      // The last byte taken in so far may end a message, which the scale then answers.
      if (pending.empty()) {
        SleepUntilExactly(lastIn);
      } else {
        std::this_thread::sleep_until(lastIn);
      }
    }
    return in.byte;
  }

  bool Write(const Bytes& bytes) {
    auto bt = ByteTime();
    if (bt == Clock::duration::zero()) return scale.WriteMaster(bytes.data(), bytes.size());
    // Byte i has left the wire at start + (i + 1) byte times. The deadlines are counted from the
    // start of the reply, not from when each sleep ended, so oversleeping does not add up; bytes
    // whose time has already passed go out together.
    const Clock::time_point start = std::max(Clock::now(), lastOut);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      const Clock::time_point byteLeft = start + bt * static_cast<long>(sent + 1);
      if (sent + 1 == bytes.size()) {
        SleepUntilExactly(byteLeft);  // the reply's end: the program's next turn waits for it
      } else {
        std::this_thread::sleep_until(byteLeft);
      }
      const Clock::time_point now = Clock::now();
      std::size_t due = sent + 1;
      while (due < bytes.size() && start + bt * static_cast<long>(due + 1) <= now) ++due;
      if (!scale.WriteMaster(bytes.data() + sent, due - sent)) return false;
      sent = due;
    }
    lastOut = start + bt * static_cast<long>(bytes.size());
    return true;
  }
};

VirtualScale::VirtualScale(Options options)
    : options_(std::move(options)),
      pty_(std::make_unique<Pty>()),
      slavePath_(pty_->SlavePath()),
      baud_(options_.baud),
      address_(options_.address) {
  if (!options_.linkPath.empty()) pty_->LinkAt(options_.linkPath);
  int p[2];
  if (::pipe2(p, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  wakeRead_ = p[0];
  wakeWrite_ = p[1];
  thread_ = std::thread([this] { Run(); });
}

VirtualScale::~VirtualScale() {
  Stop();
  TraceTo(std::string());
}

const std::string& VirtualScale::SlavePath() const {
  return slavePath_;
}

void VirtualScale::Stop() {
  if (stopped_) return;
  stopped_ = true;
  char c = 1;
  (void)!::write(wakeWrite_, &c, 1);
  if (thread_.joinable()) thread_.join();
  ::close(wakeRead_);
  ::close(wakeWrite_);
  std::lock_guard lock(writeMutex_);
  pty_.reset();
}

void VirtualScale::TraceTo(const std::string& path) {
  std::FILE* file = nullptr;
  if (!path.empty()) {
    file = std::fopen(path.c_str(), "w");
    if (!file) throw std::system_error(errno, std::generic_category(), "trace file " + path);
  }
  std::lock_guard lock(traceMutex_);
  if (trace_) std::fclose(trace_);
  trace_ = file;
  traceStart_ = Clock::now();
}

void VirtualScale::Trace(bool sent, const Bytes& bytes) {
  if (bytes.empty()) return;
  std::lock_guard lock(traceMutex_);
  if (!trace_) return;
  const std::string line = TraceLine(Clock::now() - traceStart_, sent, bytes);
  std::fputs(line.c_str(), trace_);
  // Line by line: whoever reads the file (a test, an operator with tail -f) sees each frame as
  // soon as it went by.
  std::fflush(trace_);
}

void VirtualScale::SetAddress(std::uint8_t address) {
  address_ = address;
}
void VirtualScale::SetPacing(unsigned baud) {
  baud_ = baud;
}

bool VirtualScale::WriteMaster(const std::uint8_t* p, std::size_t n) {
  std::lock_guard lock(writeMutex_);
  while (n > 0) {
    if (!pty_ || pty_->MasterFd() < 0) return false;
    ssize_t w = ::write(pty_->MasterFd(), p, n);
    if (w > 0) {
      {
        std::lock_guard writeLock(lastWriteMutex_);
        lastWrite_ = Clock::now();
      }
      bytesOut_ += static_cast<std::uint64_t>(w);
      p += w;
      n -= static_cast<std::size_t>(w);
      continue;
    }
    if (w < 0 && errno != EAGAIN && errno != EINTR) return false;
    // The terminal end is not reading and its queue is full: wait, but give way to Stop.
    pollfd fds[2] = {{pty_->MasterFd(), POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
    if (::poll(fds, 2, 100) > 0 && fds[1].revents) return false;
  }
  return true;
}

unsigned VirtualScale::LineBaud() const {
  termios t{};
  if (!pty_ || ::tcgetattr(pty_->SlaveFd(), &t) != 0) return 0;
  static constexpr struct {
    speed_t code;
    unsigned baud;
  } kSpeeds[] = {{B110, 110},     {B300, 300},     {B600, 600},       {B1200, 1200},
                 {B2400, 2400},   {B4800, 4800},   {B9600, 9600},     {B19200, 19200},
                 {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};
  const speed_t code = ::cfgetospeed(&t);
  for (const auto& s : kSpeeds) {
    if (s.code == code) return s.baud;
  }
  return 0;
}

void VirtualScale::SetWaiting(bool waiting) {
  std::lock_guard lock(quietMutex_);
  waiting_ = waiting;
}

bool VirtualScale::Quiet() const {
  std::lock_guard lock(quietMutex_);
  if (ended_) return true;
  if (!waiting_) return false;
  // A poll pushes what the kernel still holds between the two ends into the receiving end's
  // queue before it answers (the pty hands bytes over in a worker of its own): so the master
  // shows every byte the program wrote, and the terminal end every byte the scale wrote.
  pollfd fds[2] = {{pty_->MasterFd(), POLLIN, 0}, {pty_->SlaveFd(), POLLIN, 0}};
  if (::poll(fds, 2, 0) < 0 || (fds[0].revents & POLLIN)) return false;
  // The push happens only when the receiving queue is empty; with bytes already waiting at the
  // terminal end the scale's last ones may still be on their way, so give them time to land.
  if (!(fds[1].revents & POLLIN)) return true;
  std::lock_guard writeLock(lastWriteMutex_);
  return Clock::now() - lastWrite_ >= kLandingTime;
}

void VirtualScale::Run() {
  // Paced bytes are timed with sleeps; the default timer slack (50 us) would make every sleep
  // late and the line slower than the wire it stands for.
  ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  Line line{*this, pty_->MasterFd(), wakeRead_};
  while (!line.stop && !hungUp_) {
    auto b = line.Next(std::nullopt);
    if (!b) continue;
    if (*b == address_.load()) {
      Serve(line, *b);
    } else {
      Trace(false, {*b});
      std::lock_guard lock(mutex_);
      ++ignored_;
      changed_.notify_all();
    }
  }
  std::lock_guard lock(quietMutex_);
  ended_ = true;
}

void VirtualScale::Serve(Line& line, std::uint8_t address) {
  Trace(false, {address});
  ExchangeRecord rec;
  rec.address = address;
  rec.in.push_back(address);
  Faults f;
  {
    std::lock_guard lock(mutex_);
    // Exchanges are counted as they begin: a test that sets faults right after it had an answer
    // must not find the tail of that exchange counted among the ones to skip.
    if (started_++ >= faultsFrom_) f = faults_;
  }
  auto send = [&](const Bytes& b) {
    if (b.empty()) return true;
    bool ok = line.Write(b);
    if (ok) {
      rec.out.insert(rec.out.end(), b.begin(), b.end());
      Trace(true, b);
    }
    return ok;
  };
  // Every way out of an exchange that answered something ends with the garbage, if any.
  auto finish = [&] {
    send(f.trailingGarbage);
    Finish(std::move(rec));
  };

  if (f.silent) return Finish(std::move(rec));
  if (f.wrongEcho) {
    send({*f.wrongEcho});
    return finish();
  }
  if (!send({address})) return Finish(std::move(rec));
  if (f.endlessBusy) return finish();
  if (f.busyNumber) {
    Bytes status{kStatusNumber};
    Bytes n = LeBytes(*f.busyNumber);
    status.insert(status.end(), n.begin(), n.end());
    send(status);
    return finish();
  }
  if (!send({kStatusReady})) return Finish(std::move(rec));

  auto cmd = line.Next(Clock::now() + options_.commandTimeout);
  if (!cmd) return Finish(std::move(rec));
  rec.command = *cmd;
  rec.in.push_back(*cmd);
  Trace(false, {*cmd});
  auto length = CommandDataLength(*cmd);
  if (!length) {
    send({kRefusal});
    return finish();
  }
  while (rec.data.size() < *length) {
    auto b = line.Next(Clock::now() + options_.byteTimeout);
    if (!b) {  // the program gave up mid-command
      Trace(false, rec.data);
      return Finish(std::move(rec));
    }
    rec.data.push_back(*b);
    rec.in.push_back(*b);
  }
  Trace(false, rec.data);
  rec.complete = true;
  {
    // Counted before anything is answered, so whoever has seen the answer sees the count too.
    std::lock_guard lock(mutex_);
    ++commandCounts_[*cmd];
  }

  bool refused = f.refusedCommands.count(*cmd) > 0;
  if ((*cmd == kCmdReadPlu || *cmd == kCmdWritePlu) && f.refusedPlus.count(Le(rec.data, 4)))
    refused = true;
  if ((*cmd == kCmdReadMessage || *cmd == kCmdWriteMessage) &&
      f.refusedMessages.count(Le(rec.data, 2)))
    refused = true;
  if (refused) {
    send({kRefusal});
    return finish();
  }

  Answer a;
  {
    std::lock_guard lock(mutex_);
    a = data_.Execute(*cmd, rec.data, Clock::now());
  }
  Bytes reply = std::move(a.reply);
  if (a.ack == kAck && f.ackByte) {
    a.ack = *f.ackByte;
    if (!f.replyAfterOddAck) reply.clear();
  }
  if (!send({a.ack})) return Finish(std::move(rec));

  std::size_t n = reply.size();
  if (f.replyCut) n = std::min(n, *f.replyCut);
  bool hangUp = f.hangUpAfter && *f.hangUpAfter <= reply.size();
  if (hangUp) n = std::min(n, *f.hangUpAfter);
  if (!send(Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(n))))
    return Finish(std::move(rec));
  if (hangUp) {
    // Give the program time to take what was sent: a pty drops unread input on hang-up.
    std::this_thread::sleep_for(f.hangUpDelay);
    {
      std::lock_guard lock(writeMutex_);
      // Marked before the close: whoever sees the line go dead finds the hang-up reported,
      // however late this thread runs again.
      hungUp_ = true;
      pty_->CloseMaster();
    }
    return Finish(std::move(rec));
  }
  finish();
}

void VirtualScale::Finish(ExchangeRecord rec) {
  std::lock_guard lock(mutex_);
  log_.push_back(std::move(rec));
  ++finished_;
  changed_.notify_all();
}

void VirtualScale::SetPlu(std::int32_t number, Bytes record) {
  std::lock_guard lock(mutex_);
  data_.SetPlu(number, std::move(record));
}

std::optional<Bytes> VirtualScale::Plu(std::int32_t number) const {
  std::lock_guard lock(mutex_);
  return data_.Plu(number);
}

void VirtualScale::ErasePlu(std::int32_t number) {
  std::lock_guard lock(mutex_);
  data_.ErasePlu(number);
}

std::vector<std::int32_t> VirtualScale::PluNumbers() const {
  std::lock_guard lock(mutex_);
  return data_.PluNumbers();
}

void VirtualScale::SetMessage(std::int32_t number, Bytes block) {
  std::lock_guard lock(mutex_);
  data_.SetMessage(number, std::move(block));
}

std::optional<Bytes> VirtualScale::Message(std::int32_t number) const {
  std::lock_guard lock(mutex_);
  return data_.Message(number);
}

void VirtualScale::EraseMessage(std::int32_t number) {
  std::lock_guard lock(mutex_);
  data_.EraseMessage(number);
}

std::vector<std::int32_t> VirtualScale::MessageNumbers() const {
  std::lock_guard lock(mutex_);
  return data_.MessageNumbers();
}

void VirtualScale::SetTotals(Bytes totals) {
  std::lock_guard lock(mutex_);
  data_.SetTotals(std::move(totals));
}

Bytes VirtualScale::Totals() const {
  std::lock_guard lock(mutex_);
  return data_.Totals();
}

void VirtualScale::SetDisplay(const Display& d) {
  std::lock_guard lock(mutex_);
  data_.SetDisplay(d);
}

void VirtualScale::SetWeightMoving(bool moving) {
  std::lock_guard lock(mutex_);
  data_.SetWeightMoving(moving, Clock::now());
}

Display VirtualScale::CurrentDisplay() const {
  std::lock_guard lock(mutex_);
  return data_.DisplayAt(Clock::now());
}

void VirtualScale::SetFaults(Faults f) {
  std::lock_guard lock(mutex_);
  faultsFrom_ = started_ + f.skipExchanges;
  faults_ = std::move(f);
}

Faults VirtualScale::CurrentFaults() const {
  std::lock_guard lock(mutex_);
  return faults_;
}

bool VirtualScale::SendUnasked(const Bytes& bytes) {
  if (!WriteMaster(bytes.data(), bytes.size())) return false;
  Trace(true, bytes);
  return true;
}

std::vector<ExchangeRecord> VirtualScale::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

void VirtualScale::ClearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
  commandCounts_.clear();
  ignored_ = 0;
}

std::size_t VirtualScale::ExchangeCount() const {
  std::lock_guard lock(mutex_);
  return log_.size();
}

std::size_t VirtualScale::CommandCount(std::uint8_t command) const {
  std::lock_guard lock(mutex_);
  auto it = commandCounts_.find(command);
  return it == commandCounts_.end() ? 0 : it->second;
}

std::size_t VirtualScale::IgnoredByteCount() const {
  std::lock_guard lock(mutex_);
  return ignored_;
}

bool VirtualScale::HungUp() const {
  return hungUp_;
}

bool VirtualScale::WaitForExchanges(std::size_t n, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return log_.size() >= n; });
}

bool VirtualScale::WaitForIgnoredBytes(std::size_t n, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return ignored_ >= n; });
}

}  // namespace qmsim
