// The link to the scale: opening and closing the port for the operator, selecting the scale by
// its address byte, sending one command and collecting the acknowledgement and the fixed-length
// reply. The transfers and the live display poll are built on it.
//
// The wire has no framing: every exchange is
//   program -> address byte;  scale -> the same byte (echo), then a status byte:
//     0x80 ready, or 0xDD followed by a 4-byte little-endian number (the scale is not ready);
//     an echo without a status means the scale is busy and the address is sent again;
//   program -> command byte and its data;  scale -> 0xAA then the reply of the command's length,
//     or another byte instead of 0xAA (0xEE: refused, e.g. no such record).
//
// Waiting: a reply is awaited by handling the window's events through the EventPump until the
// bytes are in the port's input queue or ReplyTicks has run out. ReplyTicks is set to 5 when a
// wait starts and by every receive notification (ComPortRxChar) and counted down by the 100 ms
// timer (TickReplyTimeout), so a wait ends 0.4-0.5 s after the last byte that arrived. Timer
// ticks, port notifications and operator commands therefore run inside a wait; LinkBusy (set by
// the callers) keeps a second exchange from starting.
//
// Closing the port while a wait runs (the Connect button, the window closing) ends the wait as a
// failure without a message: the operator asked for it.
//
// The link shows no boxes. A failure the operator must hear of (no answer, a port that cannot be
// opened) goes to the failure handler as a value, at the moment it happens; the window shows it
// as a box, qmctl prints it.
//
// Threads: the UI thread only. Texts are Windows-1251.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "base/Captions.h"
#include "base/EventPump.h"
#include "base/RunState.h"
#include "base/StatusView.h"
#include "link/ComPort.h"

namespace qm {

// Results of SendCommand (besides 1..255, the byte the scale sent instead of the acknowledgement).
inline constexpr std::int32_t kCommandDone = 0;
// The scale refused the command (e.g. the record does not exist).
inline constexpr std::int32_t NotProgrammed = 0xEE;
// The scale answered 0x00 instead of the acknowledgement. Kept apart from kCommandDone so that a
// stray zero byte is never taken for success; callers treat it like any other unexpected byte.
inline constexpr std::int32_t kAnswerZeroByte = 256;

// Protocol bytes.
inline constexpr std::uint8_t kStatusReady = 0x80;
inline constexpr std::uint8_t kStatusNumber = 0xDD;  // not ready; 4 bytes follow
inline constexpr std::uint8_t kAcknowledge = 0xAA;

// The longest answer the scale sends after its acknowledgement (a message, 400 bytes): the most
// that an earlier exchange can leave on the line ahead of the next echo.
inline constexpr std::uint32_t kLongestReply = 400;

// Timer ticks a wait for reply bytes lasts after the last byte arrived.
inline constexpr std::int32_t kReplyTimeoutTicks = 5;
// The period of the timer whose ticks count the reply wait down.
inline constexpr std::chrono::milliseconds kTickPeriod{100};

extern const std::string kLinkErrorText;       // "Ошибка связи с весами."
extern const std::string kCannotOpenPortText;  // "Не могу открыть порт COM"
extern const std::string kConnectHint;         // "Подключить весы"
extern const std::string kDisconnectHint;      // "Отключить весы"
extern const std::string kBusyText;            // "Busy..."

// "Не могу открыть порт " + portName + "." + "\n" + cause (Windows-1251).
std::string CannotOpenPortText(const std::string& portName, const std::string& cause);

// A failure of the link the operator is told of.
struct LinkFailure {
  enum class Kind {
    NoAnswer,       // the scale did not answer (in time, or in full): kLinkErrorText
    CannotOpenPort  // the port could not be opened: CannotOpenPortText
  };
  Kind kind = Kind::NoAnswer;
  std::string text;      // the whole text for the operator, Windows-1251
  std::string cause;     // CannotOpenPort: the reason, Windows-1251 (the text's second line)
  std::string portName;  // CannotOpenPort: "COM1".."COM8"
};

class LinkExchange;

class ScaleLink {
 public:
  // Assigns the port's OnRxChar to ComPortRxChar. Everything is borrowed and must outlive the
  // link. The port's events must reach this thread (SyncMethod smWindow or smSynchronize with a
  // dispatcher served by `pump`).
  ScaleLink(TComPort& port, RunState& state, StatusView& status, EventPump& pump);
  ~ScaleLink();
  ScaleLink(const ScaleLink&) = delete;
  ScaleLink& operator=(const ScaleLink&) = delete;

  // The main window's timer tick handler (the live poll's), run once at once by OpenLink with
  // start-poll on.
  void SetTimerTick(std::function<void()> onTick) { timerTick_ = std::move(onTick); }

  // Receives every failure the operator must be told of (see LinkFailure), on the UI thread, at
  // the moment it happens. Unset: failures are only seen in the results.
  using FailureHandler = std::function<void(const LinkFailure&)>;
  void SetFailureHandler(FailureHandler handler) { failureHandler_ = std::move(handler); }

  // Sees every frame the link writes (`sent`) and every group of bytes it takes from the port,
  // replies and dropped bytes alike, for tracing the line. Runs on the UI thread; may be unset.
  using FrameTap = std::function<void(bool sent, const std::string& bytes)>;
  void SetFrameTap(FrameTap tap) { frameTap_ = std::move(tap); }

  // --- exchange ------------------------------------------------------------------------------

  // Waits for `count` bytes and takes them into `bytes`. On time-out the bytes that did arrive
  // are dropped, and with `reportError` LinkError reports "Ошибка связи с весами.". False on a
  // closed port, on time-out and when the port was closed during the wait (no message then).
  bool ReadReply(std::uint32_t count, bool reportError, std::string& bytes);

  // Drops whatever waits in the input queue. False when the port is closed.
  bool PurgeInput();

  // Selects the scale: sends ScaleAddress, expects it echoed and then a status. True when the
  // scale is ready (0x80; value = NoAnswer) or sent 0xDD and a number (value = that number,
  // little-endian signed 32-bit). False on a wrong echo or another status (quietly), or after a
  // reported time-out. Bytes that arrive ahead of the echo are the tail of an earlier answer and
  // are dropped. While the scale echoes without a status, panel 7 shows "Busy..." and the
  // address is sent again until it answers, the echo fails, or the port is closed.
  // A port failure (EComPort) closes the link and is passed on to the caller.
  bool SelectScale(std::int32_t& value);

  // Sends `command` and `data`, then expects 0xAA. Returns kCommandDone, with `data` := the
  // reply of `replyLength` bytes when `expectReply` (else emptied); the byte sent instead of
  // 0xAA (1..255, or kAnswerZeroByte for 0x00) with `data` unchanged (a reply that may follow
  // such a byte, other than the refusal, is waited for and dropped); or NoAnswer after a
  // reported failure. A port failure (EComPort) closes the link and is passed on to the caller.
  std::int32_t SendCommand(std::uint8_t command, bool expectReply, std::string& data,
                           std::uint32_t replyLength);

  // Reports a failed exchange: empties panel 7; unless DisconnectRequested, closes the link and
  // hands kLinkErrorText to the failure handler.
  void LinkError();

  // --- connection ----------------------------------------------------------------------------

  // Opens the link (a port that cannot be opened is reported, the link stays closed). With
  // `startPoll` the live poll is enabled and the timer tick runs once at once.
  void OpenLink(bool startPoll);
  void CloseLink();
  bool IsOpen() const { return port_.Connected(); }

  // Counts every open and close done through the link: a change tells a waiting exchange that
  // the port was closed (and maybe opened again) while events ran.
  std::uint64_t Generation() const { return linkGeneration_; }
  RunState& State() { return state_; }

  // The Connect tool button.
  void ConnectClick();

  // The window is closing: the timer has stopped; abort pending transfers and close the port.
  void CloseForExit();

  // --- events --------------------------------------------------------------------------------

  // The port's receive notification: bytes arrived, the reply time-out starts over.
  void ComPortRxChar(TComPort& sender, std::int32_t inQue);
  // The link's part of the 100 ms timer tick: counts ReplyTicks down to 0.
  void TickReplyTimeout();

 private:
  friend class LinkExchange;
  // Before an exchange: opens the link without the poll, or suspends the poll of an open link.
  // False when the port could not be opened. `wasConnected` goes to EndExchange.
  bool BeginExchange(bool& wasConnected);
  // After an exchange: resumes the poll of a link that was open (and still is), else closes it.
  void EndExchange(bool wasConnected);

  bool SelectScaleOnLine(std::int32_t& value);
  std::int32_t SendCommandOnLine(std::uint8_t command, bool expectReply, std::string& data,
                                 std::uint32_t replyLength);
  void CloseAfterPortFailure();
  void ShowLinkState();
  void ShowOpenPortError(const EComPort& error);
  // Writes with wait; on a line where the port cannot see its bytes onto the wire, their line
  // time is owed to the next reply wait.
  void WriteBytes(const std::string& bytes);
  // The same without the frame tap, for a write that joins frames the tap saw apart.
  void WriteToLine(const std::string& bytes);
  // Waits for the echo of `address`, dropping stale bytes ahead of it (at most kLongestReply of
  // them, and only until echoTicks_ ran out). False on silence (reported) or on a wrong echo
  // (quietly).
  bool ReadEcho(std::uint8_t address);

  TComPort& port_;
  RunState& state_;
  StatusView& status_;
  EventPump& pump_;
  FailureHandler failureHandler_;
  std::function<void()> timerTick_;
  FrameTap frameTap_;
  std::uint64_t linkGeneration_ = 0;
  std::chrono::microseconds lineTimeOwed_{};
  // Ticks left for dropping stale bytes ahead of an echo; set at each address, counted down by
  // the timer and never started over by arriving bytes.
  std::int32_t echoTicks_ = 0;
};

// Holds LinkBusy for one short exchange (the live poll) and clears it however the scope is left,
// exceptions from the port included. Transfers use LinkExchange.
class LinkBusyScope {
 public:
  explicit LinkBusyScope(RunState& state) : state_(state) { state_.LinkBusy = true; }
  ~LinkBusyScope() { state_.LinkBusy = false; }
  LinkBusyScope(const LinkBusyScope&) = delete;
  LinkBusyScope& operator=(const LinkBusyScope&) = delete;

 private:
  RunState& state_;
};

}  // namespace qm
