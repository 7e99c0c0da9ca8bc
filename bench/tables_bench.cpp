// Sorting a full-size PLU table (4000 rows, the largest model) by a number, a text and a date
// column, and the row commands Add, Del and Paste on such a table.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "base/Cp1251.h"
#include "tables/GridSort.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluColumns.h"
#include "tables/PluCommands.h"
#include "tables/TextGrid.h"

namespace {

using namespace qm;

constexpr int kRows = 4000;

TextGrid MakePluTable() {
  TextGrid grid(kPluColumnCount);
  grid.SetTitles(PluColumnTitles());
  grid.SetRowCount(kRows + 1);
  std::mt19937 rng(1234);
  const std::string words[] = {Win1251("Колбаса"), Win1251("сыр"),    Win1251("Ёжик"),
                               Win1251("хлеб"),    Win1251("Молоко"), Win1251("яблоки"),
                               Win1251("ветчина"), Win1251("Мёд")};
  for (int r = 1; r <= kRows; ++r) {
    grid.SetCell(kPluNo, r, std::to_string(rng() % 4000 + 1));
    grid.SetCell(kName1, r,
                 words[rng() % 8] + " " + words[rng() % 8] + " " + std::to_string(rng() % 100));
    grid.SetCell(kPrice, r, std::to_string(rng() % 10000) + "." + std::to_string(rng() % 90 + 10));
    const int day = static_cast<int>(rng() % 28) + 1, month = static_cast<int>(rng() % 12) + 1;
    grid.SetCell(kShelfLife, r,
                 (day < 10 ? "0" : "") + std::to_string(day) + "." + (month < 10 ? "0" : "") +
                     std::to_string(month) + "." + std::to_string(rng() % 10 + 20));
    grid.SetCell(kTare, r, "0.100");
    grid.SetCell(kMessageNo, r, "0");
  }
  return grid;
}

void SortBy(benchmark::State& state, int column) {
  const TextGrid base = MakePluTable();
  TSortOptions options;
  options.SortExactLetters = 0;
  options.SortStyle = static_cast<std::uint8_t>(GuessSortStyle(base, column));
  for (auto _ : state) {
    state.PauseTiming();
    TextGrid grid = base;
    state.ResumeTiming();
    SortRowsByColumn(grid, column, options);
    benchmark::DoNotOptimize(grid.CurrentRow());
  }
  state.SetLabel(options.SortStyle == kSortNumber ? "number"
                 : options.SortStyle == kSortDate ? "date"
                                                  : "text");
}

void BM_SortPrice(benchmark::State& state) {
  SortBy(state, kPrice);
}
void BM_SortName(benchmark::State& state) {
  SortBy(state, kName1);
}
void BM_SortShelfLifeDate(benchmark::State& state) {
  SortBy(state, kShelfLife);
}
BENCHMARK(BM_SortPrice)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortShelfLifeDate)->Unit(benchmark::kMillisecond);

// The window's editor reduced to what the commands ask: the commit stores fixed fields.
class BenchEditor : public PluEditorHooks {
 public:
  explicit BenchEditor(TextGrid& grid) : grid_(grid) {
    fields_.assign(kPluColumnCount, "");
    fields_[kPluNo] = "17";
    fields_[kName1] = "new";
  }
  void Commit() override { grid_.SetRow(grid_.CurrentRow(), fields_); }
  void Refresh() override { benchmark::DoNotOptimize(grid_.Row(grid_.CurrentRow()).data()); }
  bool SuppressRowLoad() const override { return suppress_; }
  void SetSuppressRowLoad(bool s) override { suppress_ = s; }
  void ClearPluDirty() override {}

 private:
  TextGrid& grid_;
  Cells fields_;
  bool suppress_ = false;
};

struct CommandBench {
  TextGrid grid = MakePluTable();
  ModifiedFlags flags;
  BenchEditor editor{grid};
  PluCommands commands{grid, flags, nullptr, editor};
};

void BM_PluAdd(benchmark::State& state) {
  CommandBench b;
  for (auto _ : state) {
    b.commands.Add();
    state.PauseTiming();
    b.grid.RemoveDataRow(b.grid.RowCount() - 1);
    state.ResumeTiming();
  }
}

void BM_PluDel(benchmark::State& state) {
  CommandBench b;
  for (auto _ : state) {
    b.grid.MoveToCell(0, kRows / 2);
    b.commands.Del();
    state.PauseTiming();
    b.grid.InsertDataRow(kRows / 2);  // back to 4000 rows
    state.ResumeTiming();
  }
}

void BM_PluPaste(benchmark::State& state) {
  CommandBench b;
  b.grid.MoveToCell(0, 1);
  b.commands.Copy();
  for (auto _ : state) {
    b.grid.MoveToCell(0, kRows / 2);
    b.commands.Paste();
    state.PauseTiming();
    b.grid.RemoveDataRow(kRows / 2);
    state.ResumeTiming();
  }
}

BENCHMARK(BM_PluAdd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PluDel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PluPaste)->Unit(benchmark::kMicrosecond);

}  // namespace
