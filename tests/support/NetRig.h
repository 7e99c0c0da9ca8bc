// The session as the main window holds it, on the virtual scale reached one of three ways: its
// pseudo-terminal opened directly, or through ser2net as raw TCP or as Telnet with
// COM-PORT-OPTION. Time is virtual.
//
// Virtual time must not run while bytes are on their way, or a reply still inside the server
// would count as late. Through a server the scale can look quiet (waiting for the program)
// while the program's last bytes are still in the server, or the scale's reply is still in
// the server. So a tick also asks that the line data the scale took in and gave out since this
// connection opened equal what the port sent and received on it: then nothing is in between.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "port/ComPort.h"
#include "port/HeadlessLoop.h"
#include "session/ScaleSession.h"
#include "sim/VirtualScale.h"
#include "support/LineTicks.h"
#include "support/RecordingStatusView.h"
#include "support/Ser2net.h"

namespace qmtest {

enum class NetLine { Pty, RawTcp, Rfc2217 };

inline const char* NetLineName(NetLine line) {
  switch (line) {
    case NetLine::Pty:
      return "pty";
    case NetLine::RawTcp:
      return "tcp";
    case NetLine::Rfc2217:
      return "rfc2217";
  }
  return "";
}

// Whether nothing is on its way between `port` and `scale`, given the scale's counts when the
// port's connection opened. A port that does not count (a local device) has nothing between.
inline bool LineEmpty(qm::TComPort& port, const qmsim::VirtualScale& scale, std::uint64_t inAtOpen,
                      std::uint64_t outAtOpen) {
  std::uint64_t sent = 0, received = 0;
  if (!port.LineCounts(sent, received)) return true;
  return scale.BytesIn() - inAtOpen == sent && scale.BytesOut() - outAtOpen == received;
}

class NetRig {
 public:
  explicit NetRig(NetLine line) {
    scale.SetWeightMoving(false);
    std::string device = scale.SlavePath();
    if (line != NetLine::Pty) {
      server = std::make_unique<Ser2net>(scale.SlavePath());
      device = line == NetLine::RawTcp ? server->RawUrl() : server->Rfc2217Url();
    }
    ticks.Watch(port, loop);
    port.SetSyncMethod(qm::TSyncMethod::smWindow);
    port.SetDispatcher(&loop.Dispatcher());
    port.SetPort(qm::TPortType::COM2);
    port.SetDeviceResolver([device](qm::TPortType) { return device; });
    // Before any byte of the new connection: the scale's counts it is compared against.
    port.OnOpen = [this](qm::TComPort&) {
      inAtOpen_ = scale.BytesIn();
      outAtOpen_ = scale.BytesOut();
    };
    session.SetLinkFailureHandler([this](const qm::LinkFailure& f) { failures.push_back(f); });
    loop.SetTickHandler([this] { session.Poll().TimerTick(); });
    loop.StartTimer();
  }
  ~NetRig() {
    session.Link().CloseForExit();
    loop.StopTimer();
  }

  bool Quiet() { return scale.Quiet() && LineEmpty(port, scale, inAtOpen_, outAtOpen_); }

  // Handles events until the next timer tick has run, with the live poll due at it.
  void RunOnePoll() {
    state.PollCountdown = 1;
    const std::uint64_t before = loop.Count().ticks;
    loop.RunUntil([&] { return loop.Count().ticks > before; });
  }

  qmsim::VirtualScale scale;
  std::unique_ptr<Ser2net> server;
  LineTicks ticks{[this] { return Quiet(); }};
  qm::HeadlessLoop loop{ticks};
  qm::TComPort port;
  qm::RunState state;
  RecordingStatusView status;
  qm::ScaleSession session{port, loop, status, state};
  std::vector<qm::LinkFailure> failures;

 private:
  std::uint64_t inAtOpen_ = 0;
  std::uint64_t outAtOpen_ = 0;
};

}  // namespace qmtest
