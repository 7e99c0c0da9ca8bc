// What qmctl needs from the system it runs on, one file per platform (ConsolePosix.cpp,
// ConsoleWin32.cpp; the build picks the file by its name): the interrupt, whether errors go to
// a terminal, and the local time.
#pragma once

#include <ctime>

namespace qm::ctl {

// From now on an interrupt (Ctrl+C, or a request to terminate) ends `weigh --watch` or a fleet
// through StopRequested() while they run, so the ports are closed on the way out and a fleet
// reports; otherwise it ends the program as the system would without a handler.
void InstallStopHandler();

// True when the standard error stream is a terminal (a console window on Windows).
bool StderrIsTerminal();

// The calendar time `t` in the user's time zone.
std::tm LocalTime(std::time_t t);

}  // namespace qm::ctl
