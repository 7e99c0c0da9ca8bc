// The scale link as qmctl runs it: the serial port handing its events to a headless loop with the
// window's 100 ms timer, the run-time state and the core session (its link and live poll) over
// the command's tables, set up from the line options. The transfers run on it exactly as in the
// window program.
//
// Status panels go nowhere except the display panels, which are kept for `weigh`. With --trace
// every frame the link writes and every group of bytes it takes are written to `err` as hex,
// with the seconds since the session started.
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

#include "base/RunState.h"
#include "base/StatusView.h"
#include "ctl/CtlArgs.h"
#include "link/ComPort.h"
#include "link/HeadlessLoop.h"
#include "link/LivePoll.h"
#include "link/ScaleLink.h"
#include "session/ScaleSession.h"

namespace qm::ctl {

// The display panels as the last poll left them, and a call after each complete reading.
class CtlStatus : public StatusView {
 public:
  void SetStatusText(int panel, const std::string& text, bool repaintNow) override;
  void SetSaveEnabled(bool) override {}
  void SetConnectState(bool, const std::string&) override {}
  void SetDisplayText(int panel, const std::string& text) override;

  DisplayTexts display;
  // Runs when the PLU number panel was filled, the last panel a poll writes.
  std::function<void(const DisplayTexts&)> onReading;
  std::string activity;  // status panel 0
  // Runs each time the link shows "Busy..." (the scale echoed its address without a status).
  std::function<void()> onBusy;
};

// "12:34:56.789"-free stamp: seconds since `start`, then the bytes as hex pairs.
std::string TraceLine(std::chrono::steady_clock::duration sinceStart, bool sent,
                      const std::string& bytes);

class LinkSession {
 public:
  // `tick`: the timer interval; the reply time-out is five of them (500 ms as the window has
  // it, shorter for scanning).
  LinkSession(const LineOptions& line, std::ostream& err,
              std::chrono::milliseconds tick = std::chrono::milliseconds(100));
  ~LinkSession();
  LinkSession(const LinkSession&) = delete;
  LinkSession& operator=(const LinkSession&) = delete;

  // Writes `bytes` straight to the port (traced), for exchanges the link has no routine for.
  void WriteRaw(const std::string& bytes);
  // Writes a trace line when tracing is on.
  void Trace(bool sent, const std::string& bytes);

  // Whether the scale's last answer to its address was anything but the echo and the ready
  // status (a wrong echo, 0xDD and a number, another status), for the live poll of `weigh`,
  // which ends quietly then. Transfers say so in their reports.
  bool LastSelectNotReady() const { return notReady_; }

  // The window asks a busy scale again for as long as the operator leaves the link open. A
  // script has no operator: after this many "Busy..." rounds in a row (about half a second
  // each) the session closes the link, which ends the exchange quietly.
  static constexpr int kBusyRoundsLimit = 10;
  bool GaveUpOnBusyScale() const { return gaveUpBusy_; }

  HeadlessLoop loop;
  TComPort port;
  RunState state;
  CtlStatus status;
  ScaleSession core;
  ScaleLink& link;
  LivePoll& poll;

 private:
  void WatchReadiness(bool sent, const std::string& bytes);

  std::ostream& err_;
  bool trace_;
  enum class Phase { Idle, AwaitEcho, AwaitStatus } phase_ = Phase::Idle;
  bool notReady_ = false;
  int busyRounds_ = 0;
  bool gaveUpBusy_ = false;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace qm::ctl
