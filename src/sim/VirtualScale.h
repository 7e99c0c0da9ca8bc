// The virtual scale: answers the scale side of the serial exchange on a pseudo-terminal, in a
// thread of its own, for tests and for the qm-scale-sim program.
//
// One exchange as the scale sees it: the address byte arrives; the scale echoes it and sends the
// status 0x80; the command byte arrives, then exactly the data length the command fixes; the
// scale acknowledges with 0xAA (or refuses with 0xEE) and, for commands with a reply, sends the
// reply of its fixed length. Bytes that arrive while the scale waits for an address and are not
// its address are ignored, as a scale on a shared line ignores traffic for the others.
//
// All public members are thread-safe.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sim/Pty.h"
#include "sim/ScaleData.h"

namespace qmsim {

// Misbehaviour on demand. Every field off means a well-behaved scale.
struct Faults {
  bool silent = false;                     // no answer at all, not even the echo
  std::optional<std::uint8_t> wrongEcho;   // echo this byte instead of the address, then nothing
  bool endlessBusy = false;                // echo, then no status
  std::optional<std::int32_t> busyNumber;  // status 0xDD and this number instead of 0x80
  std::optional<std::uint8_t> ackByte;     // sent instead of 0xAA on commands that would succeed
  bool replyAfterOddAck = false;           // ...and the reply still follows it
  std::optional<std::size_t> replyCut;     // send only the first N bytes of a reply
  std::optional<std::size_t> hangUpAfter;  // after N bytes of a reply, close the master
  std::chrono::milliseconds hangUpDelay{300};  // pause between those N bytes and the hang-up
  Bytes trailingGarbage;                       // appended after the last byte of every answer
  std::set<std::int32_t> refusedPlus;          // 0xEE to reads and writes of these PLU numbers
  std::set<std::int32_t> refusedMessages;      // 0xEE to reads and writes of these messages
  std::set<std::uint8_t> refusedCommands;      // 0xEE to these commands whatever their data
  // The faults start after this many further exchanges have been answered normally (counted
  // from SetFaults), e.g. 2 to hang up during the third record of a transfer.
  std::size_t skipExchanges = 0;
};

// One exchange: from an address byte that selected this scale until the scale waits for the
// next address again.
struct ExchangeRecord {
  std::uint8_t address = 0;
  std::optional<std::uint8_t> command;  // absent when no command followed the status
  Bytes data;                           // the bytes received after the command byte
  bool complete = false;                // the command and all of its data arrived
  Bytes in;                             // everything received: address, command, data
  Bytes out;                            // everything sent: echo, status, ack, reply, garbage
};

class VirtualScale {
 public:
  struct Options {
    std::uint8_t address = 1;
    unsigned baud = 0;     // pacing: 0 answers as fast as possible; else 10 bits per byte
    std::string linkPath;  // when set, a symbolic link to the terminal end is kept there
    std::chrono::milliseconds commandTimeout{2000};  // wait for the command after the status
    std::chrono::milliseconds byteTimeout{1000};     // longest gap inside the command data
  };

  // Opens the pty and starts answering. Throws std::system_error when the pty or the link
  // cannot be made.
  explicit VirtualScale(Options options);
  VirtualScale() : VirtualScale(Options{}) {}
  ~VirtualScale();  // Stop(), and the trace ends
  VirtualScale(const VirtualScale&) = delete;
  VirtualScale& operator=(const VirtualScale&) = delete;

  // Path of the terminal end to open as the serial port (e.g. "/dev/pts/7").
  const std::string& SlavePath() const;
  // Stops the thread and closes the pty (removing the link). Idempotent.
  void Stop();

  void SetAddress(std::uint8_t address);
  void SetPacing(unsigned baud);  // 0 = no pacing

  // Stored data (see ScaleData for sizes and padding).
  void SetPlu(std::int32_t number, Bytes record);
  std::optional<Bytes> Plu(std::int32_t number) const;
  void ErasePlu(std::int32_t number);
  std::vector<std::int32_t> PluNumbers() const;
  void SetMessage(std::int32_t number, Bytes block);
  std::optional<Bytes> Message(std::int32_t number) const;
  void EraseMessage(std::int32_t number);
  std::vector<std::int32_t> MessageNumbers() const;
  void SetTotals(Bytes totals);
  Bytes Totals() const;
  void SetDisplay(const Display& d);
  void SetWeightMoving(bool moving);
  Display CurrentDisplay() const;

  // Writes every frame the scale takes in and sends to the file at `path` (created or
  // emptied), one line each, as qmctl --trace prints the program's side: the seconds since the
  // trace began in brackets, ">" for what the scale sent or "<" for what it received, and the
  // bytes as hex pairs, e.g. "[     0.012] < 01". Received frames are the address, the command
  // byte, the command's data (what came of it, when the program gave up) and each byte not
  // addressed to this scale; sent frames are each answer as it goes out (echo, status,
  // acknowledgement, reply, garbage) and unasked bytes. An empty path ends the trace. Throws
  // std::system_error when the file cannot be opened.
  void TraceTo(const std::string& path);

  // Faults.
  void SetFaults(Faults f);
  void ClearFaults() { SetFaults(Faults{}); }
  Faults CurrentFaults() const;
  // Writes bytes to the line now, unasked (garbage between exchanges). False once hung up.
  bool SendUnasked(const Bytes& bytes);

  // Inspection.
  std::vector<ExchangeRecord> Log() const;
  void ClearLog();                    // also resets the counters below
  std::size_t ExchangeCount() const;  // finished exchanges
  // Commands that arrived complete with their data, counted before the scale answers them.
  std::size_t CommandCount(std::uint8_t command) const;
  std::size_t IgnoredByteCount() const;  // bytes not addressed to this scale
  bool HungUp() const;                   // the master was closed by hangUpAfter
  // True when the scale has nothing on its way: its thread waits for the program, every byte
  // the program wrote has been taken in, and every byte the scale wrote is in the terminal end's
  // input queue. Also true once the thread has ended (stopped, hung up). Tests let virtual time
  // pass only then, so a reply time-out means that the scale really has nothing more to send.
  // Changes nothing on the line.
  bool Quiet() const;
  // Bytes the scale has taken from the line and written to it since it started (never reset):
  // with a server between the program and the scale, comparing them with what the program sent
  // and received tells whether anything is still on its way.
  std::uint64_t BytesIn() const { return bytesIn_.load(); }
  std::uint64_t BytesOut() const { return bytesOut_.load(); }
  // The speed, in bit/s, that whoever holds the terminal end has set on it (0 when unknown).
  unsigned LineBaud() const;
  // Waits until at least n exchanges have finished since the last ClearLog; false on timeout.
  bool WaitForExchanges(std::size_t n, std::chrono::milliseconds timeout) const;
  // Waits until at least n bytes have been ignored since the last ClearLog; false on timeout.
  bool WaitForIgnoredBytes(std::size_t n, std::chrono::milliseconds timeout) const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Line;  // the thread's reading and writing on the master, with pacing

  void Run();
  void SetWaiting(bool waiting);
  bool WriteMaster(const std::uint8_t* p, std::size_t n);
  void Serve(Line& line, std::uint8_t first);
  void Finish(ExchangeRecord rec);
  bool FaultsActive(std::size_t exchangeIndex) const;
  void Trace(bool sent, const Bytes& bytes);

  Options options_;
  std::unique_ptr<Pty> pty_;
  std::string slavePath_;
  int wakeRead_ = -1, wakeWrite_ = -1;
  std::atomic<unsigned> baud_;
  std::atomic<unsigned> address_;
  std::atomic<bool> hungUp_{false};
  std::atomic<std::uint64_t> bytesIn_{0};
  std::atomic<std::uint64_t> bytesOut_{0};

  mutable std::mutex mutex_;  // guards everything below and data_
  mutable std::condition_variable changed_;
  ScaleData data_;
  Faults faults_;
  std::size_t faultsFrom_ = 0;  // exchange index from which faults_ apply
  std::vector<ExchangeRecord> log_;
  std::size_t finished_ = 0;  // exchanges finished since construction
  std::size_t started_ = 0;   // exchanges begun since construction (fault counting)
  std::size_t ignored_ = 0;
  std::map<std::uint8_t, std::size_t> commandCounts_;

  // The thread is blocked waiting for the program's bytes; guarded so that Quiet looks at the
  // line while the thread cannot take bytes in (it clears the flag before reading).
  mutable std::mutex quietMutex_;
  bool waiting_ = false;
  bool ended_ = false;
  mutable std::mutex lastWriteMutex_;
  Clock::time_point lastWrite_{};  // when the scale last wrote to the line

  std::mutex traceMutex_;  // guards the two below
  std::FILE* trace_ = nullptr;
  Clock::time_point traceStart_{};

  std::mutex writeMutex_;  // serialises writes to the master and its closing
  std::thread thread_;
  bool stopped_ = false;
};

}  // namespace qmsim
