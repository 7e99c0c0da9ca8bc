// A whole 4000-PLU table read over a network serial line, against the same read on the
// pseudo-terminal: the virtual scale (unpaced, in a child process) behind Debian's ser2net,
// reached as raw TCP and as Telnet with COM-PORT-OPTION over loopback. What is measured is what
// the network line adds: the server's hops, Telnet escaping and negotiation, the reader thread.
// ser2net's own input batching ("chardelay", on by default) is measured both ways.
//
// Counters:
//   wall_s        time of the whole read, prompts answered at once
//   cpu_s         the program's CPU time during it (ser2net and the scale not counted)
//   records_per_s records read per second
//   ms_per_record wall time per PLU exchange (address, echo, status, command, number,
//                 acknowledgement, 100-byte record)
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "../tests/support/Ser2net.h"
#include "BenchSupport.h"
#include "BenchTables.h"
#include "app/TransferFlows.h"
#include "base/Dialogs.h"
#include "port/ComPort.h"
#include "port/HeadlessLoop.h"
#include "session/ScaleSession.h"
#include "tables/PluTable.h"
#include "tables/TextGrid.h"

namespace {

using bench::AnsweringDialogs;
using bench::NoView;
using Clock = std::chrono::steady_clock;

struct Program {
  explicit Program(const std::string& device) {
    port.SetSyncMethod(qm::TSyncMethod::smWindow);
    port.SetDispatcher(&loop.Dispatcher());
    port.SetDeviceResolver([device](qm::TPortType) { return device; });
    port.SetBaudRate(qm::TBaudRate::br115200);
    loop.SetTickHandler([this] { session.Poll().TimerTick(); });
    loop.StartTimer();
    qm::ResetPluTable(session.Plu());
  }
  ~Program() { session.Link().CloseForExit(); }

  qm::HeadlessLoop loop;
  qm::TComPort port;
  qm::RunState state;
  bench::NoStatus status;
  AnsweringDialogs dialogs;
  qm::ScaleSession session{port, loop, status, state};
  NoView view;
  qm::TransferFlows transfers{session, dialogs, view};
};

// args: line (0 pseudo-terminal, 1 raw TCP, 2 rfc2217), ser2net's chardelay (0 off, 1 on)
void BM_ReadPluTableOverLine(benchmark::State& st) {
  const int records = 4000;
  const int line = static_cast<int>(st.range(0));
  const bool charDelay = st.range(1) != 0;
  if (line != 0 && !qmtest::Ser2net::MissingReason().empty()) {
    st.SkipWithError(qmtest::Ser2net::MissingReason().c_str());
    return;
  }
  for (auto _ : st) {
    const bench::ChildScale scale(0, [](qmsim::VirtualScale& s) {
      for (int k = 1; k <= records; ++k)
        s.SetPlu(k,
                 bench::PluRecord(k, 0xFFFF));  // a price with the Telnet escape byte in it: 655.35
    });
    std::unique_ptr<qmtest::Ser2net> server;
    std::string device = scale.Path();
    if (line != 0) {
      server = std::make_unique<qmtest::Ser2net>(scale.Path(), charDelay);
      device = line == 1 ? server->RawUrl() : server->Rfc2217Url();
    }
    Program p(device);
    p.dialogs.number = std::to_string(records);
    const double c0 = bench::ProcessCpuSeconds();
    const auto t0 = Clock::now();
    p.transfers.ReadPluClick(qm::kWholeTable);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = bench::ProcessCpuSeconds() - c0;
    if (p.session.Plu().DataRowCount() != records) st.SkipWithError("records missing");
    st.SetIterationTime(wall);
    st.counters["wall_s"] = wall;
    st.counters["cpu_s"] = cpu;
    st.counters["records_per_s"] = records / wall;
    st.counters["ms_per_record"] = 1000.0 * wall / records;
  }
}

BENCHMARK(BM_ReadPluTableOverLine)
    ->ArgNames({"line", "chardelay"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
