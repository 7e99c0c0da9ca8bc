// qmctl as a routine: runs one command line with the given output streams and returns the exit
// code, so the tests can run it in their own process. main() only adds the real streams and the
// interrupt signal.
#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

namespace qm {
class TickSource;
}

namespace qm::ctl {

enum ExitCode : int {
  kExitDone = 0,
  kExitFindings = 1,  // validation findings, refusals by the scale, differences
  kExitUsage = 2,     // the command line, or a file that cannot be read or written
  kExitLink = 3,      // no answer, the port cannot be opened, the scale not ready
};

struct CtlIo {
  std::ostream& out;           // results only
  std::ostream& err;           // errors, findings, progress, trace
  bool errIsTerminal = false;  // show progress on `err`
  // Where the link's timer ticks come from; nullptr: the steady clock. Tests pass virtual time.
  TickSource* ticks = nullptr;
  // The ledger of what the scales hold; empty: the per-user one (Ledger::DefaultPath).
  std::string ledger;
  // Where "-i -" reads from; nullptr: the process's standard input.
  std::istream* in = nullptr;
  // -q: the informational lines (Info) and the progress line are left out.
  bool quiet = false;
};

// `io.out`, or nowhere when quiet: for the lines that say how things went (completion texts,
// counts of records written to a file), not for the data asked for.
std::ostream& Info(CtlIo& io);

// How a command ended, as the fleet's report shows it.
struct CommandOutcome {
  int code = kExitDone;
  // Stored or acknowledged by the command's transfers (weigh: its readings); a command that ended
  // in an exception (the port failing in the middle of an exchange, a file that could not be
  // written) reports none.
  int records = 0;
  // The line (UTF-8) that says how the command ended, as it was written to stdout or, without
  // its "qmctl: " in front, to stderr. Empty when it ended without a word.
  std::string summary;
};

// Set (from a signal handler or another thread) to end `weigh --watch` or a fleet; cleared by
// RunQmctl.
std::atomic<bool>& StopRequested();
// The signal that asked to stop (SIGINT 2, SIGTERM 15), 0 when none did.
std::atomic<int>& StopSignal();
// Sets both of the above; safe in a signal handler (two lock-free stores).
void RequestStop(int signal);
// The exit code of a run that an interrupt ended, as a shell reports a process the signal ended:
// 128 + the signal (130 for SIGINT, 143 for SIGTERM).
int InterruptedExitCode();
// True while `weigh --watch` runs: an interrupt then ends the watch instead of the program.
std::atomic<bool>& WatchRunning();
// True while a fleet's scales run: an interrupt then stops the fleet, which still reports.
std::atomic<bool>& FleetRunning();

int RunQmctl(const std::vector<std::string>& args, CtlIo io);

}  // namespace qm::ctl
