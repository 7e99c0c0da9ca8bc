// The link as the main window holds it, without a window: a serial port handing its events to a
// headless loop with the 100 ms timer, the run-time state, recorded panels and scripted boxes.
// The far end of the line is a pseudo-terminal the test drives (or the virtual scale on it).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "PtyPair.h"
#include "app/TransferFlows.h"
#include "link/ComPort.h"
#include "link/HeadlessLoop.h"
#include "link/LinkExchange.h"
#include "link/LivePoll.h"
#include "link/ScaleLink.h"
#include "support/RecordingStatusView.h"
#include "support/ScriptedDialogs.h"

namespace qmtest {

inline const char kLinkErrorUtf8[] = "Ошибка связи с весами.";

class LinkFixture : public ::testing::Test {
 protected:
  explicit LinkFixture(std::string device = std::string()) {
    port.SetSyncMethod(qm::TSyncMethod::smWindow);
    port.SetDispatcher(&loop.Dispatcher());
    port.SetPort(qm::TPortType::COM2);
    device_ = device.empty() ? pty.Path() : device;
    port.SetDeviceResolver([this](qm::TPortType) { return device_; });
    link.SetTimerTick([this] { poll.TimerTick(); });
    link.SetFailureHandler(
        [this](const qm::LinkFailure& failure) { qm::ShowLinkFailureBox(dialogs, failure); });
    loop.SetTickHandler([this] { poll.TimerTick(); });
    loop.StartTimer();
  }
  ~LinkFixture() override {
    link.CloseForExit();
    EXPECT_FALSE(state.LinkBusy);
  }

  void SetDevice(std::string device) { device_ = std::move(device); }
  // Opens the link as a transfer would (no poll).
  void OpenForExchange() {
    link.OpenLink(false);
    ASSERT_TRUE(port.Connected());
  }
  // The next poll is due at the next tick.
  void PollAtNextTick() { state.PollCountdown = 1; }
  // Handles events until the next timer tick has run, with the poll due at it.
  void RunOnePoll() {
    PollAtNextTick();
    const std::uint64_t ticks = loop.Count().ticks;
    loop.RunUntil([&] { return loop.Count().ticks > ticks; });
  }

  PtyPair pty;
  qm::HeadlessLoop loop;
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
