// The command line of qmctl: the line options that choose and set up the scale's port, the
// scale model, and one command with its own options. Parsing only (on CLI11); running is
// elsewhere.
//
// Every mistake on the command line (an unknown option, a missing or malformed value, a number
// out of range, a missing command) raises UsageError with one sentence for the operator; the
// program prints it and ends with exit code 2.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/LineSettings.h"
#include "base/ScaleParams.h"

namespace qm::ctl {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct LineOptions {
  // The port as given: "COM1".."COM8" (resolved through the port mapping as the window program
  // does) or a device path opened as it stands.
  std::string port = "COM2";
  std::optional<TPortType> comPort = TPortType::COM2;  // nothing when `port` is a path
  TBaudRate baud = TBaudRate::br9600;
  TParityBits parity = TParityBits::prNone;
  TStopBits stop = TStopBits::sbOneStopBit;
  int address = 1;
  int model = kDefaultScaleModel;      // a row of kScaleModels
  int version = kDefaultScaleVersion;  // a row of kScaleVersions
  bool trace = false;
};

struct CommandOptions {
  std::optional<int> last;         // --last N: a table read from the first number up to N
  std::optional<int> only;         // --only N: one record
  std::string input;               // -i FILE, --input FILE; "-": standard input
  std::string output;              // -o FILE, --output FILE; "-": standard output
  std::string format;              // --format csv|plw|msw: the layout of "-" (the extension)
  std::string messages;            // write-plu --messages FILE: the table the check counts
  bool force = false;              // write-plu, write-msg, convert: go on despite findings
  bool yes = false;                // clear-totals
  bool watch = false;              // weigh
  std::optional<int> from, to;     // scan
  std::vector<std::string> files;  // check
  bool strict = false;             // check --strict: also the characters the scale cannot print
  bool json = false;               // weigh, scan, verify: the results as JSON, one object a line
  bool changed = false;            // write-plu, write-msg --changed: only what the scale lacks
  std::optional<int> sample;       // --sample K: records read back before trusting the ledger
  std::vector<std::string> words;  // ledger: what to do and to which scale
};

struct CommandLine {
  LineOptions line;
  std::string command;  // empty with --help before any command
  CommandOptions options;
  // The scale's name in a fleet (scales.conf); empty on a line of its own. The ledger keeps
  // a scale under this name when it has one.
  std::string scaleName;
  bool help = false;     // --help: for the program, or for `command` when one was given
  bool version = false;  // "--version" with no number and no command: the program's version
  bool quiet = false;    // -q, --quiet: no progress and no informational lines
};

// Parses the arguments after the program name (the commands and their options are the rows of
// CommandTable.h) and checks the result (CheckCommand) unless help was asked for.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The checks that need the whole line, run again when the line changes (a fleet gives each scale
// its port, address and model): the address against the model's range, then the command's own
// (its row's), which may fill in defaults that depend on the model.
void CheckCommand(CommandLine& cl);

// "--last takes 1 to 4000 for this model": the usage error of a number out of the model's range.
std::string RangeText(const std::string& option, int low, int high);

// Sets `line.port` (and `line.comPort` for COM1..COM8, in any case) as --port takes it.
void ParsePort(const std::string& text, LineOptions& line);

// The model and version numbers of the model table, "6, 15 or 30" with (", ", " or ").
std::string ModelList(const char* between, const char* last);
std::string VersionList(const char* between, const char* last);

// The help texts (UTF-8, for the terminal).
std::string ProgramHelp();
std::string CommandHelp(const std::string& command);
// One line, "qmctl (QM Interchange) 1.6", as help2man and package tools expect it.
std::string VersionText();

}  // namespace qm::ctl
