#include "ctl/Qmctl.h"

#include <map>
#include <ostream>

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
  if (cl.command == "fleet") {  // a line IsFleetLine did not take for one
    io.err << "qmctl: fleet needs its options after it: fleet -c FILE ... COMMAND\n";
    return kExitUsage;
  }

  return RunParsedCommand(cl, io);
}

int RunParsedCommand(const CommandLine& cl, CtlIo& io) {
  using Runner = int (*)(const CommandLine&, CtlIo&);
  static const std::map<std::string, Runner> runners = {
      {"read-plu", RunReadPlu},
      {"write-plu", RunWritePlu},
      {"read-msg", RunReadMsg},
      {"write-msg", RunWriteMsg},
      {"read-totals", RunReadTotals},
      {"clear-totals", RunClearTotals},
      {"weigh", RunWeigh},
      {"check", RunCheck},
      {"match", RunMatch},
      {"convert", RunConvert},
      {"scan", RunScan},
      {"verify", RunVerify},
  };
  try {
    return runners.at(cl.command)(cl, io);
  } catch (const FileError& e) {
    io.err << "qmctl: " << e.what() << '\n';
    return kExitUsage;
  } catch (const UsageError& e) {
    io.err << "qmctl: " << e.what() << '\n';
    return kExitUsage;
  } catch (const EComPort& e) {
    // The port failed in the middle of an exchange (the line went away). A network server that
    // cut the connection is named as it is when it does so while the line opens.
    const std::string device = cl.line.comPort ? ResolvePortDevice(*cl.line.comPort) : cl.line.port;
    const std::string cause =
        IsNetPortName(device) ? Utf8(ExplainNetOpenFailure(e.SystemCode(), device)) : std::string();
    io.err << "qmctl: Ошибка связи с весами. (" << (cause.empty() ? e.what() : cause) << ")\n";
    return kExitLink;
  }
}

}  // namespace qm::ctl
