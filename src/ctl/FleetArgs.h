// The command line of `qmctl fleet` (Fleet.h describes the command):
//
//   qmctl [line options] fleet -c FILE [--jobs N] [--retry N] [--report FILE] COMMAND [options]
//
// The line options before `fleet` are kept as written, and the command and its options likewise,
// to be parsed once as one qmctl command line; each scale then gets its port, address and model
// in a copy of it. Mistakes raise UsageError.
#pragma once

#include <string>
#include <vector>

namespace qm::ctl {

struct FleetLine {
  std::vector<std::string> lineArgs;  // before "fleet"
  bool help = false;                  // -h or --help anywhere: the fleet's help
  std::string config;                 // -c FILE
  int jobs = 8;                       // --jobs N: lines at once, at least 1
  int retry = 0;                      // --retry N: further runs after a link failure
  std::string report;                 // --report FILE
  bool json = false;                  // --json: one JSON object a scale instead of the table
  std::string command;                // one of FleetCommandNames() (CommandTable.h)
  std::vector<std::string> commandArgs;
};

// Whether the command line runs a fleet: the first argument that is neither a line option nor a
// line option's value is "fleet".
bool IsFleetLine(const std::vector<std::string>& args);

// Takes a line IsFleetLine holds for apart. With help, nothing else is required.
FleetLine ParseFleetLine(const std::vector<std::string>& args);

// The text with "{name}" replaced by `name` wherever it stands.
std::string WithName(std::string text, const std::string& name);

}  // namespace qm::ctl
