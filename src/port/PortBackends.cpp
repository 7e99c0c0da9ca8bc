#include "port/PortBackends.h"

#include "port/NetPortUrl.h"

namespace qm::comm {

std::unique_ptr<ComPortBackend> CreatePortBackend(const std::string& device) {
  return IsNetPortName(device) ? CreateNetPortBackend() : CreateComPortBackend();
}

}  // namespace qm::comm
