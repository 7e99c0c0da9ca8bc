// The serial port on Windows: the communications functions of the system, with overlapped I/O
// so that the event thread's wait and the user-interface thread's transfers run at once on one
// handle. Error codes are GetLastError's.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "port/ComPortBackend.h"
#include "port/UiDispatcher.h"

namespace qm::comm {

namespace {

constexpr DWORD kMax = MAXDWORD;

// A manual-reset event, closed with its owner.
class EventHandle {
 public:
  explicit EventHandle(bool signalled) : handle_(CreateEventA(nullptr, TRUE, signalled, nullptr)) {}
  ~EventHandle() {
    if (handle_) CloseHandle(handle_);
  }
  EventHandle(const EventHandle&) = delete;
  EventHandle& operator=(const EventHandle&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

int LastError() {
  DWORD code = GetLastError();
  return code == 0 ? static_cast<int>(ERROR_GEN_FAILURE) : static_cast<int>(code);
}

// The name CreateFile opens for a port: "COM2" as "\\.\COM2", which also reaches COM10 and up;
// a name that already starts with "\\" is taken as it is.
std::string DeviceFileName(const std::string& device) {
  if (device.rfind("\\\\", 0) == 0) return device;
  return "\\\\.\\" + device;
}

// Wine reports a character arrival for as long as bytes are queued, where Windows reports each
// arrival once; a wait would then end again and again while the link leaves a reply in the
// queue, and the events would crowd out everything else on the user-interface thread.
bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Bytes the reads took from the input queue, so that the queue's size tells arrivals apart.
using TakenCount = std::atomic<std::uint64_t>;

// An overlapped read or write that did not complete at once. The system fills the buffer and
// the record in the background, so both live here until the transfer has ended: destroying it
// cancels the transfer and waits for the end.
class Win32Transfer : public PendingTransfer {
 public:
  Win32Transfer(HANDLE port, std::string buffer, std::unique_ptr<OVERLAPPED> overlapped,
                std::unique_ptr<EventHandle> done, TakenCount* taken)
      : port_(port),
        taken_(taken),
        buffer_(std::move(buffer)),
        overlapped_(std::move(overlapped)),
        done_(std::move(done)) {}

  ~Win32Transfer() override {
    if (!finished_) {
      Cancel();
      DWORD ignored = 0;
      GetOverlappedResult(port_, overlapped_.get(), &ignored, TRUE);
    }
  }

  // The system runs the transfer already.
  void StartBackground() override {}

  TransferResult Wait() override {
    if (!finished_) {
      DWORD count = 0;
      // The transfer's own event: waiting on the handle would also wake for the other
      // thread's event wait.
      if (WaitForSingleObject(done_->Get(), INFINITE) != WAIT_OBJECT_0 ||
          !GetOverlappedResult(port_, overlapped_.get(), &count, FALSE)) {
        result_.error = LastError();
        // The transfer may still run after a failed wait; it must end before its buffer goes.
        CancelIoEx(port_, overlapped_.get());
        GetOverlappedResult(port_, overlapped_.get(), &count, TRUE);
      }
      result_.count = static_cast<std::int32_t>(count);
      if (taken_) *taken_ += count;
      buffer_.resize(count <= buffer_.size() ? count : buffer_.size());
      finished_ = true;
    }
    return result_;
  }

  void Cancel() override { CancelIoEx(port_, overlapped_.get()); }

  const std::string& Received() const override { return buffer_; }

 private:
  HANDLE port_;
  TakenCount* taken_;   // reads only
  std::string buffer_;  // write: the bytes to send; read: the buffer, cut to the count at the end
  std::unique_ptr<OVERLAPPED> overlapped_;
  std::unique_ptr<EventHandle> done_;
  TransferResult result_;
  bool finished_ = false;
};

// One overlapped WaitCommEvent on the port at a time (Windows allows no more on a device), with
// its record and completion event (manual-reset). Ending a pending wait: clearing the port's
// event mask ends it on every driver (cancelling the I/O does not with all of them); a wait that
// does not end even so (wine's serial layer can miss both) is left to the closing of the device,
// which ends it: its record and event are let go, not freed, since the system may still write
// to them.
class CommEventWait {
 public:
  explicit CommEventWait(HANDLE port) : port_(port) {}
  ~CommEventWait() {
    if (pending_) End();
    if (completion_) CloseHandle(completion_);
  }
  CommEventWait(const CommEventWait&) = delete;
  CommEventWait& operator=(const CommEventWait&) = delete;

  // The completion event; null once a wait that would not end was let go.
  HANDLE Completion() const { return completion_; }

  // Starts a wait for the events of the port's mask. True when it is pending or completed at
  // once (the completion event is then set either way); false when it could not start.
  bool Start() {
    if (!record_) return false;
    record_->overlapped = OVERLAPPED{};
    record_->overlapped.hEvent = completion_;
    record_->events = 0;
    ResetEvent(completion_);
    if (WaitCommEvent(port_, &record_->events, &record_->overlapped)) {
      SetEvent(completion_);  // done at once: the event may not be set by the system then
    } else if (GetLastError() != ERROR_IO_PENDING) {
      return false;
    }
    pending_ = true;
    return true;
  }

  // After the completion event was seen: the events the wait ended with, or nothing when it has
  // not ended yet or failed (then no wait is pending any more).
  std::optional<DWORD> Collect() {
    if (!pending_) return std::nullopt;
    DWORD ignored = 0;
    if (!GetOverlappedResult(port_, &record_->overlapped, &ignored, FALSE)) {
      if (GetLastError() == ERROR_IO_INCOMPLETE) return std::nullopt;
      pending_ = false;
      return std::nullopt;
    }
    pending_ = false;
    return record_->events;
  }

  bool Pending() const { return pending_; }

  // Ends the pending wait: clearing the mask ends it on Windows; cancelling is the second try.
  void End() {
    if (!pending_) return;
    pending_ = false;
    SetCommMask(port_, 0);
    if (WaitForSingleObject(completion_, kEndWaitMs) == WAIT_OBJECT_0) return;
    CancelIoEx(port_, &record_->overlapped);
    if (WaitForSingleObject(completion_, kEndWaitMs) == WAIT_OBJECT_0) return;
    record_.release();
    completion_ = nullptr;
  }

 private:
  // How long a cleared mask gets to end the wait before the wait is cancelled as well.
  static constexpr DWORD kEndWaitMs = 1000;

  struct WaitRecord {
    OVERLAPPED overlapped{};
    DWORD events = 0;
  };
  HANDLE port_;
  std::unique_ptr<WaitRecord> record_ = std::make_unique<WaitRecord>();
  HANDLE completion_ = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  bool pending_ = false;
};

// Wine's repeated receive events told apart from arrivals: more bytes came into the queue in
// all (queued now plus taken by reads) than at the last arrival told.
class ArrivalCount {
 public:
  ArrivalCount(HANDLE port, const TakenCount& taken) : port_(port), taken_(taken) {}
  bool NewArrival() {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(port_, &errors, &stat)) return true;
    const std::uint64_t arrived = stat.cbInQue + taken_.load();
    if (arrived <= lastArrived_) return false;
    lastArrived_ = arrived;
    return true;
  }

 private:
  HANDLE port_;
  const TakenCount& taken_;
  std::uint64_t lastArrived_ = 0;
};

// WaitCommEvent for the event thread, ended by the stop token.
class Win32EventWaiter : public EventWaiter {
 public:
  Win32EventWaiter(HANDLE port, std::uint32_t mask, const TakenCount& taken)
      : port_(port),
        mask_(mask),
        wait_(port),
        arrivals_(port, taken),
        levelRxChar_(RunningUnderWine()) {
    SetCommMask(port_, mask_);  // a failure shows as a failing wait
  }

  // The stop request is looked at between bounded waits rather than signalled through a
  // std::stop_callback: with MinGW's threads the callback's removal can wait forever for a run
  // that already ended (its semaphore loses the wake-up), and the port's Close then never ends.
  std::uint32_t Wait(std::stop_token stop) override {
    for (;;) {
      if (stop.stop_requested() || !wait_.Start()) return 0;
      DWORD which = WAIT_TIMEOUT;
      while (which == WAIT_TIMEOUT && !stop.stop_requested()) {
        which = WaitForSingleObject(wait_.Completion(), kStopLookMs);
      }
      if (which != WAIT_OBJECT_0) {
        wait_.End();
        return 0;
      }
      const std::optional<DWORD> ended = wait_.Collect();
      if (!ended) return 0;
      if (stop.stop_requested()) return 0;
      std::uint32_t events = *ended & mask_;
      if (levelRxChar_ && (events & kEvRxChar) && !arrivals_.NewArrival()) {
        events &= ~kEvRxChar;
        // Nothing new: look again shortly rather than spin on the queued bytes.
        if (!events) Sleep(kRepeatPollMs);
      }
      if (events) return events;
    }
  }

  void PurgeAll() override {
    PurgeComm(port_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  }

 private:
  static constexpr DWORD kRepeatPollMs = 10;
  // How often a pending wait looks whether the port is closing.
  static constexpr DWORD kStopLookMs = 20;

  HANDLE port_;
  std::uint32_t mask_;
  CommEventWait wait_;
  ArrivalCount arrivals_;
  bool levelRxChar_;
};

// The arrival bell of a port that runs no event thread: a receive-event wait kept pending on
// the device, whose completion event a loop waits on. It starts when a waiter first asks for
// the handle; each ring taken starts the next wait, and bytes that come in between are kept in
// the driver's event history, so the next wait ends at once for them.
class Win32Bell : public ArrivalBell {
 public:
  Win32Bell(HANDLE port, const TakenCount& taken)
      : port_(port), wait_(port), arrivals_(port, taken), levelRxChar_(RunningUnderWine()) {}

  int Descriptor() const override { return -1; }
  void Clear() override { TakeHandleRing(); }

  void* WaitHandle() const override {
    if (!started_) {
      started_ = true;
      SetCommMask(port_, EV_RXCHAR);
      wait_.Start();
      // Bytes already queued made no event: the first wait ends at once for them.
      DWORD errors = 0;
      COMSTAT stat{};
      if (ClearCommError(port_, &errors, &stat) && stat.cbInQue > 0) SetEvent(wait_.Completion());
    }
    return wait_.Completion();
  }

  // The event is lowered before the wait is looked at: a wait that ends after the look sets it
  // again, so no ring is lost.
  bool TakeHandleRing() override {
    if (!started_ || wait_.Completion() == nullptr) return true;
    ResetEvent(wait_.Completion());
    if (wait_.Pending()) {
      const std::optional<DWORD> ended = wait_.Collect();
      if (!ended && wait_.Pending()) return true;  // set by hand at the start: still waiting
    }
    // A start that fails (the device went away) leaves the loop to its ticks; the link's next
    // look at the port meets the failure.
    wait_.Start();
    return !levelRxChar_ || arrivals_.NewArrival();
  }

  // Before the device closes.
  void Stop() { wait_.End(); }

 private:
  HANDLE port_;
  mutable CommEventWait wait_;
  ArrivalCount arrivals_;
  bool levelRxChar_;
  mutable bool started_ = false;
};

class Win32Backend : public ComPortBackend {
 public:
  ~Win32Backend() override { Close(); }

  int Open(const std::string& device) override {
    // Wine's serial layer does not refuse a second opener as Windows does; a named lock per
    // port keeps two of this program's instances apart there too.
    std::string lockName = "Local\\QmInterchange.port." + LockKey(device);
    HANDLE lock = CreateMutexA(nullptr, FALSE, lockName.c_str());
    if (lock == nullptr) return LastError();
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseHandle(lock);
      return ERROR_ACCESS_DENIED;
    }
    HANDLE h = CreateFileA(DeviceFileName(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                           nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      int error = LastError();
      CloseHandle(lock);
      return error;
    }
    // Only a communications device has a line state; a plain file or a pipe is not a port.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) {
      int error = LastError();
      CloseHandle(h);
      CloseHandle(lock);
      return error;
    }
    handle_ = h;
    lock_ = lock;
    bell_ = std::make_unique<Win32Bell>(handle_, taken_);
    return 0;
  }

  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

  void Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    if (bell_) bell_->Stop();
    bell_.reset();
    CloseHandle(handle_);
    CloseHandle(lock_);
    handle_ = INVALID_HANDLE_VALUE;
    lock_ = nullptr;
  }

  int SetBufferSizes(std::uint32_t input, std::uint32_t output) override {
    return SetupComm(handle_, input, output) ? 0 : LastError();
  }

  int SetLineState(const LineState& s) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(s.baudRate);
    dcb.fBinary = TRUE;
    dcb.fParity = s.parityCheck;
    dcb.fOutxCtsFlow = s.outCtsFlow;
    dcb.fOutxDsrFlow = s.outDsrFlow;
    dcb.fDtrControl = static_cast<DWORD>(s.dtr);
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = s.xonXoffOut;
    dcb.fInX = s.xonXoffIn;
    dcb.fErrorChar = s.replaceErrors;
    dcb.fNull = s.discardNull;
    dcb.fRtsControl = static_cast<DWORD>(s.rts);
    dcb.fAbortOnError = FALSE;
    dcb.XonLim = s.xonLimit;
    dcb.XoffLim = s.xoffLimit;
    dcb.ByteSize = static_cast<BYTE>(static_cast<int>(s.dataBits) + 5);
    dcb.Parity = static_cast<BYTE>(s.parity);
    dcb.StopBits = static_cast<BYTE>(s.stopBits);
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = static_cast<char>(s.replaceChar);
    dcb.EofChar = 0;
    dcb.EvtChar = static_cast<char>(s.eventChar);
    refused_ = LineRefusal::None;
    if (SetCommState(handle_, &dcb)) return 0;
    const int error = LastError();
    // The driver says only "invalid parameter"; the stop bits are the combination it is known
    // to refuse.
    if (!UartTakesStopBits(s.stopBits, s.dataBits)) refused_ = LineRefusal::StopBits;
    return error;
  }

  LineRefusal Refused() const override { return refused_; }

  int SetTimeouts(const Timeouts& t) override {
    COMMTIMEOUTS c{t.readInterval, t.readTotalMultiplier, t.readTotalConstant,
                   t.writeTotalMultiplier, t.writeTotalConstant};
    if (!SetCommTimeouts(handle_, &c)) return LastError();
    readAtOnce_ = t.readInterval == kMax && t.readTotalMultiplier == 0 && t.readTotalConstant == 0;
    return 0;
  }

  int InputCount(std::uint32_t& count) override {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(handle_, &errors, &stat)) return LastError();
    count = stat.cbInQue;
    return 0;
  }

  StartResult StartWrite(std::string_view data) override {
    return Start(true, std::string(data), static_cast<DWORD>(data.size()));
  }

  StartResult StartRead(std::uint32_t count) override {
    // A read that returns at once takes only what is queued. Asked for more, Windows returns
    // at once too, but wine's serial layer waits for the bytes; asking for what is there is
    // the same read on both.
    if (readAtOnce_ && count > 0) {
      std::uint32_t queued = 0;
      if (int error = InputCount(queued)) return StartResult{error};
      if (queued < count) count = queued;
      if (count == 0) return StartResult{};
    }
    return Start(false, std::string(count, '\0'), count);
  }

  int CancelTransfers() override {
    return PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT) ? 0 : LastError();
  }

  // The thread drops events without a handler itself; Windows reports every event of the mask
  // at no extra cost, so the waiter needs no view of the handlers.
  std::unique_ptr<EventWaiter> CreateEventWaiter(std::uint32_t mask, std::uint32_t,
                                                 const std::atomic<std::uint32_t>&) override {
    return std::make_unique<Win32EventWaiter>(handle_, mask, taken_);
  }

  ArrivalBell* Bell() override { return bell_.get(); }
  bool BellBesideEventThread() const override { return false; }

  // Blocks until the bytes written have left the port.
  int Drain() override { return FlushFileBuffers(handle_) ? 0 : LastError(); }
  bool DrainReachesLine() const override { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  static std::string LockKey(const std::string& device) {
    std::string key;
    for (char c : device) {
      if (c == '\\') continue;  // not allowed in a name after the namespace
      key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return key;
  }

  StartResult Start(bool isWrite, std::string buffer, DWORD length) {
    StartResult r;
    auto done = std::make_unique<EventHandle>(false);
    if (done->Get() == nullptr) {
      r.error = LastError();
      return r;
    }
    auto overlapped = std::make_unique<OVERLAPPED>();
    overlapped->hEvent = done->Get();
    DWORD count = 0;
    BOOL ok = isWrite ? WriteFile(handle_, buffer.data(), length, &count, overlapped.get())
                      : ReadFile(handle_, buffer.data(), length, &count, overlapped.get());
    if (!ok) {
      if (GetLastError() != ERROR_IO_PENDING) {
        r.error = LastError();
        return r;
      }
      r.pending = std::make_unique<Win32Transfer>(handle_, std::move(buffer),
                                                  std::move(overlapped), std::move(done),
                                                  isWrite ? nullptr : &taken_);
      return r;
    }
    // Completed at once; the record's count is the one to trust for an overlapped handle.
    GetOverlappedResult(handle_, overlapped.get(), &count, FALSE);
    r.count = static_cast<std::int32_t>(count);
    if (!isWrite) {
      taken_ += count;
      buffer.resize(count);
      r.received = std::move(buffer);
    }
    return r;
  }

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  HANDLE lock_ = nullptr;
  bool readAtOnce_ = true;
  LineRefusal refused_ = LineRefusal::None;
  TakenCount taken_{0};
  std::unique_ptr<Win32Bell> bell_;  // while open
};

}  // namespace

std::unique_ptr<ComPortBackend> CreateComPortBackend() {
  return std::make_unique<Win32Backend>();
}

}  // namespace qm::comm
