// A network line that fails: a server that refuses or is not there, an address that is no
// address, a Telnet server without COM-PORT-OPTION or talking garbage, a connection that ends
// in the middle of a reply or before the scale answered. Each ends as a link failure with a
// clear text, in the window's boxes and in qmctl's exit code, and nothing waits past its
// time-out.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "base/Cp1251.h"
#include "ctl/Qmctl.h"
#include "port/ComPort.h"
#include "port/PortBackends.h"
#include "support/FakeServer.h"
#include "support/HexBytes.h"
#include "support/SessionRig.h"
#include "support/Ser2net.h"

namespace qmtest {
namespace {

std::string Bytes(std::string_view hex) {
  return qm::test::HexDigits(hex);
}

const char kGreeting[] = "FFFB2C FFFB00 FFFD00";
// The confirmations ser2net gives for 9600 8N1.
const char kConfirm9600[] =
    "FFFA2C65 00002580 FFF0 FFFA2C66 08 FFF0 FFFA2C67 01 FFF0 FFFA2C68 01 FFF0";
const char kSettings9600[] =
    "FFFA2C01 00002580 FFF0 FFFA2C02 08 FFF0 FFFA2C03 01 FFF0 FFFA2C04 01 FFF0 FFFA2C05 01 FFF0";

// The far end of a SessionRig is settled once the server's script is over, every byte it sent has
// reached the port, and the port has noticed the end of the connection (its count fails) unless
// it still holds bytes to read.
bool ServerSettled(const FakeServer& server, qm::TComPort& port) {
  if (!server.Done()) return false;
  std::uint64_t sent = 0, received = 0;
  if (!port.LineCounts(sent, received)) return true;
  if (received != server.BytesSent()) return false;
  try {
    return port.InputCount() > 0;
  } catch (const qm::EComPort&) {
    return true;
  }
}

TEST(NetLineFailures, OpeningTellsTheOperatorWhatIsWrongWithTheAddressOrTheServer) {
  const std::uint16_t closedPort = FreeLoopbackPort();
  const std::string closed = "127.0.0.1:" + std::to_string(closedPort);
  FakeServer noComPort([](FakeServer::Peer& peer) {
    peer.Read(9);
    peer.Write(Bytes("FFFE2C FFFD00 FFFB00"));  // DONT COM-PORT-OPTION
    peer.Read(1);                               // until the client gives up
  });
  struct Case {
    std::string device;
    std::string reason;  // the box's second line
  };
  const Case cases[] = {
      {"tcp://" + closed,
       "Сервер " + closed + " отказал в соединении: проверьте номер порта и работает ли сервер."},
      {noComPort.Url("rfc2217"),
       "Сервер " + noComPort.Url("rfc2217").substr(10) +
           " не управляет параметрами линии (нет Telnet COM-PORT-OPTION); линию без управления "
           "открывает адрес tcp://."},
      {"rfc2217://scale-3.shop.invalid:4001",
       "Узел scale-3.shop.invalid не найден: проверьте имя в адресе "
       "rfc2217://scale-3.shop.invalid:4001."},
      {"tcp://10.0.0.20:70000",
       "Порт TCP в адресе tcp://10.0.0.20:70000 должен быть числом от 1 до 65535."},
      {"tcp://10.0.0.20",
       "В адресе tcp://10.0.0.20 нет номера порта TCP (сетевая линия записывается как "
       "tcp://узел:порт или rfc2217://узел:порт)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    SessionRig rig(c.device, nullptr);
    rig.dialogs.ExpectMessage("Не могу открыть порт COM2.\n" + c.reason, qm::kButtonOk, "Ошибка");
    EXPECT_FALSE(rig.OpenForExchange());
    rig.dialogs.VerifyDone();
  }
}

TEST(NetLineFailures, AConnectionThatEndsMidReplyOrBeforeTheEchoIsALinkFailure) {
  // Echo and status, then the acknowledgement and 60 of the 100 bytes of a PLU record.
  FakeServer midReply([](FakeServer::Peer& peer) {
    peer.Read(1);
    peer.Write(Bytes("01 80"));
    peer.Read(5);
    peer.Write(Bytes("AA") + std::string(60, '\x11'));
  });
  {
    SessionRig rig(midReply.Url("tcp"), nullptr);
    rig.SetFarEnd([&] { return ServerSettled(midReply, rig.port); });
    rig.state.ScaleAddress = 1;
    ASSERT_TRUE(rig.OpenForExchange());
    ASSERT_TRUE(rig.link.SelectScale().Ready());
    rig.dialogs.ExpectMessage(kLinkErrorUtf8, qm::kButtonOk, "Ошибка");
    EXPECT_EQ(rig.link.SendCommand(0x81, Bytes("01000000"), 100).kind, qm::Answer::Kind::NoAnswer);
    EXPECT_FALSE(rig.port.Connected());
    rig.dialogs.VerifyDone();
  }
  // The server hangs up on the address: the port fails as a local one whose device went away.
  FakeServer beforeEcho([](FakeServer::Peer& peer) { peer.Read(1); });
  {
    SessionRig rig(beforeEcho.Url("tcp"), nullptr);
    rig.SetFarEnd([&] { return ServerSettled(beforeEcho, rig.port); });
    rig.state.ScaleAddress = 1;
    ASSERT_TRUE(rig.OpenForExchange());
    try {
      rig.link.SelectScale();
      ADD_FAILURE() << "the lost connection went unnoticed";
    } catch (const qm::EComPort& e) {
      EXPECT_EQ(e.SystemCode(), ECONNRESET);
    }
    EXPECT_FALSE(rig.port.Connected());
  }
}

// The backend itself, with a short negotiation time: what each server answer to the Telnet
// negotiation makes of setting the line.
TEST(NetLineFailures, TelnetNegotiationEndsInAgreementOrAClearRefusalWithinItsTime) {
  struct Case {
    const char* name;
    std::string answer;   // what the server sends after reading the greeting
    std::string confirm;  // and after reading the line settings, if it got that far
    int result;           // of setting the line (9600 8N1)
  };
  const Case cases[] = {
      {"garbage, then agreement", Bytes("FF10 FFF0 FFFA 2C 66 FFF9 FFFD2C"), Bytes(kConfirm9600),
       0},
      {"refusal", Bytes("FFFE2C"), "", EPROTONOSUPPORT},
      {"garbage and no answer", Bytes("FF10 FFFB C8 FFFA 18 00 FFF0") + "\r\n", "", EPROTO},
      {"agreement but no confirmation", Bytes("FFFD2C"), "", EPROTO},
      {"another baud rate confirmed", Bytes("FFFD2C"),
       Bytes("FFFA2C65 00004B00 FFF0 FFFA2C66 08 FFF0 FFFA2C67 01 FFF0 FFFA2C68 01 FFF0"), EINVAL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeServer server([&](FakeServer::Peer& peer) {
      peer.Read(9);
      peer.Write(c.answer);
      if (!c.confirm.empty() && peer.Read(38).size() == 38) peer.Write(c.confirm);
      peer.Read(1000);  // whatever comes, until the client closes
    });
    auto backend = qm::comm::CreateNetPortBackend(
        {std::chrono::milliseconds(3000), std::chrono::milliseconds(300)});
    ASSERT_EQ(backend->Open(server.Url("rfc2217")), 0);
    EXPECT_EQ(backend->SetLineState(qm::comm::LineState{}), c.result);
    backend->Close();
  }
  // The server that closes before it answers.
  FakeServer hangUp([](FakeServer::Peer& peer) { peer.Read(9); });
  auto backend = qm::comm::CreateNetPortBackend();
  ASSERT_EQ(backend->Open(hangUp.Url("rfc2217")), 0);
  EXPECT_EQ(backend->SetLineState(qm::comm::LineState{}), ECONNRESET);
}

TEST(NetLineFailures, TelnetDataIsEscapedBothWaysAndAnswersGoOutWhole) {
  const std::string fromScale = Bytes("01 FF 80");
  FakeServer server([&](FakeServer::Peer& peer) {
    peer.Read(9);
    peer.Write(Bytes("FFFD63 FFFBC8"));  // two options nobody agreed to
    peer.Read(6);                        // their refusals
    peer.Write(Bytes("FFFD2C"));
    peer.Read(38);  // the line settings
    peer.Write(Bytes(kConfirm9600) + Bytes("01 FFFF 80"));
    peer.Read(3);
  });
  auto backend = qm::comm::CreateNetPortBackend();
  ASSERT_EQ(backend->Open(server.Url("rfc2217")), 0);
  ASSERT_EQ(backend->SetLineState(qm::comm::LineState{}), 0);
  std::uint32_t queued = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (backend->InputCount(queued) == 0 && queued < 3 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  ASSERT_EQ(queued, 3u);
  qm::comm::StartResult read = backend->StartRead(3);
  EXPECT_EQ(read.received, fromScale);
  EXPECT_EQ(backend->StartWrite(Bytes("FF 02")).count, 2);
  while (!server.Done() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  EXPECT_EQ(server.Heard(),
            Bytes(kGreeting) + Bytes("FFFC63 FFFEC8") + Bytes(kSettings9600) + Bytes("FFFF 02"));
  std::uint64_t sent = 0, received = 0;
  ASSERT_TRUE(backend->LineCounts(sent, received));
  EXPECT_EQ(sent, 2u);
  EXPECT_EQ(received, 3u);
}

TEST(NetLineFailures, QmctlEndsWithTheLinkExitCodeAndSaysWhy) {
  const std::string closed = "tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
  FakeServer beforeEcho([](FakeServer::Peer& peer) { peer.Read(1); });
  const std::string server = beforeEcho.Url("tcp").substr(6);
  struct Case {
    std::string port;
    int code;
    std::string err;  // the start of stderr
  };
  const Case cases[] = {
      {closed, qm::ctl::kExitLink,
       "qmctl: Не могу открыть порт " + closed + ". Сервер " + closed.substr(6) +
           " отказал в соединении"},
      // A server that drops the connection says so in the same words whenever it does.
      {beforeEcho.Url("tcp"), qm::ctl::kExitLink,
       "qmctl: Ошибка связи с весами. (Сервер " + server + " разорвал соединение.)"},
      // A name that is no network line is a mistake in the command: nothing starts.
      {"rfc2217://h:0", qm::ctl::kExitUsage,
       "qmctl: 'rfc2217://h:0' is no network line: its TCP port must be a number from 1 to 65535"},
      {"tcp://host", qm::ctl::kExitUsage,
       "qmctl: 'tcp://host' is no network line: it has no TCP port after the host"},
      // A path in the file system's letters is shown in them, not converted twice.
      {"/nonexistent/весы", qm::ctl::kExitLink,
       "qmctl: Не могу открыть порт /nonexistent/весы. Устройство /nonexistent/весы не найдено"},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    const int code = qm::ctl::RunQmctl({"--port", c.port, "read-totals", "-o", "/dev/null"},
                                       {out, err, false, nullptr});
    EXPECT_EQ(code, c.code) << c.port;
    EXPECT_EQ(err.str().substr(0, c.err.size()), c.err) << err.str();
  }
}

}  // namespace
}  // namespace qmtest
