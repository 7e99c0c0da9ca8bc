// qmctl: the scale transfers, checks and file conversions of the window program, for scripts.
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "ctl/Qmctl.h"

namespace {

// While the display is watched an interrupt ends the watch, so the port is closed on the way
// out; otherwise it ends the program as usual (an output file is only ever renamed into place
// whole, so nothing is left half-written).
extern "C" void OnStopSignal(int signal) {
  if (qm::ctl::WatchRunning()) {
    qm::ctl::StopRequested() = true;
    return;
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

int main(int argc, char** argv) {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  std::vector<std::string> args(argv + 1, argv + argc);
  return qm::ctl::RunQmctl(args, {std::cout, std::cerr, isatty(STDERR_FILENO) == 1});
}
