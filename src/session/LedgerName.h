// The name a scale is kept under in the ledger when it has none of its own (a fleet's scales
// are named in scales.conf): its line and address, "LINE#ADDRESS". The line is the device the
// port leads to with every link resolved (COM2 and the device it maps to are one line), or a
// network line with its host as the address it resolves to ("tcp://127.0.0.1:4001").
#pragma once

#include <string>

namespace qm {

// `device`: the port as a device path or network line (COMn already resolved).
std::string LedgerScaleName(const std::string& device, int address);

}  // namespace qm
