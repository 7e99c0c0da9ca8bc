// TComPort: the program's serial port. It owns one RS-232 device, keeps the line settings as
// properties, writes and reads byte strings, reports the input-queue size, and runs an event
// thread (TComThread) that waits for line events and hands them to the handlers.
//
// Threads: every public operation is called on the user-interface thread. Handlers run on the
// UI thread through a UiDispatcher (smSynchronize: the whole dispatch in one hand-off; smWindow:
// one hand-off per event) or on the event thread (smNone). Handlers must not Close the port.
//
// Bytes are raw octets in std::string. Errors of the device raise EComPort.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stack>
#include <stdexcept>
#include <string>
#include <utility>

#include "base/LineSettings.h"

namespace qm {

namespace comm {
class ComPortBackend;
class PendingTransfer;
struct LineState;
}  // namespace comm
class TComThread;
class UiDispatcher;
class TComPort;

// The port's failure: a fixed prefix, then (for system failures) "error N." with the system's
// code, e.g. "Unable to open com port: error 2.".
class EComPort : public std::runtime_error {
 public:
  explicit EComPort(const std::string& message, int systemCode = 0, std::string reason = {})
      : std::runtime_error(message), systemCode_(systemCode), reason_(std::move(reason)) {}
  // The system's error code, 0 when the failure did not come from the system.
  int SystemCode() const { return systemCode_; }
  // For the operator, Windows-1251: which line setting the port refused ("Порт не принимает
  // 1,5 стоповых бита при 8 битах данных."); empty for other failures.
  const std::string& Reason() const { return reason_; }

 private:
  int systemCode_;
  std::string reason_;
};

// "error N." for a system error code.
std::string LastErrorText(int systemCode);

enum class TEvent : std::uint8_t {
  evRxChar,
  evTxEmpty,
  evRxFlag,
  evRing,
  evBreak,
  evCTS,
  evDSR,
  evError,
  evRLSD,
  evRx80Full
};
inline constexpr int kEventCount = 10;

// A set of TEvent (stored as ten bits, bit n = ordinal n).
class TEvents {
 public:
  constexpr TEvents() = default;
  constexpr TEvents(std::initializer_list<TEvent> events) {
    for (TEvent e : events) bits_ |= Bit(e);
  }
  static constexpr TEvents All() { return FromBits(0x3FF); }
  static constexpr TEvents FromBits(std::uint16_t bits) {
    TEvents s;
    s.bits_ = bits & 0x3FF;
    return s;
  }
  constexpr std::uint16_t Bits() const { return bits_; }
  constexpr bool Contains(TEvent e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TEvents& Include(TEvent e) {
    bits_ |= Bit(e);
    return *this;
  }
  constexpr TEvents& Exclude(TEvent e) {
    bits_ &= ~Bit(e);
    return *this;
  }
  friend constexpr bool operator==(TEvents, TEvents) = default;

 private:
  static constexpr std::uint16_t Bit(TEvent e) { return std::uint16_t(1u << unsigned(e)); }
  std::uint16_t bits_ = 0;
};

enum class TSyncMethod : std::uint8_t { smSynchronize, smWindow, smNone };

// Parity settings of a port. Any change re-applies the line state of an open port.
class TParity {
 public:
  explicit TParity(TComPort* port) : port_(port) {}
  TParityBits Bits() const { return bits_; }
  void SetBits(TParityBits value);
  bool Check() const { return check_; }
  void SetCheck(bool value);
  bool Replace() const { return replace_; }
  void SetReplace(bool value);
  std::uint8_t ReplaceChar() const { return replaceChar_; }
  void SetReplaceChar(std::uint8_t value);
  // Copies every field and the port reference into `dest`.
  void AssignTo(TParity& dest) const { dest = *this; }

 private:
  friend class TComPort;
  TComPort* port_;
  TParityBits bits_ = TParityBits::prNone;
  bool check_ = false;
  bool replace_ = false;
  std::uint8_t replaceChar_ = 0;
};

// Flow control. Any change re-applies the line state of an open port.
class TFlowControl {
 public:
  explicit TFlowControl(TComPort* port) : port_(port) {}
  bool OutCtsFlow() const { return outCtsFlow_; }
  void SetOutCtsFlow(bool value);
  bool OutDsrFlow() const { return outDsrFlow_; }
  void SetOutDsrFlow(bool value);
  TDtrFlowControl ControlDtr() const { return controlDtr_; }
  void SetControlDtr(TDtrFlowControl value);
  TRtsFlowControl ControlRts() const { return controlRts_; }
  void SetControlRts(TRtsFlowControl value);
  bool XonXoffOut() const { return xonXoffOut_; }
  void SetXonXoffOut(bool value);
  bool XonXoffIn() const { return xonXoffIn_; }
  void SetXonXoffIn(bool value);
  void AssignTo(TFlowControl& dest) const { dest = *this; }

 private:
  TComPort* port_;
  bool outCtsFlow_ = false;
  bool outDsrFlow_ = false;
  TDtrFlowControl controlDtr_ = TDtrFlowControl::dtrDisable;
  TRtsFlowControl controlRts_ = TRtsFlowControl::rtsDisable;
  bool xonXoffOut_ = false;
  bool xonXoffIn_ = false;
};

// Transfer time-outs in milliseconds (signed; -1 stands for the largest unsigned value).
// Any change re-applies the time-outs of an open port. With the defaults a read returns at once
// with what is queued; a write may take 100 ms per byte plus 1000 ms.
class TComTimeouts {
 public:
  explicit TComTimeouts(TComPort* port) : port_(port) {}
  std::int32_t ReadInterval() const { return readInterval_; }
  void SetReadInterval(std::int32_t value);
  std::int32_t ReadTotalMultiplier() const { return readTotalMultiplier_; }
  void SetReadTotalMultiplier(std::int32_t value);
  std::int32_t ReadTotalConstant() const { return readTotalConstant_; }
  void SetReadTotalConstant(std::int32_t value);
  std::int32_t WriteTotalMultiplier() const { return writeTotalMultiplier_; }
  void SetWriteTotalMultiplier(std::int32_t value);
  std::int32_t WriteTotalConstant() const { return writeTotalConstant_; }
  void SetWriteTotalConstant(std::int32_t value);
  void AssignTo(TComTimeouts& dest) const { dest = *this; }

 private:
  TComPort* port_;
  std::int32_t readInterval_ = -1;
  std::int32_t readTotalMultiplier_ = 0;
  std::int32_t readTotalConstant_ = 0;
  std::int32_t writeTotalMultiplier_ = 100;
  std::int32_t writeTotalConstant_ = 1000;
};

using TNotifyEvent = std::function<void(TComPort& sender)>;
// `inQue`: bytes in the input queue when the handler is called.
using TRxCharEvent = std::function<void(TComPort& sender, std::int32_t inQue)>;

// One handler slot of the port. It holds the handler as a std::function would and keeps the
// port's record of which events have a handler up to date, so that the event thread hands over
// only events somebody listens to: a hand-off to the UI thread that would run nothing still
// wakes the UI thread and the event thread twice, and after every write (TxEmpty) that is most
// of what a fast exchange costs.
template <typename Fn>
class TPortHandler {
 public:
  // `bit`: the line event the slot belongs to, 0 for OnOpen and OnClose.
  TPortHandler(std::atomic<std::uint32_t>& handled, std::uint32_t bit)
      : handled_(handled), bit_(bit) {}
  TPortHandler(const TPortHandler&) = delete;
  // Takes the other slot's handler; the slot stays this port's.
  TPortHandler& operator=(const TPortHandler& other) { return *this = other.fn_; }
  TPortHandler& operator=(Fn fn) {
    fn_ = std::move(fn);
    if (fn_) {
      handled_.fetch_or(bit_);
    } else {
      handled_.fetch_and(~bit_);
    }
    return *this;
  }
  explicit operator bool() const { return static_cast<bool>(fn_); }
  template <typename... Args>
  void operator()(Args&&... args) const {
    fn_(std::forward<Args>(args)...);
  }

 private:
  std::atomic<std::uint32_t>& handled_;
  std::uint32_t bit_;
  Fn fn_;
};

class TComPort {
 public:
  TComPort();
  ~TComPort();  // closes the port
  TComPort(const TComPort&) = delete;
  TComPort& operator=(const TComPort&) = delete;

  std::string Name;
  std::intptr_t Tag = 0;

  // Properties. Setting a property to its current value does nothing.
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate value);  // re-applies the line state when open
  TPortType Port() const { return port_; }
  void SetPort(TPortType value);  // an open port is closed and opened on the new device
  TParity& Parity() { return parity_; }
  const TParity& Parity() const { return parity_; }
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits value);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits value);
  bool DiscardNull() const { return discardNull_; }
  void SetDiscardNull(bool value);
  std::uint8_t EventChar() const { return eventChar_; }
  void SetEventChar(std::uint8_t value);
  TEvents Events() const { return events_; }
  void SetEvents(TEvents value);  // stored only: takes effect at the next Open
  std::uint32_t WriteBufSize() const { return writeBufSize_; }
  void SetWriteBufSize(std::uint32_t value);  // re-applies the buffer sizes when open
  std::uint32_t ReadBufSize() const { return readBufSize_; }
  void SetReadBufSize(std::uint32_t value);
  TFlowControl& FlowControl() { return flowControl_; }
  const TFlowControl& FlowControl() const { return flowControl_; }
  TComTimeouts& Timeouts() { return timeouts_; }
  const TComTimeouts& Timeouts() const { return timeouts_; }
  TSyncMethod SyncMethod() const { return syncMethod_; }
  // Raises EComPort "Cannot set SyncMethod while connected" for a new value while open.
  void SetSyncMethod(TSyncMethod value);

  // Handlers, called for the events in Events. An event without a handler is dropped on the
  // event thread: it is not handed over to the UI thread at all.
 private:
  std::atomic<std::uint32_t> handled_{0};  // line event bits whose handler is assigned

 public:
  TPortHandler<TRxCharEvent> OnRxChar{handled_, 0x0001};
  TPortHandler<TNotifyEvent> OnTxEmpty{handled_, 0x0004}, OnBreak{handled_, 0x0040},
      OnRing{handled_, 0x0100}, OnCTS{handled_, 0x0008}, OnDSR{handled_, 0x0010},
      OnRLSD{handled_, 0x0020}, OnRxFlag{handled_, 0x0002}, OnError{handled_, 0x0080},
      OnOpen{handled_, 0}, OnClose{handled_, 0}, OnRx80Full{handled_, 0x0400};
  // Line event bits (ComPortBackend.h) that have a handler now; any thread.
  std::uint32_t HandledEvents() const { return handled_.load(std::memory_order_relaxed); }

  // Where smSynchronize and smWindow run the handlers; not owned, must outlive the open port.
  // Opening with those methods and a non-empty Events requires one (std::logic_error otherwise).
  void SetDispatcher(UiDispatcher* dispatcher) { dispatcher_ = dispatcher; }
  // Replaces the COM1..COM8 name resolution (PortNames.h) for this port, e.g. in tests.
  void SetDeviceResolver(std::function<std::string(TPortType)> resolver) {
    resolver_ = std::move(resolver);
  }
  // The device path of the last Open attempt (empty before the first).
  const std::string& DevicePath() const { return devicePath_; }

  // Opens the device (closing it first if open), applies the settings, starts the event thread
  // when Events is not empty and calls OnOpen. "Unable to open com port: error N." when the
  // device cannot be opened (missing, in use, no permission); the port then stays closed.
  void Open();
  // Cancels pending transfers, stops the event thread, closes the device and calls OnClose.
  void Close();
  bool Connected() const { return connected_; }

  // Writes all of `data`. wait = true: returns the count written when the transfer ended.
  // wait = false: returns the count when it completed at once, else -1 and the transfer stays
  // pending until WaitForLastOperation, AbortAllOperations or Close.
  std::int32_t Write(const std::string& data, bool wait);
  // Reads up to `count` bytes into `buffer`, which is resized to `count`; the leading bytes up
  // to the returned count were received. Returns like Write. A pending read fills `buffer` when
  // it is collected by WaitForLastOperation, so the buffer must live until then.
  std::int32_t Read(std::string& buffer, std::uint32_t count, bool wait);
  // Bytes waiting in the driver's input queue. Where the dispatcher delivers arrivals on its
  // own thread (UiDispatcher::DeliversArrivals), the port takes input ahead of the reads and this
  // is the count of its last look at the driver: taken again when the port's bell rang since, or
  // when that look is older than a millisecond. A wait that finds too few bytes sleeps on the
  // bell, which rings for anything that came after the look.
  std::uint32_t InputCount();
  // Whether a write with wait ends when its bytes are on the line. False on a line whose driver
  // cannot tell (a pseudo-terminal, a network server): there the writer must count LineTime.
  bool WriteReachesLine() const;
  // The time `bytes` characters take on the line at the current settings.
  std::chrono::microseconds LineTime(std::size_t bytes) const;
  bool HasPendingOperations() const { return !pendingOperations_.empty(); }
  // Waits for the most recently started pending transfer and returns its count; -2 when none.
  std::int32_t WaitForLastOperation();
  // Cancels pending transfers and discards all of them.
  void AbortAllOperations();

  // Line data the open connection has sent and received, where the backend counts it (network
  // lines); false otherwise. Lets tests see that nothing is on its way through a server.
  bool LineCounts(std::uint64_t& sent, std::uint64_t& received) const;

  // How often each setting group reached the device; lets tests see that unchanged values are
  // not re-applied.
  struct ApplyCounts {
    int state = 0, bufferSizes = 0, timeouts = 0, opens = 0;
  };
  const ApplyCounts& AppliedCounts() const { return applied_; }

 private:
  friend class TParity;
  friend class TFlowControl;
  friend class TComTimeouts;
  friend class TComThread;

  struct OperationRecord;

  void ApplyState();
  void ApplyBufferSizes();
  void ApplyTimeouts();
  void ApplySettings();
  // Takes the backend that serves `device` (serial or network).
  void ChooseBackend(const std::string& device);
  comm::LineState BuildLineState() const;
  std::int32_t StartTransfer(bool isWrite, const std::string& data, std::string* buffer,
                             std::uint32_t count, bool wait);
  std::uint32_t EventMask() const;
  // Runs the handlers for the bits of `mask`, in the fixed order, on the calling thread.
  void DispatchEvents(std::uint32_t mask);
  void DispatchOne(std::uint32_t bit);
  // UI thread, after the bell rang, when the dispatcher delivers arrivals: the receive handlers.
  void DeliverArrival();

  // The bell handed to the dispatcher: the device's own, with the port's delivery behind it.
  class PortBell;

  std::unique_ptr<TComThread> eventThread_;
  bool threadCreated_ = false;
  std::stack<std::unique_ptr<OperationRecord>> pendingOperations_;
  std::unique_ptr<comm::ComPortBackend> backend_;
  bool netBackend_ = false;  // backend_ serves network lines (chosen by the device at Open)
  bool connected_ = false;

  TBaudRate baudRate_ = TBaudRate::br9600;
  TPortType port_ = TPortType::COM1;
  TStopBits stopBits_ = TStopBits::sbOneStopBit;
  TDataBits dataBits_ = TDataBits::dbEight;
  bool discardNull_ = false;
  std::uint8_t eventChar_ = 0;
  TEvents events_ = TEvents::All();
  std::uint32_t writeBufSize_ = 1024;
  std::uint32_t readBufSize_ = 1024;
  TParity parity_;
  TFlowControl flowControl_;
  TComTimeouts timeouts_;
  TSyncMethod syncMethod_ = TSyncMethod::smSynchronize;

  UiDispatcher* dispatcher_ = nullptr;
  UiDispatcher* bellDispatcher_ = nullptr;  // was given the open device's arrival bell
  std::unique_ptr<PortBell> bell_;          // while open, on a device that has a bell
  std::uint32_t arrivalMask_ = 0;  // RxChar, Rx80Full of Events at Open when the UI delivers them
  std::function<std::string(TPortType)> resolver_;
  std::string devicePath_;
  ApplyCounts applied_;
};

}  // namespace qm
