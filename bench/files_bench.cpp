// Load and save of the biggest tables the scales hold: 4000 PLU rows as CSV and as a native
// file, and 1000 messages as a native file. Each figure is the whole file in memory: building
// the bytes, or parsing them into new table contents.
#include <benchmark/benchmark.h>

#include "base/Cp1251.h"
#include "files/FileLayouts.h"
#include "tables/CommaText.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace {

using namespace qm;

TextGrid BigPluTable() {
  TextGrid grid(kPluColumnCount);
  grid.SetTitles(PluColumnTitles());
  std::vector<Cells> rows;
  for (int i = 1; i <= 4000; ++i) {
    Cells row{std::to_string(i),
              Win1251("Колбаса варёная \"Докторская\" ") + std::to_string(i),
              Win1251("в/у 500 г"),
              std::to_string(i % 900 + 10) + "." + std::to_string(i % 90 + 10),
              "05.01.26",
              "0.125",
              std::to_string(i * 7),
              std::to_string(i % 99),
              std::to_string(i % 200),
              "1 " + std::to_string(i),
              "01.01.26, 10:00:00",
              std::to_string(i % 50),
              "1234.50",
              "12.345"};
    rows.push_back(std::move(row));
  }
  grid.ReplaceDataRows(std::move(rows));
  return grid;
}

MessageTable BigMessageTable() {
  MessageTable table;
  std::vector<Cells> rows;
  std::vector<std::string> texts;
  for (int i = 1; i <= 1000; ++i) {
    rows.push_back({std::to_string(i), Win1251("Сообщение ") + std::to_string(i)});
    texts.push_back(ToCommaText({Win1251("Состав: мука, вода, соль"), Win1251("Хранить при 4 С"),
                                 Win1251("Изготовитель ООО \"Хлеб\""), "GOST 1234-56"}));
  }
  table.Grid().ReplaceDataRows(std::move(rows));
  table.Texts() = std::move(texts);
  return table;
}

void SavePluCsv(benchmark::State& state) {
  const TextGrid grid = BigPluTable();
  for (auto _ : state) benchmark::DoNotOptimize(WritePluCsv(grid, ';'));
}
BENCHMARK(SavePluCsv)->Unit(benchmark::kMillisecond);

void LoadPluCsv(benchmark::State& state) {
  const std::string bytes = WritePluCsv(BigPluTable(), ';');
  for (auto _ : state) benchmark::DoNotOptimize(ParseDataFile(bytes));
}
BENCHMARK(LoadPluCsv)->Unit(benchmark::kMillisecond);

void SavePluNative(benchmark::State& state) {
  const TextGrid grid = BigPluTable();
  for (auto _ : state) benchmark::DoNotOptimize(WritePluNative(grid, nullptr));
}
BENCHMARK(SavePluNative)->Unit(benchmark::kMillisecond);

void LoadPluNative(benchmark::State& state) {
  const std::string bytes = WritePluNative(BigPluTable(), nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(ParsePluNative(bytes, nullptr));
}
BENCHMARK(LoadPluNative)->Unit(benchmark::kMillisecond);

void SaveMessageNative(benchmark::State& state) {
  const MessageTable table = BigMessageTable();
  for (auto _ : state) benchmark::DoNotOptimize(WriteMessageNative(table));
}
BENCHMARK(SaveMessageNative)->Unit(benchmark::kMillisecond);

void LoadMessageNative(benchmark::State& state) {
  const std::string bytes = WriteMessageNative(BigMessageTable());
  for (auto _ : state) benchmark::DoNotOptimize(ParseMessageNative(bytes));
}
BENCHMARK(LoadMessageNative)->Unit(benchmark::kMillisecond);

}  // namespace
