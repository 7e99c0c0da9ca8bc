// Encoding and decoding a full 4000-PLU table, the largest a scale holds.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/Cp1251.h"
#include "tables/PluColumns.h"
#include "transfer/PluRecord.h"

namespace {

constexpr int kRecords = 4000;

std::vector<qm::Cells> MakeRows() {
  std::vector<qm::Cells> rows;
  const std::string name = qm::Win1251("Колбаса докторская");
  for (int i = 1; i <= kRecords; ++i) {
    qm::Cells row(qm::kPluColumnCount);
    row[qm::kPluNo] = std::to_string(i);
    row[qm::kName1] = name;
    row[qm::kName2] = qm::Win1251("вар. в/с ГОСТ");
    row[qm::kPrice] = std::to_string(i % 900) + ".50";
    row[qm::kShelfLife] = i % 3 == 0 ? "31.12.26" : std::to_string(i % 365);
    row[qm::kTare] = "0.125";
    row[qm::kItemCode] = std::to_string(100000 + i);
    row[qm::kGroupCode] = std::to_string(i % 50);
    row[qm::kMessageNo] = std::to_string(i % 10);
    row[qm::kLogo] = i % 2 == 0 ? qm::Win1251("1 АЯ46") : "0";
    rows.push_back(std::move(row));
  }
  return rows;
}

void BM_EncodePluRecords(benchmark::State& state) {
  const std::vector<qm::Cells> rows = MakeRows();
  for (auto _ : state) {
    for (const qm::Cells& row : rows) benchmark::DoNotOptimize(qm::EncodePluRecord(row));
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_EncodePluRecords)->Unit(benchmark::kMicrosecond);

void BM_DecodePluRecords(benchmark::State& state) {
  std::vector<std::string> replies;
  for (const qm::Cells& row : MakeRows()) {
    std::string r = qm::EncodePluRecord(row);
    r += std::string("\x45\x30\x12\x01\x02\x25\x39\x30\x00\x00\xE8\x03\x00\x00\x40\x42\x0F", 17);
    replies.push_back(std::move(r));
  }
  for (auto _ : state) {
    for (const std::string& reply : replies) benchmark::DoNotOptimize(qm::PluRowFromReply(reply));
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_DecodePluRecords)->Unit(benchmark::kMicrosecond);

}  // namespace
