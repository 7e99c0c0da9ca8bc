// What the transfer benchmarks feed the program and the scale, and how they sum up their rounds:
// the PLU records the scale holds, the PLU rows a write sends, the operator who answers every
// prompt at once, and the rounds' count and median.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/TransferView.h"
#include "base/Dialogs.h"
#include "files/FileLayouts.h"
#include "sim/VirtualScale.h"
#include "tables/TextGrid.h"

namespace bench {

// A 100-byte PLU record as the scale keeps it: the number, the name "Item <number>" and the
// price in kopecks (100.00 unless told).
inline qmsim::Bytes PluRecord(std::int32_t number, std::uint16_t kopecks = 10000) {
  qmsim::Bytes r(100, 0);
  for (int i = 0; i < 4; ++i) r[i] = static_cast<std::uint8_t>(number >> (8 * i));
  const std::string name = "Item " + std::to_string(number);
  std::copy(name.begin(), name.end(), r.begin() + 10);
  r[66] = static_cast<std::uint8_t>(kopecks);
  r[67] = static_cast<std::uint8_t>(kopecks >> 8);
  return r;
}

// PLU rows 1..records as a loaded table holds them, for a write to send.
inline std::vector<qm::Cells> PluRows(int records) {
  std::vector<qm::Cells> rows;
  for (int k = 1; k <= records; ++k) {
    const std::string n = std::to_string(k);
    // PluNo, Name1, Name2, Price, ShelfLife, Tare, ItemCode, GroupCode, MessageNo, Logo, sales
    rows.push_back({n, "Item " + n, "", "100.00", "5", "0", n, "1", "0", "0", "", "", "", ""});
  }
  return rows;
}

// Answers every number input with `number` and every box with Yes (or OK); shows no progress.
struct AnsweringDialogs : qm::Dialogs {
  std::string number;
  qm::DialogButton ShowMessage(const qm::MessageBoxRequest& r) override {
    return (r.buttons & qm::kButtonYes) ? qm::kButtonYes : qm::kButtonOk;
  }
  std::optional<std::string> InputLine(const std::string&, const std::string&,
                                       const std::string&) override {
    return number;
  }
  void ShowProgress(const std::string&, const std::string&, int, int) override {}
  bool StepProgress(int) override { return false; }
  void HideProgress() override {}
  std::optional<qm::FileDialogAnswer> ChooseFile(const qm::FileDialogRequest&) override {
    return std::nullopt;
  }
};

// The window's side of a transfer, with no window.
struct NoView : qm::TransferView {
  void ShowPage(int) override {}
  void SettlePluEditor() override {}
  void SettleMessageEditor() override {}
  void ClearMessageDirty() override {}
  void ResetPluSortDirections() override {}
  void ResetMessageSortDirections() override {}
  void ShowTotals(const qm::TotalsPage&) override {}
};

// Rounds per case: QM_BENCH_ROUNDS=N when set, else `otherwise`.
inline int Rounds(int otherwise) {
  const char* asked = std::getenv("QM_BENCH_ROUNDS");
  const int n = asked ? std::atoi(asked) : 0;
  return n > 0 ? n : otherwise;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace bench
