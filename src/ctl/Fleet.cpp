#include "ctl/Fleet.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <map>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

#include "base/TickSource.h"
#include "ctl/CommandTable.h"
#include "ctl/Commands.h"
#include "ctl/CtlArgs.h"
#include "ctl/FleetArgs.h"
#include "ctl/FleetReport.h"
#include "ctl/TableFiles.h"
#include "files/FileIo.h"
#include "port/ComPort.h"
#include "port/NetPortUrl.h"
#include "port/NetSocket.h"
#include "port/PortNames.h"

namespace qm::ctl {
namespace {

// One scale ready to run: its entry and its whole command line, parsed.
struct Planned {
  FleetScale scale;
  CommandLine cl;
};

// The command line of one scale: the fleet's, with the scale's port, address and model, and its
// name put into the command's file names. The checks that depend on them run again; a mistake
// raises UsageError.
CommandLine ScaleLine(const CommandLine& fleet, const FleetScale& s) {
  CommandLine cl = fleet;
  cl.scaleName = s.name;
  ParsePort(s.port, cl.line);
  cl.line.address = s.address;
  if (s.model) cl.line.model = *s.model;
  if (s.version) cl.line.version = *s.version;
  CommandOptions& o = cl.options;
  for (std::string* text : {&o.input, &o.output, &o.messages}) *text = WithName(*text, s.name);
  for (std::string& file : o.files) file = WithName(file, s.name);
  CheckCommand(cl);
  return cl;
}

// The longest pause between two runs of a scale.
constexpr std::chrono::seconds kLongestPause{60};

// The pause before run `attempt` (from 2): 1 s, then twice the one before.
std::chrono::milliseconds PauseBefore(int attempt) {
  const std::chrono::seconds pause{1LL << std::min(attempt - 2, 6)};
  return std::min<std::chrono::milliseconds>(pause, kLongestPause);
}

// A pause on the steady clock that an interrupt ends early.
void PauseUnlessStopped(std::chrono::milliseconds pause) {
  const auto end = std::chrono::steady_clock::now() + pause;
  for (auto now = std::chrono::steady_clock::now(); now < end && !StopRequested();
       now = std::chrono::steady_clock::now()) {
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        end - now, std::chrono::milliseconds(50)));
  }
}

// What a file is to this run, for telling the operator why it may not be written.
using FileUses = std::map<FileIdentity, std::string>;

// One command on one scale, ending as RunQmctl ends what the command raises.
CommandOutcome RunCommand(const CommandLine& cl, CtlIo& io) {
  try {
    return RunParsedCommand(cl, io);
  } catch (const std::exception& e) {
    // Nothing may leave a worker thread; whatever this was, it ends this scale only.
    return Fail(io.err, kExitUsage, e.what());
  }
}

void Prefixed(std::ostream& to, const std::string& name, const std::string& text) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) to << '[' << name << "] " << line << '\n';
}

// The workers: each takes the next line not yet taken and runs its scales one after the other.
class FleetRun {
 public:
  FleetRun(const FleetLine& f, std::vector<std::vector<Planned>> lines, CtlIo& io,
           const FleetTicks& ticks, const FleetPause& pause)
      : f_(f), lines_(std::move(lines)), io_(io), ticks_(ticks), pause_(pause) {}

  // Runs every line; the outcomes come back in the order of scales.conf.
  std::vector<ScaleOutcome> Run() {
    const int workers = std::min<int>(f_.jobs, static_cast<int>(lines_.size()));
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) threads.emplace_back([this] { Work(); });
    for (std::thread& t : threads) t.join();
    std::sort(outcomes_.begin(), outcomes_.end(),
              [](const ScaleOutcome& a, const ScaleOutcome& b) { return a.line < b.line; });
    return outcomes_;
  }

 private:
  void Work() {
    for (std::size_t l = next_++; l < lines_.size(); l = next_++) {
      for (const Planned& p : lines_[l]) RunScale(p);
    }
  }

  void RunScale(const Planned& p) {
    const auto start = std::chrono::steady_clock::now();
    std::ostringstream out, err;
    ScaleOutcome o{p.scale.name, p.scale.port, p.scale.address, p.scale.line};
    if (StopRequested()) {  // interrupted before its turn
      o.code = InterruptedExitCode();
      o.message = "interrupted before it started";
      Report(p, std::move(o), out, err);
      return;
    }
    do {
      if (o.attempts > 0) {
        err << "qmctl: the link failed; attempt " << o.attempts + 1 << " of " << f_.retry + 1
            << '\n';
        const std::chrono::milliseconds pause = PauseBefore(o.attempts + 1);
        pause_ ? pause_(pause) : PauseUnlessStopped(pause);
        if (StopRequested()) {
          o.code = InterruptedExitCode();
          o.message = "interrupted";
          break;
        }
      }
      ++o.attempts;
      std::unique_ptr<TickSource> ticks = ticks_ ? ticks_(p.scale) : nullptr;
      CtlIo io{out, err, false, ticks.get()};
      io.ledger = io_.ledger;
      const CommandOutcome run = RunCommand(p.cl, io);
      o.code = run.code;
      o.records = run.records;
      o.message = run.summary;
    } while (o.code == kExitLink && o.attempts <= f_.retry);
    o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Report(p, std::move(o), out, err);
  }

  void Report(const Planned& p, ScaleOutcome o, const std::ostringstream& out,
              const std::ostringstream& err) {
    // The scale's lines whole, so that nothing of another scale falls between them.
    std::lock_guard<std::mutex> lock(mutex_);
    // With --json standard output holds the objects alone; the scales' lines go with the errors.
    Prefixed(f_.json ? io_.err : io_.out, p.scale.name, out.str());
    Prefixed(io_.err, p.scale.name, err.str());
    io_.out.flush();
    io_.err.flush();
    outcomes_.push_back(std::move(o));
  }

  const FleetLine& f_;
  const std::vector<std::vector<Planned>> lines_;
  CtlIo& io_;
  const FleetTicks& ticks_;
  const FleetPause& pause_;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;  // the output streams and outcomes_
  std::vector<ScaleOutcome> outcomes_;
};

// Reads and checks everything before any scale runs: scales.conf, every scale's command line,
// the outputs. Bad lines are told on `err` and end in a UsageError. The lines come back in the
// order of their first scale in the file.
std::vector<std::vector<Planned>> Plan(FleetLine& f, std::ostream& err) {
  std::string text;
  const FileResult read = ReadWholeFile(f.config, text);
  if (!read.ok) throw FileError(f.config + ": cannot be read (" + read.systemMessage + ")");

  // The command line, once: a mistake in it is told once, not once per scale.
  std::vector<std::string> args = f.lineArgs;
  args.push_back(f.command);
  args.insert(args.end(), f.commandArgs.begin(), f.commandArgs.end());
  CommandLine fleet = ParseCommandLine(args);
  // The command's --json asks for the fleet's: a script reads one object a scale either way,
  // and the scales' own lines go to stderr as words.
  if (fleet.options.json) f.json = true;
  fleet.options.json = false;
  if (fleet.options.input == "-" || fleet.options.output == "-") {
    throw UsageError("a fleet reads and writes files of its own for each scale, not - (standard "
                     "input or output)");
  }
  const FleetUse& use = FindCommand(f.command)->fleet;
  if (const char* refused = use.refuse ? use.refuse(fleet.options) : nullptr) {
    throw UsageError(refused);
  }

  std::map<std::string, std::string> lineOf;  // port as written -> its line, asked once each
  const auto lineOfPort = [&lineOf](const std::string& port) -> const std::string& {
    auto it = lineOf.find(port);
    if (it == lineOf.end()) it = lineOf.emplace(port, FleetLineOf(port)).first;
    return it->second;
  };
  const FleetConfig config = ParseFleetConfig(text, lineOfPort);
  std::vector<FleetConfigError> errors = config.errors;
  std::vector<Planned> planned;
  for (const FleetScale& s : config.scales) {
    try {
      planned.push_back({s, ScaleLine(fleet, s)});
    } catch (const UsageError& e) {
      errors.push_back({s.line, e.what()});
    }
  }
  // The files the run reads; then each output, which must be writable and none of them.
  FileUses inputs;
  inputs.emplace(IdentityOf(f.config), "the list of scales");
  for (const Planned& p : planned) {
    for (const std::string& input : {p.cl.options.input, p.cl.options.messages}) {
      if (!input.empty()) inputs.emplace(IdentityOf(input), "an input of scale " + p.scale.name);
    }
  }
  std::map<FileIdentity, std::string> outputs;  // file -> the scale writing it
  for (const Planned& p : planned) {
    const std::string& output = p.cl.options.output;
    if (output.empty()) continue;
    if (const FileResult writable = CheckWritable(output); !writable.ok) {
      errors.push_back({p.scale.line, "cannot write " + output + ": " + writable.systemMessage});
      continue;
    }
    const FileIdentity file = IdentityOf(output);
    if (const auto input = inputs.find(file); input != inputs.end()) {
      errors.push_back({p.scale.line, "scale " + p.scale.name + " would write " + output +
                                          ", which is " + input->second});
      continue;
    }
    const auto [it, fresh] = outputs.emplace(file, p.scale.name);
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
      err << "qmctl: " << f.config;
      if (e.line > 0) err << ':' << e.line;
      err << ": " << e.text << '\n';
    }
    throw UsageError(f.config + ": nothing was started");
  }
  if (!f.report.empty()) {
    const FileIdentity report = IdentityOf(f.report);
    std::string use;
    if (const auto input = inputs.find(report); input != inputs.end()) use = input->second;
    if (const auto output = outputs.find(report); output != outputs.end()) {
      use = "the output of scale " + output->second;
    }
    if (!use.empty()) {
      throw UsageError("--report " + f.report + " is " + use +
                       ": name another file for the report; nothing was started");
    }
    if (const FileResult writable = CheckWritable(f.report); !writable.ok) {
      throw FileError("cannot write the report " + f.report + ": " + writable.systemMessage +
                      "; nothing was started");
    }
  }

  std::vector<std::vector<Planned>> lines;
  std::map<std::string, std::size_t> lineIndex;
  for (Planned& p : planned) {
    const auto [it, fresh] = lineIndex.emplace(lineOfPort(p.scale.port), lines.size());
    if (fresh) lines.emplace_back();
    lines[it->second].push_back(std::move(p));
  }
  return lines;
}

}  // namespace

std::string FleetLineOf(const std::string& port) {
  std::string device = port;
  if (port.find('/') == std::string::npos) {  // COM1..COM8, in any case, as --port takes them
    std::string upper = port;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (int i = 0; i < kPortCount; ++i) {
      if (upper == PortName(static_cast<TPortType>(i))) {
        device = ResolvePortDevice(static_cast<TPortType>(i));
      }
    }
  }
  if (IsNetPortName(device)) {
    return NetLineIdentity(device, [](const std::string& host) {
      return net::HostAddresses(host, std::chrono::seconds(5));
    });
  }
  const FileIdentity file = IdentityOf(device);
  if (!file.exists) return "path " + file.path;
  return "file " + std::to_string(file.device) + ":" + std::to_string(file.file);
}

int RunFleet(const std::vector<std::string>& args, CtlIo& io, const FleetTicks& ticks,
             const FleetPause& pause) {
  StopRequested() = false;
  StopSignal() = 0;
  FleetLine f;
  std::vector<std::vector<Planned>> lines;
  try {
    f = ParseFleetLine(args);
    if (f.help) {
      io.out << CommandHelp("fleet");
      return kExitDone;
    }
    lines = Plan(f, io.err);
  } catch (const UsageError& e) {
    io.err << "qmctl: " << e.what() << "\n(qmctl fleet --help describes the command)\n";
    return kExitUsage;
  } catch (const FileError& e) {
    io.err << "qmctl: " << e.what() << '\n';
    return kExitUsage;
  }

  const auto start = std::chrono::steady_clock::now();
  FleetRunning() = true;
  const std::vector<ScaleOutcome> all = FleetRun(f, std::move(lines), io, ticks, pause).Run();
  FleetRunning() = false;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (f.json) {
    io.out << FleetJsonLines(all) << std::flush;
  } else {
    PrintFleetSummary(io.out, all, seconds);
  }
  if (!f.report.empty()) {
    try {
      SaveBytes(f.report, FleetCsvReport(all));
    } catch (const FileError& e) {
      io.err << "qmctl: " << e.what() << '\n';
      return kExitUsage;
    }
  }
  if (StopRequested()) return InterruptedExitCode();
  const bool allDone = std::all_of(all.begin(), all.end(),
                                   [](const ScaleOutcome& o) { return o.code == kExitDone; });
  return allDone ? kExitDone : kExitNotAllScales;
}

}  // namespace qm::ctl
