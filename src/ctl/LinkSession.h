// The scale link as qmctl runs it: the serial port handing its events to a headless loop with the
// window's 100 ms timer, the run-time state and the core session (its link and live poll) over
// the command's tables, set up from the line options. The transfers run on it exactly as in the
// window program.
//
// Status panels go nowhere; `weigh` takes its readings from the live poll. With --trace every frame the link writes and every group of bytes it takes are written
// to `err` as hex, with the seconds since the session started.
#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

#include "base/RunState.h"
#include "base/StatusView.h"
#include "ctl/CtlArgs.h"
#include "port/ComPort.h"
#include "port/HeadlessLoop.h"
#include "link/LivePoll.h"
#include "link/ScaleLink.h"
#include "session/ScaleSession.h"

namespace qm::ctl {

// No panels: what they would show, qmctl learns from the session's results.
class CtlStatus : public StatusView {
 public:
  void SetStatusText(int, const std::string&, bool) override {}
  void SetSaveEnabled(bool) override {}
  void SetConnectState(bool, const std::string&) override {}
  void SetDisplayText(int, const std::string&) override {}
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

  // Writes a trace line when tracing is on.
  void Trace(bool sent, const std::string& bytes);

  // The window asks a busy scale again for as long as the operator leaves the link open. A
  // script has no operator: after this many busy rounds in a row (about half a second
  // each) the link gives up and closes, which ends the exchange with a Busy selection.
  static constexpr int kBusyRoundsLimit = 10;

  HeadlessLoop loop;
  TComPort port;
  RunState state;
  CtlStatus status;
  ScaleSession core;
  ScaleLink& link;
  LivePoll& poll;

 private:
  std::ostream& err_;
  bool trace_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace qm::ctl
