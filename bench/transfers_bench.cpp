// Whole-table PLU transfers against the virtual scale, the way the main window runs them: the
// real serial port on the scale's pseudo-terminal, the link, the headless event loop with its
// 100 ms timer. The scale runs in a child process, so the process times measured here are the
// program's alone (its UI thread and the port's event thread).
//
// Counters:
//   wall_s        time of the whole command, prompts answered at once
//   cpu_s         the program's CPU time during it
//   cpu_pct       cpu_s / wall_s, in percent of one core
//   cpu_us_per_x  the program's CPU microseconds per exchange (one record's select, command and
//                 answer): its own work, which a paced line does not hide
//   records_per_s records transferred per second
//   wire_s        paced runs: the time the bytes need on the wire at 10 bits per byte, every
//                 byte of every exchange counted once (address, echo, status, command, data,
//                 acknowledgement, reply): 109 bytes per PLU read, 88 per PLU write
//   vs_wire       wall_s / wire_s (1.00 = as fast as the line)
//   raw_vs_wire   the same exchanges made by a bare blocking client straight on the line,
//                 without the program: what the scale's own pacing costs over the ideal wire
//   vs_raw        wall_s over the bare client's time: what the program itself adds
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "BenchTables.h"
#include "app/TransferFlows.h"
#include "base/Dialogs.h"
#include "base/StatusView.h"
#include "files/FileLayouts.h"
#include "port/ComPort.h"
#include "port/HeadlessLoop.h"
#include "link/LivePoll.h"
#include "link/ScaleLink.h"
#include "session/ScaleSession.h"
#include "sim/VirtualScale.h"
#include "tables/MessageTable.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace {

using bench::AnsweringDialogs;
using bench::ChildScale;
using bench::NoStatus;
using bench::NoView;
using bench::ProcessCpuSeconds;
using Clock = std::chrono::steady_clock;

constexpr int kReadBytesPerRecord = 1 + 1 + 1 + 1 + 4 + 1 + 100;
constexpr int kWriteBytesPerRecord = 1 + 1 + 1 + 1 + 83 + 1;

// The virtual scale in a child process, holding PLU records 1..records, paced at `baud`
// (0: unpaced).
ChildScale ScaleHolding(int records, unsigned baud) {
  return ChildScale(baud, [records](qmsim::VirtualScale& scale) {
    for (int k = 1; k <= records; ++k) scale.SetPlu(k, bench::PluRecord(k));
  });
}

// The main window's part, headless.
struct Program {
  // `baud`: the line rate the port is set to (a paced scale's; 115200 for an unpaced one).
  Program(const std::string& path, unsigned baud) {
    port.SetSyncMethod(qm::TSyncMethod::smWindow);
    port.SetDispatcher(&loop.Dispatcher());
    port.SetDeviceResolver([path](qm::TPortType) { return path; });
    port.SetBaudRate(baud == 9600 ? qm::TBaudRate::br9600 : qm::TBaudRate::br115200);
    loop.SetTickHandler([this] { poll.TimerTick(); });
    loop.StartTimer();
    qm::ResetPluTable(plu);
  }
  ~Program() { link.CloseForExit(); }

  qm::HeadlessLoop loop;
  qm::TComPort port;
  qm::RunState state;
  NoStatus status;
  AnsweringDialogs dialogs;
  qm::ScaleSession session{port, loop, status, state};
  qm::TextGrid& plu = session.Plu();
  qm::MessageTable& messages = session.Messages();
  qm::ScaleLink& link = session.Link();
  qm::LivePoll& poll = session.Poll();
  NoView view;
  qm::TransferFlows transfers{session, dialogs, view};
};

// The same PLU exchanges as the program makes, by a bare client with blocking reads: what the
// line and the scale allow at best. Returns the seconds they took.
double RawExchanges(const std::string& path, int records, bool write) {
  const int fd = bench::OpenRawLine(path);
  auto readExactly = [&](int n) {
    unsigned char buffer[128];
    while (n > 0) {
      const ssize_t got = ::read(fd, buffer, std::min<int>(n, sizeof buffer));
      if (got <= 0) throw std::runtime_error("line closed");
      n -= static_cast<int>(got);
    }
  };
  const auto t0 = Clock::now();
  for (int k = 1; k <= records; ++k) {
    const unsigned char address = 1;
    if (::write(fd, &address, 1) != 1) throw std::runtime_error("write");
    readExactly(2);
    std::string command(1, write ? '\x82' : '\x81');
    command += static_cast<char>(k);
    command += static_cast<char>(k >> 8);
    command.resize(write ? 1 + 83 : 1 + 4, '\0');
    if (::write(fd, command.data(), command.size()) != static_cast<ssize_t>(command.size()))
      throw std::runtime_error("write");
    readExactly(write ? 1 : 101);
  }
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  ::close(fd);
  return wall;
}

void Report(benchmark::State& st, double wall, double cpu, int records, unsigned baud,
            int bytesPerRecord) {
  st.SetIterationTime(wall);
  st.counters["wall_s"] = wall;
  st.counters["cpu_s"] = cpu;
  st.counters["cpu_pct"] = 100.0 * cpu / wall;
  st.counters["cpu_us_per_x"] = 1e6 * cpu / records;
  st.counters["records_per_s"] = records / wall;
  if (baud != 0) {
    const double wire = double(records) * bytesPerRecord * 10.0 / baud;
    st.counters["wire_s"] = wire;
    st.counters["vs_wire"] = wall / wire;
  }
}

// The bare client's run over the same scale: raw_vs_wire, and vs_raw = the program's time over
// the bare client's (what the program adds to what the line and the scale allow).
void CompareWithBareClient(benchmark::State& st, Program& p, const std::string& path, int records,
                           unsigned baud, bool write, double wall) {
  p.link.CloseForExit();
  const double raw = RawExchanges(path, records, write);
  const int bytes = write ? kWriteBytesPerRecord : kReadBytesPerRecord;
  st.counters["raw_vs_wire"] = raw / (double(records) * bytes * 10.0 / baud);
  st.counters["vs_raw"] = wall / raw;
}

// args: records, baud (0 = unpaced)
void BM_ReadPluTable(benchmark::State& st) {
  const int records = static_cast<int>(st.range(0));
  const unsigned baud = static_cast<unsigned>(st.range(1));
  for (auto _ : st) {
    const ChildScale scale = ScaleHolding(records, baud);
    Program p(scale.Path(), baud);
    p.dialogs.number = std::to_string(records);
    const double c0 = ProcessCpuSeconds();
    const auto t0 = Clock::now();
    p.transfers.ReadPluClick(qm::kWholeTable);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = ProcessCpuSeconds() - c0;
    if (p.plu.DataRowCount() != records) st.SkipWithError("records missing");
    Report(st, wall, cpu, records, baud, kReadBytesPerRecord);
    if (baud != 0) CompareWithBareClient(st, p, scale.Path(), records, baud, false, wall);
  }
}

void BM_WritePluTable(benchmark::State& st) {
  const int records = static_cast<int>(st.range(0));
  const unsigned baud = static_cast<unsigned>(st.range(1));
  for (auto _ : st) {
    const ChildScale scale = ScaleHolding(0, baud);
    Program p(scale.Path(), baud);
    p.plu.ReplaceDataRows(bench::PluRows(records));
    const double c0 = ProcessCpuSeconds();
    const auto t0 = Clock::now();
    p.transfers.WritePLUClick(qm::kWholeTable);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = ProcessCpuSeconds() - c0;
    Report(st, wall, cpu, records, baud, kWriteBytesPerRecord);
    if (baud != 0) CompareWithBareClient(st, p, scale.Path(), records, baud, true, wall);
  }
}

// Unpaced, then paced as a real line is: the wire sets the pace there (one PLU read is 109
// bytes, 9.5 ms at 115200 baud and 113.5 ms at 9600), so a few hundred records at 115200 and a
// short table at 9600 show what the program adds to it. bench/paced runs the paced ones.
void TableCases(benchmark::internal::Benchmark* b) {
  b->Args({4000, 0})
      ->Args({300, 115200})
      ->Args({20, 9600})
      ->Iterations(1)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_ReadPluTable)->Apply(TableCases);
BENCHMARK(BM_WritePluTable)->Apply(TableCases);

}  // namespace
