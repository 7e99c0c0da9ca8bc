// Normalising 4000 rows, as a full PLU read or a PLU file load does.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/Cp1251.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace {

constexpr int kRows = 4000;

// Rows as a reader delivers them: wire units, padded names, mixed shelf-life forms.
std::vector<qm::Cells> MakeRows() {
  std::vector<qm::Cells> rows;
  for (int i = 1; i <= kRows; ++i) {
    qm::Cells row(qm::kPluColumnCount);
    row[qm::kPluNo] = std::to_string(i);
    row[qm::kName1] = qm::Win1251("Сыр российский") + std::string(10, '\0');
    row[qm::kName2] = "  " + std::to_string(i) + "  ";
    row[qm::kPrice] = std::to_string(i * 137);
    row[qm::kShelfLife] = i % 3 == 0 ? "31/12/26" : (i % 3 == 1 ? "30" : "31.13.26");
    row[qm::kTare] = std::to_string(i % 1000);
    row[qm::kItemCode] = std::to_string(i * 7);
    row[qm::kGroupCode] = "12";
    row[qm::kMessageNo] = "3";
    row[qm::kLogo] = std::string("1 AB12\0\0", 8);
    row[qm::kSalesStart] = "01.02.25, 12:30:45";
    row[qm::kSalesCount] = "42";
    row[qm::kSalesAmount] = std::to_string(i * 1234);
    row[qm::kSalesWeight] = std::to_string(i * 250);
    rows.push_back(std::move(row));
  }
  return rows;
}

void BM_NormalizePluRows(benchmark::State& state) {
  const std::vector<qm::Cells> source = MakeRows();
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<qm::Cells> rows = source;
    state.ResumeTiming();
    for (qm::Cells& row : rows) qm::NormalizePluRow(row, true, true);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_NormalizePluRows)->Unit(benchmark::kMicrosecond);

}  // namespace
