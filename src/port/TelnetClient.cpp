#include "port/TelnetClient.h"

namespace qm::telnet {

namespace {

std::string Triple(std::uint8_t verb, std::uint8_t option) {
  return {static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)};
}

bool ClientPerforms(std::uint8_t option) {
  return option == kOptComPort || option == kOptBinary || option == kOptSuppressGoAhead;
}

bool ServerMayPerform(std::uint8_t option) {
  return option == kOptBinary || option == kOptSuppressGoAhead;
}

}  // namespace

std::string EscapeIac(std::string_view data) {
  std::string out;
  out.reserve(data.size() + 8);
  for (char c : data) {
    out += c;
    if (static_cast<std::uint8_t>(c) == kIac) out += c;
  }
  return out;
}

std::string ComPortCommand(std::uint8_t command, std::string_view value) {
  std::string out = {static_cast<char>(kIac), static_cast<char>(kSb),
                     static_cast<char>(kOptComPort), static_cast<char>(command)};
  out += EscapeIac(value);
  out += static_cast<char>(kIac);
  out += static_cast<char>(kSe);
  return out;
}

std::vector<std::pair<std::uint8_t, std::string>> LineRequests(const comm::LineState& s) {
  const auto baud = static_cast<std::uint32_t>(s.baudRate);
  std::string baudValue = {static_cast<char>(baud >> 24), static_cast<char>(baud >> 16),
                           static_cast<char>(baud >> 8), static_cast<char>(baud)};
  static constexpr std::uint8_t kParity[] = {1, 2, 3, 4, 5};  // none, odd, even, mark, space
  static constexpr std::uint8_t kStop[] = {1, 3, 2};          // one, one and a half, two
  return {
      {kSetBaudRate, baudValue},
      {kSetDataSize, std::string(1, static_cast<char>(static_cast<int>(s.dataBits) + 5))},
      {kSetParity, std::string(1, static_cast<char>(kParity[static_cast<int>(s.parity)]))},
      {kSetStopSize, std::string(1, static_cast<char>(kStop[static_cast<int>(s.stopBits)]))},
  };
}

std::string FlowControlRequest(const comm::LineState& s) {
  std::uint8_t flow = 1;
  if (s.xonXoffOut) flow = 2;
  if (s.outCtsFlow || s.rts == TRtsFlowControl::rtsHandshake) flow = 3;
  return ComPortCommand(kSetControl, std::string(1, static_cast<char>(flow)));
}

std::string TelnetClient::Greeting() {
  local_[kOptComPort] = Side::Asked;
  local_[kOptBinary] = Side::Asked;
  remote_[kOptBinary] = Side::Asked;
  comPort_ = ComPortState::Asked;
  return Triple(kWill, kOptComPort) + Triple(kWill, kOptBinary) + Triple(kDo, kOptBinary);
}

void TelnetClient::Receive(std::string_view bytes, std::string& data, std::string& replies) {
  for (char ch : bytes) {
    const auto b = static_cast<std::uint8_t>(ch);
    switch (state_) {
      case State::Data:
        if (b == kIac) {
          state_ = State::Iac;
        } else {
          data += ch;
        }
        break;
      case State::Iac:
        state_ = State::Data;
        if (b == kIac) {
          data += ch;
        } else if (b >= kWill) {  // WILL, WONT, DO, DONT
          verb_ = b;
          state_ = State::Option;
        } else if (b == kSb) {
          sub_.clear();
          subOverflow_ = false;
          state_ = State::Sub;
        } else {
          Command(b, data);
        }
        break;
      case State::Option:
        state_ = State::Data;
        Negotiate(verb_, b, replies);
        break;
      case State::Sub:
        if (b == kIac) {
          state_ = State::SubIac;
        } else if (sub_.size() < kMaxSubnegotiation) {
          sub_ += ch;
        } else {
          subOverflow_ = true;
        }
        break;
      case State::SubIac:
        if (b == kIac) {
          if (sub_.size() < kMaxSubnegotiation) sub_ += ch;
          state_ = State::Sub;
        } else if (b == kSe) {
          state_ = State::Data;
          Subnegotiation();
        } else {
          // A subnegotiation cut short by another command: drop it, then take the command.
          ++garbage_;
          state_ = State::Iac;
          std::string_view rest(&ch, 1);
          Receive(rest, data, replies);
        }
        break;
    }
  }
}

void TelnetClient::Command(std::uint8_t command, std::string&) {
  // NOP, data mark, break, interrupt, abort output, are-you-there, erase character and line,
  // go-ahead (241..249) carry nothing for a serial line. Anything else after IAC (a stray SE, a
  // byte that is no command) is garbage.
  if (command < 241) ++garbage_;
}

void TelnetClient::Negotiate(std::uint8_t verb, std::uint8_t option, std::string& replies) {
  Side& local = local_[option];
  Side& remote = remote_[option];
  switch (verb) {
    case kDo:
      if (!ClientPerforms(option)) {
        replies += Triple(kWont, option);
      } else if (local != Side::On) {
        if (local == Side::Off) replies += Triple(kWill, option);
        local = Side::On;
      }
      break;
    case kDont:
      if (local == Side::On) replies += Triple(kWont, option);
      local = Side::Off;
      break;
    case kWill:
      if (!ServerMayPerform(option)) {
        replies += Triple(kDont, option);
      } else if (remote != Side::On) {
        if (remote == Side::Off) replies += Triple(kDo, option);
        remote = Side::On;
      }
      break;
    case kWont:
      if (remote == Side::On) replies += Triple(kDont, option);
      remote = Side::Off;
      break;
  }
  if (option == kOptComPort && (verb == kDo || verb == kDont)) {
    comPort_ = local == Side::On ? ComPortState::Agreed : ComPortState::Refused;
  }
}

void TelnetClient::Subnegotiation() {
  if (subOverflow_ || sub_.size() < 2) {
    ++garbage_;
    return;
  }
  const auto option = static_cast<std::uint8_t>(sub_[0]);
  const auto command = static_cast<std::uint8_t>(sub_[1]);
  if (option != kOptComPort) return;  // nothing else was agreed; ignored
  if (command > kServerOffset && std::size_t(command - kServerOffset) < serverValues_.size()) {
    serverValues_[command - kServerOffset] = sub_.substr(2);
  }
}

}  // namespace qm::telnet
