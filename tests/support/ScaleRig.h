// The session rig on the virtual scale, reached one of three ways: its pseudo-terminal opened
// directly, or through ser2net as raw TCP or as Telnet with COM-PORT-OPTION.
//
// Virtual time must not run while bytes are on their way, or a reply still inside the server
// would count as late. Through a server the scale can look quiet (waiting for the program)
// while the program's last bytes are still in the server, or the scale's reply is still in
// the server. So a tick also asks that the line data the scale took in and gave out since this
// connection opened equal what the port sent and received on it: then nothing is in between.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "base/TickSource.h"
#include "port/ComPort.h"
#include "sim/VirtualScale.h"
#include "support/LineTicks.h"
#include "support/PtyPair.h"
#include "support/Ser2net.h"
#include "support/SessionRig.h"

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

// The far end: the virtual scale, and ser2net in front of it for a network line. A base of the
// rig, so that it is there before the rig's port and gone after it: the port is closed before
// the scale goes, and the scale's end never hangs up on an open port.
struct ScaleEnd {
  ScaleEnd(NetLine line, const qmsim::VirtualScale::Options& options) : scale(options) {
    if (line != NetLine::Pty) server = std::make_unique<Ser2net>(scale.SlavePath());
    device = line == NetLine::Pty      ? scale.SlavePath()
             : line == NetLine::RawTcp ? server->RawUrl()
                                       : server->Rfc2217Url();
  }

  // Waits until the virtual scale has filed every exchange it answered: the program may read
  // the last answer before the scale's thread has logged it. Once the scale is quiet its thread
  // waits for the program again, after filing what it finished; an exchange the program left
  // half done stays open without anything more to file. Nothing is sent down the line, so a
  // scale left in the middle of an exchange is not disturbed.
  void Quiesce() {
    ASSERT_TRUE(WaitUntil([this] { return scale.Quiet(); }, std::chrono::seconds(10)));
  }

  qmsim::VirtualScale scale;
  std::unique_ptr<Ser2net> server;
  std::string device;  // what the port opens
};

class ScaleRig : public ScaleEnd, public SessionRig {
 public:
  explicit ScaleRig(NetLine line = NetLine::Pty, const qmsim::VirtualScale::Options& options = {})
      : ScaleEnd(line, options), SessionRig(device, [this] { return Quiet(); }) {
    // Before any byte of the new connection: the scale's counts it is compared against.
    port.OnOpen = [this](qm::TComPort&) {
      inAtOpen_ = scale.BytesIn();
      outAtOpen_ = scale.BytesOut();
    };
  }
  // The scale has nothing on its way, and nothing is between it and the port.
  bool Quiet() { return scale.Quiet() && LineEmpty(port, scale, inAtOpen_, outAtOpen_); }

 private:
  std::uint64_t inAtOpen_ = 0;
  std::uint64_t outAtOpen_ = 0;
};

// The virtual scale for a program that owns its port and loop (qmctl run in the test process):
// its timer, handed to the program, ticks once the scale has nothing on its way.
struct ScaleForProgram {
  // The scale shows a weighing: 1.234 kg of PLU 7 at 123.45 a kilo, 15.23 to pay, stable and
  // with tare.
  void ShowWeighing() {
    qmsim::Display d;
    d.flags = 0x44;  // t and s
    d.weight = 1234;
    d.unitPrice = 12345;
    d.totalPrice = 1523;
    d.pluNo = 7;
    scale.SetDisplay(d);
  }

  qmsim::VirtualScale scale;
  qm::VirtualTicks ticks{[this] { return scale.Quiet(); }, kTestBackstop};
};

}  // namespace qmtest
