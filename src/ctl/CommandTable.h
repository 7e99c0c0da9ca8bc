// The commands of qmctl, one row each: the name, the sentence the command list shows, the help
// page, the options, the checks the options must pass, the function that runs the command, and
// how a fleet runs it. The parser, both kinds of help, the dispatch and the fleet read this table
// and nothing else, so a new command is one row here plus its own function (Commands.h).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/ScaleParams.h"
#include "ctl/CtlArgs.h"
#include "ctl/Qmctl.h"

namespace CLI {
class App;
}

namespace qm::ctl {

// Declares a command's options to the parser; the parsed values land where the row says.
class OptionWiring {
 public:
  explicit OptionWiring(CLI::App& sub) : sub_(sub) {}
  // A whole number, decimal only ("010" is ten, not eight).
  void Number(const char* name, std::optional<int>& into);
  void Text(const char* name, std::string& into);
  void Flag(const char* name, bool& into);
  // The arguments that are no option, in order.
  void Rest(const char* name, std::vector<std::string>& into);

 private:
  CLI::App& sub_;
};

// How a fleet runs a command.
struct FleetUse {
  // The command's place in the fleet's list of commands (its help and its refusal name them in
  // this order), from 1; 0 when a fleet does not run the command.
  int place = 0;
  // What of the command's options a fleet cannot do, as the sentence that refuses it; nullptr
  // (the function or its answer) when a fleet takes them all.
  const char* (*refuse)(const CommandOptions& options) = nullptr;
};

struct CommandRow {
  const char* name;
  // One whole sentence, ending in '.', that fits the command list's line of 80 columns: a man
  // page and a completion menu show it and must never show half a phrase.
  const char* summary;
  // The usage line first, then the description; every option of the command on a line of its
  // own that starts with the option (the shape help2man and bash-completion read).
  const char* help;
  void (*options)(OptionWiring& wire, CommandOptions& options);
  // The checks that need the whole line (required options, the model's number ranges), run after
  // the common ones; a mistake raises UsageError. May fill in defaults that depend on the model.
  void (*check)(CommandLine& cl, const TScaleParams& limits);
  // Runs the parsed command; usage and file errors may be raised (RunParsedCommand ends them).
  CommandOutcome (*run)(const CommandLine& cl, CtlIo& io);
  FleetUse fleet;
};

// Every command, in the order the program's help lists them.
std::span<const CommandRow> CommandTable();
// The row of `name`; nullptr when no command has that name.
const CommandRow* FindCommand(const std::string& name);
// The commands a fleet runs, in their fleet places.
std::vector<std::string> FleetCommandNames();

}  // namespace qm::ctl
