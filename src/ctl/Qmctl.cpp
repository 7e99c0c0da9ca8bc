#include "ctl/Qmctl.h"

#include <ostream>

#include "ctl/CommandTable.h"
#include "ctl/Commands.h"
#include "ctl/CtlArgs.h"
#include "ctl/Fleet.h"
#include "ctl/TableFiles.h"
#include "base/Cp1251.h"
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

CommandOutcome RunParsedCommand(const CommandLine& cl, CtlIo& io) {
  try {
    return FindCommand(cl.command)->run(cl, io);
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
