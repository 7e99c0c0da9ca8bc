#include "ctl/LinkSession.h"

#include <cstdio>
#include <ostream>

#include "base/ScaleParams.h"
#include "link/PortNames.h"

namespace qm::ctl {

void CtlStatus::SetStatusText(int panel, const std::string& text, bool) {
  if (panel == kPanelActivity) activity = text;
  if (panel == kPanelBusy && text == kBusyText && onBusy) onBusy();
}

void CtlStatus::SetDisplayText(int panel, const std::string& text) {
  switch (panel) {
    case kDisplayPluNo:
      display.pluNo = text;
      if (!text.empty() && onReading) onReading(display);
      break;
    case kDisplayWeight:
      display.weight = text;
      break;
    case kDisplayPrice:
      display.unitPrice = text;
      break;
    case kDisplayTotal:
      display.totalPrice = text;
      break;
  }
}

std::string TraceLine(std::chrono::steady_clock::duration sinceStart, bool sent,
                      const std::string& bytes) {
  const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%6lld.%03lld] ", ms / 1000, ms % 1000);
  std::string line = stamp;
  line += sent ? ">" : "<";
  for (unsigned char c : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", c);
    line += hex;
  }
  return line;
}

LinkSession::LinkSession(const LineOptions& line, std::ostream& err, std::chrono::milliseconds tick)
    : loop(tick),
      core(port, loop, status, state),
      link(core.Link()),
      poll(core.Poll()),
      err_(err),
      trace_(line.trace),
      start_(std::chrono::steady_clock::now()) {
  state.ScaleModel = line.model;
  state.ScaleVersion = line.version;
  state.CurrentScale = BuildScaleParams(line.model, line.version);
  state.ScaleAddress = static_cast<std::uint8_t>(line.address);

  port.SetSyncMethod(TSyncMethod::smWindow);
  port.SetDispatcher(&loop.Dispatcher());
  port.SetBaudRate(line.baud);
  port.Parity().SetBits(line.parity);
  port.SetStopBits(line.stop);
  port.SetDataBits(TDataBits::dbEight);
  if (line.comPort) {
    port.SetPort(*line.comPort);  // resolved through the mapping when it opens
  } else {
    const std::string device = line.port;
    port.SetDeviceResolver([device](TPortType) { return device; });
  }

  link.SetFrameTap([this](bool sent, const std::string& bytes) {
    WatchReadiness(sent, bytes);
    Trace(sent, bytes);
  });
  status.onBusy = [this] {
    if (++busyRounds_ < kBusyRoundsLimit) return;
    gaveUpBusy_ = true;
    link.CloseLink();  // the link's next step finds the port closed and gives up quietly
  };
  loop.SetTickHandler([this] { poll.TimerTick(); });
  loop.StartTimer();
}

LinkSession::~LinkSession() {
  loop.StopTimer();
  try {
    link.CloseForExit();
  } catch (const EComPort&) {
    // Closing at the end: nothing left to tell.
  }
}

void LinkSession::WriteRaw(const std::string& bytes) {
  Trace(true, bytes);
  port.Write(bytes, true);
}

void LinkSession::WatchReadiness(bool sent, const std::string& bytes) {
  // The address is sent alone; command bytes (0x81 and up) lie above every scale address.
  if (sent) {
    const bool address =
        bytes.size() == 1 && static_cast<std::uint8_t>(bytes[0]) == state.ScaleAddress;
    phase_ = address ? Phase::AwaitEcho : Phase::Idle;
    return;
  }
  if (phase_ == Phase::AwaitEcho) {
    const bool echo =
        bytes.size() == 1 && static_cast<std::uint8_t>(bytes[0]) == state.ScaleAddress;
    if (echo) {
      phase_ = Phase::AwaitStatus;
    } else {
      notReady_ = true;
      phase_ = Phase::Idle;
    }
  } else if (phase_ == Phase::AwaitStatus) {
    busyRounds_ = 0;
    notReady_ = bytes.empty() || static_cast<std::uint8_t>(bytes[0]) != kStatusReady;
    phase_ = Phase::Idle;
  }
}

void LinkSession::Trace(bool sent, const std::string& bytes) {
  if (!trace_) return;
  err_ << TraceLine(std::chrono::steady_clock::now() - start_, sent, bytes) << '\n' << std::flush;
}

}  // namespace qm::ctl
