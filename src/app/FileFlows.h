// The data file commands of the main window: Open with the three kinds of file, SaveData and
// every command that calls it (the Save button, the Save menu, the New commands, the totals
// read and the close). They talk to the operator (questions, file dialogs, error boxes, status
// panels) and do the work through the session's file operations (session/FileOperations.h).
//
// The tables, their modified flags (which keep the Save button in step) and the file each table
// was last loaded from or saved to (FileState) are the session's; LinkBusy (RunState) is shared
// with the rest of the program. Window thread only.
//
// What the operations guarantee carries through: an unreadable or malformed file costs nothing
// (tables, file state, flags and copy buffers stay as they were, and the operator sees an error
// box), and a failed save leaves the previous file intact. A failed save is shown as an error
// box, the part's modified flag stays set and the rest of that save is not carried out; the
// commands that would discard the tables after saving (Open, New, the close) then stop, so the
// unsaved data is still there. Errors are shown with the caption "Ошибка", the error icon and
// the system's message; nothing is thrown out of these commands.
//
// LinkBusy is held while a file is loaded or saved and afterwards given back the value it had,
// so a save that runs inside another operation (the totals read) does not end that operation's
// hold. Open and the New commands do nothing while LinkBusy is set: they would replace a table
// that a transfer is filling.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "files/FileLayouts.h"

namespace qm {

class Dialogs;
class EventPump;
class MessageCommands;
class MessageTable;
class ModifiedFlags;
class PluCommands;
class StatusView;
class TextGrid;
struct FileState;
struct RunState;
struct SaveReport;

// What the commands need from the main window besides the tables.
class FileFlowHooks {
 public:
  virtual ~FileFlowHooks() = default;
  // Bring the "Товар" page / the "Сообщение" page to the front.
  virtual void ShowPluPage() = 0;
  virtual void ShowMessagePage() = 0;
  // The row editor reloads from the PLU grid's current row.
  virtual void ShowCurrentPluRow() = 0;
  // The totals page as it stands, for the report.
  virtual TotalsPage TotalsShown() const = 0;
};

// The parts of the main window the commands work on: the session's tables, flags and file
// state (SessionTables) and the commands of the two tables. None is owned; all must outlive the
// FileFlows object. `pump` may be null (no event handling during long tables).
struct FileFlowContext {
  TextGrid& plu;
  MessageTable& messages;
  ModifiedFlags& flags;
  FileState& files;
  PluCommands& pluCommands;
  MessageCommands& messageCommands;
  RunState& state;
  StatusView& view;
  Dialogs& dialogs;
  EventPump* pump;
  FileFlowHooks& hooks;
};

// A text of the program (Windows-1251, as cells and literals are) as a file name in the file
// system's own encoding, the one the file dialogs take and give (UTF-8 on the systems we build
// for). A name made from a text must pass through here, or the dialog shows it garbled and the
// file is saved under the garbled name.
std::string FileNameFromText(std::string_view cp1251);

// Tags of the Save menu entries.
enum SaveMenuTag : int { kSaveAll = 0, kSavePlu = 1, kSaveMessages = 2, kSaveTotals = 3 };

// What SaveData is asked to save, and how.
struct SaveRequest {
  bool totals = false;     // the totals report (always through the save dialog)
  bool messages = false;   // the message table
  bool plu = false;        // the PLU table
  bool alwaysAsk = false;  // the save dialog even for a table with a remembered file
  bool askFirst = false;   // "Сохранить введенные данные?" before anything
};

// What SaveData did. A part that was not written (not asked for, the dialog cancelled, the
// question declined, a failed write) is not saved.
struct SaveOutcome {
  bool failed = false;  // writing a file failed; the operator was told
  bool totalsSaved = false;
  bool messagesSaved = false;
  bool pluSaved = false;
};

class FileFlows {
 public:
  explicit FileFlows(FileFlowContext context);

  // Open: offers to save what has changed, asks for a file with the open dialog and loads it by
  // the filter chosen (not by the file's extension): data file, PLU file or message file. A
  // load empties the table's copy buffer and resets its grid's sort toggles. A data file in
  // UTF-8 with characters Windows-1251 cannot hold loads with '?' in their places, and a warning
  // box lists where.
  void OpenClick();

  // SaveData, the one routine behind every save, in the order PLU table, message table, totals
  // report. A table goes to its remembered file without a dialog unless `alwaysAsk`; a cancelled
  // dialog forgets the table's file. Choosing the native PLU format asks whether to go on
  // without logo and sales; declining ends the whole call. The modified flags are left to the
  // caller.
  SaveOutcome SaveData(const SaveRequest& request);

  // The Save tool button: every modified part, to its remembered file where there is one.
  void SaveClick();
  // The Save menu (SaveMenuTag): all, the PLU table, the message table or the totals report,
  // always through the save dialog, whether modified or not.
  void SaveMenuClick(int tag);
  // New data set / New PLU table / New message table: offer to save what the command would
  // discard, then start the new tables. Nothing while LinkBusy is set.
  void NewClick();
  void NewPluClick();
  void NewMsgClick();
  // Before new totals are read: offers to save the totals shown, always through the dialog.
  // Returns false when writing failed.
  bool SaveBeforeTotalsRead();
  // The close of the main window: offers to save everything unsaved. Returns false when
  // writing failed; the window should then stay open so the data is not lost.
  bool SaveOnClose();

  // A fresh PLU table (one row, PluNo "1", MessageNo "0") without a remembered file; the copy
  // buffer is emptied and the PLU table counts as saved.
  void NewPluTable();
  // A fresh message table (one message "1" / "Список 1" with an empty text) without a
  // remembered file; the editor is emptied, the copy buffer reset, the table counts as saved.
  void NewMessageTable();

  // The moment written into the totals report; the local clock unless a test sets one.
  void SetClockForTesting(std::function<ReportMoment()> clock) { clock_ = std::move(clock); }

 private:
  // SaveData over the selected parts that are modified, asking first when `askFirst`; the flags
  // of the parts written are cleared. False when writing failed.
  bool SaveModified(bool alwaysAsk, bool askFirst, bool totals, bool messages, bool plu);
  // Writes one part with "Saving..." / "Done." and LinkBusy held; false (after the error box)
  // when it failed. Bytes written as blanks are shown in a warning (`kind` names the columns).
  bool WritePart(DataFileKind kind, const std::function<SaveReport()>& save);
  void ShowError(const std::string& text);
  bool ConfirmPlwWithoutLogo();
  void ShowActivity(const char* text, bool repaintNow = false);
  void ShowPluCount();
  void ShowMessageCount();

  FileFlowContext c_;
  std::function<ReportMoment()> clock_;
};

}  // namespace qm
