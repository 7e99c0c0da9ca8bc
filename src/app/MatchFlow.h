// The match command ("Согласовать номера товаров и PLU"): the question, the matching itself
// (MatchPluTable, which reports what it did) and what the window shows afterwards. Window thread
// only.
#pragma once

namespace qm {

class Dialogs;
class ModifiedFlags;
class PluCommands;
class PluEditorHooks;
class StatusView;
class TextGrid;
struct RunState;

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
