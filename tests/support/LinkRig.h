// The link as the main window holds it, without a window: a serial port handing its events to a
// headless loop on virtual time, the run-time state, recorded panels, scripted boxes, and the
// live poll on the loop's timer (started). The far end of the line is the test's: tell the ticks
// when it is quiet (SetSettled), so that a reply time-out happens only once it has nothing more
// to send.
#pragma once

#include <functional>
#include <string>

#include "app/LinkIndicators.h"
#include "app/TransferFlows.h"
#include "port/ComPort.h"
#include "port/HeadlessLoop.h"
#include "link/LivePoll.h"
#include "link/ScaleLink.h"
#include "support/LineTicks.h"
#include "support/RecordingStatusView.h"
#include "support/ScriptedDialogs.h"

namespace qmtest {

inline const char kLinkErrorUtf8[] = "Ошибка связи с весами.";

class LinkRig {
 public:
  // `device`: the path the port opens for every port name.
  explicit LinkRig(std::string device, std::function<bool()> farEndQuiet)
      : ticks(std::move(farEndQuiet)), device_(std::move(device)) {
    ticks.Watch(port, loop);
    port.SetSyncMethod(qm::TSyncMethod::smWindow);
    port.SetDispatcher(&loop.Dispatcher());
    port.SetPort(qm::TPortType::COM2);
    port.SetDeviceResolver([this](qm::TPortType) { return device_; });
    link.SetTimerTick([this] { poll.TimerTick(); });
    link.SetFailureHandler(
        [this](const qm::LinkFailure& failure) { qm::ShowLinkFailureBox(dialogs, failure); });
    // The window's view of the line: the Connect button and the display panels.
    link.SetLinkEventHandler([this](qm::LinkEvent event) { qm::ShowLinkEvent(status, event); });
    loop.SetTickHandler([this] { poll.TimerTick(); });
    loop.StartTimer();
  }
  ~LinkRig() { link.CloseForExit(); }
  LinkRig(const LinkRig&) = delete;
  LinkRig& operator=(const LinkRig&) = delete;

  void SetDevice(std::string device) { device_ = std::move(device); }
  void SetSettled(std::function<bool()> farEndQuiet) { ticks.SetFarEnd(std::move(farEndQuiet)); }

  // Opens the link as a transfer would (no poll); false when the port could not be opened.
  bool OpenForExchange() {
    link.OpenLink(false);
    return port.Connected();
  }
  // The next poll is due at the next tick.
  void PollAtNextTick() { state.PollCountdown = 1; }
  // Handles events until the next timer tick has run, with the poll due at it.
  void RunOnePoll() {
    PollAtNextTick();
    const std::uint64_t before = loop.Count().ticks;
    loop.RunUntil([&] { return loop.Count().ticks > before; });
  }

  LineTicks ticks;
  qm::HeadlessLoop loop{ticks};
  qm::TComPort port;
  qm::RunState state;
  RecordingStatusView status;
  ScriptedDialogs dialogs;
  qm::ScaleLink link{port, state, status, loop};
  qm::LivePoll poll{link, port, state, status};

 private:
  std::string device_;
};

}  // namespace qmtest
