// A serial line reached over the network: raw TCP ("tcp://") or Telnet with COM-PORT-OPTION
// ("rfc2217://"). A reader thread takes everything the server sends, answers Telnet negotiation
// and keeps the line data in an input queue of its own, so InputCount is exact and the line
// events are told as on a local port: RxChar once per arrival of data, TxEmpty after a write
// (a write is complete when the system took it), Rx80Full at 80 % of ReadBufSize, and Error
// once when the connection is lost.
//
// A lost connection: the data that arrived before it can still be read; after that InputCount,
// reads and writes fail with the connection's error, as a local port fails once its device
// went away.
//
// The reader also rings the port's arrival bell (a RingSignal) at each arrival of data and at
// the loss of the connection, so that a loop waits on the line itself: a port that asks for no
// events runs no event thread, and a loop that delivers arrivals runs the receive handlers.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "port/NetPortUrl.h"
#include "port/NetSocket.h"
#include "port/PortBackends.h"
#include "port/RingSignal.h"
#include "port/TelnetClient.h"
#include "port/UiDispatcher.h"

namespace qm::comm {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kMax = 0xFFFFFFFFu;
constexpr std::size_t kReceiveChunk = 4096;

// How many bytes of `data` went out whole when `sent` bytes of its escaped form did.
std::size_t DataBytesSent(std::string_view data, std::size_t sent, bool escaped) {
  if (!escaped) return sent;
  std::size_t n = 0;
  for (char c : data) {
    const std::size_t width = static_cast<std::uint8_t>(c) == telnet::kIac ? 2 : 1;
    if (sent < width) break;
    sent -= width;
    ++n;
  }
  return n;
}

class NetBackend;

class NetRead : public PendingTransfer {
 public:
  NetRead(NetBackend& backend, std::string buffer, std::uint32_t wanted, std::size_t done,
          const Timeouts& timeouts)
      : backend_(backend),
        data_(std::move(buffer)),
        wanted_(wanted),
        done_(done),
        timeouts_(timeouts),
        start_(Clock::now()) {}
  ~NetRead() override {
    Cancel();
    if (worker_.joinable()) worker_.join();
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
  void Cancel() override;
  const std::string& Received() const override { return data_; }

 private:
  TransferResult Run();

  NetBackend& backend_;
  std::string data_;
  std::uint32_t wanted_;
  std::size_t done_;
  Timeouts timeouts_;
  Clock::time_point start_;
  std::atomic<bool> cancelled_{false};
  std::thread worker_;
  TransferResult result_;
  bool finished_ = false;
};

// The line's arrival bell: raised by the reader, lowered by the waiting thread.
class NetBell : public ArrivalBell {
 public:
  int Descriptor() const override { return signal_.Descriptor(); }
  void Clear() override { signal_.Lower(); }
  void* WaitHandle() const override { return signal_.Handle(); }
  void Ring() { signal_.Raise(); }

 private:
  RingSignal signal_;
};

class NetBackend : public ComPortBackend {
 public:
  explicit NetBackend(NetLineTimes times) : times_(times) {}
  ~NetBackend() override { Close(); }

  int Open(const std::string& device) override {
    Close();
    NetPortUrl url;
    if (ParseNetPortUrl(device, url) != NetUrlError::None) return EINVAL;
    if (int error = socket_.Connect(url.host, url.port, times_.connect)) return error;
    {
      std::lock_guard lock(mutex_);
      telnet_ = telnet::TelnetClient();
      rfc2217_ = url.kind == NetLineKind::Rfc2217;
      input_.clear();
      lost_ = false;
      lostError_ = 0;
      arrivals_ = writes_ = 0;
      bellArrivals_ = 0;
      bellAbove80_ = false;
      sent_ = received_ = 0;
      stopping_ = false;
    }
    bell_.Clear();  // a ring of the last connection is not one of this
    if (rfc2217_) {
      std::string greeting;
      {
        std::lock_guard lock(mutex_);
        greeting = telnet_.Greeting();
      }
      if (int error = SendRaw(greeting, std::nullopt)) {
        socket_.Close();
        return error;
      }
    }
    open_ = true;
    reader_ = std::thread([this] { ReadLoop(); });
    return 0;
  }

  bool IsOpen() const override { return open_; }

  void Close() override {
    if (!open_) return;
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    socket_.Wake();
    if (reader_.joinable()) reader_.join();
    socket_.Close();
    open_ = false;
    std::lock_guard lock(mutex_);
    lost_ = true;
    lostError_ = EBADF;
    changed_.notify_all();
  }

  // The server keeps its own buffers; ReadBufSize still sets the 80 % mark of Rx80Full.
  int SetBufferSizes(std::uint32_t input, std::uint32_t) override {
    if (!open_) return EBADF;
    std::lock_guard lock(mutex_);
    rx80Mark_ = static_cast<std::uint32_t>(std::uint64_t(input) * 8 / 10);
    return 0;
  }

  ArrivalBell* Bell() override { return open_ ? &bell_ : nullptr; }

  // RxChar once per arrival of data, Rx80Full once when the queue reaches the mark, as the
  // event waiter tells them.
  int TakeArrival(std::uint32_t mask, std::uint32_t& events, std::uint32_t& inQue) override {
    std::lock_guard lock(mutex_);
    events = 0;
    inQue = static_cast<std::uint32_t>(input_.size());
    if (input_.empty() && lost_) return lostError_;
    if (arrivals_ != bellArrivals_ && inQue > 0) events |= kEvRxChar;
    bellArrivals_ = arrivals_;
    if (inQue >= rx80Mark_ && inQue > 0) {
      if (!bellAbove80_) events |= kEvRx80Full;
      bellAbove80_ = true;
    } else {
      bellAbove80_ = false;
    }
    events &= mask;
    return 0;
  }

  // Raw TCP has no way to set the far line: accepted as it is. Telnet: wait for the server to
  // agree to COM-PORT-OPTION, send the settings and wait until it confirmed each of them.
  int SetLineState(const LineState& state) override {
    if (!open_) return EBADF;
    if (!rfc2217_) return 0;
    const Clock::time_point deadline = Clock::now() + times_.negotiate;
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, deadline, [&] {
      return lost_ || telnet_.ComPort() != telnet::TelnetClient::ComPortState::Asked;
    });
    if (lost_) return lostError_;
    switch (telnet_.ComPort()) {
      case telnet::TelnetClient::ComPortState::Asked:
        return EPROTO;  // no answer to the negotiation: not a serial server that speaks Telnet
      case telnet::TelnetClient::ComPortState::Refused:
        return EPROTONOSUPPORT;
      case telnet::TelnetClient::ComPortState::Agreed:
        break;
    }
    const auto requests = telnet::LineRequests(state);
    std::string bytes;
    for (const auto& [command, value] : requests) bytes += telnet::ComPortCommand(command, value);
    bytes += telnet::FlowControlRequest(state);
    telnet_.ForgetServerValues();
    lock.unlock();
    if (int error = SendRaw(bytes, deadline)) return error;
    lock.lock();
    auto answered = [&] {
      return std::all_of(requests.begin(), requests.end(),
                         [&](const auto& r) { return telnet_.ServerValue(r.first).has_value(); });
    };
    changed_.wait_until(lock, deadline, [&] { return lost_ || answered(); });
    if (lost_) return lostError_;
    if (!answered()) return EPROTO;
    for (const auto& [command, value] : requests) {
      if (*telnet_.ServerValue(command) != value) return EINVAL;  // the server's line cannot
    }
    return 0;
  }

  int SetTimeouts(const Timeouts& timeouts) override {
    if (!open_) return EBADF;
    timeouts_ = timeouts;
    return 0;
  }

  int InputCount(std::uint32_t& count) override {
    if (!open_) return EBADF;
    std::lock_guard lock(mutex_);
    if (input_.empty() && lost_) return lostError_;
    count = static_cast<std::uint32_t>(input_.size());
    return 0;
  }

  StartResult StartWrite(std::string_view data) override {
    StartResult r;
    if (!open_) {
      r.error = EBADF;
      return r;
    }
    {
      std::lock_guard lock(mutex_);
      if (lost_) {
        r.error = lostError_;
        return r;
      }
    }
    std::optional<Clock::time_point> deadline;
    const std::uint64_t ms =
        std::uint64_t(timeouts_.writeTotalMultiplier) * data.size() + timeouts_.writeTotalConstant;
    if (ms != 0) deadline = Clock::now() + std::chrono::milliseconds(ms);
    const std::string escaped = rfc2217_ ? telnet::EscapeIac(data) : std::string();
    const std::string_view wire = rfc2217_ ? std::string_view(escaped) : data;
    std::size_t sent = 0;
    {
      std::lock_guard lock(sendMutex_);
      r.error = socket_.SendAll(wire, deadline, sent);
    }
    const std::size_t count = DataBytesSent(data, sent, rfc2217_);
    std::lock_guard lock(mutex_);
    sent_ += count;
    if (count > 0) {
      ++writes_;
      changed_.notify_all();
    }
    r.count = static_cast<std::int32_t>(count);
    return r;
  }

  StartResult StartRead(std::uint32_t count) override {
    StartResult r;
    if (!open_) {
      r.error = EBADF;
      return r;
    }
    std::string buffer(count, '\0');
    std::size_t done = 0;
    {
      std::lock_guard lock(mutex_);
      done = Take(buffer, 0, count);
      if (done == 0 && count > 0 && lost_) {
        r.error = lostError_;
        return r;
      }
    }
    const Timeouts& t = timeouts_;
    const bool atOnce =
        (t.readInterval == kMax && t.readTotalMultiplier == 0 && t.readTotalConstant == 0) ||
        (t.readInterval == kMax && t.readTotalMultiplier == kMax && done > 0);
    if (done == count || atOnce) {
      buffer.resize(done);
      r.count = static_cast<std::int32_t>(done);
      r.received = std::move(buffer);
      return r;
    }
    r.pending = std::make_unique<NetRead>(*this, std::move(buffer), count, done, timeouts_);
    return r;
  }

  int CancelTransfers() override { return open_ ? 0 : EBADF; }

  // The thread drops events without a handler itself; the reader reports arrivals either way.
  std::unique_ptr<EventWaiter> CreateEventWaiter(std::uint32_t mask, std::uint32_t readBufSize,
                                                 const std::atomic<std::uint32_t>&) override;

  bool LineCounts(std::uint64_t& sent, std::uint64_t& received) const override {
    std::lock_guard lock(mutex_);
    sent = sent_;
    received = received_;
    return true;
  }

  // Shared with the pending reads and the event waiter; guarded by `mutex_`.
  std::size_t Take(std::string& buffer, std::size_t at, std::size_t wanted) {
    const std::size_t n = std::min(wanted - at, input_.size());
    std::copy_n(input_.begin(), n, buffer.begin() + static_cast<std::ptrdiff_t>(at));
    input_.erase(0, n);
    if (input_.size() < rx80Mark_) bellAbove80_ = false;  // the next arrival at the mark tells it
    return n;
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;  // data, answers, a write, the loss of the connection
  std::string input_;                // line data not yet read
  bool lost_ = false;
  int lostError_ = 0;
  std::uint64_t arrivals_ = 0;  // receptions that brought line data
  std::uint64_t writes_ = 0;    // writes that sent something
  std::uint32_t rx80Mark_ = 0;  // bytes queued from which Rx80Full is told

 private:
  // Sends bytes already in wire form (escaped data, negotiation), one sender at a time so that
  // a reply of the reader never lands inside a write.
  int SendRaw(std::string_view bytes, std::optional<Clock::time_point> deadline) {
    std::lock_guard lock(sendMutex_);
    std::size_t sent = 0;
    const int error = socket_.SendAll(bytes, deadline, sent);
    if (error) return error;
    return sent == bytes.size() ? 0 : ETIMEDOUT;
  }

  void Lose(int error) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      lost_ = true;
      lostError_ = error;
      changed_.notify_all();
    }
    bell_.Ring();  // a waiting loop learns of the loss from the next count at once
  }

  void ReadLoop() {
    char chunk[kReceiveChunk];
    for (;;) {
      bool woken = false;
      if (int error = socket_.WaitReadable(woken)) return Lose(error);
      {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
      }
      for (;;) {
        std::size_t got = 0;
        const int error = socket_.Receive(chunk, sizeof chunk, got);
        if (error == EAGAIN) break;
        if (error) return Lose(error);
        if (got == 0) return Lose(ECONNRESET);  // the server closed the connection
        std::string data, replies;
        {
          std::lock_guard lock(mutex_);
          if (rfc2217_) {
            telnet_.Receive(std::string_view(chunk, got), data, replies);
          } else {
            data.assign(chunk, got);
          }
          input_ += data;
          received_ += data.size();
          if (!data.empty()) ++arrivals_;
          changed_.notify_all();
        }
        if (!data.empty()) bell_.Ring();
        if (!replies.empty() && SendRaw(replies, Clock::now() + times_.negotiate) != 0) {
          return Lose(ECONNRESET);
        }
      }
    }
  }

  NetLineTimes times_;
  NetBell bell_;
  std::uint64_t bellArrivals_ = 0;  // arrivals_ at the last TakeArrival; guarded by `mutex_`
  bool bellAbove80_ = false;        // Rx80Full told by TakeArrival, the queue not below since
  net::NetSocket socket_;
  std::mutex sendMutex_;
  std::thread reader_;
  std::atomic<bool> open_{false};
  bool rfc2217_ = false;
  bool stopping_ = false;
  telnet::TelnetClient telnet_;
  Timeouts timeouts_;
  std::uint64_t sent_ = 0;
  std::uint64_t received_ = 0;
};

void NetRead::Cancel() {
  std::lock_guard lock(backend_.mutex_);
  cancelled_.store(true);
  backend_.changed_.notify_all();
}

TransferResult NetRead::Run() {
  std::optional<Clock::time_point> total;
  const bool firstBytesEnd =
      timeouts_.readInterval == kMax && timeouts_.readTotalMultiplier == kMax;
  if (firstBytesEnd) {
    total = start_ + std::chrono::milliseconds(timeouts_.readTotalConstant);
  } else {
    const std::uint64_t ms =
        std::uint64_t(timeouts_.readTotalMultiplier) * wanted_ + timeouts_.readTotalConstant;
    if (ms != 0) total = start_ + std::chrono::milliseconds(ms);
  }
  std::optional<Clock::time_point> lastByte;
  std::unique_lock lock(backend_.mutex_);
  while (done_ < wanted_) {
    if (firstBytesEnd && done_ > 0) break;
    if (cancelled_.load()) return {ECANCELED, static_cast<std::int32_t>(done_)};
    const std::size_t got = backend_.Take(data_, done_, wanted_);
    if (got > 0) {
      done_ += got;
      lastByte = Clock::now();
      continue;
    }
    if (backend_.lost_) return {backend_.lostError_, static_cast<std::int32_t>(done_)};
    std::optional<Clock::time_point> deadline = total;
    if (lastByte && timeouts_.readInterval != 0 && timeouts_.readInterval != kMax) {
      const auto gap = *lastByte + std::chrono::milliseconds(timeouts_.readInterval);
      deadline = deadline ? std::min(*deadline, gap) : gap;
    }
    if (deadline) {
      if (Clock::now() >= *deadline) break;
      backend_.changed_.wait_until(lock, *deadline);
    } else {
      backend_.changed_.wait(lock);
    }
  }
  data_.resize(done_);
  return {0, static_cast<std::int32_t>(done_)};
}

class NetEventWaiter : public EventWaiter {
 public:
  NetEventWaiter(NetBackend& backend, std::uint32_t mask, std::uint32_t readBufSize)
      : backend_(backend),
        mask_(mask),
        rx80Mark_(static_cast<std::uint32_t>(std::uint64_t(readBufSize) * 8 / 10)) {
    // Data that arrived before the thread started is told at its first wait, as a local port
    // tells bytes already queued; writes before it are long complete.
    std::lock_guard lock(backend_.mutex_);
    seenWrites_ = backend_.writes_;
  }

  // The stop request is looked at between bounded waits, not signalled through a
  // std::stop_callback, whose removal can hang with MinGW's threads (see UiDispatcher.h).
  static constexpr std::chrono::milliseconds kStopLook{20};

  std::uint32_t Wait(std::stop_token stop) override {
    std::unique_lock lock(backend_.mutex_);
    for (;;) {
      if (stop.stop_requested()) return 0;
      std::uint32_t events = 0;
      const std::size_t queued = backend_.input_.size();
      if (backend_.arrivals_ != seenArrivals_) {
        seenArrivals_ = backend_.arrivals_;
        if (queued > 0) events |= kEvRxChar;
      }
      if (backend_.writes_ != seenWrites_) {
        seenWrites_ = backend_.writes_;
        events |= kEvTxEmpty;
      }
      if (queued >= rx80Mark_ && queued > 0) {
        if (!above80_) events |= kEvRx80Full;
        above80_ = true;
      } else {
        above80_ = false;
      }
      if (backend_.lost_ && !toldLoss_) {
        toldLoss_ = true;
        events |= kEvError;
      }
      events &= mask_;
      if (events) return events;
      backend_.changed_.wait_for(lock, kStopLook);
    }
  }

  void PurgeAll() override {
    std::lock_guard lock(backend_.mutex_);
    backend_.input_.clear();
  }

 private:
  NetBackend& backend_;
  std::uint32_t mask_;
  std::uint32_t rx80Mark_;
  std::uint64_t seenArrivals_ = 0;
  std::uint64_t seenWrites_ = 0;
  bool above80_ = false;
  bool toldLoss_ = false;
};

std::unique_ptr<EventWaiter> NetBackend::CreateEventWaiter(std::uint32_t mask,
                                                           std::uint32_t readBufSize,
                                                           const std::atomic<std::uint32_t>&) {
  return std::make_unique<NetEventWaiter>(*this, mask, readBufSize);
}

}  // namespace

std::unique_ptr<ComPortBackend> CreateNetPortBackend(NetLineTimes times) {
  return std::make_unique<NetBackend>(times);
}

}  // namespace qm::comm
