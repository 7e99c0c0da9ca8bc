#include "ctl/CtlArgs.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>

#include "base/ScaleParams.h"
#include "ctl/CommandTable.h"
#include "ctl/Suggest.h"
#include "port/NetPortUrl.h"
#include "port/PortNames.h"

#ifndef QM_VERSION
#define QM_VERSION "unknown"
#endif

namespace qm::ctl {

namespace {

int ParseNumber(const std::string& option, const std::string& text) {
  int value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  auto [end, ec] = std::from_chars(first, last, value);
  if (text.empty() || ec != std::errc() || end != last) {
    throw UsageError("option " + option + " needs a whole number, not '" + text + "'");
  }
  return value;
}

namespace {

std::string NetUrlErrorText(NetUrlError error) {
  switch (error) {
    case NetUrlError::UnknownScheme:
      return "the scheme is neither tcp nor rfc2217";
    case NetUrlError::NoHost:
      return "it names no host";
    case NetUrlError::NoPort:
      return "it has no TCP port after the host";
    case NetUrlError::BadPort:
    case NetUrlError::PortOutOfRange:
      return "its TCP port must be a number from 1 to 65535";
    case NetUrlError::None:
      break;
  }
  return {};
}

}  // namespace
}  // namespace

void ParsePort(const std::string& text, LineOptions& line) {
  if (text.empty()) throw UsageError("option --port needs a device path or COM1..COM8");
  line.port = text;
  line.comPort.reset();
  if (IsNetPortName(text)) {
    // A malformed network line is a mistake in the command, found before anything starts.
    NetPortUrl url;
    if (const NetUrlError error = ParseNetPortUrl(text, url); error != NetUrlError::None) {
      throw UsageError("'" + text + "' is no network line: " + NetUrlErrorText(error) +
                       " (write tcp://HOST:PORT or rfc2217://HOST:PORT)");
    }
    return;
  }
  // A device path: "/dev/ttyUSB0" here, "\\.\COM12" on Windows, where adapters often get numbers
  // above COM8 that only the device namespace reaches.
  if (text.find_first_of("/\\") != std::string::npos) return;
  std::string upper = text;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  for (int i = 0; i < kPortCount; ++i) {
    if (upper == PortName(static_cast<TPortType>(i))) {
      line.comPort = static_cast<TPortType>(i);
      line.port = upper;
      return;
    }
  }
  throw UsageError("unknown port '" + text + "': give COM1..COM8 or a device path");
}

namespace {

TBaudRate ParseBaud(int value) {
  for (int i = 0; i < kBaudRateCount; ++i) {
    if (kBaudRateValues[i] == value) return static_cast<TBaudRate>(i);
  }
  std::string rates;
  for (int i = 0; i < kBaudRateCount; ++i) {
    if (i > 0) rates += i + 1 == kBaudRateCount ? " or " : ", ";
    rates += std::to_string(kBaudRateValues[i]);
  }
  throw UsageError("unsupported baud rate " + std::to_string(value) + "; --baud takes " + rates);
}

TParityBits ParseParity(const std::string& text) {
  static const std::array<const char*, kParityCount> names = {"none", "odd", "even", "mark",
                                                              "space"};
  for (int i = 0; i < kParityCount; ++i) {
    if (text == names[i]) return static_cast<TParityBits>(i);
  }
  throw UsageError("option --parity takes none, odd, even, mark or space, not '" + text + "'");
}

TStopBits ParseStop(const std::string& text) {
  if (text == "1") return TStopBits::sbOneStopBit;
  if (text == "1.5") return TStopBits::sbOne5StopBits;
  if (text == "2") return TStopBits::sbTwoStopBits;
  throw UsageError("option --stop takes 1, 1.5 or 2, not '" + text + "'");
}


// Every name of every option of `app` ("-o", "--output", ...), the help flags left out.
std::vector<std::string> OptionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& s : option->get_snames()) {
      if (s != "h") names.push_back("-" + s);
    }
    for (const std::string& l : option->get_lnames()) {
      if (l != "help") names.push_back("--" + l);
    }
  }
  return names;
}

std::vector<std::string> CommandNames() {
  std::vector<std::string> names;
  for (const CommandRow& c : CommandTable()) names.emplace_back(c.name);
  return names;
}

bool Holds(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The option of "--name=value" or "--name".
std::string OptionPart(const std::string& arg) {
  return arg.substr(0, arg.find('='));
}

// What was left over after parsing: an unknown command or option, or a stray argument. A name
// close to one that exists is suggested; an option given on the wrong side of the command is
// told where it goes.
void RejectLeftovers(const CLI::App& app, const CLI::App* sub, const std::string& command) {
  const std::vector<std::string> lineNames = OptionNames(app);
  const std::vector<std::string> commandNames =
      sub != nullptr ? OptionNames(*sub) : std::vector<std::string>();
  if (!app.remaining().empty()) {
    const std::string arg = app.remaining().front();
    if (!arg.empty() && arg[0] == '-') {
      const std::string name = OptionPart(arg);
      if (Holds(commandNames, name)) {
        throw UsageError(name + " is an option of " + command + ": it goes after the command");
      }
      throw UsageError("unknown option " + arg + DidYouMean(Suggestions(name, lineNames)));
    }
    std::vector<std::string> commands = CommandNames();
    commands.emplace_back("help");
    throw UsageError(command.empty()
                         ? "unknown command '" + arg + "'" + DidYouMean(Suggestions(arg, commands))
                         : "unexpected argument '" + arg + "' for " + command);
  }
  if (sub != nullptr && !sub->remaining().empty()) {
    const std::vector<std::string>& rest = sub->remaining();
    const std::string arg = rest.front();
    if (arg.empty() || arg[0] != '-') {
      throw UsageError("unexpected argument '" + arg + "' for " + command);
    }
    const std::string name = OptionPart(arg);
    if (Holds(lineNames, name)) {
      // "read-plu --port X": show the line as it should have been written.
      std::string option = arg;
      if (name == arg && name != "--trace" && rest.size() > 1) option += " " + rest[1];
      throw UsageError("line options go before the command: qmctl " + option + " " + command +
                       " ...");
    }
    throw UsageError("unknown option " + arg + " for " + command +
                     DidYouMean(Suggestions(name, commandNames)));
  }
}

// "6, 15 or 30", "6|15|30": the numbers of a table's rows as the help and the errors list them.
template <typename Rows, typename Number>
std::string NumberList(const Rows& rows, Number number, const char* between, const char* last) {
  std::string text;
  const std::size_t count = std::size(rows);
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += i + 1 == count ? last : between;
    text += std::to_string(number(rows[i]));
  }
  return text;
}

int ModelOf(const ScaleModelRow& row) {
  return row.kg;
}
int VersionOf(const ScaleVersionRow& row) {
  return row.plus;
}

// One option of the line options' help: the option and its value, then its text at column 24,
// on a line of its own when the option is too long for the column.
std::string HelpRow(const std::string& option, const std::string& text) {
  constexpr std::size_t kColumn = 23;
  std::string row = "  " + option;
  row += row.size() < kColumn ? std::string(kColumn - row.size(), ' ')
                              : "\n" + std::string(kColumn, ' ');
  return row + text + "\n";
}

}  // namespace

std::string ModelList(const char* between, const char* last) {
  return NumberList(kScaleModels, ModelOf, between, last);
}

std::string VersionList(const char* between, const char* last) {
  return NumberList(kScaleVersions, VersionOf, between, last);
}

void OptionWiring::Number(const char* name, std::optional<int>& into) {
  sub_.add_option_function<std::string>(
      name, [name, &into](const std::string& v) { into = ParseNumber(name, v); });
}

void OptionWiring::Text(const char* name, std::string& into) {
  sub_.add_option(name, into);
}

void OptionWiring::Flag(const char* name, bool& into) {
  sub_.add_flag(name, into);
}

void OptionWiring::Rest(const char* name, std::vector<std::string>& into) {
  sub_.add_option(name, into);
}

std::string RangeText(const std::string& option, int low, int high) {
  return option + " takes " +
         (low == high ? "only " + std::to_string(low)
                      : std::to_string(low) + " to " + std::to_string(high)) +
         " for this model";
}

namespace {

// "-" for standard input or output, with --format naming the layout its extension would.
void CheckStandardStreams(const CommandLine& cl) {
  const CommandOptions& o = cl.options;
  const bool in = o.input == "-", out = o.output == "-";
  if (in && out) {
    throw UsageError(cl.command + " takes - for -i or for -o, not both: name a file for one");
  }
  const bool report = cl.command == "read-totals";  // always the text report
  if (!o.format.empty()) {
    if (report) throw UsageError("read-totals writes the text report; it takes no --format");
    if (o.format != "csv" && o.format != "plw" && o.format != "msw") {
      throw UsageError("option --format takes csv, plw or msw, not '" + o.format + "'");
    }
    if (!in && !out) {
      throw UsageError("--format is for - (standard input or output); a file's name ends in "
                       "its layout");
    }
  } else if ((in || out) && !report) {
    throw UsageError(cl.command + " needs --format csv, plw or msw with - (standard " +
                     (in ? "input" : "output") + ")");
  }
}

}  // namespace

void CheckCommand(CommandLine& cl) {
  const TScaleParams limits = BuildScaleParams(cl.line.model, cl.line.version);
  if (cl.line.address < 1 || cl.line.address > limits.MaxScaleAddress) {
    throw UsageError(RangeText("--address", 1, limits.MaxScaleAddress));
  }
  if (const CommandRow* row = FindCommand(cl.command)) row->check(cl, limits);
  CheckStandardStreams(cl);
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  // "qmctl help" and "qmctl help COMMAND" are the two kinds of help, as git has them.
  if (!args.empty() && args[0] == "help") {
    cl.help = true;
    if (args.size() > 2) throw UsageError("help takes one command at most");
    if (args.size() == 2 && args[1] != "help") {
      if (!FindCommand(args[1])) {
        std::vector<std::string> commands = CommandNames();
        throw UsageError("unknown command '" + args[1] + "'" +
                         DidYouMean(Suggestions(args[1], commands)));
      }
      cl.command = args[1];
    }
    return cl;
  }
  CLI::App app("", "qmctl");
  // The help pages are ours (below), so are the checks of required options: help must work
  // without them. Leftovers are collected and reported in our words, a repeated option keeps
  // its last value, and a flag takes no value ("--trace=yes" is a mistake).
  app.set_help_flag();
  app.allow_extras();
  app.require_subcommand(0, 1);
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.option_defaults()->disable_flag_override();

  LineOptions& line = cl.line;
  std::string version;
  app.add_flag("-h,--help", cl.help);
  app.add_option_function<std::string>("--port", [&](const std::string& v) { ParsePort(v, line); });
  app.add_option_function<std::string>(
      "--baud", [&](const std::string& v) { line.baud = ParseBaud(ParseNumber("--baud", v)); });
  app.add_option_function<std::string>("--parity",
                                       [&](const std::string& v) { line.parity = ParseParity(v); });
  app.add_option_function<std::string>("--stop",
                                       [&](const std::string& v) { line.stop = ParseStop(v); });
  app.add_option_function<std::string>(
      "--address", [&](const std::string& v) { line.address = ParseNumber("--address", v); });
  app.add_option_function<std::string>("--model", [&](const std::string& v) {
    line.model = ParseNumber("--model", v);
    if (!FindScaleModel(line.model)) {
      throw UsageError("option --model takes " + ModelList(", ", " or "));
    }
  });
  // "--version N" chooses the scale's PLU memory; "--version" alone asks for the program's
  // version, as every GNU-style tool answers it.
  CLI::Option* versionOption = app.add_option("--version", version)->expected(0, 1);
  app.add_flag("--trace", line.trace);
  app.add_flag("-q,--quiet", cl.quiet);

  std::vector<CLI::App*> subs;
  for (const CommandRow& c : CommandTable()) {
    CLI::App* sub = app.add_subcommand(c.name, c.summary);
    sub->set_help_flag();
    sub->add_flag("-h,--help", cl.help);
    sub->add_flag("-q,--quiet", cl.quiet);  // a common option, taken after the command too
    OptionWiring wire(*sub);
    c.options(wire, cl.options);
    subs.push_back(sub);
  }

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    throw UsageError(e.what());
  }
  const auto chosen = std::find_if(subs.begin(), subs.end(),
                                   [](const CLI::App* s) { return s->parsed(); });
  CLI::App* sub = chosen == subs.end() ? nullptr : *chosen;
  if (sub != nullptr) cl.command = sub->get_name();
  RejectLeftovers(app, sub, cl.command);

  if (versionOption->count() > 0) {
    if (version.empty() && cl.command.empty()) {
      cl.version = !cl.help;
    } else if (version.empty()) {
      throw UsageError("option --version needs " + VersionList(", ", " or ") +
                       " before a command");
    } else {
      line.version = ParseNumber("--version", version);
      if (!FindScaleVersion(line.version)) {
        throw UsageError("option --version takes " + VersionList(", ", " or "));
      }
    }
  }
  if (cl.command.empty()) {
    if (cl.help || cl.version) return cl;
    throw UsageError("no command given");
  }
  if (!cl.help) CheckCommand(cl);
  return cl;
}

std::string ProgramHelp() {
  std::string text =
      "Usage: qmctl [LINE OPTIONS] COMMAND [COMMAND OPTIONS]\n"
      "Runs the scale transfers, checks and file conversions of QM Interchange without a\n"
      "window, for scripts and scheduled jobs.\n"
      "\n"
      "Line options:\n"
      "  --port DEV|COMn      the scale's port (default COM2); COM1..COM8 resolve to devices as\n"
      "                       the window program resolves them (QM_PORTS, then the ports.conf\n"
      "                       mapping, then /dev/ttyS0..7); any other value is a device path\n"
      "                       or a network line, tcp://HOST:PORT or rfc2217://HOST:PORT\n"
      "  --baud N             110, 300, 600, 1200, 2400, 4800, 9600 (default), 14400, 19200,\n"
      "                       38400, 56000, 57600 or 115200; always 8 data bits\n"
      "  --parity none|odd|even|mark|space\n"
      "                       the parity (default none)\n"
      "  --stop 1|1.5|2       the stop bits (default 1)\n"
      "  --address N          the scale's address (default 1)\n";
  text += HelpRow("--model " + ModelList("|", "|"),
                  "the scale's capacity in kg (default " + std::to_string(kDefaultScaleModel) + ")");
  text += HelpRow("--version " + VersionList("|", "|"),
                  "the scale's PLU memory (default " + std::to_string(kDefaultScaleVersion) + ")");
  text +=
      "  --trace              print every frame sent (>) and received (<) as hex with the time\n"
      "                       since start on stderr\n"
      "  -q, --quiet          no progress line and no line that only says how it went; errors\n"
      "                       and the data asked for are still written\n"
      "  -h, --help           this help; after a command, the command's help\n"
      "  --version            alone: the program's version\n"
      "\n"
      "Commands:\n";
  for (const CommandRow& c : CommandTable()) {
    const std::string name = c.name;
    text += "  " + name + std::string(14 - name.size(), ' ') + c.summary + "\n";
  }
  text +=
      "\n"
      "'qmctl help COMMAND' or 'qmctl COMMAND --help' describes a command. -i and -o also\n"
      "take - for standard input or output, with --format csv|plw|msw for its layout.\n"
      "\n"
      "Exit status:\n"
      "  0  done\n"
      "  1  findings, refusals by the scale or differences\n"
      "  2  a usage error, or a file that cannot be read or written\n"
      "  3  the link failed (no answer, the port cannot be opened, the scale not ready)\n"
      "  4  fleet: one or more scales were not done\n"
      "\n"
      "Serial devices belong to the group 'dialout'; a user outside it cannot open them.\n";
  return text;
}

std::string CommandHelp(const std::string& command) {
  const CommandRow* row = FindCommand(command);
  return row ? row->help : ProgramHelp();
}

std::string VersionText() {
  return "qmctl (QM Interchange) " QM_VERSION "\n";
}

}  // namespace qm::ctl
