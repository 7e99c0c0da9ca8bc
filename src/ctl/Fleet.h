// qmctl fleet: one transfer on many scales, listed in scales.conf (FleetConfig.h).
//
//   qmctl [line options] fleet -c scales.conf [--jobs N] [--retry N] [--report FILE.csv]
//         COMMAND [command options]
//
// COMMAND is read-plu, write-plu, read-msg, write-msg, read-totals, verify or weigh (without
// --watch), with the options it takes alone; "{name}" in any of them stands for the scale's
// name, so reads write one file per scale (-o plu-{name}.csv) and writes may take one each. The
// line options before `fleet` apply to every scale (the port and address come from the file).
//
// Scales on different lines run at the same time, up to N lines at once (--jobs, default 8),
// each on a thread of its own with its own loop, port and session; scales sharing a line run one
// after the other on it, in file order. Ports are one line however they are written: COMn and
// the device it maps to, a link and its target, "tcp://localhost:P" and "TCP://127.0.0.1:P/"
// (FleetLineOf). A scale whose link failed (exit code 3) is run again up to N more times
// (--retry), after a pause of 1 s, then 2 s, 4 s ... (at most a minute); a refusal, findings or
// a file error never are. One scale failing stops no other.
//
// Before anything starts, every file is checked: each output's folder must be there and
// writable, no output may be another scale's, an input or scales.conf, and the report none of
// those, compared as files (FileIdentity), not as names.
//
// An interrupt (SIGINT, SIGTERM) stops the run: the scales at work stop after their current
// record and write no file, the rest do not start, all of them are reported "interrupted", and
// the summary and the report are written as ever; the exit code is then 128 + the signal.
//
// Output: each scale's lines, stdout and stderr, are held back and written whole when the scale
// is done, every line headed "[name] "; then the summary table on stdout. --report writes the
// same as CSV (UTF-8, comma-separated): scale, result, exit code, records, seconds, message.
//
// Exit codes: 0 every scale done; 4 at least one scale not done (the report says which and
// why); 2 a usage error, a bad scales.conf or a file that cannot be written (nothing is
// started), or the report could not be written after all; 130 or 143 interrupted.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ctl/FleetArgs.h"
#include "ctl/FleetConfig.h"
#include "ctl/Qmctl.h"

namespace qm {
class TickSource;
}

namespace qm::ctl {

inline constexpr int kExitNotAllScales = 4;

// Where each scale's link takes its timer ticks from; called on the thread that runs the scale,
// which alone uses the source. No function, or a null source: the steady clock.
using FleetTicks = std::function<std::unique_ptr<TickSource>(const FleetScale&)>;

// The pause before a scale is run again; called on the scale's thread. No function: the steady
// clock, cut short by an interrupt.
using FleetPause = std::function<void(std::chrono::milliseconds)>;

// Runs a fleet command line (IsFleetLine holds). `io.ticks` is not used: a tick source belongs
// to one thread; tests give `ticks` and `pause`.
int RunFleet(const std::vector<std::string>& args, CtlIo& io, const FleetTicks& ticks = {},
             const FleetPause& pause = {});

// The line a port of scales.conf leads to: ports with the same text are one line. COMn stands
// for its device; a device path for the file it leads to (its device and file number, so a link
// and its target are one); a network line for NetLineIdentity with the host resolved.
std::string FleetLineOf(const std::string& port);

}  // namespace qm::ctl
