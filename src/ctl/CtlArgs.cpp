#include "ctl/CtlArgs.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>

#include "base/ScaleParams.h"
#include "link/PortNames.h"

namespace qm::ctl {

namespace {

// The system's own texts for numbers the window would refuse (UTF-8 here: they go to the
// terminal).
constexpr const char* kBadPluNumber = "Неправильный номер PLU.";
constexpr const char* kBadMessageNumber = "Неправильный номер сообщения.";
constexpr const char* kBadAddress = "Неправильный адрес весов.";

const std::map<std::string, std::string>& HelpTexts() {
  static const std::map<std::string, std::string> texts = {
      {"read-plu",
       "qmctl [line options] read-plu (--last N | --only N) -o FILE\n"
       "  Reads PLU records from the scale and writes them to FILE (.csv or .plw).\n"
       "  --last N  every PLU number from 1 up to N (1..the model's highest PLU number);\n"
       "            numbers the scale does not hold are skipped\n"
       "  --only N  the one PLU number N (0..the model's highest PLU number)\n"},
      {"write-plu",
       "qmctl [line options] write-plu -i FILE [--only N] [--messages FILE] [--force]\n"
       "  Programs the PLU rows of FILE (.csv or .plw) into the scale, top to bottom.\n"
       "  The rows are validated first against the model's limits; with findings nothing is\n"
       "  sent (exit 1) unless --force is given.\n"
       "  --only N          only the row whose PLU number is N\n"
       "  --messages FILE   the message table (.csv or .msw) the message numbers are checked\n"
       "                    against; without it the table holds one message, as in a fresh\n"
       "                    window\n"
       "  --force           write despite findings\n"},
      {"read-msg",
       "qmctl [line options] read-msg (--last N | --only N) -o FILE\n"
       "  Reads messages from the scale and writes them to FILE (.csv or .msw).\n"
       "  --last N  every message number from 1 up to N; absent ones are skipped\n"
       "  --only N  the one message number N\n"},
      {"write-msg",
       "qmctl [line options] write-msg -i FILE [--force]\n"
       "  Programs every message of FILE (.csv or .msw) into the scale after validation;\n"
       "  with findings nothing is sent (exit 1) unless --force is given.\n"},
      {"read-totals",
       "qmctl [line options] read-totals -o FILE\n"
       "  Reads the scale's sales totals and writes the totals report to FILE.\n"},
      {"clear-totals",
       "qmctl [line options] clear-totals --yes\n"
       "  Erases the sales totals in the scale. --yes is required.\n"},
      {"weigh",
       "qmctl [line options] weigh [--watch]\n"
       "  Prints the scale's display (weight with its indicator letters, unit price, total\n"
       "  price, PLU number) as one line; with --watch a line about every second until\n"
       "  interrupted.\n"},
      {"check",
       "qmctl [--model M --version V] check FILE...\n"
       "  Validates the files (.csv, .plw, .msw) against the model's limits and prints every\n"
       "  finding on its own line, then the summary. A PLU file is checked against the\n"
       "  number of messages of a message file given on the same line. Exit 1 on findings.\n"},
      {"match",
       "qmctl [--model M --version V] match -i FILE -o FILE\n"
       "  Puts every PLU row at the position of its PLU number (gaps filled with empty rows,\n"
       "  rows above the model's highest PLU number, without a number or duplicated dropped).\n"},
      {"convert",
       "qmctl convert -i FILE -o FILE\n"
       "  Converts between .csv and .plw (PLU table) or .csv and .msw (messages).\n"
       "  A .plw file keeps neither the logo nor the sales totals.\n"},
      {"scan",
       "qmctl [line options] scan [--from N --to M]\n"
       "  Lists the scale addresses that answer on the line (default: 1 up to the model's\n"
       "  highest address). A silent address is given up after about 0.2 s (the window\n"
       "  waits 0.5 s). Exit 3 when no address answers.\n"},
      {"verify",
       "qmctl [line options] verify -i FILE [--last N]\n"
       "  Reads the PLU numbers of FILE back from the scale (or every number up to N) and\n"
       "  lists every cell that differs from the file, one a line. Exit 1 on differences.\n"},
  };
  return texts;
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

// Reads the arguments one by one; options take their value as the next argument or after "=".
class ArgReader {
 public:
  explicit ArgReader(const std::vector<std::string>& args) : args_(args) {}
  bool AtEnd() const { return next_ >= args_.size(); }
  // The next argument; an "--name=value" argument gives "--name" and keeps the value pending.
  std::string Take() {
    std::string arg = args_[next_++];
    pendingValue_.reset();
    if (arg.rfind("--", 0) == 0) {
      const std::size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        pendingValue_ = arg.substr(eq + 1);
        arg.resize(eq);
      }
    }
    return arg;
  }
  std::string Value(const std::string& option) {
    if (pendingValue_) {
      std::string v = *pendingValue_;
      pendingValue_.reset();
      return v;
    }
    if (AtEnd()) throw UsageError("option " + option + " needs a value");
    return args_[next_++];
  }
  int Number(const std::string& option) { return ParseNumber(option, Value(option)); }
  // An option without a value must not have been given one.
  void NoValue(const std::string& option) {
    if (pendingValue_) throw UsageError("option " + option + " takes no value");
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  std::optional<std::string> pendingValue_;
};

void ParsePort(const std::string& text, LineOptions& line) {
  if (text.empty()) throw UsageError("option --port needs a device path or COM1..COM8");
  line.port = text;
  line.comPort.reset();
  if (text.find('/') != std::string::npos) return;  // a device path
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

TBaudRate ParseBaud(const std::string& option, int value) {
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

bool TakesCommandOption(const std::string& command, const std::string& option) {
  static const std::map<std::string, std::vector<std::string>> allowed = {
      {"read-plu", {"--last", "--only", "-o"}},
      {"write-plu", {"-i", "--only", "--force", "--messages"}},
      {"read-msg", {"--last", "--only", "-o"}},
      {"write-msg", {"-i", "--force"}},
      {"read-totals", {"-o"}},
      {"clear-totals", {"--yes"}},
      {"weigh", {"--watch"}},
      {"check", {}},
      {"match", {"-i", "-o"}},
      {"convert", {"-i", "-o"}},
      {"scan", {"--from", "--to"}},
      {"verify", {"-i", "--last"}},
  };
  const auto& list = allowed.at(command);
  return std::find(list.begin(), list.end(), option) != list.end();
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
  static const std::vector<std::string> names = {
      "read-plu", "write-plu", "read-msg", "write-msg", "read-totals", "clear-totals",
      "weigh",    "check",     "match",    "convert",   "scan",        "verify"};
  return names;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  ArgReader reader(args);
  // Line options up to the command.
  while (!reader.AtEnd()) {
    const std::string arg = reader.Take();
    if (arg == "--help" || arg == "-h") {
      cl.help = true;
    } else if (arg == "--port") {
      ParsePort(reader.Value(arg), cl.line);
    } else if (arg == "--baud") {
      cl.line.baud = ParseBaud(arg, reader.Number(arg));
    } else if (arg == "--parity") {
      cl.line.parity = ParseParity(reader.Value(arg));
    } else if (arg == "--stop") {
      cl.line.stop = ParseStop(reader.Value(arg));
    } else if (arg == "--address") {
      cl.line.address = reader.Number(arg);
    } else if (arg == "--model") {
      cl.line.model = reader.Number(arg);
      if (cl.line.model != 6 && cl.line.model != 15 && cl.line.model != 30) {
        throw UsageError("option --model takes 6, 15 or 30");
      }
    } else if (arg == "--version") {
      cl.line.version = reader.Number(arg);
      if (cl.line.version != 200 && cl.line.version != 600 && cl.line.version != 1000 &&
          cl.line.version != 4000) {
        throw UsageError("option --version takes 200, 600, 1000 or 4000");
      }
    } else if (arg == "--trace") {
      reader.NoValue(arg);
      cl.line.trace = true;
    } else if (!arg.empty() && arg[0] == '-') {
      throw UsageError("unknown option " + arg);
    } else {
      const auto& names = CommandNames();
      if (std::find(names.begin(), names.end(), arg) == names.end()) {
        throw UsageError("unknown command '" + arg + "'");
      }
      cl.command = arg;
      break;
    }
  }
  if (cl.command.empty()) {
    if (cl.help) return cl;
    throw UsageError("no command given");
  }

  // The command's own options.
  CommandOptions& o = cl.options;
  while (!reader.AtEnd()) {
    const std::string arg = reader.Take();
    if (arg == "--help" || arg == "-h") {
      cl.help = true;
      continue;
    }
    if (cl.command == "check" && (arg.empty() || arg[0] != '-')) {
      o.files.push_back(arg);
      continue;
    }
    if (arg.empty() || arg[0] != '-' || !TakesCommandOption(cl.command, arg)) {
      throw UsageError(arg.empty() || arg[0] != '-'
                           ? "unexpected argument '" + arg + "' for " + cl.command
                           : "unknown option " + arg + " for " + cl.command);
    }
    if (arg == "--last") {
      o.last = reader.Number(arg);
    } else if (arg == "--only") {
      o.only = reader.Number(arg);
    } else if (arg == "-i") {
      o.input = reader.Value(arg);
    } else if (arg == "-o") {
      o.output = reader.Value(arg);
    } else if (arg == "--messages") {
      o.messages = reader.Value(arg);
    } else if (arg == "--force") {
      reader.NoValue(arg);
      o.force = true;
    } else if (arg == "--yes") {
      reader.NoValue(arg);
      o.yes = true;
    } else if (arg == "--watch") {
      reader.NoValue(arg);
      o.watch = true;
    } else if (arg == "--from") {
      o.from = reader.Number(arg);
    } else if (arg == "--to") {
      o.to = reader.Number(arg);
    }
  }
  if (!cl.help) CheckCommand(cl);
  return cl;
}

std::string ProgramHelp() {
  std::string text =
      "qmctl: the scale transfers, checks and file conversions without a window.\n"
      "\n"
      "qmctl [--port DEV|COMn] [--baud N] [--parity none|odd|even|mark|space] [--stop 1|1.5|2]\n"
      "      [--address N] [--model 6|15|30] [--version 200|600|1000|4000] [--trace] COMMAND ...\n"
      "\n"
      "Line options (defaults: COM2, 9600 baud, 8 data bits, no parity, 1 stop bit, address 1,\n"
      "model 15 kg, 4000 PLU). COM1..COM8 resolve to devices as the window program resolves\n"
      "them (QM_PORTS, then the ports.conf mapping, then /dev/ttyS0..7); any other --port value\n"
      "is a device path. --trace prints every frame sent (>) and received (<) as hex with the\n"
      "time since start on stderr.\n"
      "\n"
      "Commands:\n";
  for (const std::string& name : CommandNames()) {
    const std::string& help = HelpTexts().at(name);
    const std::size_t lineEnd = help.find('\n');
    const std::size_t second = help.find('\n', lineEnd + 1);
    text += "  " + name + std::string(14 - name.size(), ' ') +
            help.substr(lineEnd + 3, second - lineEnd - 3) + "\n";
  }
  text +=
      "\n"
      "'qmctl COMMAND --help' describes a command.\n"
      "Exit codes: 0 done; 1 findings, refusals by the scale or differences; 2 usage error or a\n"
      "file that cannot be read or written; 3 the link failed (no answer, the port cannot be\n"
      "opened, the scale not ready).\n";
  return text;
}

std::string CommandHelp(const std::string& command) {
  const auto& texts = HelpTexts();
  const auto it = texts.find(command);
  return it == texts.end() ? ProgramHelp() : it->second;
}

}  // namespace qm::ctl
