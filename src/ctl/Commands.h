// The commands of qmctl. Each takes the parsed command line and returns how it ended; usage and
// file errors are raised (UsageError, FileError) and turned into exit code 2 by
// RunParsedCommand. Each is a row of the command table (CommandTable.h).
#pragma once

#include <iosfwd>
#include <string>

#include "ctl/CtlArgs.h"
#include "ctl/Qmctl.h"

namespace qm::ctl {

// Files only.
CommandOutcome RunCheck(const CommandLine& cl, CtlIo& io);
CommandOutcome RunMatch(const CommandLine& cl, CtlIo& io);
CommandOutcome RunConvert(const CommandLine& cl, CtlIo& io);

// The scale.
CommandOutcome RunScan(const CommandLine& cl, CtlIo& io);
CommandOutcome RunWeigh(const CommandLine& cl, CtlIo& io);
CommandOutcome RunReadPlu(const CommandLine& cl, CtlIo& io);
CommandOutcome RunWritePlu(const CommandLine& cl, CtlIo& io);
CommandOutcome RunReadMsg(const CommandLine& cl, CtlIo& io);
CommandOutcome RunWriteMsg(const CommandLine& cl, CtlIo& io);
CommandOutcome RunReadTotals(const CommandLine& cl, CtlIo& io);
CommandOutcome RunClearTotals(const CommandLine& cl, CtlIo& io);
CommandOutcome RunVerify(const CommandLine& cl, CtlIo& io);

// The ledger of what the scales hold.
CommandOutcome RunLedger(const CommandLine& cl, CtlIo& io);

// Writes "qmctl: `text`" as a line on `err` and ends with `code`, the text its summary.
CommandOutcome Fail(std::ostream& err, int code, const std::string& text, int records = 0);
// Writes `text` as the last result line on `out` and ends done, the text its summary.
CommandOutcome Done(std::ostream& out, const std::string& text, int records = 0);

// Runs the parsed command (its row's function) and turns what it raises into a line on `io.err`
// and the exit code: usage and file errors 2, a port failure in the middle of an exchange 3.
// Other exceptions pass on.
CommandOutcome RunParsedCommand(const CommandLine& cl, CtlIo& io);

}  // namespace qm::ctl
