// Network line names: what is taken for one, how it is read, and what the operator is told
// when it, or the server behind it, is wrong.
#include <gtest/gtest.h>

#include <cerrno>

#include "base/Cp1251.h"
#include "port/NetPortUrl.h"
#include "port/PortNames.h"

namespace {

using qm::NetLineKind;
using qm::NetUrlError;

TEST(NetPortUrl, NamesAreReadOrRefusedWithTheirReason) {
  struct Case {
    const char* device;
    NetUrlError error;
    NetLineKind kind;
    const char* host;
    int port;
  };
  const Case cases[] = {
      {"tcp://10.0.0.20:4000", NetUrlError::None, NetLineKind::RawTcp, "10.0.0.20", 4000},
      {"RFC2217://scale-3.shop.lan:4001/", NetUrlError::None, NetLineKind::Rfc2217,
       "scale-3.shop.lan", 4001},
      {"rfc2217://[fe80::1]:65535", NetUrlError::None, NetLineKind::Rfc2217, "fe80::1", 65535},
      {"tcp://h:1", NetUrlError::None, NetLineKind::RawTcp, "h", 1},
      {"udp://10.0.0.20:4000", NetUrlError::UnknownScheme},
      {"telnet://10.0.0.20:4000", NetUrlError::UnknownScheme},
      {"tcp://:4000", NetUrlError::NoHost},
      {"tcp://fe80::1:4000", NetUrlError::NoHost},  // IPv6 needs brackets
      {"tcp://user@host:4000", NetUrlError::NoHost},
      {"tcp://[::1", NetUrlError::NoHost},
      {"tcp://10.0.0.20", NetUrlError::NoPort},
      {"tcp://10.0.0.20:", NetUrlError::NoPort},
      {"tcp://[::1]4000", NetUrlError::NoPort},
      {"tcp://10.0.0.20:40a0", NetUrlError::BadPort},
      {"tcp://10.0.0.20:-1", NetUrlError::BadPort},
      {"tcp://10.0.0.20:0", NetUrlError::PortOutOfRange},
      {"tcp://10.0.0.20:65536", NetUrlError::PortOutOfRange},
      {"tcp://10.0.0.20:99999999999999999999", NetUrlError::PortOutOfRange},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    EXPECT_TRUE(qm::IsNetPortName(c.device));
    qm::NetPortUrl url;
    ASSERT_EQ(qm::ParseNetPortUrl(c.device, url), c.error);
    if (c.error != NetUrlError::None) continue;
    EXPECT_EQ(url.kind, c.kind);
    EXPECT_EQ(url.host, c.host);
    EXPECT_EQ(url.port, c.port);
  }
  // Device paths stay device paths, even odd ones.
  for (const char* path :
       {"/dev/ttyUSB0", "/tmp/a://b", "COM3", "://x", "1tcp://h:1", "tcp:/h:1"}) {
    EXPECT_FALSE(qm::IsNetPortName(path)) << path;
  }
}

// One server port however its name is written; a resolver stands in for the network's.
TEST(NetPortUrl, ALineHasOneIdentityHoweverItIsWritten) {
  const qm::HostResolver resolve = [](const std::string& host) -> std::vector<std::string> {
    if (host == "localhost") return {"::1", "127.0.0.1"};
    if (host == "scale.lan") return {"fe80::2", "fe80::1"};
    if (host == "127.0.0.1" || host == "::1") return {host};
    return {};
  };
  const std::pair<const char*, const char*> cases[] = {
      {"tcp://127.0.0.1:4000", "tcp://127.0.0.1:4000"},
      {"TCP://127.0.0.1:4000/", "tcp://127.0.0.1:4000"},
      {"tcp://localhost:4000", "tcp://127.0.0.1:4000"},
      {"Rfc2217://Shop-Scale:4000", "rfc2217://shop-scale:4000"},  // resolves to nothing
      {"rfc2217://scale.lan:4001", "rfc2217://[fe80::1]:4001"},
      {"tcp://[::1]:4000", "tcp://[::1]:4000"},
      {"tcp://localhost", "tcp://localhost"},  // no line: as it stands
  };
  for (const auto& [device, identity] : cases) {
    EXPECT_EQ(qm::NetLineIdentity(device, resolve), identity) << device;
  }
}

TEST(NetPortUrl, OpenFailuresOfNetworkLinesSayWhatIsWrong) {
  struct Case {
    int code;
    const char* device;
    const char* says;  // UTF-8, a part of the explanation
  };
  const Case cases[] = {
      {EINVAL, "udp://h:1", "не понят (сетевая линия записывается как tcp://узел:порт"},
      {EINVAL, "tcp://h", "нет номера порта TCP"},
      {EINVAL, "tcp://h:70000", "должен быть числом от 1 до 65535"},
      {ENXIO, "rfc2217://nonexistent.invalid:4001", "Узел nonexistent.invalid не найден"},
      {ECONNREFUSED, "tcp://10.0.0.20:4000", "Сервер 10.0.0.20:4000 отказал в соединении"},
      {ETIMEDOUT, "tcp://[::1]:4000", "Сервер [::1]:4000 не ответил вовремя"},
      {EHOSTUNREACH, "tcp://10.0.0.20:4000", "недоступен по сети"},
      {EPROTONOSUPPORT, "rfc2217://h:4001", "нет Telnet COM-PORT-OPTION"},
      {EPROTO, "rfc2217://h:4001", "не ответил на согласование Telnet"},
      {EINVAL, "rfc2217://h:4001", "не смог установить заданные скорость и формат"},
      {ECONNRESET, "rfc2217://h:4001", "разорвал соединение"},
  };
  for (const Case& c : cases) {
    const std::string text = qm::Utf8(qm::ExplainOpenFailure(c.code, c.device));
    EXPECT_NE(text.find(c.says), std::string::npos) << c.device << ": " << text;
  }
  // A code without a plainer reading leaves the system's number to speak.
  EXPECT_EQ(qm::ExplainOpenFailure(EIO, "tcp://h:1"), "");
}

}  // namespace
