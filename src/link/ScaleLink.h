// The link to the scale: opening and closing the port for the operator, selecting the scale by
// its address byte, sending one command and collecting the acknowledgement and the fixed-length
// reply. The transfers and the live display poll are built on it.
//
// The exchange on the wire, its bytes and sizes are described in Protocol.h.
//
// Waiting: a reply is awaited by handling the window's events through the EventPump until the
// bytes are in the port's input queue or ReplyTicks has run out. ReplyTicks is set to 5 when a
// wait starts, by every receive notification (ComPortRxChar) and whenever the wait itself finds
// more bytes queued than at its last look (so a port opened without events times the same), and
// counted down by the 100 ms timer (TickReplyTimeout), so a wait ends 0.4-0.5 s after the last
// byte that arrived. Timer ticks, port notifications and operator commands therefore run inside
// a wait; LinkBusy (set by the callers) keeps a second exchange from starting.
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
#include <optional>
#include <string>

#include "base/Captions.h"
#include "base/EventPump.h"
#include "base/RunState.h"
#include "base/StatusView.h"
#include "port/ComPort.h"
#include "link/Protocol.h"

namespace qm {

// What asking the scale for its attention came to (SelectScale, ProbeAddress).
struct Selection {
  enum class Kind {
    Ready,        // the echo and the ready status 0x80
    NotReady,     // the echo, 0xDD and a number (`number`)
    OtherStatus,  // the echo and a status the protocol does not know (`status`)
    WrongEcho,    // another byte came back than the address
    Busy,         // the echo without a status: once for a probe; for a select, as many rounds as
                  // the busy limit allows, after which the link was closed
    Silent,       // no echo in time (a select has reported it as a link failure)
    CutShort,     // 0xDD came but its number not in full (a select has reported it)
    Closed,       // the port was closed before or while the answer was awaited
  };
  Kind kind = Kind::Closed;
  std::int32_t number = 0;  // NotReady: the number after 0xDD
  std::uint8_t status = 0;  // OtherStatus: the status byte

  bool Ready() const { return kind == Kind::Ready; }
  // The scale answered its address but is not ready for a command.
  bool Refusing() const {
    return kind == Kind::WrongEcho || kind == Kind::NotReady || kind == Kind::OtherStatus;
  }
  friend bool operator==(const Selection&, const Selection&) = default;
};

// What a command came to (SendCommand).
struct Answer {
  enum class Kind {
    Done,      // acknowledged (0xAA), and the reply arrived in full when one was asked for
    Refused,   // 0xEE instead of the acknowledgement (e.g. no such record)
    OddByte,   // another byte instead of the acknowledgement, 0x00 included (`byte`)
    NoAnswer,  // no (complete) answer, reported as a link failure; or the link was closed
  };
  Kind kind = Kind::NoAnswer;
  std::uint8_t byte = 0;  // Refused, OddByte: the byte sent instead of the acknowledgement
  std::string reply;      // Done: the reply, empty when none was asked for
};

// What a probe found at an address, as a search of the line lists it: "ready",
// "not ready (N)", "status XX", "Busy..."; empty when nothing answered (Silent, WrongEcho,
// Closed).
std::string ProbeText(const Selection& selection);

// Timer ticks a wait for reply bytes lasts after the last byte arrived.
inline constexpr std::int32_t kReplyTimeoutTicks = 5;
// The period of the timer whose ticks count the reply wait down.
inline constexpr std::chrono::milliseconds kTickPeriod{100};

extern const std::string kLinkErrorText;       // "Ошибка связи с весами."
extern const std::string kCannotOpenPortText;  // "Не могу открыть порт COM"
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

// What happened to the line, for the operator's side to show (the Connect button, the display).
enum class LinkEvent {
  Opened,           // the port is open (again, or still after a failure)
  Closed,           // the port is closed
  ExchangeStarted,  // a transfer took the open line from the live poll
};

class LinkExchange;

class ScaleLink {
 public:
  // Assigns the port's OnRxChar to ComPortRxChar. Everything is borrowed and must outlive the
  // link. The port's events, if it asks for any, must reach this thread (SyncMethod smWindow or
  // smSynchronize with a dispatcher served by `pump`); a port without events must have its
  // arrivals end `pump`'s waits some other way (the headless loop waits on the device).
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

  // Told of every LinkEvent, on the UI thread; unset (qmctl): nothing is shown.
  using LinkEventHandler = std::function<void(LinkEvent)>;
  void SetLinkEventHandler(LinkEventHandler handler) { linkEventHandler_ = std::move(handler); }

  // --- exchange ------------------------------------------------------------------------------

  // Waits for `count` bytes and takes them into `bytes`. On time-out the bytes that did arrive
  // are dropped, and with `reportError` LinkError reports "Ошибка связи с весами.". False on a
  // closed port, on time-out and when the port was closed during the wait (no message then).
  bool ReadReply(std::uint32_t count, bool reportError, std::string& bytes);

  // Drops whatever waits in the input queue. False when the port is closed.
  bool PurgeInput();

  // Selects the scale: sends ScaleAddress, expects it echoed and then a status. Ready (0x80),
  // NotReady with the number after 0xDD (little-endian signed 32-bit), WrongEcho and
  // OtherStatus come quietly; Silent and CutShort after a reported time-out; Closed when the
  // port was closed. Bytes that arrive ahead of the echo are the tail of an earlier answer and
  // are dropped. While the scale echoes without a status, panel 7 shows "Busy..." and the
  // address is sent again until it answers, the echo fails, the port is closed, or the busy
  // limit runs out (Busy, the link closed).
  // A port failure (EComPort) closes the link and is passed on to the caller.
  Selection SelectScale();

  // Asks `address` once, as a search of the line does: no second asking while the scale is
  // busy, no stale bytes dropped ahead of the echo, no failure reported. Silent when nothing
  // came back, Busy when the echo came without a status, CutShort when the number after 0xDD
  // did not arrive in full. The link must be open; a closed port gives Closed.
  Selection ProbeAddress(std::uint8_t address);

  // How many rounds in a row SelectScale asks a scale that echoes without a status before it
  // gives up and closes the link; 0 (the window's way): for as long as the link is open.
  void SetBusyLimit(int rounds) { busyLimit_ = rounds; }

  // Sends `command` and `data`, then expects 0xAA and, when `replyLength` > 0, a reply of that
  // many bytes. A reply that may follow an odd byte (not the refusal) is waited for and dropped.
  // NoAnswer after a reported failure or when the port was closed meanwhile. A port failure
  // (EComPort) closes the link and is passed on to the caller.
  Answer SendCommand(std::uint8_t command, const std::string& data, std::uint32_t replyLength);

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

  // How a wait for reply bytes ended.
  enum class Wait { Got, TimedOut, Closed };
  Wait AwaitReply(std::uint32_t count, bool reportError, std::string& bytes);

  Selection SelectScaleOnLine();
  Selection ProbeOnLine(std::uint8_t address);
  // The selection a status byte after the echo makes; the number after 0xDD is read here (a
  // time-out reported with `reportError`).
  Selection ReadStatus(std::uint8_t status, bool reportError);
  Answer SendCommandOnLine(std::uint8_t command, const std::string& data,
                           std::uint32_t replyLength);
  void CloseAfterPortFailure();
  void Notify(LinkEvent event);
  // Tells the operator's side whether the port is open; a closed port also stops the poll.
  void ShowLinkState();
  void ShowOpenPortError(const EComPort& error);
  // Writes with wait; on a line where the port cannot see its bytes onto the wire, their line
  // time is owed to the next reply wait.
  void WriteBytes(const std::string& bytes);
  // The same without the frame tap, for a write that joins frames the tap saw apart.
  void WriteToLine(const std::string& bytes);
  // Waits for the echo of `address`, dropping stale bytes ahead of it (at most kLongestReply of
  // them, and only until echoTicks_ ran out). Nothing when it came; else Silent (reported),
  // WrongEcho (quietly) or Closed.
  std::optional<Selection::Kind> ReadEcho(std::uint8_t address);

  TComPort& port_;
  RunState& state_;
  StatusView& status_;
  EventPump& pump_;
  FailureHandler failureHandler_;
  std::function<void()> timerTick_;
  FrameTap frameTap_;
  LinkEventHandler linkEventHandler_;
  std::uint64_t linkGeneration_ = 0;
  std::chrono::microseconds lineTimeOwed_{};
  // Ticks left for dropping stale bytes ahead of an echo; set at each address, counted down by
  // the timer and never started over by arriving bytes.
  std::int32_t echoTicks_ = 0;
  int busyLimit_ = 0;
  // Rounds of "Busy..." since the scale last sent a status.
  int busyRounds_ = 0;
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
