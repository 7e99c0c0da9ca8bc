// The scale behind Debian's ser2net, as shops put scales behind serial device servers: every
// transfer over raw TCP and over Telnet with COM-PORT-OPTION moves exactly the bytes it moves
// on the pseudo-terminal itself, the line settings reach the server's device, and the link's
// own time-out still decides when a scale is silent.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "base/Cp1251.h"
#include "ctl/Qmctl.h"
#include "sim/DemoData.h"
#include "support/ScaleRig.h"
#include "tables/MessageTable.h"
#include "tables/TextGrid.h"

namespace qmtest {
namespace {

#define SKIP_WITHOUT_SER2NET()                                            \
  do {                                                                    \
    if (const std::string why = Ser2net::MissingReason(); !why.empty()) { \
      GTEST_SKIP() << why;                                                \
    }                                                                     \
  } while (false)

std::string Hex(const qmsim::Bytes& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// PLU 9 with 0xFF bytes (the Telnet escape byte) in its number of sales and its price
// (FF FF 00 00: 655.35), so that escaping is on the way both when it is read and written back,
// and with CR NUL and CR LF in its name, which a Telnet peer outside binary mode would change.
qmsim::Bytes PluWithEscapeBytes() {
  qmsim::Bytes r(100, 0);
  r[0] = 9;
  r[10] = 'F';
  r[11] = 0x0D;
  r[12] = 0x00;
  r[13] = 0x0D;
  r[14] = 0x0A;
  r[15] = 'F';
  r[66] = 0xFF;
  r[67] = 0xFF;
  r[98] = 0xFF;
  return r;
}

// Everything one run shows: what the session stored and displayed, and every byte the scale
// took in and gave out, exchange by exchange.
// The rig as these tests use it: a scale whose weight stands still, and link failures recorded.
class NetRig : public ScaleRig {
 public:
  explicit NetRig(NetLine line) : ScaleRig(line) {
    scale.SetWeightMoving(false);
    RecordFailures();
  }
};

std::string RunEveryTransfer(NetRig& rig) {
  qmsim::LoadDemoData(rig.scale);
  rig.scale.SetPlu(9, PluWithEscapeBytes());
  qm::TransferObserver quiet;
  std::string t;
  auto report = [&](const char* what, const qm::TransferReport& r) {
    t += std::string(what) + " status " + std::to_string(int(r.status)) + " stored " +
         std::to_string(r.stored) + "\n";
  };
  rig.session.Link().OpenLink(false);
  if (!rig.port.Connected()) return "not opened";

  report("read plu", rig.session.ReadPluTable(10, quiet));
  const qm::TextGrid& plu = rig.session.Plu();
  for (int row = 1; row < plu.RowCount(); ++row) {
    for (int col = 0; col < plu.ColumnCount(); ++col) t += qm::Utf8(plu.Cell(col, row)) + "|";
    t += "\n";
  }
  report("write plu", rig.session.WritePlu(1, plu.DataRowCount(), quiet));
  report("read msg", rig.session.ReadMessageTable(2, quiet));
  for (int n = 1; n <= 2; ++n) t += qm::Utf8(rig.session.Messages().TextOf(n)) + "\n";
  report("write msg", rig.session.WriteMessages(1, 2, quiet));
  report("read totals", rig.session.ReadTotals(quiet));
  const qm::TotalsPage& g = rig.session.Totals();
  t += qm::Utf8(g.sum + "|" + g.weight + "|" + g.sells + "|" + g.freePlu + "|" + g.labels) + "\n";
  report("clear totals", rig.session.ClearTotals(quiet));
  rig.RunOnePoll();
  for (const std::string& panel : rig.status.display) t += panel + "|";
  t += "\n";

  // The scale files an exchange after its last byte went out: let it finish filing.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!rig.scale.Quiet() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  for (const qmsim::ExchangeRecord& e : rig.scale.Log()) t += Hex(e.in) + " " + Hex(e.out) + "\n";
  return t;
}

TEST(Ser2netLines, EveryTransferMovesTheSameBytesAsOnThePseudoTerminal) {
  SKIP_WITHOUT_SER2NET();
  std::map<NetLine, std::string> runs;
  for (NetLine line : {NetLine::Pty, NetLine::RawTcp, NetLine::Rfc2217}) {
    NetRig rig(line);
    runs[line] = RunEveryTransfer(rig);
    EXPECT_TRUE(rig.failures.empty())
        << NetLineName(line) << ": " << qm::Utf8(rig.failures[0].text);
  }
  const std::string& pty = runs[NetLine::Pty];
  // The run itself did what it should: six PLUs read and written back, the escape bytes among
  // them, both messages, the totals read and cleared, and a live reading.
  EXPECT_NE(pty.find("read plu status 0 stored 6\n"), std::string::npos) << pty;
  EXPECT_NE(pty.find("write plu status 0 stored 6\n"), std::string::npos) << pty;
  EXPECT_NE(pty.find("write msg status 0 stored 2\n"), std::string::npos) << pty;
  EXPECT_NE(pty.find("clear totals status 0 stored 1\n"), std::string::npos) << pty;
  EXPECT_NE(pty.find("655.35"), std::string::npos) << pty;
  EXPECT_EQ(runs[NetLine::RawTcp], pty);
  EXPECT_EQ(runs[NetLine::Rfc2217], pty);
}

TEST(Ser2netLines, TheBaudRateOfThePortReachesTheServersDeviceOnlyOverTelnet) {
  SKIP_WITHOUT_SER2NET();
  struct Case {
    NetLine line;
    qm::TBaudRate set;
    unsigned onDevice;  // 0: the device keeps the speed the server gave it
  };
  const Case cases[] = {
      {NetLine::Rfc2217, qm::TBaudRate::br57600, 57600},
      {NetLine::Rfc2217, qm::TBaudRate::br1200, 1200},
      {NetLine::RawTcp, qm::TBaudRate::br57600, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(NetLineName(c.line));
    NetRig rig(c.line);
    qm::TransferObserver quiet;
    rig.port.SetBaudRate(qm::TBaudRate::br19200);
    rig.session.Link().OpenLink(false);
    ASSERT_TRUE(rig.port.Connected());
    // An exchange first: the server has surely opened its device by its end.
    EXPECT_EQ(rig.session.ReadTotals(quiet).status, qm::TransferStatus::Done);
    const unsigned before = rig.scale.LineBaud();
    if (c.line == NetLine::Rfc2217) {
      EXPECT_EQ(before, 19200u);
    }
    rig.port.SetBaudRate(c.set);  // as the window's settings do on an open port
    EXPECT_EQ(rig.scale.LineBaud(), c.onDevice ? c.onDevice : before);
    // The line still carries exchanges after the change.
    EXPECT_EQ(rig.session.ReadTotals(quiet).status, qm::TransferStatus::Done);
  }
}

TEST(Ser2netLines, ASilentOrCutScaleTimesOutOnTheLinksOwnTicks) {
  SKIP_WITHOUT_SER2NET();
  struct Case {
    const char* name;
    void (*fault)(qmsim::Faults&);
  };
  const Case faults[] = {
      {"silent", [](qmsim::Faults& f) { f.silent = true; }},
      {"reply cut", [](qmsim::Faults& f) { f.replyCut = 60; }},
  };
  for (NetLine line : {NetLine::RawTcp, NetLine::Rfc2217}) {
    for (const Case& c : faults) {
      SCOPED_TRACE(std::string(NetLineName(line)) + ", " + c.name);
      NetRig rig(line);
      qmsim::LoadDemoData(rig.scale);
      qmsim::Faults f;
      c.fault(f);
      rig.scale.SetFaults(f);
      qm::TransferObserver quiet;
      const qm::TransferReport r = rig.session.ReadPluTable(3, quiet);
      EXPECT_EQ(r.status, qm::TransferStatus::LinkFailed);
      ASSERT_EQ(rig.failures.size(), 1u);
      EXPECT_EQ(qm::Utf8(rig.failures[0].text), "Ошибка связи с весами.");
      EXPECT_FALSE(rig.port.Connected());
    }
  }
}

TEST(Ser2netLines, ATelnetPortWithoutComPortOptionIsRefusedWithItsReason) {
  SKIP_WITHOUT_SER2NET();
  qmsim::VirtualScale scale;
  Ser2net server(scale.SlavePath());
  const std::string url = server.PlainTelnetUrl();
  std::ostringstream out, err;
  const int code = qm::ctl::RunQmctl({"--port", url, "read-totals", "-o", "/dev/null"},
                                     {out, err, false, nullptr});
  EXPECT_EQ(code, qm::ctl::kExitLink);
  EXPECT_EQ(err.str(), "qmctl: Не могу открыть порт " + url + ". Сервер " + url.substr(10) +
                           " не управляет параметрами линии (нет Telnet COM-PORT-OPTION); линию "
                           "без управления открывает адрес tcp://.\n");
  EXPECT_EQ(scale.BytesIn(), 0u);  // nothing reached the scale
}

}  // namespace
}  // namespace qmtest
