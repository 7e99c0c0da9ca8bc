// A session on a line, as the main window holds it, without a window: the serial port handing
// its events to a headless loop on virtual time, the run-time state, recorded panels, scripted
// boxes, and the session with its link and live poll (the poll's timer started).
//
// The far end of the line is the caller's: the device the port opens for every port name, and a
// look that says whether the far end has nothing on its way. A tick falls due only once the far
// end is quiet and every byte that reached the port has been handed to the loop (LineTicks), so a
// reply time-out happens only when nothing more is coming. ScaleRig puts the virtual scale there.
//
// Link failures show the link failure box through the scripted boxes, as the window shows them;
// RecordFailures collects them instead.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/LinkIndicators.h"
#include "app/TransferFlows.h"
#include "port/ComPort.h"
#include "port/HeadlessLoop.h"
#include "link/LivePoll.h"
#include "link/ScaleLink.h"
#include "session/ScaleSession.h"
#include "support/LineTicks.h"
#include "support/RecordingStatusView.h"
#include "support/ScriptedDialogs.h"

namespace qmtest {

inline const char kLinkErrorUtf8[] = "Ошибка связи с весами.";

class SessionRig {
 public:
  // `device`: the path the port opens for every port name. `farEndQuiet`: whether the far end has
  // nothing on its way (null: always).
  SessionRig(std::string device, std::function<bool()> farEndQuiet)
      : ticks(std::move(farEndQuiet)), device_(std::move(device)) {
    ticks.Watch(port, loop);
    port.SetSyncMethod(qm::TSyncMethod::smWindow);
    port.SetDispatcher(&loop.Dispatcher());
    port.SetPort(qm::TPortType::COM2);
    port.SetDeviceResolver([this](qm::TPortType) { return device_; });
    session.SetLinkFailureHandler(
        [this](const qm::LinkFailure& failure) { qm::ShowLinkFailureBox(dialogs, failure); });
    // The window's view of the line: the Connect button and the display panels.
    link.SetLinkEventHandler([this](qm::LinkEvent event) { qm::ShowLinkEvent(status, event); });
    loop.SetTickHandler([this] {
      if (onTick) onTick();
      poll.TimerTick();
    });
    loop.StartTimer();
  }
  ~SessionRig() {
    link.CloseForExit();
    loop.StopTimer();
  }
  SessionRig(const SessionRig&) = delete;
  SessionRig& operator=(const SessionRig&) = delete;

  void SetDevice(std::string device) { device_ = std::move(device); }
  void SetFarEnd(std::function<bool()> farEndQuiet) { ticks.SetFarEnd(std::move(farEndQuiet)); }
  // Link failures are kept in `failures` from now on, and no box is shown for them.
  void RecordFailures() {
    session.SetLinkFailureHandler([this](const qm::LinkFailure& f) { failures.push_back(f); });
  }

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

  // Runs first in every timer tick, e.g. to close the link in the middle of a wait.
  std::function<void()> onTick;

  LineTicks ticks;
  qm::HeadlessLoop loop{ticks};
  qm::TComPort port;
  qm::RunState state;
  RecordingStatusView status;
  ScriptedDialogs dialogs;
  qm::ScaleSession session{port, loop, status, state};
  qm::ScaleLink& link = session.Link();
  qm::LivePoll& poll = session.Poll();
  std::vector<qm::LinkFailure> failures;  // with RecordFailures

 private:
  std::string device_;
};

}  // namespace qmtest
