#include "app/MatchFlow.h"

#include <string>

#include "base/Captions.h"
#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "session/TableOperations.h"
#include "tables/BusyScope.h"
#include "tables/PluColumns.h"
#include "tables/PluCommands.h"
#include "tables/TextGrid.h"

namespace qm {

void MatchButtonClick(MatchCommandContext& c) {
  if (c.state.LinkBusy) return;
  const int maxPluNo = c.state.CurrentScale.MaxPluNo;

  static const std::string kAskHead = Win1251("Строки с номером товара, большим ");
  static const std::string kAskTail = Win1251(" будут удалены, продолжить?");

  MessageBoxRequest ask;
  ask.text = kAskHead + std::to_string(maxPluNo) + kAskTail;
  ask.caption = kConfirmCaption;
  ask.icon = DialogIcon::Warning;
  ask.buttons = kButtonYes | kButtonNo;
  if (c.dialogs.ShowMessage(ask) != kButtonYes) return;

  BusyScope busy(c.state, c.status, "Processing...");
  const int row = c.pluGrid.CurrentRow();
  const int column = c.pluGrid.CurrentColumn();
  const MatchReport report = MatchPluTable(c.pluGrid, c.flags, maxPluNo);
  busy.ShowDone();
  // The cursor keeps its row index, or goes to the new last row; MoveToCell clamps.
  c.pluGrid.MoveToCell(column, row);
  c.editor.Refresh();
  c.status.SetStatusText(kPanelPluCount, report.countText);

  MessageBoxRequest done;
  done.text = report.message;
  done.caption = kDoneCaption;
  done.icon = DialogIcon::Information;
  done.buttons = kButtonOk;
  c.dialogs.ShowMessage(done);
  c.commands.SetSortToggle(kPluNo, 1);
}

}  // namespace qm
