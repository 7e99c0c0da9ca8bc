// The tables in the main window: the PLU table and the message table with their grids, the
// PLU row editor, the message editor, their commands and copy buffers, the three modified
// flags (which keep the Save button in step), the check and match commands, and the focus rules
// between them. The main window owns one instance for the whole run (TMainForm::Tables()).
//
// Places in the window's client area (below the tool bar), at the design size:
//   page pane "Товар"/"Сообщение"/"Общий итог"  left 0,   top 0,   535 x 230 (the shell's)
//   MsgSortGrid                                  left 535, top 0,   97 x 230
//   PLUSortGrid                                  left 0,   top 230, full width, height 155
// The font-driven layout moves and sizes the two grids afterwards.
//
// Focus rules, run on every move of the keyboard focus inside the main window (moves to or from
// another window, such as a message box, are not the operator's and are ignored):
//   1. leaving the PLU row editor with unwritten changes asks "Данные были изменены, сохранить?";
//   2. leaving the message editor with unwritten changes asks "Сообщение было изменено,
//      сохранить?";
//   3. a move from the message grid straight to MIMemo carries the message number into it;
//   4. entering the "Товар" page from outside force-refreshes the current PLU row (skipped while
//      SuppressRowLoad is set) and clears SuppressRowLoad;
//   5. the PLU grid receiving the focus force-refreshes the current PLU row.
// A rule that moved the focus elsewhere (an answer put it back on the field) ends the round.
// A press on the window while no window of the program is active (a box has just closed)
// activates the window first, so that its focus move runs these rules (ActivateOnPress.h).
//
// Window thread only.
#pragma once

#include <QObject>
#include <array>
#include <memory>

#include "app/CheckFlow.h"
#include "session/SessionTables.h"
#include "tables/GridSort.h"
#include "tables/MessageCommands.h"
#include "tables/MessageTable.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluCommands.h"
#include "tables/TextGrid.h"
#include "ui/tables/EditorKeys.h"
#include "ui/window/MainPages.h"

namespace qm {

class ActivateOnPress;
class DropStalePress;
class Dialogs;
class MessageEditor;
class PluRowEditor;
class StatusView;
class TSortGrid;
struct RunState;

class TablesWindow : public QObject, public ValidationView {
  Q_OBJECT

 public:
  // Builds the grids on `client` (the window's central widget) and the editors on `pages` over
  // `tables` (the session's); the others are what the editors and commands work with. All must
  // outlive this object. The tables are prepared by the two steps below.
  TablesWindow(QWidget* client, const MainPages& pages, SessionTables& tables, RunState& state,
               StatusView& status, Dialogs& dialogs);
  ~TablesWindow() override;

  // Creation step: the fresh message table ("1", "Список 1", empty text), editor emptied.
  void PrepareMessageTable();
  // Creation step: the fresh PLU table (row 1: PluNo "1", MessageNo "0"), loaded into the row
  // editor with its message preview.
  void PreparePluTable();

  // The session's data: the tables, their modified flags and the files they came from.
  SessionTables& Data() { return tables_; }
  TextGrid& PluTable() { return tables_.plu; }
  MessageTable& Messages() { return tables_.messages; }
  ModifiedFlags& Flags() { return tables_.flags; }
  PluCommands& PluCmds() { return *pluCommands_; }
  MessageCommands& MsgCmds() { return *msgCommands_; }
  PluRowEditor& PluEditor() { return *pluEditor_; }
  MessageEditor& MsgEditor() { return *msgEditor_; }

  TSortGrid* PLUSortGrid = nullptr;
  TSortGrid* MsgSortGrid = nullptr;

  // ---- Handlers ----
  // The check command; `tag` selects the tables (0 both, 1 PLUs, 2 messages).
  void TestDataClick(int tag);
  // The check for characters the scale cannot print (its own menu entry).
  void UnprintableCheckClick();
  void MatchButtonClick();
  // The page control's change: page 0 force-refreshes the PLU row and clears
  // SuppressRowLoad, page 1 reloads the message editor from the current message row.
  void PageControlChange(int index);

  // ---- ValidationView ----
  void ShowPluPage() override;
  void SelectPluCell(int column, int row) override;
  void FocusPluField(int column) override;
  void ShowMessagePage() override;
  bool SelectMessage(int number) override;
  void FocusMessageText() override;

 private:
  class MessageRowFollower;
  void BuildGrids();
  void FocusChanged(QWidget* old, QWidget* now);

  QWidget* client_;
  MainPages pages_;
  RunState& state_;
  StatusView& status_;
  Dialogs& dialogs_;
  SessionTables& tables_;
  TextGrid& pluTable_ = tables_.plu;
  MessageTable& messages_ = tables_.messages;
  ModifiedFlags& flags_ = tables_.flags;
  FocusBounce bounce_;
  PluRowEditor* pluEditor_ = nullptr;   // QObject child of the "Товар" page
  MessageEditor* msgEditor_ = nullptr;  // QObject child of the "Сообщение" page
  std::unique_ptr<PluCommands> pluCommands_;
  std::unique_ptr<MessageCommands> msgCommands_;
  std::unique_ptr<MessageRowFollower> msgFollower_;
  std::unique_ptr<SortStatusHooks> pluSortHooks_;
  std::unique_ptr<SortStatusHooks> msgSortHooks_;
  std::unique_ptr<ActivateOnPress> activateOnPress_;
  std::unique_ptr<DropStalePress> dropStalePress_;  // a button's press that came after its release
};

}  // namespace qm
