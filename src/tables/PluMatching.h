// PLU number matching: rewrites the PLU table so that data row k holds PLU number k for every k
// from 1 to the highest number kept. One thread at a time.
#pragma once

namespace qm {

class TextGrid;

// MatchPluNumbers: reads each data row's `PluNo` in display order (text that is not an integer
// counts as -1); a row numbered p in 1..maxPluNo becomes the candidate for position p, replacing
// an earlier candidate (the last row with a number wins). The table then holds exactly H rows,
// H the highest number placed: row k is the candidate for k, or an empty row, with `PluNo` "k",
// normalised (NormalizePluRow, neither minor units nor numeric sales). Rows not placed are
// dropped; when nothing was placed the table holds one all-empty row. The rows are replaced in
// one step (one reset notice to the grid's observers), which moves the cursor to row 1. Linear
// in the number of rows before and after. Returns the new number of data rows.
int MatchPluNumbers(TextGrid& grid, int maxPluNo);

}  // namespace qm
