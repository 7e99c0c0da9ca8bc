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

// Standard input and output carry files byte for byte ("-i -", "-o -"): on Windows they are
// switched out of text mode, which would turn every LF into CR LF and stop a .plw at its first
// byte 0x1A; elsewhere there is nothing to do.
void BinaryStandardStreams();

// True when the standard error stream is a terminal (a console window on Windows).
bool StderrIsTerminal();

// The calendar time `t` in the user's time zone.
std::tm LocalTime(std::time_t t);

}  // namespace qm::ctl
