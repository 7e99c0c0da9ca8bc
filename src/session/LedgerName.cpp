#include "session/LedgerName.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "port/NetPortUrl.h"
#include "port/NetSocket.h"

namespace qm {

std::string LedgerScaleName(const std::string& device, int address) {
  std::string line = device;
  if (IsNetPortName(device)) {
    line = NetLineIdentity(device, [](const std::string& host) {
      return net::HostAddresses(host, std::chrono::seconds(5));
    });
  } else {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(device, ec);
    if (!ec) line = canonical.string();
  }
  return line + "#" + std::to_string(address);
}

}  // namespace qm
