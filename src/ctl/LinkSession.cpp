#include "ctl/LinkSession.h"

#include <cstdio>
#include <ostream>

#include "base/ScaleParams.h"
#include "port/PortNames.h"

namespace qm::ctl {

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

  // qmctl shows no line events: the port asks for none and runs no event thread. The loop waits
  // on the device's arrival bell itself, and the link's waits see arriving bytes in the input
  // count.
  port.SetEvents(TEvents{});

  link.SetFrameTap([this](bool sent, const std::string& bytes) { Trace(sent, bytes); });
  link.SetBusyLimit(kBusyRoundsLimit);
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

void LinkSession::Trace(bool sent, const std::string& bytes) {
  if (!trace_) return;
  err_ << TraceLine(std::chrono::steady_clock::now() - start_, sent, bytes) << '\n' << std::flush;
}

}  // namespace qm::ctl
