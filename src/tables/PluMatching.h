// PLU number matching: rewrites the PLU table so that data row k holds PLU number k for every k
// from 1 to the highest number kept, and the command that runs it ("Согласовать номера товаров
// и PLU"). Window thread only.
#pragma once

namespace qm {

class Dialogs;
class ModifiedFlags;
class PluCommands;
class PluEditorHooks;
class StatusView;
class TextGrid;
struct RunState;

// MatchPluNumbers: reads each data row's `PluNo` in display order (text that is not an integer
// counts as -1); a row numbered p in 1..maxPluNo becomes the candidate for position p, replacing
// an earlier candidate (the last row with a number wins). The table then holds exactly H rows,
// H the highest number placed: row k is the candidate for k, or an empty row, with `PluNo` "k",
// normalised (NormalizePluRow, neither minor units nor numeric sales). Rows not placed are
// dropped; when nothing was placed the table holds one all-empty row. The rows are replaced in
// one step (one reset notice to the grid's observers), which moves the cursor to row 1. Linear
// in the number of rows before and after. Returns the new number of data rows.
int MatchPluNumbers(TextGrid& grid, int maxPluNo);

// None of the references is owned.
struct MatchCommandContext {
  RunState& state;  // LinkBusy, CurrentScale.MaxPluNo
  StatusView& status;
  Dialogs& dialogs;
  ModifiedFlags& flags;
  TextGrid& pluGrid;
  PluCommands& commands;   // the PLU grid's title-click sort toggles
  PluEditorHooks& editor;  // the forced refresh of the row editor
};

// MatchButtonClick: asks "Строки с номером товара, большим M будут удалены, продолжить?"
// (Yes/No); on Yes, with LinkBusy held, marks the PLU table modified, matches, keeps the
// cursor's row index (or the new last row), refreshes the row editor, shows the row count in
// panel 5 and "Номера товаров и PLU приведены в соответствие.", and sets the sort toggle of
// column 0 to 1 (the table is now ascending, so the next title click sorts descending). Does
// nothing while LinkBusy is already held.
void MatchButtonClick(MatchCommandContext& context);

}  // namespace qm
