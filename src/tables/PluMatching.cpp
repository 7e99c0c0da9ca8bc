#include "tables/PluMatching.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"
#include "tables/TextGrid.h"

namespace qm {

PluMatchOutcome MatchPluRows(TextGrid& grid, int maxPluNo) {
  PluMatchOutcome outcome;
  const int n = grid.DataRowCount();
  outcome.rowsBefore = n;
  // First pass: the position each row asks for (0: not placed) and the highest one, H. The
  // candidate list is then sized by H, so the work stays linear in the rows before and after.
  std::vector<int> position(static_cast<std::size_t>(n) + 1, 0);
  int highest = 0;
  for (int r = 1; r <= n; ++r) {
    const auto p = ParseInt(grid.Cell(kPluNo, r));
    if (!p || *p < 1) {
      outcome.notNumbered.push_back(r);
    } else if (*p > maxPluNo) {
      outcome.aboveLimit.push_back(r);
    } else {
      position[static_cast<std::size_t>(r)] = *p;
      highest = std::max(highest, *p);
    }
  }
  std::vector<int> candidate(static_cast<std::size_t>(highest) + 1, 0);  // position -> row
  for (int r = 1; r <= n; ++r) {
    if (const int p = position[static_cast<std::size_t>(r)]) {
      int& held = candidate[static_cast<std::size_t>(p)];
      if (held) outcome.duplicates.push_back(held);
      held = r;
    }
  }
  // Replaced candidates were found in the order of their successors; report them by row.
  std::sort(outcome.duplicates.begin(), outcome.duplicates.end());

  std::vector<Cells> rows;
  rows.reserve(static_cast<std::size_t>(std::max(highest, 1)));
  for (int k = 1; k <= highest; ++k) {
    const int from = candidate[static_cast<std::size_t>(k)];
    if (from) {
      ++outcome.kept;
      if (from != k) ++outcome.moved;
    } else {
      ++outcome.gapsFilled;
    }
    Cells row = from ? grid.Row(from) : Cells(kPluColumnCount);
    row.resize(kPluColumnCount);
    row[kPluNo] = std::to_string(k);
    NormalizePluRow(row, false, false);
    rows.push_back(std::move(row));
  }
  if (rows.empty()) rows.emplace_back(kPluColumnCount);  // never fewer than one data row
  grid.ReplaceDataRows(std::move(rows));
  outcome.rowsAfter = grid.DataRowCount();
  return outcome;
}

int MatchPluNumbers(TextGrid& grid, int maxPluNo) {
  return MatchPluRows(grid, maxPluNo).rowsAfter;
}

}  // namespace qm
