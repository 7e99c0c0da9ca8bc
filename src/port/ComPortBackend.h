// The platform side of TComPort: one file per platform (ComPortPosix.cpp, ComPortWin32.cpp)
// implements this interface and CreateComPortBackend; the build picks the file by its name.
// Private to src/link: users of the port include ComPort.h only.
//
// Every call returns the platform's own error code (errno on Linux), 0 for success; TComPort
// turns codes into EComPort messages.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>

#include "base/LineSettings.h"

namespace qm {
class ArrivalBell;
}

namespace qm::comm {

// Line event bits, the values of the communications event mask the port was designed around.
inline constexpr std::uint32_t kEvRxChar = 0x0001;
inline constexpr std::uint32_t kEvRxFlag = 0x0002;
inline constexpr std::uint32_t kEvTxEmpty = 0x0004;
inline constexpr std::uint32_t kEvCts = 0x0008;
inline constexpr std::uint32_t kEvDsr = 0x0010;
inline constexpr std::uint32_t kEvRlsd = 0x0020;
inline constexpr std::uint32_t kEvBreak = 0x0040;
inline constexpr std::uint32_t kEvError = 0x0080;
inline constexpr std::uint32_t kEvRing = 0x0100;
inline constexpr std::uint32_t kEvRx80Full = 0x0400;
// The order in which the handlers of one completed wait are called.
inline constexpr std::uint32_t kDispatchOrder[10] = {kEvRxChar, kEvTxEmpty, kEvBreak,  kEvRing,
                                                     kEvCts,    kEvDsr,     kEvRxFlag, kEvRlsd,
                                                     kEvError,  kEvRx80Full};

// Everything the line-state application needs, already resolved from the port's properties.
struct LineState {
  int baudRate = 9600;  // bit/s
  TDataBits dataBits = TDataBits::dbEight;
  TParityBits parity = TParityBits::prNone;
  TStopBits stopBits = TStopBits::sbOneStopBit;
  bool parityCheck = false;
  bool replaceErrors = false;
  std::uint8_t replaceChar = 0;
  bool outCtsFlow = false;
  bool outDsrFlow = false;
  TDtrFlowControl dtr = TDtrFlowControl::dtrDisable;
  TRtsFlowControl rts = TRtsFlowControl::rtsDisable;
  bool xonXoffOut = false;
  bool xonXoffIn = false;
  bool discardNull = false;
  std::uint8_t eventChar = 0;
  std::uint16_t xonLimit = 256;   // bytes
  std::uint16_t xoffLimit = 256;  // bytes
};

// The time one character takes on the line: start bit, data bits, parity and stop bits (1.5 stop
// bits counted as 2).
inline std::chrono::microseconds CharacterTime(const LineState& s) {
  const int dataBits = 5 + static_cast<int>(s.dataBits);
  const int parityBits = s.parity == TParityBits::prNone ? 0 : 1;
  const int stopBits = s.stopBits == TStopBits::sbOneStopBit ? 1 : 2;
  const int baud = s.baudRate > 0 ? s.baudRate : 9600;
  return std::chrono::microseconds(1'000'000LL * (1 + dataBits + parityBits + stopBits) / baud);
}

// Transfer time-outs in milliseconds, read as unsigned (so -1 is the largest value).
//  * read interval = max, both read totals 0: a read returns at once with what is queued;
//  * read interval = max, read multiplier = max, 0 < read constant < max: a read returns at once
//    when bytes are queued, else with the first bytes to arrive or after the constant;
//  * otherwise a read ends with `count` bytes, when multiplier * count + constant passed (if that
//    is not 0), or when the interval passed after a received byte (if the interval is not 0).
//  * a write ends when all bytes were handed to the driver or multiplier * length + constant
//    passed (if that is not 0), with the count handed over so far.
struct Timeouts {
  std::uint32_t readInterval = 0xFFFFFFFFu;
  std::uint32_t readTotalMultiplier = 0;
  std::uint32_t readTotalConstant = 0;
  std::uint32_t writeTotalMultiplier = 100;
  std::uint32_t writeTotalConstant = 1000;
};

struct TransferResult {
  int error = 0;           // platform code, 0 when the transfer completed
  std::int32_t count = 0;  // bytes moved
};

// A transfer that could not complete at once. It goes on in the background after
// StartBackground, or runs to its end inside Wait. Destroying it cancels and joins it.
class PendingTransfer {
 public:
  virtual ~PendingTransfer() = default;
  virtual void StartBackground() = 0;
  // Blocks until the transfer ended (completed, timed out, failed or cancelled).
  virtual TransferResult Wait() = 0;
  // Asks the transfer to end as soon as possible; Wait then reports it as aborted.
  virtual void Cancel() = 0;
  // For reads: the bytes received, valid after Wait.
  virtual const std::string& Received() const = 0;
};

struct StartResult {
  int error = 0;                             // failure to start
  std::int32_t count = 0;                    // completed at once: bytes moved
  std::string received;                      // completed read: the bytes
  std::unique_ptr<PendingTransfer> pending;  // set when the transfer goes on
};

// Waits for line events on the event thread.
class EventWaiter {
 public:
  virtual ~EventWaiter() = default;
  // Blocks until at least one event of the mask occurred and returns the bits; returns 0 when
  // `stop` was requested or waiting failed.
  virtual std::uint32_t Wait(std::stop_token stop) = 0;
  // At the end of the event thread: cancel transfers and empty both queues.
  virtual void PurgeAll() = 0;
};

// The line setting a device refused when SetLineState failed, so that the operator can be told
// which one; None when the failure had another cause (or the backend cannot tell).
enum class LineRefusal : std::uint8_t {
  None,
  StopBits,      // the stop bits with these data bits
  DataBits,      // the data bits
  Parity,        // the parity
  CtsFlow,       // CTS/RTS handshake
  DsrFlow,       // output flow on DSR
  DtrHandshake,  // input flow on DTR
  DiscardNull,   // dropping NUL bytes
  ErrorChar,     // replacing bytes with parity errors by a character other than NUL
};

// The UART's rule for stop bits: 1.5 stop bits only with 5 data bits, 2 only with 6 to 8.
inline bool UartTakesStopBits(TStopBits stopBits, TDataBits dataBits) {
  if (stopBits == TStopBits::sbOne5StopBits) return dataBits == TDataBits::dbFive;
  if (stopBits == TStopBits::sbTwoStopBits) return dataBits != TDataBits::dbFive;
  return true;
}

class ComPortBackend {
 public:
  virtual ~ComPortBackend() = default;
  // Opens the device exclusively for reading and writing, without waiting.
  virtual int Open(const std::string& device) = 0;
  virtual bool IsOpen() const = 0;
  virtual void Close() = 0;
  virtual int SetBufferSizes(std::uint32_t input, std::uint32_t output) = 0;
  virtual int SetLineState(const LineState& state) = 0;
  // After a failed SetLineState: the setting it refused.
  virtual LineRefusal Refused() const { return LineRefusal::None; }
  virtual int SetTimeouts(const Timeouts& timeouts) = 0;
  virtual int InputCount(std::uint32_t& count) = 0;
  // UI thread, at Open: the UI thread hears the bell after every ring (it delivers arrivals),
  // so the backend may take input ahead of the reads and answer InputCount from what it took
  // until the bell rings again. A backend without that need ignores it.
  virtual void SetReadAhead(bool on) {}
  virtual StartResult StartWrite(std::string_view data) = 0;
  // Blocks until the bytes written have left the port (the driver's queue and the transmitter
  // are empty), or until the last write's own time limit passed. A line whose driver cannot tell
  // when bytes are on the wire (a pseudo-terminal, a network server) returns at once.
  virtual int Drain() { return 0; }
  // Whether Drain ends when the bytes are on the line. When it cannot, whoever times the far
  // end's answer must count the line's time itself.
  virtual bool DrainReachesLine() const { return false; }
  virtual StartResult StartRead(std::uint32_t count) = 0;
  // Checks that outstanding transfers can be cancelled on the device (each transfer is then
  // cancelled through its own record).
  virtual int CancelTransfers() = 0;
  // The open device's arrival bell (UiDispatcher.h), or null when the platform has none. Owned
  // by the backend, valid until Close.
  virtual ArrivalBell* Bell() { return nullptr; }
  // Whether the bell can ring while an event waiter watches the device too. Windows lets one
  // wait for line events be pending on a device at a time, so there the bell is only used by a
  // port that asked for no events.
  virtual bool BellBesideEventThread() const { return true; }
  // UI thread, after the bell rang, when the UI thread delivers arrivals itself: the events of
  // `mask` (RxChar, Rx80Full) that the arrival makes, as the event waiter would have reported
  // them, and the input queue's size seen. Returns 0 or the system's error code.
  virtual int TakeArrival(std::uint32_t mask, std::uint32_t& events, std::uint32_t& inQue) {
    events = 0;
    inQue = 0;
    return 0;
  }
  // `mask`: the events to watch; without RxChar and Rx80Full the waiter leaves arrivals alone
  // (the UI thread hears them on the bell). `handled`: the events that have a handler now (TComPort::HandledEvents); the waiter may skip
  // the work of watching an event nobody listens to. It must outlive the waiter.
  virtual std::unique_ptr<EventWaiter> CreateEventWaiter(
      std::uint32_t mask, std::uint32_t readBufSize, const std::atomic<std::uint32_t>& handled) = 0;

  // Line data sent and received on this connection so far, counted where a line has a far side
  // that can hold bytes on their way (a network server); false where the backend does not count.
  virtual bool LineCounts(std::uint64_t& sent, std::uint64_t& received) const { return false; }
};

std::unique_ptr<ComPortBackend> CreateComPortBackend();

}  // namespace qm::comm
