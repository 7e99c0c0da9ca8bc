#include "link/ScaleLink.h"

#include <cstdio>

#include "base/Cp1251.h"
#include "base/WireCodecs.h"
#include "port/NetPortUrl.h"
#include "port/PortNames.h"

namespace qm {

const std::string kLinkErrorText = Win1251("Ошибка связи с весами.");
const std::string kCannotOpenPortText = Win1251("Не могу открыть порт COM");
const std::string kBusyText = "Busy...";

std::string CannotOpenPortText(const std::string& portName, const std::string& cause) {
  return Win1251("Не могу открыть порт ") + portName + "." + "\n" + cause;
}

ScaleLink::ScaleLink(TComPort& port, RunState& state, StatusView& status, EventPump& pump)
    : port_(port), state_(state), status_(status), pump_(pump) {
  port_.OnRxChar = [this](TComPort& sender, std::int32_t inQue) { ComPortRxChar(sender, inQue); };
}

ScaleLink::~ScaleLink() {
  port_.OnRxChar = nullptr;
}

// --- exchange --------------------------------------------------------------------------------

bool ScaleLink::ReadReply(std::uint32_t count, bool reportError, std::string& bytes) {
  return AwaitReply(count, reportError, bytes) == Wait::Got;
}

ScaleLink::Wait ScaleLink::AwaitReply(std::uint32_t count, bool reportError, std::string& bytes) {
  bytes.clear();
  if (!port_.Connected()) return Wait::Closed;
  const std::uint64_t generation = linkGeneration_;
  // Bytes just written that the port could not see onto the line are still on their way: the
  // wait is for the scale, so their time on the line comes on top.
  const auto lineTicks = lineTimeOwed_ / kTickPeriod;
  lineTimeOwed_ = {};
  state_.ReplyTicks = kReplyTimeoutTicks + static_cast<std::int32_t>(lineTicks);
  std::uint32_t waiting = 0;
  std::optional<std::uint32_t> seen;  // the count of the wait's last look
  for (;;) {
    // The operator (or the window closing) cut the link while events ran: end quietly.
    if (!port_.Connected() || linkGeneration_ != generation) return Wait::Closed;
    // The count of the last look decides: asking again would only cost another call.
    waiting = port_.InputCount();
    // Bytes that came during the wait start the time-out over, as the receive notification
    // does; a port opened without events (qmctl) has no notification, and this is its only one.
    if (seen && waiting > *seen) state_.ReplyTicks = kReplyTimeoutTicks;
    seen = waiting;
    if (waiting >= count || state_.ReplyTicks <= 0) break;
    pump_.ProcessPendingEvents();
  }

  if (waiting >= count) {
    std::string buffer;
    const std::int32_t got = port_.Read(buffer, count, true);
    if (got == static_cast<std::int32_t>(count)) {
      if (frameTap_) frameTap_(false, buffer);
      bytes = std::move(buffer);
      return Wait::Got;
    }
    // The driver gave fewer bytes than it had counted: treat it as a reply cut short.
  } else if (waiting > 0) {
    std::string dropped;
    const std::int32_t got = port_.Read(dropped, waiting, true);
    if (frameTap_ && got > 0) frameTap_(false, dropped.substr(0, static_cast<std::size_t>(got)));
  }
  if (reportError) LinkError();
  return Wait::TimedOut;
}

bool ScaleLink::PurgeInput() {
  if (!port_.Connected()) return false;
  if (const std::uint32_t waiting = port_.InputCount()) {
    std::string dropped;
    const std::int32_t got = port_.Read(dropped, waiting, true);
    if (frameTap_ && got > 0) frameTap_(false, dropped.substr(0, static_cast<std::size_t>(got)));
  }
  return true;
}

void ScaleLink::WriteBytes(const std::string& bytes) {
  if (frameTap_) frameTap_(true, bytes);
  WriteToLine(bytes);
}

void ScaleLink::WriteToLine(const std::string& bytes) {
  port_.Write(bytes, true);
  if (!port_.WriteReachesLine()) lineTimeOwed_ += port_.LineTime(bytes.size());
}

std::optional<Selection::Kind> ScaleLink::ReadEcho(std::uint8_t address) {
  std::string reply;
  switch (AwaitReply(1, true, reply)) {
    case Wait::Got:
      break;
    case Wait::TimedOut:
      return Selection::Kind::Silent;
    case Wait::Closed:
      return Selection::Kind::Closed;
  }
  // The scale echoes before anything else, so bytes ahead of the echo can only be the tail of an
  // earlier answer (trailing noise, a reply left after an odd acknowledgement) that arrived after
  // the input was emptied. They are dropped, but no more of them than the longest answer holds
  // and not past the select's own deadline: a line that carries bytes of its own (a port wired
  // to another device, a scale in continuous output) would otherwise keep the wait alive for
  // ever, each byte starting the reply time-out over. Either way the selection then fails
  // quietly, as any wrong echo does.
  std::uint32_t dropped = 0;
  while (static_cast<std::uint8_t>(reply[0]) != address) {
    if (++dropped > kLongestReply || echoTicks_ <= 0) return Selection::Kind::WrongEcho;
    const Wait wait = AwaitReply(1, false, reply);
    if (wait == Wait::Closed) return Selection::Kind::Closed;
    if (wait == Wait::TimedOut) return Selection::Kind::WrongEcho;
  }
  return std::nullopt;
}

Selection ScaleLink::SelectScaleOnLine() {
  status_.SetStatusText(kPanelBusy, std::string());
  // "Busy..." stays only while the scale is asked again. However the asking ends (a status, a
  // wrong echo, the operator closing the port during a wait for the echo), it goes.
  struct ClearBusyPanel {
    StatusView& status;
    ~ClearBusyPanel() { status.SetStatusText(kPanelBusy, std::string()); }
  };
  const ClearBusyPanel clearBusy{status_};
  const std::string address(1, static_cast<char>(state_.ScaleAddress));
  std::string reply;
  for (;;) {
    if (!PurgeInput()) return {Selection::Kind::Closed};
    WriteBytes(address);
    // The deadline for stale bytes ahead of the echo: one reply time-out from the address, plus
    // the line time of the longest answer that could still be draining.
    echoTicks_ = kReplyTimeoutTicks +
                 static_cast<std::int32_t>(port_.LineTime(kLongestReply) / kTickPeriod) +
                 static_cast<std::int32_t>(lineTimeOwed_ / kTickPeriod);
    if (const auto failed = ReadEcho(state_.ScaleAddress)) return {*failed};
    if (ReadReply(1, false, reply)) break;
    // Echo without status: the scale is busy (e.g. printing). Ask again until it answers, or
    // until the busy limit runs out: then the link is closed and the asking ends.
    status_.SetStatusText(kPanelBusy, kBusyText);
    const bool giveUp = busyLimit_ > 0 && ++busyRounds_ >= busyLimit_;
    if (giveUp) CloseLink();
    pump_.ProcessPendingEvents();
    if (giveUp) return {Selection::Kind::Busy};
  }
  busyRounds_ = 0;
  status_.SetStatusText(kPanelBusy, std::string());
  return ReadStatus(static_cast<std::uint8_t>(reply[0]), true);
}

Selection ScaleLink::ReadStatus(std::uint8_t status, bool reportError) {
  if (status == kStatusReady) return {Selection::Kind::Ready};
  if (status != kStatusNumber) return {Selection::Kind::OtherStatus, 0, status};
  std::string number;
  switch (AwaitReply(4, reportError, number)) {
    case Wait::Got:
      return {Selection::Kind::NotReady, LeBytesToInt(number)};
    case Wait::TimedOut:
      return {Selection::Kind::CutShort};
    case Wait::Closed:
      break;
  }
  return {Selection::Kind::Closed};
}

Selection ScaleLink::ProbeOnLine(std::uint8_t address) {
  if (!PurgeInput()) return {Selection::Kind::Closed};
  const std::string byte(1, static_cast<char>(address));
  WriteBytes(byte);
  std::string reply;
  switch (AwaitReply(1, false, reply)) {
    case Wait::Got:
      break;
    case Wait::TimedOut:
      return {Selection::Kind::Silent};
    case Wait::Closed:
      return {Selection::Kind::Closed};
  }
  if (reply != byte) return {Selection::Kind::WrongEcho};
  if (!ReadReply(1, false, reply)) return {Selection::Kind::Busy};
  return ReadStatus(static_cast<std::uint8_t>(reply[0]), false);
}

std::string ProbeText(const Selection& selection) {
  char hex[8];
  switch (selection.kind) {
    case Selection::Kind::Ready:
      return "ready";
    case Selection::Kind::NotReady:
      return "not ready (" + std::to_string(selection.number) + ")";
    case Selection::Kind::OtherStatus:
      std::snprintf(hex, sizeof hex, "%02X", selection.status);
      return std::string("status ") + hex;
    case Selection::Kind::CutShort:
      // The status byte is known to be 0xDD, but its number is not there to show.
      return "status 00";
    case Selection::Kind::Busy:
      return kBusyText;
    case Selection::Kind::WrongEcho:
    case Selection::Kind::Silent:
    case Selection::Kind::Closed:
      break;
  }
  return std::string();
}

Answer ScaleLink::SendCommandOnLine(std::uint8_t command, const std::string& data,
                                    std::uint32_t replyLength) {
  // The command byte and its data leave in one write: the same bytes on the line, one call and
  // one pass through the driver fewer. The trace still shows them as the two frames they are.
  std::string frame(1, static_cast<char>(command));
  if (frameTap_) frameTap_(true, frame);
  if (!data.empty()) {
    if (frameTap_) frameTap_(true, data);
    frame += data;
  }
  WriteToLine(frame);

  std::string reply;
  if (!ReadReply(1, true, reply)) return {Answer::Kind::NoAnswer};
  const std::uint8_t answer = static_cast<std::uint8_t>(reply[0]);
  if (answer == kRefusal) return {Answer::Kind::Refused, answer};
  if (answer != kAcknowledge) {
    // A byte the protocol does not know may still carry the reply behind it. It is taken off
    // the line here, so that the next exchange starts on a quiet line whenever it starts.
    if (replyLength > 0) {
      std::string dropped;
      ReadReply(replyLength, false, dropped);
    }
    return {Answer::Kind::OddByte, answer};
  }

  if (replyLength == 0) return {Answer::Kind::Done, answer};
  if (!ReadReply(replyLength, true, reply)) return {Answer::Kind::NoAnswer};
  return {Answer::Kind::Done, answer, std::move(reply)};
}

// A port failure inside an exchange (the adapter pulled out, the line hung up) goes on to the
// caller's error report. The link is closed first, so that the failure is met once: left open
// on a dead device, every later poll period would raise it again.
void ScaleLink::CloseAfterPortFailure() {
  status_.SetStatusText(kPanelBusy, std::string());
  try {
    CloseLink();
  } catch (const EComPort&) {
    // The first failure is the one worth reporting.
  }
}

Selection ScaleLink::SelectScale() {
  try {
    return SelectScaleOnLine();
  } catch (const EComPort&) {
    CloseAfterPortFailure();
    throw;
  }
}

Selection ScaleLink::ProbeAddress(std::uint8_t address) {
  try {
    return ProbeOnLine(address);
  } catch (const EComPort&) {
    CloseAfterPortFailure();
    throw;
  }
}

Answer ScaleLink::SendCommand(std::uint8_t command, const std::string& data,
                              std::uint32_t replyLength) {
  try {
    return SendCommandOnLine(command, data, replyLength);
  } catch (const EComPort&) {
    CloseAfterPortFailure();
    throw;
  }
}

void ScaleLink::LinkError() {
  status_.SetStatusText(kPanelBusy, std::string());
  if (state_.DisconnectRequested) return;
  try {
    CloseLink();
  } catch (const EComPort&) {
    // The message below matters more; the operator is shown the state the port is left in.
  }
  ShowLinkState();
  if (failureHandler_) failureHandler_({LinkFailure::Kind::NoAnswer, kLinkErrorText, {}, {}});
}

// --- connection ------------------------------------------------------------------------------

void ScaleLink::Notify(LinkEvent event) {
  if (linkEventHandler_) linkEventHandler_(event);
}

void ScaleLink::ShowLinkState() {
  if (port_.Connected()) {
    Notify(LinkEvent::Opened);
  } else {
    state_.PollEnabled = false;
    Notify(LinkEvent::Closed);
  }
}

void ScaleLink::ShowOpenPortError(const EComPort& error) {
  // A network line's failures (a server that cannot set the line among them) are the server's,
  // said in its words; a line setting a serial port refused is named as such; the system's code
  // says the rest.
  const std::string& device = port_.DevicePath();
  std::string cause =
      IsNetPortName(device) ? ExplainOpenFailure(error.SystemCode(), device) : std::string();
  if (cause.empty()) cause = error.Reason();
  if (cause.empty()) cause = ExplainOpenFailure(error.SystemCode(), device);
  if (cause.empty()) cause = error.what();
  LinkFailure failure;
  failure.kind = LinkFailure::Kind::CannotOpenPort;
  failure.portName = "COM" + std::to_string(static_cast<int>(port_.Port()) + 1);
  failure.text = CannotOpenPortText(failure.portName, cause);
  failure.cause = std::move(cause);
  if (failureHandler_) failureHandler_(failure);
}

void ScaleLink::OpenLink(bool startPoll) {
  state_.DisconnectRequested = false;
  if (port_.Connected()) return;
  ++linkGeneration_;
  try {
    port_.Open();
  } catch (const EComPort& error) {
    ShowOpenPortError(error);
  }
  ShowLinkState();
  if (port_.Connected() && startPoll) {
    state_.PollEnabled = true;
    if (timerTick_) timerTick_();
  }
}

void ScaleLink::CloseLink() {
  state_.DisconnectRequested = false;
  if (!port_.Connected()) return;
  ++linkGeneration_;  // ends a wait in progress even if closing fails
  port_.Close();
  ShowLinkState();
}

bool ScaleLink::BeginExchange(bool& wasConnected) {
  wasConnected = port_.Connected();
  if (!wasConnected) {
    OpenLink(false);
    return port_.Connected();
  }
  state_.PollEnabled = false;
  while (port_.Connected() && port_.HasPendingOperations()) pump_.ProcessPendingEvents();
  if (!port_.Connected()) return false;
  Notify(LinkEvent::ExchangeStarted);
  return true;
}

void ScaleLink::EndExchange(bool wasConnected) {
  if (!wasConnected) {
    CloseLink();
  } else if (port_.Connected()) {
    state_.PollEnabled = true;  // the poll resumes at its next period
  }
}

void ScaleLink::ConnectClick() {
  if (!port_.HasPendingOperations()) {
    if (port_.Connected()) {
      CloseLink();
    } else {
      OpenLink(true);
    }
    return;
  }
  // Transfers are outstanding: cut the line; the exchange that owns them stays silent about it.
  ++linkGeneration_;
  auto showState = [this] {
    state_.DisconnectRequested = !port_.Connected();
    ShowLinkState();
  };
  try {
    port_.Close();
  } catch (...) {
    showState();
    throw;
  }
  showState();
}

void ScaleLink::CloseForExit() {
  ++linkGeneration_;
  state_.PollEnabled = false;
  if (!port_.Connected()) return;
  port_.AbortAllOperations();
  port_.Close();
}

// --- events ----------------------------------------------------------------------------------

void ScaleLink::ComPortRxChar(TComPort&, std::int32_t) {
  state_.ReplyTicks = kReplyTimeoutTicks;
}

void ScaleLink::TickReplyTimeout() {
  if (state_.ReplyTicks > 0) --state_.ReplyTicks;
  // Not started over by arriving bytes: the deadline of the stale bytes ahead of an echo.
  if (echoTicks_ > 0) --echoTicks_;
}

}  // namespace qm
