// A silent check of the largest tables, as the write transfers run it before every whole-table
// write, and matching a shuffled 4000-row table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/Cp1251.h"
#include "base/ScaleParams.h"
#include "tables/CommaText.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"
#include "tables/PluMatching.h"
#include "tables/Validation.h"

namespace {

constexpr int kRows = 4000;
constexpr int kMessages = 1000;

// 4000 valid rows in normalised form, every shelf-life form and a message reference in each.
std::vector<qm::Cells> MakeRows() {
  std::vector<qm::Cells> rows;
  rows.reserve(kRows);
  for (int i = 1; i <= kRows; ++i) {
    qm::Cells row(qm::kPluColumnCount);
    row[qm::kPluNo] = std::to_string(i);
    row[qm::kName1] = qm::Win1251("Сыр российский");
    row[qm::kName2] = std::to_string(i);
    row[qm::kPrice] = std::to_string(i % 9000) + ".50";
    row[qm::kShelfLife] = i % 2 ? "30" : "31.12.99";
    row[qm::kTare] = "0.0" + std::to_string(10 + i % 18 * 5);  // multiples of 0.005
    row[qm::kItemCode] = std::to_string(i * 7);
    row[qm::kGroupCode] = "12";
    row[qm::kMessageNo] = std::to_string(i % (kMessages + 1));
    row[qm::kLogo] = "1 AB12";
    rows.push_back(std::move(row));
  }
  return rows;
}

void BM_ValidateSilent(benchmark::State& state) {
  qm::TextGrid plu(qm::kPluColumnCount);
  plu.SetTitles(qm::PluColumnTitles());
  plu.ReplaceDataRows(MakeRows());
  qm::MessageTable msgs;
  msgs.Grid().SetRowCount(kMessages + 1);
  msgs.Texts().clear();
  for (int i = 1; i <= kMessages; ++i) {
    msgs.Grid().SetCell(qm::kMsgNo, i, std::to_string(i));
    msgs.Texts().push_back(qm::ToCommaText(
        std::vector<std::string>(8, "Message line " + std::to_string(i) + ", with blanks")));
  }
  const qm::TScaleParams limits = qm::BuildScaleParams(15, 4000);
  const qm::ValidationOptions options{.checkPlu = true, .checkMessages = true, .silent = true};
  int errors = 0;
  for (auto _ : state) {
    const qm::ValidationResult r = qm::ValidateData(options, plu, msgs, limits, nullptr, nullptr);
    errors = r.errors + r.warnings;
    benchmark::DoNotOptimize(errors);
  }
  state.counters["findings"] = errors;
  state.SetItemsProcessed(state.iterations() * (kRows + kMessages));
}
BENCHMARK(BM_ValidateSilent)->Unit(benchmark::kMillisecond);

void BM_MatchShuffled(benchmark::State& state) {
  std::vector<qm::Cells> rows = MakeRows();
  std::mt19937 random(42);
  std::shuffle(rows.begin(), rows.end(), random);
  qm::TextGrid plu(qm::kPluColumnCount);
  plu.SetTitles(qm::PluColumnTitles());
  for (auto _ : state) {
    state.PauseTiming();
    plu.ReplaceDataRows(rows);
    state.ResumeTiming();
    benchmark::DoNotOptimize(qm::MatchPluNumbers(plu, kRows));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_MatchShuffled)->Unit(benchmark::kMillisecond);

}  // namespace
