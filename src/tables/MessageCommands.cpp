#include "tables/MessageCommands.h"

#include <algorithm>

#include "base/StatusView.h"
#include "tables/CommaText.h"
#include "tables/EditorFunctionKeys.h"
#include "tables/ModifiedFlags.h"

namespace qm {

MessageCommands::MessageCommands(MessageTable& table, TextGrid& pluGrid, ModifiedFlags& flags,
                                 StatusView* view, MessageEditorHooks& editor)
    : table_(table), pluGrid_(pluGrid), flags_(flags), view_(view), editor_(editor) {
  ResetBuffer();
}

std::string MessageCommands::EditorText() const {
  return ToCommaText(editor_.EditorLines());
}

void MessageCommands::BeginChange() {
  editor_.ClearMessageDirty();
  flags_.MarkModified(false, true);
}

void MessageCommands::Write() {
  BeginChange();
  TextGrid& grid = table_.Grid();
  table_.SetTextOf(table_.CurrentNumber(), EditorText());
  grid.SetCell(kMsgName, grid.CurrentRow(),
               MessageNameOrDefault(editor_.EditorName(), table_.Count()));
  ShowCount();
}

void MessageCommands::Add() {
  BeginChange();
  TextGrid& grid = table_.Grid();
  const int row = grid.AppendRow();
  const int number = table_.Count();
  table_.InsertTextOf(number, EditorText());
  const bool suppressed = table_.SuppressMsgSelect();
  table_.SetSuppressMsgSelect(true);
  grid.MoveToCell(kMsgName, row);
  table_.SetSuppressMsgSelect(suppressed);
  grid.SetCell(kMsgNo, row, std::to_string(number));
  grid.SetCell(kMsgName, row, MessageNameOrDefault(editor_.EditorName(), number));
  ShowCount();
}

int MessageCommands::InsertAtCurrent(std::string commaText, const std::string& name) {
  const int n = std::clamp(table_.CurrentNumber(), 1, table_.Count() + 1);
  const bool suppressed = table_.SuppressMsgSelect();
  table_.SetSuppressMsgSelect(true);
  if (table_.InsertMessage(n, std::move(commaText), name, pluGrid_))
    flags_.MarkModified(true, false);
  editor_.RefreshPluRow();
  table_.SetSuppressMsgSelect(suppressed);
  return n;
}

void MessageCommands::Ins() {
  BeginChange();
  // The default name carries the row count after the insertion.
  InsertAtCurrent(EditorText(), MessageNameOrDefault(editor_.EditorName(), table_.Count() + 1));
  ShowCount();
}

void MessageCommands::Clear() {
  editor_.ShowInEditor({}, std::string());
}

void MessageCommands::Del() {
  BeginChange();
  Copy();
  const int d = table_.NumberAt(table_.Grid().CurrentRow(), 0);
  if (table_.Count() == 1) {
    table_.RemoveCurrentMessage(d);  // leaves the fresh single message
    RefreshCurrent();
    return;
  }
  table_.RemoveCurrentMessage(d);
  RefreshCurrent();
  if (RenumberPluMessagesAfterDelete(pluGrid_, d)) {
    flags_.MarkModified(true, false);
    // The row editor may show a number that no longer means the same message; a later commit
    // of that stale number would point the item at the wrong text.
    editor_.RefreshPluRow();
  }
  ShowCount();
}

void MessageCommands::Copy() {
  const TextGrid& grid = table_.Grid();
  buffer_.name = grid.Cell(kMsgName, grid.CurrentRow());
  buffer_.text = table_.TextOf(table_.CurrentNumber());
}

void MessageCommands::Paste() {
  BeginChange();
  // The name and the editor go by the inserted message itself: the PLU refresh inside the
  // insertion may make another message current.
  const int n = InsertAtCurrent(buffer_.text, buffer_.name);
  editor_.ShowInEditor(table_.LinesOf(n), buffer_.name);
  ShowCount();
}

bool MessageCommands::FunctionKey(int keyCode) {
  return RunFunctionKey(*this, keyCode);
}

void MessageCommands::SelectCell(int row) {
  if (table_.SuppressMsgSelect()) return;
  const std::vector<std::string> lines = table_.LinesOf(table_.NumberAt(row, 1));
  const std::string& name = table_.Grid().Cell(kMsgName, row);
  if (editor_.PluTabShown()) {
    editor_.ShowInPreview(lines, name);
  } else {
    editor_.ShowInEditor(lines, name);
  }
}

bool MessageCommands::SelectMessage(int number) {
  if (!table_.SelectMessage(number)) return false;
  const std::vector<std::string> lines = table_.LinesOf(number);
  const TextGrid& grid = table_.Grid();
  const std::string& name = grid.Cell(kMsgName, grid.CurrentRow());
  editor_.ShowInPreview(lines, name);
  editor_.ShowInEditor(lines, name);
  return true;
}

void MessageCommands::NameCellEdited() {
  flags_.MarkModified(false, true);
}

void MessageCommands::ShowCount() {
  if (view_) view_->SetStatusText(kPanelMsgCount, std::to_string(table_.Count()) + " MSG");
}

void MessageCommands::ResetBuffer() {
  buffer_.name = DefaultMessageName(0);
  buffer_.text.clear();
}

void MessageCommands::NewTable() {
  table_.Reset();
  editor_.ShowInEditor({}, std::string());
  editor_.ShowPluRowMessage();
  ResetBuffer();
  flags_.ClearMessages();
  ShowCount();
}

void MessageCommands::ClickSort(int column, TSortOptions& options) {
  options.SortExactLetters = 0;
  if (column < 0 || column >= kMessageColumnCount) return;
  TakeRememberedDirection(toggles_[static_cast<std::size_t>(column)], options);
}

bool MessageCommands::TitleClick(int column, bool rightButton, SortHooks& hooks) {
  TSortOptions options = TitleClickOptions(rightButton);
  ClickSort(column, options);
  return ClickSortColumn(table_.Grid(), column, options, hooks);
}

int MessageCommands::SortToggle(int column) const {
  if (column < 0 || column >= kMessageColumnCount) return 0;
  return toggles_[static_cast<std::size_t>(column)];
}

}  // namespace qm
