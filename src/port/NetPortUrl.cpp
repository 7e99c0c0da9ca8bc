#include "port/NetPortUrl.h"

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "base/Cp1251.h"

namespace qm {

namespace {

constexpr std::string_view kSchemeEnd = "://";

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != b[i]) return false;
  }
  return true;
}

}  // namespace

bool IsNetPortName(std::string_view device) {
  const std::size_t end = device.find(kSchemeEnd);
  if (end == std::string_view::npos || end == 0) return false;
  // A scheme is letters, digits, '+', '-' and '.', starting with a letter; a path such as
  // "/tmp/a://b" is not one.
  const char first = device[0];
  if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z'))) return false;
  for (char c : device.substr(0, end)) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '+' || c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

NetUrlError ParseNetPortUrl(std::string_view device, NetPortUrl& url) {
  const std::size_t end = device.find(kSchemeEnd);
  if (end == std::string_view::npos) return NetUrlError::UnknownScheme;
  const std::string_view scheme = device.substr(0, end);
  NetPortUrl parsed;
  if (SameLetters(scheme, "tcp")) {
    parsed.kind = NetLineKind::RawTcp;
  } else if (SameLetters(scheme, "rfc2217")) {
    parsed.kind = NetLineKind::Rfc2217;
  } else {
    return NetUrlError::UnknownScheme;
  }
  std::string_view rest = device.substr(end + kSchemeEnd.size());
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);  // "tcp://host:4000/"

  std::string_view host;
  std::string_view portText;
  bool hasPort = false;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) return NetUrlError::NoHost;
    host = rest.substr(1, close - 1);
    std::string_view after = rest.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return NetUrlError::NoPort;
      hasPort = true;
      portText = after.substr(1);
    }
  } else {
    const std::size_t colon = rest.rfind(':');
    host = rest.substr(0, colon);
    if (colon != std::string_view::npos) {
      hasPort = true;
      portText = rest.substr(colon + 1);
    }
    // An IPv6 address must be in brackets: more than one colon leaves the port ambiguous.
    if (host.find(':') != std::string_view::npos) return NetUrlError::NoHost;
  }
  if (host.empty() || host.find_first_of("/ \t@") != std::string_view::npos) {
    return NetUrlError::NoHost;
  }
  if (!hasPort || portText.empty()) return NetUrlError::NoPort;
  unsigned long port = 0;
  const char* first = portText.data();
  const char* last = first + portText.size();
  auto [ptr, ec] = std::from_chars(first, last, port);
  if (ptr != last || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
    return NetUrlError::BadPort;
  }
  if (ec == std::errc::result_out_of_range || port == 0 || port > 65535) {
    return NetUrlError::PortOutOfRange;
  }
  parsed.host = std::string(host);
  parsed.port = static_cast<std::uint16_t>(port);
  url = std::move(parsed);
  return NetUrlError::None;
}

std::string NetEndpointText(const NetPortUrl& url) {
  const bool v6 = url.host.find(':') != std::string::npos;
  return (v6 ? "[" + url.host + "]" : url.host) + ":" + std::to_string(url.port);
}

std::string NetLineIdentity(std::string_view device, const HostResolver& resolve) {
  NetPortUrl url;
  if (ParseNetPortUrl(device, url) != NetUrlError::None) return std::string(device);
  std::vector<std::string> addresses = resolve ? resolve(url.host) : std::vector<std::string>();
  std::sort(addresses.begin(), addresses.end());
  const auto v4 = std::find_if(addresses.begin(), addresses.end(), [](const std::string& a) {
    return a.find(':') == std::string::npos;
  });
  if (v4 != addresses.end()) {
    url.host = *v4;
  } else if (!addresses.empty()) {
    url.host = addresses.front();
  } else {
    std::transform(url.host.begin(), url.host.end(), url.host.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
  }
  return (url.kind == NetLineKind::Rfc2217 ? "rfc2217://" : "tcp://") + NetEndpointText(url);
}

std::string ExplainNetOpenFailure(int code, const std::string& name) {
  NetPortUrl url;
  const NetUrlError error = ParseNetPortUrl(name, url);
  // The name and its host are UTF-8 as the operator wrote them; the sentence is Windows-1251.
  const std::string device = Win1251(name);
  const std::string shape =
      Win1251(" (сетевая линия записывается как tcp://узел:порт или rfc2217://узел:порт).");
  switch (error) {
    case NetUrlError::None:
      break;
    case NetUrlError::UnknownScheme:
      return Win1251("Адрес ") + device + Win1251(" не понят") + shape;
    case NetUrlError::NoHost:
      return Win1251("В адресе ") + device + Win1251(" нет имени или адреса узла") + shape;
    case NetUrlError::NoPort:
      return Win1251("В адресе ") + device + Win1251(" нет номера порта TCP") + shape;
    case NetUrlError::BadPort:
    case NetUrlError::PortOutOfRange:
      return Win1251("Порт TCP в адресе ") + device + Win1251(" должен быть числом от 1 до 65535.");
  }
  const std::string server = Win1251("Сервер ") + Win1251(NetEndpointText(url));
  switch (code) {
    case ENXIO:
      return Win1251("Узел ") + Win1251(url.host) + Win1251(" не найден: проверьте имя в адресе ") + device +
             ".";
    case ECONNREFUSED:
      return server + Win1251(" отказал в соединении: проверьте номер порта и работает ли сервер.");
    case ETIMEDOUT:
      return server + Win1251(" не ответил вовремя.");
    case ENETUNREACH:
    case EHOSTUNREACH:
      return server + Win1251(" недоступен по сети.");
    case ECONNRESET:
    case EPIPE:
      return server + Win1251(" разорвал соединение.");
    case EPROTO:
      return server + Win1251(" не ответил на согласование Telnet: это не порт RFC 2217?");
    case EPROTONOSUPPORT:
      return server + Win1251(
                          " не управляет параметрами линии (нет Telnet COM-PORT-OPTION); линию без "
                          "управления открывает адрес tcp://.");
    case EINVAL:
      return server + Win1251(" не смог установить заданные скорость и формат линии.");
    case EAFNOSUPPORT:
      return Win1251("Сетевые линии в этой сборке программы не поддерживаются.");
    default:
      return std::string();
  }
}

}  // namespace qm
