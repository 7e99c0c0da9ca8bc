#include "app/MatchFlow.h"

#include <string>

#include "base/Captions.h"
#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "tables/BusyScope.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluColumns.h"
#include "tables/PluCommands.h"
#include "tables/PluMatching.h"
#include "tables/PluTable.h"
#include "tables/TextGrid.h"

namespace qm {

void MatchButtonClick(MatchCommandContext& c) {
  if (c.state.LinkBusy) return;
  const int maxPluNo = c.state.CurrentScale.MaxPluNo;

  static const std::string kAskHead = Win1251("Строки с номером товара, большим ");
  static const std::string kAskTail = Win1251(" будут удалены, продолжить?");
  static const std::string kDoneText = Win1251("Номера товаров и PLU приведены в соответствие.");

  MessageBoxRequest ask;
  ask.text = kAskHead + std::to_string(maxPluNo) + kAskTail;
  ask.caption = kConfirmCaption;
  ask.icon = DialogIcon::Warning;
  ask.buttons = kButtonYes | kButtonNo;
  if (c.dialogs.ShowMessage(ask) != kButtonYes) return;

  BusyScope busy(c.state, c.status, "Processing...");
  c.flags.MarkModified(true, false);
  const int row = c.pluGrid.CurrentRow();
  const int column = c.pluGrid.CurrentColumn();
  MatchPluNumbers(c.pluGrid, maxPluNo);
  busy.ShowDone();
  // The cursor keeps its row index, or goes to the new last row; MoveToCell clamps.
  c.pluGrid.MoveToCell(column, row);
  c.editor.Refresh();
  c.status.SetStatusText(kPanelPluCount, PluCountText(c.pluGrid));

  MessageBoxRequest done;
  done.text = kDoneText;
  done.caption = kDoneCaption;
  done.icon = DialogIcon::Information;
  done.buttons = kButtonOk;
  c.dialogs.ShowMessage(done);
  c.commands.SetSortToggle(kPluNo, 1);
}

}  // namespace qm
