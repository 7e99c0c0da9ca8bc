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
// after the other on it, in file order. A scale whose link failed (exit code 3) is run again up
// to N more times (--retry); a refusal, findings or a file error never are. One scale failing
// stops no other.
//
// Output: each scale's lines, stdout and stderr, are held back and written whole when the scale
// is done, every line headed "[name] "; then the summary table on stdout. --report writes the
// same as CSV (UTF-8, comma-separated): scale, result, exit code, records, seconds, message.
//
// Exit codes: 0 every scale done; 4 at least one scale not done (the report says which and
// why); 2 a usage error or a bad scales.conf (nothing is started), or the report could not be
// written.
#pragma once

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

// Runs a fleet command line (IsFleetLine holds). `io.ticks` is not used: a tick source belongs
// to one thread; tests give `ticks`.
int RunFleet(const std::vector<std::string>& args, CtlIo& io, const FleetTicks& ticks = {});

}  // namespace qm::ctl
