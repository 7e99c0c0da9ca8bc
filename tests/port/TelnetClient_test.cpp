// The Telnet side of a network serial line: what the client makes of the server's bytes (line
// data, the answers it owes, the server's confirmations, garbage) and the bytes of its own
// requests, written out by hand.
#include <gtest/gtest.h>

#include <string_view>

#include "port/TelnetClient.h"
#include "support/HexBytes.h"

namespace {

using qm::telnet::TelnetClient;
using State = TelnetClient::ComPortState;

std::string Bytes(std::string_view hex) {
  return qm::test::HexDigits(hex);
}

TEST(TelnetClient, ServerBytesBecomeLineDataAnswersAndState) {
  struct Case {
    const char* name;
    const char* in;       // from the server, after the client's greeting
    const char* data;     // line data passed on
    const char* replies;  // what the client answers
    State comPort;
    int garbage;
  };
  const Case cases[] = {
      {"plain data, doubled FF", "01 80 FF FF AA", "01 80 FF AA", "", State::Asked, 0},
      // ser2net's own opening: WILL SGA, DO SGA, WILL ECHO, DONT ECHO, DO BINARY, WILL BINARY,
      // DO COM-PORT-OPTION. Answered once each: DO SGA, WILL SGA, DONT ECHO; the rest it asked.
      {"ser2net opening", "FFFB03 FFFD03 FFFB01 FFFE01 FFFD00 FFFB00 FFFD2C", "",
       "FFFD03 FFFB03 FFFE01", State::Agreed, 0},
      {"refused", "FFFE2C", "", "", State::Refused, 0},
      {"unknown options", "FFFD63 FFFBC8 FFFC63", "", "FFFC63 FFFEC8", State::Asked, 0},
      {"repeated agreement answered once", "FFFD2C FFFD2C FFFE2C", "", "FFFC2C", State::Refused, 0},
      {"commands between data", "41 FFF1 42 FFF9 43 FFF3 44", "41 42 43 44", "", State::Asked, 0},
      {"no such command", "41 FF10 42 FFF0 43", "41 42 43", "", State::Asked, 2},
      {"split sequence", "FF", "", "", State::Asked, 0},
      {"subnegotiation of another option", "FFFA18 01 FFF0 55", "55", "", State::Asked, 0},
      {"subnegotiation cut by a command", "FFFA2C 65 00 FFFD2C 55", "55", "", State::Agreed, 1},
      {"empty subnegotiation", "FFFA FFF0 55", "55", "", State::Asked, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TelnetClient client;
    client.Greeting();
    std::string data, replies;
    client.Receive(Bytes(c.in), data, replies);
    EXPECT_EQ(data, Bytes(c.data));
    EXPECT_EQ(replies, Bytes(c.replies));
    EXPECT_EQ(client.ComPort(), c.comPort);
    EXPECT_EQ(client.Garbage(), std::uint64_t(c.garbage));
  }
}

TEST(TelnetClient, ConfirmationsAreKeptAndAnOverlongSubnegotiationIsDropped) {
  TelnetClient client;
  client.Greeting();
  std::string data, replies;
  // SET-BAUDRATE confirmed as 0x0000FFFF (an escaped FF in the value), SET-PARITY as even,
  // split over two receptions.
  client.Receive(Bytes("FFFA2C 65 0000FFFFFFFF FFF0 FFFA2C"), data, replies);
  client.Receive(Bytes("67 03 FFF0 21"), data, replies);
  EXPECT_EQ(data, "\x21");
  EXPECT_EQ(client.ServerValue(qm::telnet::kSetBaudRate), Bytes("0000FFFF"));
  EXPECT_EQ(client.ServerValue(qm::telnet::kSetParity), Bytes("03"));
  EXPECT_FALSE(client.ServerValue(qm::telnet::kSetDataSize).has_value());

  // A subnegotiation that never ends within any sane length swallows nothing after its end.
  data.clear();
  client.Receive("\xFF\xFA\x2C\x66" + std::string(1000, '\x07') + "\xFF\xF0\x42", data, replies);
  EXPECT_EQ(data, "\x42");
  EXPECT_FALSE(client.ServerValue(qm::telnet::kSetDataSize).has_value());
  EXPECT_EQ(client.Garbage(), 1u);
  client.ForgetServerValues();
  EXPECT_FALSE(client.ServerValue(qm::telnet::kSetBaudRate).has_value());
}

TEST(TelnetClient, RequestsAreTheBytesTheProtocolDefines) {
  TelnetClient client;
  EXPECT_EQ(client.Greeting(), Bytes("FFFB2C FFFB00 FFFD00"));
  EXPECT_EQ(qm::telnet::EscapeIac(Bytes("01 FF 02 FF FF")), Bytes("01 FFFF 02 FFFFFFFF"));

  struct Case {
    qm::comm::LineState line;
    const char* bytes;
  };
  qm::comm::LineState plain;  // 9600 8N1
  qm::comm::LineState odd;
  odd.baudRate = 56000;
  odd.dataBits = qm::TDataBits::dbSeven;
  odd.parity = qm::TParityBits::prSpace;
  odd.stopBits = qm::TStopBits::sbOne5StopBits;
  odd.outCtsFlow = true;
  qm::comm::LineState wide;
  wide.baudRate = 0x0001FF00;  // an FF inside the value is doubled
  wide.parity = qm::TParityBits::prMark;
  wide.stopBits = qm::TStopBits::sbTwoStopBits;
  wide.xonXoffOut = true;
  const Case cases[] = {
      {plain,
       "FFFA2C01 00002580 FFF0 FFFA2C02 08 FFF0 FFFA2C03 01 FFF0 FFFA2C04 01 FFF0 "
       "FFFA2C05 01 FFF0"},
      {odd,
       "FFFA2C01 0000DAC0 FFF0 FFFA2C02 07 FFF0 FFFA2C03 05 FFF0 FFFA2C04 03 FFF0 "
       "FFFA2C05 03 FFF0"},
      {wide,
       "FFFA2C01 0001FFFF00 FFF0 FFFA2C02 08 FFF0 FFFA2C03 04 FFF0 FFFA2C04 02 FFF0 "
       "FFFA2C05 02 FFF0"},
  };
  for (const Case& c : cases) {
    std::string sent;
    for (const auto& [command, value] : qm::telnet::LineRequests(c.line)) {
      sent += qm::telnet::ComPortCommand(command, value);
    }
    sent += qm::telnet::FlowControlRequest(c.line);
    EXPECT_EQ(sent, Bytes(c.bytes)) << c.line.baudRate;
  }
}

}  // namespace
