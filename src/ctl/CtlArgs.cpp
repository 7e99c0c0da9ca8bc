#include "ctl/CtlArgs.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>

#include "base/ScaleParams.h"
#include "port/NetPortUrl.h"
#include "port/PortNames.h"

#ifndef QM_VERSION
#define QM_VERSION "unknown"
#endif

namespace qm::ctl {

namespace {

// The system's own texts for numbers the window would refuse (UTF-8 here: they go to the
// terminal).
constexpr const char* kBadPluNumber = "Неправильный номер PLU.";
constexpr const char* kBadMessageNumber = "Неправильный номер сообщения.";
constexpr const char* kBadAddress = "Неправильный адрес весов.";

// One command: its name, the one sentence the command list shows (whole, so that a man page
// and a completion menu never show half a phrase) and its own help page. Every option of the
// command has a line of its own in the help page that starts with the option, the shape that
// help2man and bash-completion's option parser read.
struct CommandText {
  const char* name;
  const char* summary;
  const char* help;
};

const std::vector<CommandText>& Commands() {
  static const std::vector<CommandText> commands = {
      {"read-plu", "Reads PLU records from the scale into a file.",
       "qmctl [line options] read-plu (--last N | --only N) -o FILE\n"
       "  Reads PLU records from the scale and writes them to FILE (.csv or .plw).\n"
       "  --last N  every PLU number from 1 up to N (1..the model's highest PLU number);\n"
       "            numbers the scale does not hold are skipped\n"
       "  --only N  the one PLU number N (0..the model's highest PLU number)\n"
       "  -o FILE   the file to write\n"},
      {"write-plu", "Programs the PLU rows of a file into the scale.",
       "qmctl [line options] write-plu -i FILE [--only N] [--messages FILE] [--force]\n"
       "  Programs the PLU rows of FILE (.csv or .plw) into the scale, top to bottom.\n"
       "  The rows are validated first against the model's limits; with findings nothing is\n"
       "  sent (exit 1) unless --force is given.\n"
       "  -i FILE           the file to read\n"
       "  --only N          only the row whose PLU number is N\n"
       "  --messages FILE   the message table (.csv or .msw) the message numbers are checked\n"
       "                    against; without it the table holds one message, as in a fresh\n"
       "                    window\n"
       "  --force           write despite findings\n"},
      {"read-msg", "Reads messages from the scale into a file.",
       "qmctl [line options] read-msg (--last N | --only N) -o FILE\n"
       "  Reads messages from the scale and writes them to FILE (.csv or .msw).\n"
       "  --last N  every message number from 1 up to N; absent ones are skipped\n"
       "  --only N  the one message number N\n"
       "  -o FILE   the file to write\n"},
      {"write-msg", "Programs the messages of a file into the scale.",
       "qmctl [line options] write-msg -i FILE [--force]\n"
       "  Programs every message of FILE (.csv or .msw) into the scale after validation;\n"
       "  with findings nothing is sent (exit 1) unless --force is given.\n"
       "  -i FILE   the file to read\n"
       "  --force   write despite findings\n"},
      {"read-totals", "Reads the scale's sales totals into a report file.",
       "qmctl [line options] read-totals -o FILE\n"
       "  Reads the scale's sales totals and writes the totals report to FILE.\n"
       "  -o FILE   the file to write\n"},
      {"clear-totals", "Erases the sales totals in the scale.",
       "qmctl [line options] clear-totals --yes\n"
       "  Erases the sales totals in the scale.\n"
       "  --yes     required: confirms the erasure\n"},
      {"weigh", "Prints the scale's display: weight, prices and PLU number.",
       "qmctl [line options] weigh [--watch]\n"
       "  Prints the scale's display (weight with its indicator letters, unit price, total\n"
       "  price, PLU number) as one line.\n"
       "  --watch   a line about every second until interrupted\n"},
      {"check", "Validates .csv, .plw and .msw files against the model's limits.",
       "qmctl [--model M --version V] check [--strict] FILE...\n"
       "  Validates the files (.csv, .plw, .msw) against the model's limits and prints every\n"
       "  finding on its own line, then the summary. A PLU file is checked against the\n"
       "  number of messages of a message file given on the same line. Exit 1 on findings.\n"
       "  --strict  also warns of every name, logo code and message line holding characters\n"
       "            the scale cannot print (\"№\", \"«\", \"»\", \"€\", letters outside Russian\n"
       "            and ASCII: the label shows \"*\" for them), naming the characters\n"},
      {"match", "Puts every PLU row of a file at the position of its PLU number.",
       "qmctl [--model M --version V] match -i FILE -o FILE\n"
       "  Puts every PLU row at the position of its PLU number (gaps filled with empty rows,\n"
       "  rows above the model's highest PLU number, without a number or duplicated dropped).\n"
       "  -i FILE   the file to read\n"
       "  -o FILE   the file to write\n"},
      {"convert", "Converts between .csv and .plw, or .csv and .msw.",
       "qmctl convert -i FILE -o FILE [--force]\n"
       "  Converts between .csv and .plw (PLU table) or .csv and .msw (messages).\n"
       "  A .plw file keeps neither the logo nor the sales totals. Characters of a UTF-8\n"
       "  FILE that Windows-1251 cannot hold are named; nothing is written then (exit 1)\n"
       "  unless --force is given.\n"
       "  -i FILE   the file to read\n"
       "  -o FILE   the file to write\n"
       "  --force   write although characters were replaced by \"?\"\n"},
      {"scan", "Lists the scale addresses that answer on the line.",
       "qmctl [line options] scan [--from N --to M]\n"
       "  Lists the scale addresses that answer on the line. A silent address is given up\n"
       "  after about 0.2 s (the window waits 0.5 s). Exit 3 when no address answers.\n"
       "  --from N  the first address (default 1)\n"
       "  --to M    the last address (default: the model's highest address)\n"},
      {"verify", "Compares the scale's PLU records with a file.",
       "qmctl [line options] verify -i FILE [--last N]\n"
       "  Reads the PLU numbers of FILE back from the scale (or every number up to N) and\n"
       "  lists every cell that differs from the file, one a line. Exit 1 on differences.\n"
       "  -i FILE   the file to compare with\n"
       "  --last N  every PLU number from 1 up to N instead of the file's numbers\n"},
      {"fleet", "Runs one transfer on many scales listed in a file.",
       "qmctl [line options] fleet -c FILE [--jobs N] [--retry N] [--report FILE] COMMAND ...\n"
       "  Runs COMMAND (read-plu, write-plu, read-msg, write-msg, read-totals, verify, or\n"
       "  weigh without --watch) with its own options on every scale listed in FILE, one\n"
       "  scale a line:   NAME PORT ADDRESS [MODEL [VERSION]]\n"
       "  Fields are separated by blanks; '#' begins a comment, blank lines are skipped.\n"
       "  Names are unique (letters, digits, '_', '-', '.'); MODEL and VERSION replace\n"
       "  --model and --version for that scale; the other line options apply to all.\n"
       "  \"{name}\" in the command's options stands for the scale's name, so that every\n"
       "  scale reads into a file of its own (-o plu-{name}.csv). Bad lines are named by\n"
       "  their number and nothing is started.\n"
       "  Scales on different lines run at the same time; scales sharing a line (the same\n"
       "  port) run one after the other. Each scale's output is written whole when it is\n"
       "  done, every line headed \"[NAME] \"; then a table: scale, result, exit code,\n"
       "  records, seconds, message. Exit 0 when every scale is done, 4 when one or more\n"
       "  is not, 2 on a usage error or a bad FILE.\n"
       "  -c FILE        the list of scales\n"
       "  --jobs N       at most N lines at once (default 8)\n"
       "  --retry N      runs a scale whose link failed (exit 3) up to N more times\n"
       "                 (default 0); findings, refusals and file errors are not retried\n"
       "  --report FILE  also writes the table as CSV (UTF-8) to FILE\n"},
  };
  return commands;
}

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

TBaudRate ParseBaud(int value) {
  for (int i = 0; i < kBaudRateCount; ++i) {
    if (kBaudRateValues[i] == value) return static_cast<TBaudRate>(i);
  }
  throw UsageError("unsupported baud rate " + std::to_string(value));
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


// The options each command takes, as CLI11 sees them; values land in `o`. Numbers are read by
// ParseNumber (decimal only: CLI11's own conversion would take "010" as octal).
void AddCommandOptions(CLI::App& sub, const std::string& c, CommandOptions& o) {
  const auto number = [&sub](const char* name, std::optional<int>& into) {
    sub.add_option_function<std::string>(
        name, [name, &into](const std::string& v) { into = ParseNumber(name, v); });
  };
  const auto text = [&sub](const char* name, std::string& into) {
    sub.add_option(name, into);
  };
  if (c == "read-plu" || c == "read-msg") {
    number("--last", o.last);
    number("--only", o.only);
    text("-o", o.output);
  } else if (c == "write-plu") {
    text("-i", o.input);
    number("--only", o.only);
    text("--messages", o.messages);
    sub.add_flag("--force", o.force);
  } else if (c == "write-msg") {
    text("-i", o.input);
    sub.add_flag("--force", o.force);
  } else if (c == "read-totals") {
    text("-o", o.output);
  } else if (c == "clear-totals") {
    sub.add_flag("--yes", o.yes);
  } else if (c == "weigh") {
    sub.add_flag("--watch", o.watch);
  } else if (c == "check") {
    sub.add_option("FILE", o.files);
    sub.add_flag("--strict", o.strict);
  } else if (c == "match" || c == "convert") {
    text("-i", o.input);
    text("-o", o.output);
    if (c == "convert") sub.add_flag("--force", o.force);
  } else if (c == "scan") {
    number("--from", o.from);
    number("--to", o.to);
  } else if (c == "verify") {
    text("-i", o.input);
    number("--last", o.last);
  }
}

// What was left over after parsing: an unknown command or option, or a stray argument.
void RejectLeftovers(const CLI::App& app, const CLI::App* sub, const std::string& command) {
  if (!app.remaining().empty()) {
    const std::string arg = app.remaining().front();
    if (!arg.empty() && arg[0] == '-') throw UsageError("unknown option " + arg);
    throw UsageError(command.empty() ? "unknown command '" + arg + "'"
                                     : "unexpected argument '" + arg + "' for " + command);
  }
  if (sub != nullptr && !sub->remaining().empty()) {
    const std::string arg = sub->remaining().front();
    throw UsageError(!arg.empty() && arg[0] == '-'
                         ? "unknown option " + arg + " for " + command
                         : "unexpected argument '" + arg + "' for " + command);
  }
}

void Require(bool condition, const std::string& command, const std::string& what) {
  if (!condition) throw UsageError(command + " needs " + what);
}

void CheckRange(std::optional<int> value, int low, int high, const char* text) {
  if (value && (*value < low || *value > high)) throw UsageError(text);
}

// The checks that need the whole line: required options and the model's number ranges.
void CheckCommand(CommandLine& cl) {
  const std::string& c = cl.command;
  CommandOptions& o = cl.options;
  const TScaleParams limits = BuildScaleParams(cl.line.model, cl.line.version);
  if (cl.line.address < 1 || cl.line.address > limits.MaxScaleAddress) {
    throw UsageError(kBadAddress);
  }
  if (c == "read-plu" || c == "read-msg") {
    Require(o.last.has_value() != o.only.has_value(), c, "either --last N or --only N");
    Require(!o.output.empty(), c, "-o FILE");
    if (c == "read-plu") {
      CheckRange(o.last, 1, limits.MaxPluNo, kBadPluNumber);
      CheckRange(o.only, 0, limits.MaxPluNo, kBadPluNumber);
    } else {
      CheckRange(o.last, 1, limits.MaxMessages, kBadMessageNumber);
      CheckRange(o.only, 1, limits.MaxMessages, kBadMessageNumber);
    }
  } else if (c == "write-plu" || c == "write-msg") {
    Require(!o.input.empty(), c, "-i FILE");
    CheckRange(o.only, 0, limits.MaxPluNo, kBadPluNumber);
  } else if (c == "read-totals") {
    Require(!o.output.empty(), c, "-o FILE");
  } else if (c == "clear-totals") {
    Require(o.yes, c, "--yes to erase the totals in the scale");
  } else if (c == "check") {
    Require(!o.files.empty(), c, "at least one FILE");
  } else if (c == "match" || c == "convert") {
    Require(!o.input.empty() && !o.output.empty(), c, "-i FILE and -o FILE");
  } else if (c == "scan") {
    const int from = o.from.value_or(1);
    const int to = o.to.value_or(limits.MaxScaleAddress);
    if (from < 0 || from > 255 || to < 0 || to > 255) {
      throw UsageError("scan addresses run from 0 to 255");
    }
    if (from > to) throw UsageError("scan needs --from N no greater than --to M");
    o.from = from;
    o.to = to;
  } else if (c == "verify") {
    Require(!o.input.empty(), c, "-i FILE");
    CheckRange(o.last, 1, limits.MaxPluNo, kBadPluNumber);
  }
}

}  // namespace

const std::vector<std::string>& CommandNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const CommandText& c : Commands()) list.emplace_back(c.name);
    return list;
  }();
  return names;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
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
    if (line.model != 6 && line.model != 15 && line.model != 30) {
      throw UsageError("option --model takes 6, 15 or 30");
    }
  });
  // "--version N" chooses the scale's PLU memory; "--version" alone asks for the program's
  // version, as every GNU-style tool answers it.
  CLI::Option* versionOption = app.add_option("--version", version)->expected(0, 1);
  app.add_flag("--trace", line.trace);

  std::vector<CLI::App*> subs;
  for (const CommandText& c : Commands()) {
    CLI::App* sub = app.add_subcommand(c.name, c.summary);
    sub->set_help_flag();
    sub->add_flag("-h,--help", cl.help);
    AddCommandOptions(*sub, c.name, cl.options);
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
      throw UsageError("option --version needs 200, 600, 1000 or 4000 before a command");
    } else {
      line.version = ParseNumber("--version", version);
      if (line.version != 200 && line.version != 600 && line.version != 1000 &&
          line.version != 4000) {
        throw UsageError("option --version takes 200, 600, 1000 or 4000");
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
      "  --address N          the scale's address (default 1)\n"
      "  --model 6|15|30      the scale's capacity in kg (default 15)\n"
      "  --version 200|600|1000|4000\n"
      "                       the scale's PLU memory (default 4000)\n"
      "  --trace              print every frame sent (>) and received (<) as hex with the time\n"
      "                       since start on stderr\n"
      "  -h, --help           this help; after a command, the command's help\n"
      "  --version            alone: the program's version\n"
      "\n"
      "Commands:\n";
  for (const CommandText& c : Commands()) {
    const std::string name = c.name;
    text += "  " + name + std::string(14 - name.size(), ' ') + c.summary + "\n";
  }
  text +=
      "\n"
      "'qmctl COMMAND --help' describes a command.\n"
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
  for (const CommandText& c : Commands()) {
    if (command == c.name) return c.help;
  }
  return ProgramHelp();
}

std::string VersionText() {
  return "qmctl (QM Interchange) " QM_VERSION "\n";
}

}  // namespace qm::ctl
