// qmctl's command line: the input is split at NUL bytes into arguments and parsed, and the help
// of the command it names is made. A mistake must be a UsageError, never anything else.
#include <cstdint>
#include <string>
#include <vector>

#include "ctl/CtlArgs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  if (args.size() > 64) return 0;
  try {
    const qm::ctl::CommandLine cl = qm::ctl::ParseCommandLine(args);
    if (cl.help && !cl.command.empty()) (void)qm::ctl::CommandHelp(cl.command);
  } catch (const qm::ctl::UsageError&) {
  }
  return 0;
}
