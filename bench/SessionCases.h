// The whole-table transfers that the bare-client and window benchmarks compare with: a read of
// PLUs 1..N, a write of PLU rows 1..N, a read of messages 1..N, each made through qmctl's session
// on the scale's line, and the scale in a child process holding what the case reads.
#pragma once

#include <benchmark/benchmark.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include "BenchSupport.h"
#include "BenchTables.h"
#include "ctl/LinkSession.h"
#include "session/ScaleSession.h"

namespace bench {

enum class TableCase { ReadPlu, WritePlu, ReadMessages };

// The unpaced scale at address 1, holding PLUs or messages 1..records for a read.
inline ChildScale ScaleFor(TableCase c, int records) {
  return ChildScale(0, [c, records](qmsim::VirtualScale& scale) {
    scale.SetAddress(1);
    for (int k = 1; k <= records; ++k) {
      if (c == TableCase::ReadPlu) scale.SetPlu(k, PluRecord(k));
      if (c == TableCase::ReadMessages) scale.SetMessage(k, qmsim::Bytes(400, 'a' + k % 26));
    }
  });
}

// qmctl's session on the line at `path`, with the table a write sends already loaded, as an
// operator's would be. The transfer itself opens and closes the line.
class SessionCase {
 public:
  SessionCase(TableCase c, const std::string& path, int records)
      : case_(c), records_(records), session_(Line(path), err_) {
    if (c == TableCase::WritePlu) session_.core.Plu().ReplaceDataRows(PluRows(records));
  }

  // The transfer; throws when it did not store every record.
  void Run() {
    qm::TransferObserver quiet;
    qm::TransferReport report;
    switch (case_) {
      case TableCase::ReadPlu:
        report = session_.core.ReadPluTable(records_, quiet);
        break;
      case TableCase::WritePlu:
        report = session_.core.WritePlu(1, records_, quiet);
        break;
      case TableCase::ReadMessages:
        report = session_.core.ReadMessageTable(records_, quiet);
        break;
    }
    if (report.status != qm::TransferStatus::Done || report.stored != records_) {
      throw std::runtime_error("the session's transfer did not go through");
    }
  }

 private:
  static qm::ctl::LineOptions Line(const std::string& path) {
    qm::ctl::LineOptions line;
    line.port = path;
    line.comPort.reset();
    line.address = 1;
    return line;
  }

  TableCase case_;
  int records_;
  std::ostringstream err_;
  qm::ctl::LinkSession session_;
};

// The three cases, each run `rounds` times with the time the benchmark sets.
inline void TableCases(benchmark::internal::Benchmark* b, int rounds) {
  b->ArgNames({"case", "records"})
      ->Args({int(TableCase::ReadPlu), 4000})
      ->Args({int(TableCase::WritePlu), 4000})
      ->Args({int(TableCase::ReadMessages), 1000})
      ->Iterations(Rounds(rounds))
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
}

}  // namespace bench
