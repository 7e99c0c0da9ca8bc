#include "ctl/Qmctl.h"

#include <filesystem>
#include <iostream>
#include <iterator>
#include <ostream>
#include <random>
#include <streambuf>

#include "ctl/CommandTable.h"
#include "ctl/Console.h"
#include "ctl/Commands.h"
#include "ctl/CtlArgs.h"
#include "ctl/Fleet.h"
#include "ctl/TableFiles.h"
#include "base/Cp1251.h"
#include "files/FileIo.h"
#include "port/ComPort.h"
#include "port/NetPortUrl.h"
#include "port/PortNames.h"

namespace qm::ctl {

std::atomic<bool>& StopRequested() {
  static std::atomic<bool> stop{false};
  return stop;
}

std::atomic<int>& StopSignal() {
  static std::atomic<int> signal{0};
  return signal;
}

void RequestStop(int signal) {
  StopSignal() = signal;
  StopRequested() = true;
}

int InterruptedExitCode() {
  const int signal = StopSignal();
  return 128 + (signal > 0 ? signal : 2);
}

std::atomic<bool>& WatchRunning() {
  static std::atomic<bool> running{false};
  return running;
}

std::atomic<bool>& FleetRunning() {
  static std::atomic<bool> running{false};
  return running;
}

namespace {

// A stream buffer that takes everything and keeps nothing.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A folder of its own for the files that stand for "-": the commands read and write files, and
// standard input and output are copied in and out of them whole.
class StreamFiles {
 public:
  StreamFiles() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
      const std::filesystem::path dir = base / ("qmctl-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(dir, error)) dir_ = dir;
    }
    // The tables that pass through are nobody else's business.
    std::error_code error;
    if (!dir_.empty()) {
      std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::replace, error);
    }
    if (dir_.empty()) throw FileError("cannot make a temporary folder for - in " + base.string());
  }
  ~StreamFiles() {
    std::error_code error;
    std::filesystem::remove_all(dir_, error);
  }
  StreamFiles(const StreamFiles&) = delete;
  StreamFiles& operator=(const StreamFiles&) = delete;

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

std::string Renamed(std::string text, const std::string& path, const std::string& name) {
  for (std::size_t at = text.find(path); at != std::string::npos;
       at = text.find(path, at + name.size())) {
    text.replace(at, path.size(), name);
  }
  return text;
}

// Passes what is written on to `to` a line at a time (a '\r' of the progress line ends one too),
// with `path` written as `name`: the lines of a command name the file that stood for "-" as
// "stdin" or "stdout", not as the temporary file it was.
class Renaming : public std::streambuf {
 public:
  Renaming(std::ostream& to, std::string path, std::string name)
      : to_(to), path_(std::move(path)), name_(std::move(name)) {}
  ~Renaming() override { sync(); }

 protected:
  int overflow(int c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    line_ += static_cast<char>(c);
    if (c == '\n' || c == '\r') sync();
    return c;
  }
  int sync() override {
    to_ << Renamed(line_, path_, name_) << std::flush;
    line_.clear();
    return 0;
  }

 private:
  std::ostream& to_;
  std::string path_, name_;
  std::string line_;
};

}  // namespace

std::ostream& Info(CtlIo& io) {
  if (!io.quiet) return io.out;
  // One per thread: a fleet's scales write at once, and a stream's own state is written to.
  thread_local NullBuffer buffer;
  thread_local std::ostream nowhere(&buffer);
  return nowhere;
}

int RunQmctl(const std::vector<std::string>& args, CtlIo io) {
  StopRequested() = false;
  StopSignal() = 0;
  if (IsFleetLine(args)) return RunFleet(args, io);
  CommandLine cl;
  try {
    cl = ParseCommandLine(args);
  } catch (const UsageError& e) {
    io.err << "qmctl: " << e.what() << "\n(qmctl --help lists the commands and options)\n";
    return kExitUsage;
  }
  if (cl.version) {
    io.out << VersionText();
    return kExitDone;
  }
  if (cl.help) {
    io.out << (cl.command.empty() ? ProgramHelp() : CommandHelp(cl.command));
    return kExitDone;
  }
  return RunParsedCommand(cl, io).code;
}

CommandOutcome Fail(std::ostream& err, int code, const std::string& text, int records) {
  err << "qmctl: " << text << '\n';
  return {code, records, text};
}

CommandOutcome Done(std::ostream& out, const std::string& text, int records) {
  out << text << '\n';
  return {kExitDone, records, text};
}

namespace {

// Runs the command with "-" standing for standard input or output: the input is copied into a
// file with the extension --format names before the command starts, and the output file is
// copied to `io.out` after it wrote one. The command's own lines go to `io.err` then, so that
// standard output holds the file alone.
CommandOutcome RunWithStreams(const CommandLine& given, CtlIo& io) {
  const CommandRow& row = *FindCommand(given.command);
  const bool in = given.options.input == "-", out = given.options.output == "-";
  if (!in && !out) return row.run(given, io);
  BinaryStandardStreams();
  CommandLine cl = given;
  StreamFiles files;
  const std::string extension = "." + (cl.options.format.empty() ? "txt" : cl.options.format);
  const std::string path = files.Path((in ? "standard-input" : "standard-output") + extension);
  const std::string name = in ? "stdin" : "stdout";
  if (in) {
    std::istream& from = io.in ? *io.in : std::cin;
    const std::string bytes{std::istreambuf_iterator<char>(from), std::istreambuf_iterator<char>()};
    if (const FileResult written = WriteWholeFile(path, bytes); !written.ok) {
      throw FileError("cannot keep standard input in " + path + ": " + written.systemMessage);
    }
    cl.options.input = path;
  } else {
    cl.options.output = path;
  }
  Renaming errBuffer(io.err, path, name), outBuffer(out ? io.err : io.out, path, name);
  std::ostream err(&errBuffer), lines(&outBuffer);
  CtlIo renamed{lines, err, io.errIsTerminal, io.ticks, io.ledger, io.in, io.quiet};
  CommandOutcome outcome;
  try {
    outcome = row.run(cl, renamed);
  } catch (const FileError& e) {
    throw FileError(Renamed(e.what(), path, name));
  } catch (const UsageError& e) {
    throw UsageError(Renamed(e.what(), path, name));
  }
  outcome.summary = Renamed(outcome.summary, path, name);
  err.flush();
  lines.flush();
  if (out && std::filesystem::exists(path)) {
    std::string bytes;
    if (const FileResult read = ReadWholeFile(path, bytes); !read.ok) {
      throw FileError("cannot read back " + path + ": " + read.systemMessage);
    }
    io.out << bytes << std::flush;
  }
  return outcome;
}

}  // namespace

CommandOutcome RunParsedCommand(const CommandLine& cl, CtlIo& given) {
  CtlIo io = given;
  io.quiet = io.quiet || cl.quiet;
  if (io.quiet) io.errIsTerminal = false;  // no progress line
  try {
    return RunWithStreams(cl, io);
  } catch (const FileError& e) {
    return Fail(io.err, kExitUsage, e.what());
  } catch (const UsageError& e) {
    return Fail(io.err, kExitUsage, e.what());
  } catch (const EComPort& e) {
    // The port failed in the middle of an exchange (the line went away). A network server that
    // cut the connection is named as it is when it does so while the line opens.
    const std::string device = cl.line.comPort ? ResolvePortDevice(*cl.line.comPort) : cl.line.port;
    const std::string cause =
        IsNetPortName(device) ? Utf8(ExplainNetOpenFailure(e.SystemCode(), device)) : std::string();
    return Fail(io.err, kExitLink,
                "Ошибка связи с весами. (" + (cause.empty() ? std::string(e.what()) : cause) + ")");
  }
}

}  // namespace qm::ctl
