// The commands of qmctl. Each takes the parsed command line and returns the exit code; usage
// and file errors are raised (UsageError, FileError) and turned into exit code 2 by RunQmctl.
#pragma once

#include "ctl/CtlArgs.h"
#include "ctl/Qmctl.h"

namespace qm::ctl {

// Files only.
int RunCheck(const CommandLine& cl, CtlIo& io);
int RunMatch(const CommandLine& cl, CtlIo& io);
int RunConvert(const CommandLine& cl, CtlIo& io);

// The scale.
int RunScan(const CommandLine& cl, CtlIo& io);
int RunWeigh(const CommandLine& cl, CtlIo& io);
int RunReadPlu(const CommandLine& cl, CtlIo& io);
int RunWritePlu(const CommandLine& cl, CtlIo& io);
int RunReadMsg(const CommandLine& cl, CtlIo& io);
int RunWriteMsg(const CommandLine& cl, CtlIo& io);
int RunReadTotals(const CommandLine& cl, CtlIo& io);
int RunClearTotals(const CommandLine& cl, CtlIo& io);
int RunVerify(const CommandLine& cl, CtlIo& io);

// Runs the parsed command (one of the above) and turns what it raises into a line on `io.err`
// and the exit code: usage and file errors 2, a port failure in the middle of an exchange 3.
// Other exceptions pass on.
int RunParsedCommand(const CommandLine& cl, CtlIo& io);

}  // namespace qm::ctl
