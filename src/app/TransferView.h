// What the operator flows of the scale transfers need from the main window besides dialogs and
// status panels. The window layer implements it.
//
// A transfer holds LinkBusy from its first exchange to its end. While LinkBusy is set the window
// takes no table input (the grids, the row and message editors and their commands); the
// progress window stays usable. The transfers stop on their own when the table they fill was
// changed meanwhile, so a slip there costs a stopped transfer, not corrupted rows.
#pragma once

#include "tables/TotalsPage.h"

namespace qm {

// The pages of the main window.
enum MainPage : int {
  kPluPage = 0,      // "Товар"
  kMessagePage = 1,  // "Сообщение"
  kTotalsPage = 2,   // "Общий итог"
};

class TransferView {
 public:
  virtual ~TransferView() = default;

  // Brings `page` to the front and shows its current record, also when the page was already in
  // front: the PLU page reloads the row editor from the PLU grid's current row, the message
  // page shows the current message in the editor.
  virtual void ShowPage(int page) = 0;

  // Before a write: the keyboard focus goes to the PLU grid / the message list, so that pending
  // edits of the row editor / the message editor are settled (written or discarded by the
  // operator) before the rows are read.
  virtual void SettlePluEditor() = 0;
  virtual void SettleMessageEditor() = 0;

  // MessageDirty <- false: the message editor holds no unwritten keystrokes (a read replaced
  // the message it showed).
  virtual void ClearMessageDirty() = 0;

  // A table read replaced the rows: the grid's remembered title-click sort directions start
  // again (PluCommands::ResetSortToggles, MessageCommands::ResetSortToggles).
  virtual void ResetPluSortDirections() = 0;
  virtual void ResetMessageSortDirections() = 0;

  // The totals page changed (read or erased): show these texts and this title.
  virtual void ShowTotals(const TotalsPage& page) = 0;
};

}  // namespace qm
