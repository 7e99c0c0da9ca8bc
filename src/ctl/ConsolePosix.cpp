// qmctl's system calls on POSIX systems: signals, isatty, localtime_r.
#include <unistd.h>

#include <csignal>

#include "ctl/Console.h"
#include "ctl/Qmctl.h"

namespace qm::ctl {
namespace {

// An output file is only ever renamed into place whole, so ending the program here leaves
// nothing half-written. A watch or a fleet is only told to stop (two atomic stores, safe here):
// it closes its ports, and the fleet reports what was done before it exits.
extern "C" void OnStopSignal(int signal) {
  if (WatchRunning() || FleetRunning()) {
    RequestStop(signal);
    return;
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void InstallStopHandler() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void BinaryStandardStreams() {}

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

}  // namespace qm::ctl
