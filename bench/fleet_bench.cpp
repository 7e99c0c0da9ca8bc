// qmctl fleet: how long a fleet run takes against its lines. Four scales as a shop has them:
// "deli" and "bakery" on lines of their own, "fish" and "meat" sharing a third line, where
// nobody answers at meat's address (its reply time-out is part of that line's time). Every
// answering scale is a virtual scale in a child process, paced at the given baud rate, holding
// the PLUs read.
//
// Counters:
//   whole_s           the fleet run, every line at once
//   slowest_line_s    the slowest line run alone (fish and meat one after the other)
//   sum_s             every line run alone, one after the other: what a loop in a script costs
//   whole_vs_slowest  whole_s / slowest_line_s: near 1 when the lines really run side by side
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ctl/Fleet.h"
#include "files/FileIo.h"

namespace {

using bench::ChildScale;
using Clock = std::chrono::steady_clock;

qmsim::Bytes Record(int number) {
  qmsim::Bytes r(100, 0);
  r[0] = static_cast<std::uint8_t>(number);
  r[1] = static_cast<std::uint8_t>(number >> 8);
  r[10] = 'A';
  return r;
}

// args: PLUs read from each scale, baud
void BM_FleetReadPlu(benchmark::State& st) {
  const int records = static_cast<int>(st.range(0));
  const unsigned baud = static_cast<unsigned>(st.range(1));
  const auto fill = [records](qmsim::VirtualScale& s) {
    for (int n = 1; n <= records; ++n) s.SetPlu(n, Record(n));
  };
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("qm_fleet_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  for (auto _ : st) {
    const ChildScale deli(baud, fill), bakery(baud, fill), fish(baud, fill);
    const std::string lines[] = {
        "deli " + deli.Path() + " 1\n",
        "bakery " + bakery.Path() + " 1\n",
        "fish " + fish.Path() + " 1\nmeat " + fish.Path() + " 2\n",
    };
    // One fleet run over these lines of scales.conf, in seconds.
    const auto run = [&](const std::string& conf) {
      const std::string path = (dir / "scales.conf").string();
      qm::WriteWholeFile(path, conf);
      std::ostringstream out, err;
      qm::ctl::CtlIo io{out, err};
      const auto t0 = Clock::now();
      qm::ctl::RunFleet({"fleet", "-c", path, "read-plu", "--last", std::to_string(records), "-o",
                         (dir / "plu-{name}.csv").string()},
                        io);
      return std::chrono::duration<double>(Clock::now() - t0).count();
    };
    const double whole = run(lines[0] + lines[1] + lines[2]);
    double slowest = 0, sum = 0;
    for (const std::string& line : lines) {
      const double t = run(line);
      slowest = std::max(slowest, t);
      sum += t;
    }
    st.SetIterationTime(whole);
    st.counters["whole_s"] = whole;
    st.counters["slowest_line_s"] = slowest;
    st.counters["sum_s"] = sum;
    st.counters["whole_vs_slowest"] = whole / slowest;
  }
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_FleetReadPlu)
    ->Args({50, 19200})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
