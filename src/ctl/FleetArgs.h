// The command line of `qmctl fleet` (Fleet.h describes the command):
//
//   qmctl [line options] fleet -c FILE [--jobs N] [--retry N] [--report FILE] COMMAND [options]
//
// The line options before `fleet` are kept as written, to be parsed again for every scale with
// its port, address and model; the command and its options likewise. Mistakes raise UsageError.
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
  std::string command;                // one of FleetCommandNames()
  std::vector<std::string> commandArgs;
};

// The commands a fleet runs, in the order the help names them.
const std::vector<std::string>& FleetCommandNames();

// Whether the command line runs a fleet: the first argument that is neither a line option nor a
// line option's value is "fleet".
bool IsFleetLine(const std::vector<std::string>& args);

// Takes a line IsFleetLine holds for apart. With help, nothing else is required.
FleetLine ParseFleetLine(const std::vector<std::string>& args);

// The arguments with "{name}" replaced by `name` wherever it stands.
std::vector<std::string> WithName(const std::vector<std::string>& args, const std::string& name);

}  // namespace qm::ctl
