// Network serial lines named like ports: "tcp://HOST:PORT" carries the scale's bytes as they
// are over one TCP connection; "rfc2217://HOST:PORT" speaks Telnet with the COM-PORT-OPTION, so
// the serial server sets its line to the port's baud rate, data bits, parity and stop bits.
// HOST is a name, an IPv4 address or an IPv6 address in brackets ("[::1]"); PORT is 1..65535.
// The scheme is matched without regard to case. These names stand wherever a device path may
// (the port mapping, qmctl's --port).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class NetLineKind : std::uint8_t { RawTcp, Rfc2217 };

struct NetPortUrl {
  NetLineKind kind = NetLineKind::RawTcp;
  std::string host;        // without the brackets of an IPv6 address
  std::uint16_t port = 0;  // 1..65535
};

// What is wrong with a name that looks like a network line.
enum class NetUrlError : std::uint8_t {
  None,
  UnknownScheme,  // "udp://..." and the like
  NoHost,
  NoPort,         // no ":PORT" after the host
  BadPort,        // not a decimal number
  PortOutOfRange  // 0 or above 65535
};

// Whether `device` names a network line rather than a device path: it has a "scheme://".
bool IsNetPortName(std::string_view device);

// Parses a network line name; `url` is set only when the result is None.
NetUrlError ParseNetPortUrl(std::string_view device, NetPortUrl& url);

// "host:port" for texts, with brackets around an IPv6 address.
std::string NetEndpointText(const NetPortUrl& url);

// The addresses a host name resolves to, as text ("127.0.0.1", "::1"); none when it does not.
using HostResolver = std::function<std::vector<std::string>(const std::string& host)>;

// One name for a network line however it is written, to tell whether two names lead to the same
// server port: the scheme in lower case, the host as the address it resolves to, the port, no
// trailing slash; "TCP://localhost:4000/" is "tcp://127.0.0.1:4000". Of several addresses the
// first IPv4 one in text order stands for the host (a name for the loopback resolves to "::1"
// as well), else the first in text order. A host that resolves to nothing stays as written, in
// lower case. A name that is no valid line (NetUrlError) is given back as it stands.
std::string NetLineIdentity(std::string_view device, const HostResolver& resolve);

// A sentence for the operator (Windows-1251, Russian) saying why the network line `device`
// could not be opened, from the <cerrno> code its backend gave: a name that is no valid line
// (why), a host that does not resolve, a refused, unreachable or silent server, a Telnet server
// without COM-PORT-OPTION. Empty when the code has no plainer explanation than its number.
std::string ExplainNetOpenFailure(int code, const std::string& device);

}  // namespace qm
