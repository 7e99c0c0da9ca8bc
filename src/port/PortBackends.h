// Which backend serves a port's device: a network serial line for "tcp://..." and
// "rfc2217://..." names (NetPortUrl.h), the platform's serial port for everything else.
// Private to src/link, like ComPortBackend.h.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "port/ComPortBackend.h"

namespace qm::comm {

// How long a network line may take to come up. Connecting covers resolving the name too;
// negotiating is the Telnet server's agreement to COM-PORT-OPTION and its confirmation of each
// line setting.
struct NetLineTimes {
  std::chrono::milliseconds connect{3000};
  std::chrono::milliseconds negotiate{3000};
};

// The backend for `device`.
std::unique_ptr<ComPortBackend> CreatePortBackend(const std::string& device);

// A network serial line; the device given to Open is its URL. Where the platform has no socket
// file, Open fails with EAFNOSUPPORT.
std::unique_ptr<ComPortBackend> CreateNetPortBackend(NetLineTimes times = {});

}  // namespace qm::comm
