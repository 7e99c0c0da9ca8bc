// The client side of a Telnet connection to a serial device server that offers the
// COM-PORT-OPTION (RFC 2217): the bytes on the connection are the serial line's data with every
// 0xFF doubled, mixed with option negotiation and subnegotiations that set the server's line.
//
// TelnetClient is pure: it turns the server's bytes into line data and the answers owed to the
// server, and builds the requests that set the line. It never blocks and holds no socket.
//
// Negotiation: the client asks to send COM-PORT-OPTION commands and for binary transmission both
// ways; it agrees to suppress go-ahead and refuses every other option. Each state change is
// answered once, so two parties cannot loop on requests. Malformed sequences (a command byte
// that does not exist, a subnegotiation without its end, one longer than any this protocol
// needs) are dropped and counted, never passed on as line data.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "port/ComPortBackend.h"

namespace qm::telnet {

inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;

inline constexpr std::uint8_t kOptBinary = 0;
inline constexpr std::uint8_t kOptEcho = 1;
inline constexpr std::uint8_t kOptSuppressGoAhead = 3;
inline constexpr std::uint8_t kOptComPort = 44;

// COM-PORT-OPTION commands, client to server; the server answers with the command + 100.
inline constexpr std::uint8_t kSetBaudRate = 1;  // value: 4 bytes, network byte order
inline constexpr std::uint8_t kSetDataSize = 2;  // value: 5..8
inline constexpr std::uint8_t kSetParity = 3;    // value: 1 none, 2 odd, 3 even, 4 mark, 5 space
inline constexpr std::uint8_t kSetStopSize = 4;  // value: 1 one, 2 two, 3 one and a half
inline constexpr std::uint8_t kSetControl =
    5;  // value 1, 2, 3: outbound flow none, XON/XOFF, RTS/CTS
inline constexpr std::uint8_t kServerOffset = 100;

// The longest subnegotiation kept; COM-PORT-OPTION needs a few bytes (a signature may be longer).
inline constexpr std::size_t kMaxSubnegotiation = 256;

// Every 0xFF doubled: line data as it goes into the Telnet stream.
std::string EscapeIac(std::string_view data);

// One COM-PORT-OPTION command: IAC SB 44 command value IAC SE, with 0xFF in the value doubled.
std::string ComPortCommand(std::uint8_t command, std::string_view value);

// The commands that set a server's line as `state` says, in the order they are sent, each with
// the value the server is expected to confirm: baud rate, data size, parity, stop size. (The
// outbound flow control goes after them and is not confirmed: servers answer it differently.)
std::vector<std::pair<std::uint8_t, std::string>> LineRequests(const comm::LineState& state);
std::string FlowControlRequest(const comm::LineState& state);

class TelnetClient {
 public:
  enum class ComPortState : std::uint8_t { Asked, Agreed, Refused };

  // The client's opening requests (sent right after connecting).
  std::string Greeting();

  // Takes bytes received from the server: line data is appended to `data`, the answers the
  // client owes the server to `replies`.
  void Receive(std::string_view bytes, std::string& data, std::string& replies);

  ComPortState ComPort() const { return comPort_; }
  // The value of the server's last answer to a COM-PORT-OPTION command (1..12), if any.
  const std::optional<std::string>& ServerValue(std::uint8_t command) const {
    return serverValues_[command % serverValues_.size()];
  }
  // Forgets the server's answers, before new commands whose answers are awaited.
  void ForgetServerValues() { serverValues_.fill(std::nullopt); }
  // Malformed sequences dropped so far.
  std::uint64_t Garbage() const { return garbage_; }

 private:
  enum class State : std::uint8_t { Data, Iac, Option, Sub, SubIac };
  enum class Side : std::uint8_t { Off, Asked, On };

  void Command(std::uint8_t command, std::string& data);
  void Negotiate(std::uint8_t verb, std::uint8_t option, std::string& replies);
  void Subnegotiation();

  State state_ = State::Data;
  std::uint8_t verb_ = 0;
  std::string sub_;
  bool subOverflow_ = false;
  std::array<Side, 256> local_{};   // options the client performs
  std::array<Side, 256> remote_{};  // options the server performs
  ComPortState comPort_ = ComPortState::Asked;
  std::array<std::optional<std::string>, 16> serverValues_{};
  std::uint64_t garbage_ = 0;
};

}  // namespace qm::telnet
