#include "ctl/Fleet.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

#include "base/TickSource.h"
#include "ctl/Commands.h"
#include "ctl/CtlArgs.h"
#include "ctl/FleetArgs.h"
#include "ctl/FleetReport.h"
#include "ctl/TableFiles.h"
#include "files/FileIo.h"
#include "link/ComPort.h"
#include "link/PortNames.h"

namespace qm::ctl {
namespace {

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

std::string LastLine(const std::string& text) {
  std::string last;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.find_first_not_of(" \r") != std::string::npos) last = line;
  }
  if (last.rfind("qmctl: ", 0) == 0) last.erase(0, 7);
  return last;
}

// One command on one scale, ending as RunQmctl ends what the command raises.
int RunCommand(const CommandLine& cl, CtlIo& io) {
  try {
    return RunParsedCommand(cl, io);
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

// The workers: each takes the next line not yet taken and runs its scales one after the other.
class FleetRun {
 public:
  FleetRun(const FleetLine& f, std::vector<std::vector<Planned>> lines, CtlIo& io,
           const FleetTicks& ticks)
      : f_(f), lines_(std::move(lines)), io_(io), ticks_(ticks) {}

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
    ScaleOutcome o{p.scale.name, p.scale.line};
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
    outcomes_.push_back(std::move(o));
  }

  const FleetLine& f_;
  const std::vector<std::vector<Planned>> lines_;
  CtlIo& io_;
  const FleetTicks& ticks_;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;  // the output streams and outcomes_
  std::vector<ScaleOutcome> outcomes_;
};

// Reads and checks everything before any scale runs: scales.conf, every scale's command line,
// the outputs. Bad lines are told on `err` and end in a UsageError. The lines come back in the
// order of their first scale in the file.
std::vector<std::vector<Planned>> Plan(const FleetLine& f, std::ostream& err) {
  std::string text;
  const FileResult read = ReadWholeFile(f.config, text);
  if (!read.ok) throw FileError(f.config + ": cannot be read (" + read.systemMessage + ")");

  // The command's own options, once, so that a mistake there is not told once per scale.
  {
    std::vector<std::string> args = f.lineArgs;
    args.push_back(f.command);
    const std::vector<std::string> rest = WithName(f.commandArgs, "x");
    args.insert(args.end(), rest.begin(), rest.end());
    if (ParseCommandLine(args).options.watch) {
      throw UsageError("a fleet reads each scale's display once: no --watch");
    }
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
      err << "qmctl: " << f.config;
      if (e.line > 0) err << ':' << e.line;
      err << ": " << e.text << '\n';
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

int RunFleet(const std::vector<std::string>& args, CtlIo& io, const FleetTicks& ticks) {
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
  const std::vector<ScaleOutcome> all = FleetRun(f, std::move(lines), io, ticks).Run();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  PrintFleetSummary(io.out, all, seconds);
  if (!f.report.empty()) {
    try {
      SaveBytes(f.report, FleetCsvReport(all));
    } catch (const FileError& e) {
      io.err << "qmctl: " << e.what() << '\n';
      return kExitUsage;
    }
  }
  const bool allDone = std::all_of(all.begin(), all.end(),
                                   [](const ScaleOutcome& o) { return o.code == kExitDone; });
  return allDone ? kExitDone : kExitNotAllScales;
}

}  // namespace qm::ctl
