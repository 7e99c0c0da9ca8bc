// Price updates against the ledger: a 4000-PLU scale paced at 9600 baud gets 50 changed prices.
// The whole table is written once first, unpaced (it fills the scale and the ledger); then
// write-plu --changed runs on the paced line and is set against the time the bytes it moved
// take on the wire, and against the wire time of the whole-table write (from the bytes of that
// first write: paced, it would take about six minutes a run).
//
// Counters:
//   changed_s            write-plu --changed on the paced line (the 50 writes and the sample)
//   changed_wire_s       the bytes of its exchanges, both ways, at 10 bits a byte
//   changed_vs_wire      changed_s / changed_wire_s: what the program adds to the wire
//   whole_wire_s         the wire time of the whole-table write
//   whole_vs_changed     whole_wire_s / changed_s
// The fleet: 8 such scales, each on a line of its own, at most 4 lines at once (--jobs 4): two
// scales one after the other on each of 4 workers, as 8 scales on 4 shared lines are run.
//   fleet_s              the fleet's write-plu --changed
//   fleet_wire_s         the wire time of the busiest worker's two scales
//   fleet_vs_wire        fleet_s / fleet_wire_s
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ctl/Fleet.h"
#include "ctl/Qmctl.h"
#include "files/FileIo.h"
#include "sim/VirtualScale.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPlus = 4000;
constexpr int kChanged = 50;
constexpr unsigned kBaud = 9600;

const char kHeader[] =
    "\xD2\xEE\xE2\xE0\xF0\xFB,\r\nPLU,Name1,Name2,Price,ShelfLife,Tare,Code,Group,Message,Logo,"
    "Start,Count,Amount,Weight\r\n";

// The price file; the first `changed` rows (spread over the table) cost more.
std::string Prices(int changed) {
  std::string text = kHeader;
  for (int n = 1; n <= kPlus; ++n) {
    const bool dearer = n % (kPlus / kChanged) == 0 && n / (kPlus / kChanged) <= changed;
    text += std::to_string(n) + ",Item " + std::to_string(n) + ",," + (dearer ? "2.50" : "1.00") +
            ",5,0," + std::to_string(n) + ",1,0,0,,0,0,0\r\n";
  }
  return text;
}

// Seconds the exchanges logged by `scale` take on the wire.
double WireSeconds(const qmsim::VirtualScale& scale) {
  std::size_t bytes = 0;
  for (const qmsim::ExchangeRecord& r : scale.Log()) bytes += r.in.size() + r.out.size();
  return static_cast<double>(bytes) * 10.0 / kBaud;
}

int Qmctl(const std::vector<std::string>& args, const std::string& ledger) {
  std::ostringstream out, err;
  return qm::ctl::RunQmctl(args, {out, err, false, nullptr, ledger});
}

void BM_ChangedPrices(benchmark::State& st) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("qm_ledger_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string ledger = (dir / "ledger.sqlite").string();
  const std::string before = (dir / "before.csv").string(), after = (dir / "after.csv").string();
  qm::WriteWholeFile(before, Prices(0));
  qm::WriteWholeFile(after, Prices(kChanged));
  for (auto _ : st) {
    std::filesystem::remove(ledger);
    qmsim::VirtualScale scale;
    scale.SetWeightMoving(false);
    Qmctl({"--port", scale.SlavePath(), "write-plu", "-i", before, "--force"}, ledger);
    const double wholeWire = WireSeconds(scale);
    scale.ClearLog();
    scale.SetPacing(kBaud);
    const auto t0 = Clock::now();
    const int code = Qmctl(
        {"--port", scale.SlavePath(), "write-plu", "-i", after, "--force", "--changed"}, ledger);
    const double changed = std::chrono::duration<double>(Clock::now() - t0).count();
    if (code != 0) st.SkipWithError("write-plu --changed failed");
    const double wire = WireSeconds(scale);
    st.SetIterationTime(changed);
    st.counters["changed_s"] = changed;
    st.counters["changed_wire_s"] = wire;
    st.counters["changed_vs_wire"] = changed / wire;
    st.counters["whole_wire_s"] = wholeWire;
    st.counters["whole_vs_changed"] = wholeWire / changed;
  }
  std::filesystem::remove_all(dir);
}

void BM_FleetChangedPrices(benchmark::State& st) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("qm_ledger_fleet_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string ledger = (dir / "ledger.sqlite").string();
  const std::string before = (dir / "before.csv").string(), after = (dir / "after.csv").string();
  const std::string conf = (dir / "scales.conf").string();
  qm::WriteWholeFile(before, Prices(0));
  qm::WriteWholeFile(after, Prices(kChanged));
  for (auto _ : st) {
    std::filesystem::remove(ledger);
    std::vector<std::unique_ptr<qmsim::VirtualScale>> scales;
    std::string lines;
    for (int i = 0; i < 8; ++i) {
      scales.push_back(std::make_unique<qmsim::VirtualScale>());
      scales.back()->SetWeightMoving(false);
      lines += "s" + std::to_string(i) + " " + scales.back()->SlavePath() + " 1\n";
    }
    qm::WriteWholeFile(conf, lines);
    std::ostringstream out, err;
    qm::ctl::CtlIo io{out, err, false, nullptr, ledger};
    qm::ctl::RunFleet({"fleet", "-c", conf, "--jobs", "8", "write-plu", "-i", before, "--force"},
                      io);
    for (auto& s : scales) {
      s->ClearLog();
      s->SetPacing(kBaud);
    }
    const auto t0 = Clock::now();
    const int code = qm::ctl::RunFleet(
        {"fleet", "-c", conf, "--jobs", "4", "write-plu", "-i", after, "--force", "--changed"}, io);
    const double fleet = std::chrono::duration<double>(Clock::now() - t0).count();
    if (code != 0) st.SkipWithError("fleet write-plu --changed failed");
    // Workers take the lines in file order: two scales each, one after the other.
    double busiest = 0;
    for (int w = 0; w < 4; ++w) {
      busiest = std::max(busiest, WireSeconds(*scales[w]) + WireSeconds(*scales[w + 4]));
    }
    st.SetIterationTime(fleet);
    st.counters["fleet_s"] = fleet;
    st.counters["fleet_wire_s"] = busiest;
    st.counters["fleet_vs_wire"] = fleet / busiest;
  }
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_ChangedPrices)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FleetChangedPrices)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
