#include "ctl/FleetArgs.h"

#include <algorithm>
#include <set>

#include "ctl/CommandTable.h"
#include "ctl/CtlArgs.h"

namespace qm::ctl {
namespace {

bool IsValueOption(const std::string& arg) {
  static const std::set<std::string> options = {"--port", "--baud",    "--parity",
                                                "--stop", "--address", "--model"};
  return options.count(arg) > 0;
}

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The index of the first argument that is neither a line option nor a line option's value.
std::size_t FirstWord(const std::vector<std::string>& args) {
  std::size_t i = 0;
  while (i < args.size() && !args[i].empty() && args[i][0] == '-') {
    const std::string& arg = args[i++];
    if (arg.find('=') != std::string::npos) continue;
    if (IsValueOption(arg)) {
      ++i;
    } else if (arg == "--version" && i < args.size() && AllDigits(args[i])) {
      ++i;  // "--version" alone is a flag
    }
  }
  return i;
}

int FleetNumber(const std::string& option, const std::string& text, int low) {
  if (!AllDigits(text) || text.size() > 6 || std::stoi(text) < low) {
    throw UsageError("option " + option + " of fleet needs a whole number of at least " +
                     std::to_string(low) + ", not '" + text + "'");
  }
  return std::stoi(text);
}

bool IsHelp(const std::string& arg) {
  return arg == "-h" || arg == "--help";
}

}  // namespace

bool IsFleetLine(const std::vector<std::string>& args) {
  const std::size_t at = FirstWord(args);
  return at < args.size() && args[at] == "fleet";
}

FleetLine ParseFleetLine(const std::vector<std::string>& args) {
  FleetLine f;
  const std::size_t at = FirstWord(args);
  f.lineArgs.assign(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(at));
  for (const std::string& arg : f.lineArgs) {
    f.help = f.help || IsHelp(arg);
    const std::string name = arg.substr(0, arg.find('='));
    if (name == "--port" || name == "--address") {
      throw UsageError("in a fleet every scale's port and address come from scales.conf; " + name +
                       " is not taken");
    }
  }
  std::size_t i = at + 1;
  for (; i < args.size(); ++i) {
    std::string arg = args[i], value;
    if (IsHelp(arg)) {
      f.help = true;
      continue;
    }
    if (arg.empty() || arg[0] != '-') {
      f.command = arg;
      break;
    }
    const std::size_t eq = arg.find('=');
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
    } else if (arg == "-c" || arg == "--config" || arg == "--jobs" || arg == "--retry" ||
               arg == "--report") {
      if (i + 1 >= args.size()) throw UsageError("option " + arg + " of fleet needs a value");
      value = args[++i];
    }
    if (arg == "-c" || arg == "--config") {
      f.config = value;
    } else if (arg == "--jobs") {
      f.jobs = FleetNumber(arg, value, 1);
    } else if (arg == "--retry") {
      f.retry = FleetNumber(arg, value, 0);
    } else if (arg == "--report") {
      f.report = value;
    } else if (arg == "--json" && eq == std::string::npos) {
      f.json = true;
    } else {
      throw UsageError("unknown option " + arg + " for fleet");
    }
  }
  if (i < args.size()) {
    f.commandArgs.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
  }
  f.help = f.help || std::any_of(f.commandArgs.begin(), f.commandArgs.end(), IsHelp);
  if (f.help) return f;
  if (f.config.empty()) throw UsageError("fleet needs -c FILE, the list of scales");
  if (f.command.empty()) throw UsageError("fleet needs a command to run on the scales");
  const std::vector<std::string> names = FleetCommandNames();
  if (std::find(names.begin(), names.end(), f.command) == names.end()) {
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i > 0) list += i + 1 == names.size() ? " or " : ", ";
      list += names[i];
    }
    throw UsageError("fleet runs " + list + ", not '" + f.command + "'");
  }
  return f;
}

std::string WithName(std::string text, const std::string& name) {
  for (std::size_t at = text.find("{name}"); at != std::string::npos;
       at = text.find("{name}", at + name.size())) {
    text.replace(at, 6, name);
  }
  return text;
}

}  // namespace qm::ctl
