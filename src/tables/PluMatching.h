// PLU number matching: rewrites the PLU table so that data row k holds PLU number k for every k
// from 1 to the highest number kept. One thread at a time.
#pragma once

#include <vector>

namespace qm {

class TextGrid;

// What one matching run did. Rows are named by their display row (1-based) before the run.
struct PluMatchOutcome {
  int rowsBefore = 0;  // data rows before
  int rowsAfter = 0;   // data rows after: the highest number kept, or 1 when none was
  int kept = 0;        // rows that now stand at their own number
  int moved = 0;       // of those, rows that stand at another row index than before
  int gapsFilled = 0;  // empty rows put in for numbers no row had
  // The rows dropped, in display order, by reason. A row numbered above the limit; a row whose
  // number is not an integer, or is 0 or negative; a row whose number a row lower in the grid
  // also has (the lower one is kept).
  std::vector<int> aboveLimit;
  std::vector<int> notNumbered;
  std::vector<int> duplicates;
};

// MatchPluRows: reads each data row's `PluNo` in display order (text that is not an integer
// counts as -1); a row numbered p in 1..maxPluNo becomes the candidate for position p, replacing
// an earlier candidate (the last row with a number wins). The table then holds exactly H rows,
// H the highest number placed: row k is the candidate for k, or an empty row, with `PluNo` "k",
// normalised (NormalizePluRow, neither minor units nor numeric sales). Rows not placed are
// dropped; when nothing was placed the table holds one all-empty row. The rows are replaced in
// one step (one reset notice to the grid's observers), which moves the cursor to row 1. Linear
// in the number of rows before and after.
PluMatchOutcome MatchPluRows(TextGrid& grid, int maxPluNo);

// The same, returning only the new number of data rows.
int MatchPluNumbers(TextGrid& grid, int maxPluNo);

}  // namespace qm
