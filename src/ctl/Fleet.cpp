#include "ctl/Fleet.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <ostream>
#include <set>
#include <sstream>
#include <thread>

#include "base/TickSource.h"
#include "ctl/Commands.h"
#include "ctl/CtlArgs.h"
#include "ctl/TableFiles.h"
#include "files/FileIo.h"
#include "link/ComPort.h"
#include "link/PortNames.h"

namespace qm::ctl {
namespace {

using Runner = int (*)(const CommandLine&, CtlIo&);

// The commands a fleet runs. clear-totals and scan are left out on purpose: erasing many
// scales' totals at once is not a thing to do by accident, and scan looks for scales rather
// than working on known ones.
const std::map<std::string, Runner>& FleetRunners() {
  static const std::map<std::string, Runner> runners = {
      {"read-plu", RunReadPlu},   {"write-plu", RunWritePlu},     {"read-msg", RunReadMsg},
      {"write-msg", RunWriteMsg}, {"read-totals", RunReadTotals}, {"verify", RunVerify},
      {"weigh", RunWeigh},
  };
  return runners;
}

bool IsValueOption(const std::string& arg) {
  static const std::set<std::string> options = {"--port",    "--baud",  "--parity",
                                                "--stop",    "--address", "--model"};
  return options.count(arg) > 0;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](char c) { return c >= '0' && c <= '9'; });
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
      ++i;
    }
  }
  return i;
}

struct FleetLine {
  std::vector<std::string> lineArgs;  // before "fleet"
  bool help = false;
  std::string config;
  int jobs = 8;
  int retry = 0;
  std::string report;
  std::string command;
  std::vector<std::string> commandArgs;
};

int FleetNumber(const std::string& option, const std::string& text, int low) {
  if (!AllDigits(text) || text.size() > 6 || std::stoi(text) < low) {
    throw UsageError("option " + option + " of fleet needs a whole number of at least " +
                     std::to_string(low) + ", not '" + text + "'");
  }
  return std::stoi(text);
}

FleetLine ParseFleetLine(const std::vector<std::string>& args) {
  FleetLine f;
  const std::size_t at = FirstWord(args);
  f.lineArgs.assign(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(at));
  for (const std::string& arg : f.lineArgs) {
    if (arg == "-h" || arg == "--help") f.help = true;
    const std::string name = arg.substr(0, arg.find('='));
    if (name == "--port" || name == "--address") {
      throw UsageError("in a fleet every scale's port and address come from scales.conf; " +
                       name + " is not taken");
    }
  }
  std::size_t i = at + 1;
  for (; i < args.size() && f.command.empty(); ++i) {
    std::string arg = args[i], value;
    if (arg == "-h" || arg == "--help") {
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
    } else {
      throw UsageError("unknown option " + arg + " for fleet");
    }
  }
  if (i < args.size()) f.commandArgs.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                            args.end());
  for (const std::string& arg : f.commandArgs) f.help = f.help || arg == "-h" || arg == "--help";
  if (f.help) return f;
  if (f.config.empty()) throw UsageError("fleet needs -c FILE, the list of scales");
  if (f.command.empty()) throw UsageError("fleet needs a command to run on the scales");
  if (!FleetRunners().count(f.command)) {
    throw UsageError("fleet runs read-plu, write-plu, read-msg, write-msg, read-totals, verify "
                     "or weigh, not '" + f.command + "'");
  }
  return f;
}

// "{name}" in every argument replaced by the scale's name.
std::vector<std::string> WithName(const std::vector<std::string>& args, const std::string& name) {
  std::vector<std::string> out = args;
  for (std::string& arg : out) {
    for (std::size_t at = arg.find("{name}"); at != std::string::npos;
         at = arg.find("{name}", at + name.size())) {
      arg.replace(at, 6, name);
    }
  }
  return out;
}

// One scale ready to run: its entry and its whole command line, parsed.
struct Planned {
  FleetScale scale;
  CommandLine cl;
};

std::vector<std::string> ScaleArgs(const FleetLine& f, const FleetScale& s) {
  std::vector<std::string> args = f.lineArgs;
  args.insert(args.end(), {"--port", s.port, "--address", std::to_string(s.address)});
  if (s.model) args.insert(args.end(), {"--model", std::to_string(*s.model)});
  if (s.version) args.insert(args.end(), {"--version", std::to_string(*s.version)});
  args.push_back(f.command);
  const std::vector<std::string> rest = WithName(f.commandArgs, s.name);
  args.insert(args.end(), rest.begin(), rest.end());
  return args;
}

// The line a scale is on: scales whose ports lead to the same device share it, whether named
// COMn, by a link or by the device's own path. A name that is no file stands for itself.
std::string LineOf(const LineOptions& line) {
  const std::string device = line.comPort ? ResolvePortDevice(*line.comPort) : line.port;
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(device, error);
  return error ? device : real.string();
}

// What happened on one scale.
struct Outcome {
  int code = kExitDone;
  int records = 0;
  int attempts = 0;
  double seconds = 0;
  std::string message;  // the last line it wrote to stderr, or to stdout when it succeeded
};

std::string ResultWord(int code) {
  switch (code) {
    case kExitDone:
      return "done";
    case kExitFindings:
      return "findings";
    case kExitUsage:
      return "file error";
    case kExitLink:
      return "link failed";
  }
  return "failed";
}

std::string LastLine(const std::string& text) {
  std::string last;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.find_first_not_of(" \r") != std::string::npos) last = line;
  }
  if (last.rfind("qmctl: ", 0) == 0) last.erase(0, 7);
  return last;
}

// One command on one scale, with the exits RunQmctl gives to what the command raises.
int RunCommand(const CommandLine& cl, CtlIo& io) {
  try {
    return FleetRunners().at(cl.command)(cl, io);
  } catch (const FileError& e) {
    io.err << "qmctl: " << e.what() << '\n';
    return kExitUsage;
  } catch (const UsageError& e) {
    io.err << "qmctl: " << e.what() << '\n';
    return kExitUsage;
  } catch (const EComPort& e) {
    io.err << "qmctl: Ошибка связи с весами. (" << e.what() << ")\n";
    return kExitLink;
  } catch (const std::exception& e) {
    // Nothing may leave a worker thread; whatever this was, it ends this scale only.
    io.err << "qmctl: " << e.what() << '\n';
    return kExitUsage;
  }
}

void Prefixed(std::ostream& to, const std::string& name, const std::string& text) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) to << '[' << name << "] " << line << '\n';
}

class FleetRun {
 public:
  FleetRun(const FleetLine& f, std::vector<std::vector<Planned>> lines, CtlIo& io,
           const FleetTicks& ticks)
      : f_(f), lines_(std::move(lines)), io_(io), ticks_(ticks) {}

  // Runs every line; the outcomes come back in the order of the scales in each line.
  std::vector<std::pair<const Planned*, Outcome>> Run() {
    const int workers = std::min<int>(f_.jobs, static_cast<int>(lines_.size()));
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) threads.emplace_back([this] { Work(); });
    for (std::thread& t : threads) t.join();
    std::vector<std::pair<const Planned*, Outcome>> all;
    for (std::size_t l = 0; l < lines_.size(); ++l) {
      for (std::size_t s = 0; s < lines_[l].size(); ++s) {
        all.emplace_back(&lines_[l][s], outcomes_.at({l, s}));
      }
    }
    return all;
  }

 private:
  void Work() {
    for (std::size_t l = next_++; l < lines_.size(); l = next_++) {
      for (std::size_t s = 0; s < lines_[l].size(); ++s) {
        Outcome outcome = RunScale(lines_[l][s]);
        std::lock_guard<std::mutex> lock(mutex_);
        outcomes_[{l, s}] = std::move(outcome);
      }
    }
  }

  Outcome RunScale(const Planned& p) {
    const auto start = std::chrono::steady_clock::now();
    std::ostringstream out, err;
    Outcome o;
    do {
      if (o.attempts > 0) {
        err << "qmctl: the link failed; attempt " << o.attempts + 1 << " of " << f_.retry + 1
            << '\n';
      }
      ++o.attempts;
      o.records = 0;
      std::unique_ptr<TickSource> ticks = ticks_ ? ticks_(p.scale) : nullptr;
      std::ostringstream attemptErr;
      CtlIo io{out, attemptErr, false, ticks.get()};
      io.records = &o.records;
      o.code = RunCommand(p.cl, io);
      err << attemptErr.str();
      o.message = LastLine(o.code == kExitDone ? out.str() : attemptErr.str());
    } while (o.code == kExitLink && o.attempts <= f_.retry);
    o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // The scale's lines whole, so that nothing of another scale falls between them.
    std::lock_guard<std::mutex> lock(mutex_);
    Prefixed(io_.out, p.scale.name, out.str());
    Prefixed(io_.err, p.scale.name, err.str());
    io_.out.flush();
    io_.err.flush();
    return o;
  }

  const FleetLine& f_;
  std::vector<std::vector<Planned>> lines_;
  CtlIo& io_;
  const FleetTicks& ticks_;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;  // the output streams and outcomes_
  std::map<std::pair<std::size_t, std::size_t>, Outcome> outcomes_;
};

// Characters as a terminal shows them (UTF-8 continuation bytes take no column).
std::size_t Width(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Pad(const std::string& text, std::size_t width) {
  const std::size_t w = Width(text);
  return text + std::string(w < width ? width - w : 0, ' ');
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", seconds);
  return text;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

using Outcomes = std::vector<std::pair<const Planned*, Outcome>>;

void PrintSummary(std::ostream& out, const Outcomes& all, double seconds) {
  std::size_t nameWidth = 5;
  for (const auto& [p, o] : all) nameWidth = std::max(nameWidth, Width(p->scale.name));
  out << Pad("scale", nameWidth) << "  result       exit  records  seconds  message\n";
  int done = 0;
  for (const auto& [p, o] : all) {
    done += o.code == kExitDone;
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%4d  %7d  %7s", o.code, o.records,
                  Seconds(o.seconds).c_str());
    out << Pad(p->scale.name, nameWidth) << "  " << Pad(ResultWord(o.code), 11) << "  " << numbers
        << "  " << o.message << '\n';
  }
  out << done << " of " << all.size() << " scales done in " << Seconds(seconds) << " s\n";
}

std::string CsvReport(const Outcomes& all) {
  std::string csv = "scale,result,exit code,records,seconds,message\n";
  for (const auto& [p, o] : all) {
    csv += CsvField(p->scale.name) + "," + ResultWord(o.code) + "," + std::to_string(o.code) +
           "," + std::to_string(o.records) + "," + Seconds(o.seconds) + "," +
           CsvField(o.message) + "\n";
  }
  return csv;
}

// Reads and checks everything before any scale runs: scales.conf, every scale's command line,
// the outputs. The lines come back in file order of their first scale.
std::vector<std::vector<Planned>> Plan(const FleetLine& f, CtlIo& io) {
  std::string text;
  const FileResult read = ReadWholeFile(f.config, text);
  if (!read.ok) throw FileError(f.config + ": cannot be read (" + read.systemMessage + ")");

  // The command's own options, once, so that a mistake there is not told once per scale.
  {
    std::vector<std::string> args = f.lineArgs;
    args.push_back(f.command);
    const std::vector<std::string> rest = WithName(f.commandArgs, "x");
    args.insert(args.end(), rest.begin(), rest.end());
    const CommandLine cl = ParseCommandLine(args);
    if (cl.options.watch) throw UsageError("a fleet reads each scale's display once: no --watch");
  }

  const FleetConfig config = ParseFleetConfig(text);
  std::vector<FleetConfigError> errors = config.errors;
  std::vector<Planned> planned;
  for (const FleetScale& s : config.scales) {
    try {
      planned.push_back({s, ParseCommandLine(ScaleArgs(f, s))});
    } catch (const UsageError& e) {
      errors.push_back({s.line, e.what()});
    }
  }
  std::map<std::string, std::string> outputs;  // file -> the scale writing it
  for (const Planned& p : planned) {
    const std::string& output = p.cl.options.output;
    if (output.empty()) continue;
    const auto [it, fresh] = outputs.emplace(output, p.scale.name);
    if (!fresh) {
      errors.push_back({p.scale.line, "scales " + it->second + " and " + p.scale.name +
                                          " would both write " + output +
                                          "; put {name} in the file name"});
    }
  }
  if (!errors.empty()) {
    std::stable_sort(errors.begin(), errors.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    for (const FleetConfigError& e : errors) {
      io.err << "qmctl: " << f.config;
      if (e.line > 0) io.err << ':' << e.line;
      io.err << ": " << e.text << '\n';
    }
    throw UsageError(f.config + ": nothing was started");
  }

  std::vector<std::vector<Planned>> lines;
  std::map<std::string, std::size_t> lineIndex;
  for (Planned& p : planned) {
    const auto [it, fresh] = lineIndex.emplace(LineOf(p.cl.line), lines.size());
    if (fresh) lines.emplace_back();
    lines[it->second].push_back(std::move(p));
  }
  return lines;
}

}  // namespace

bool IsFleetLine(const std::vector<std::string>& args) {
  const std::size_t at = FirstWord(args);
  return at < args.size() && args[at] == "fleet";
}

int RunFleet(const std::vector<std::string>& args, CtlIo& io, const FleetTicks& ticks) {
  FleetLine f;
  std::vector<std::vector<Planned>> lines;
  try {
    f = ParseFleetLine(args);
    if (f.help) {
      io.out << CommandHelp("fleet");
      return kExitDone;
    }
    lines = Plan(f, io);
  } catch (const UsageError& e) {
    io.err << "qmctl: " << e.what() << "\n(qmctl fleet --help describes the command)\n";
    return kExitUsage;
  } catch (const FileError& e) {
    io.err << "qmctl: " << e.what() << '\n';
    return kExitUsage;
  }

  const auto start = std::chrono::steady_clock::now();
  FleetRun run(f, std::move(lines), io, ticks);
  Outcomes all = run.Run();
  std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
    return a.first->scale.line < b.first->scale.line;
  });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  PrintSummary(io.out, all, seconds);

  const bool allDone = std::all_of(all.begin(), all.end(),
                                   [](const auto& r) { return r.second.code == kExitDone; });
  if (!f.report.empty()) {
    try {
      SaveBytes(f.report, CsvReport(all));
    } catch (const FileError& e) {
      io.err << "qmctl: " << e.what() << '\n';
      return kExitUsage;
    }
  }
  return allDone ? kExitDone : kExitNotAllScales;
}

}  // namespace qm::ctl
