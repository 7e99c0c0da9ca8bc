// qmctl's system calls on Windows: the console's control handler, _isatty, localtime_s.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "ctl/Console.h"
#include "ctl/Qmctl.h"

namespace qm::ctl {
namespace {

// Runs on a thread of its own that the system starts. Returning FALSE hands the event to the
// next handler, the system's, which ends the process; an output file is only ever renamed into
// place whole, so nothing is left half-written.
// Ctrl+C counts as SIGINT, the others as SIGTERM, for the exit code of a stopped fleet.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if ((event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) &&
      (WatchRunning() || FleetRunning())) {
    RequestStop(event == CTRL_C_EVENT ? 2 : 15);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void InstallStopHandler() {
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void BinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

bool StderrIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  localtime_s(&local, &t);
  return local;
}

}  // namespace qm::ctl
