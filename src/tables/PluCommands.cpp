#include "tables/PluCommands.h"

#include <string>

#include "base/StatusView.h"
#include "tables/EditorFunctionKeys.h"
#include "tables/ModifiedFlags.h"

namespace qm {

PluCommands::PluCommands(TextGrid& grid, ModifiedFlags& flags, StatusView* view,
                         PluEditorHooks& editor)
    : grid_(grid), flags_(flags), view_(view), editor_(editor) {}

// Every command except Copy starts by dropping the editor's dirty mark and marking the table.
void PluCommands::BeginCommand() {
  editor_.ClearPluDirty();
  flags_.MarkModified(true, false);
}

void PluCommands::Write() {
  editor_.Commit();
}

void PluCommands::Add() {
  BeginCommand();
  const int row = grid_.AppendRow();
  // Moving to the new row must not reload the editor: its fields are what Add stores.
  editor_.SetSuppressRowLoad(true);
  grid_.MoveToCell(0, row);
  editor_.SetSuppressRowLoad(false);
  editor_.Commit();
}

void PluCommands::Ins() {
  BeginCommand();
  // The new row takes the current position, so the editor keeps its fields. The grid announces
  // the new row under the cursor; the editor must not reload from that empty row.
  const bool suppressed = editor_.SuppressRowLoad();
  editor_.SetSuppressRowLoad(true);
  grid_.InsertDataRow(Current());
  editor_.SetSuppressRowLoad(suppressed);
  editor_.Commit();
}

void PluCommands::Clear() {
  BeginCommand();
  Copy();
  grid_.ClearRow(Current());
  grid_.MoveToCell(0, Current());
  editor_.Refresh();
}

void PluCommands::Del() {
  BeginCommand();
  Copy();
  if (grid_.DataRowCount() == 1) {
    grid_.ClearRow(1);
  } else {
    grid_.RemoveDataRow(Current());
  }
  grid_.MoveToCell(0, Current());
  editor_.Refresh();
  ShowCount();
}

void PluCommands::Copy() {
  buffer_ = grid_.Row(Current());
}

void PluCommands::Paste() {
  BeginCommand();
  if (buffer_.empty()) return;
  grid_.InsertDataRow(Current());
  grid_.SetRow(Current(), buffer_);
  editor_.Refresh();
  ShowCount();
}

bool PluCommands::FunctionKey(int keyCode) {
  return RunFunctionKey(*this, keyCode);
}

void PluCommands::ShowCount() {
  if (view_) view_->SetStatusText(kPanelPluCount, std::to_string(grid_.DataRowCount()) + " PLU");
}

void PluCommands::ClickSort(int column, TSortOptions& options) {
  options.SortExactLetters = 0;
  if (column >= 0 && column < kPluRememberedSortColumns) {
    TakeRememberedDirection(toggles_[static_cast<std::size_t>(column)], options);
    return;
  }
  TSortOptions ascending = options;
  ascending.SortDirection = 0;
  if (ascending.SortStyle == kSortAuto)
    ascending.SortStyle = static_cast<std::uint8_t>(GuessSortStyle(grid_, column));
  const std::vector<int> order = SortedRowOrder(grid_, column, ascending);
  bool inOrder = true;
  for (std::size_t i = 0; i < order.size() && inOrder; ++i)
    inOrder = order[i] == static_cast<int>(i);
  options.SortDirection = inOrder ? 1 : 0;
}

bool PluCommands::TitleClick(int column, bool rightButton, SortHooks& hooks) {
  TSortOptions options = TitleClickOptions(rightButton);
  ClickSort(column, options);
  return ClickSortColumn(grid_, column, options, hooks);
}

int PluCommands::SortToggle(int column) const {
  if (column < 0 || column >= kPluRememberedSortColumns) return 0;
  return toggles_[static_cast<std::size_t>(column)];
}

void PluCommands::SetSortToggle(int column, int value) {
  if (column < 0 || column >= kPluRememberedSortColumns) return;
  toggles_[static_cast<std::size_t>(column)] = value != 0 ? 1 : 0;
}

}  // namespace qm
