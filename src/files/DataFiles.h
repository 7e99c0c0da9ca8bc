// The data file commands of the main window: Open with the three loaders, SaveData and every
// command that calls it (the Save button, the Save menu, the New commands, the totals read and
// the close), and the file state they share.
//
// State (one instance, owned by the main window, window thread only):
//   PluFileName, MessageFileName   the file each table was last loaded from or saved to; empty
//                                  at start and after a New command
//   PluFileIsCsv, MessageFileIsCsv whether that file is a CSV data file or a native one
// The three modified flags (ModifiedFlags, which keeps the Save button in step) and LinkBusy
// (RunState) are shared with the rest of the program.
//
// Two guarantees the loaders and SaveData keep beyond the bare file layouts:
//   - A load reads and parses the whole file first and replaces the table only when that
//     succeeded. An unreadable or malformed file costs nothing: tables, file names, flags and
//     copy buffers stay as they were, and the operator sees an error box.
//   - A save writes a temporary file beside the target and renames it over the target, so a
//     failed save leaves the previous file intact. The failure is shown as an error box, the
//     part's modified flag stays set and the rest of that save call is not carried out. The
//     commands that would discard the tables after saving (Open, New, the close) then stop, so
//     the unsaved data is still there.
// Errors of reading and writing are shown with the caption "Ошибка", the error icon and the
// system's message; nothing is thrown out of these commands.
//
// LinkBusy is held while a file is loaded or saved and afterwards given back the value it had,
// so a save that runs inside another operation (the totals read) does not end that operation's
// hold. Open and the New commands do nothing while LinkBusy is set: they would replace a table
// that a transfer is filling.
#pragma once

#include <functional>
#include <string>

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
struct RunState;

// What the commands need from the main window besides the tables.
class DataFileHooks {
 public:
  virtual ~DataFileHooks() = default;
  // Bring the "Товар" page / the "Сообщение" page to the front.
  virtual void ShowPluPage() = 0;
  virtual void ShowMessagePage() = 0;
  // The row editor reloads from the PLU grid's current row.
  virtual void ShowCurrentPluRow() = 0;
  // The totals page as it stands, for the report.
  virtual TotalsPage TotalsShown() const = 0;
};

// The parts of the main window the commands work on. None is owned; all must outlive the
// DataFiles object. `pump` may be null (no event handling during long tables).
struct DataFileContext {
  TextGrid& plu;
  MessageTable& messages;
  PluCommands& pluCommands;
  MessageCommands& messageCommands;
  ModifiedFlags& flags;
  RunState& state;
  StatusView& view;
  Dialogs& dialogs;
  EventPump* pump;
  DataFileHooks& hooks;
};

// Tags of the Save menu entries.
enum SaveMenuTag : int { kSaveAll = 0, kSavePlu = 1, kSaveMessages = 2, kSaveTotals = 3 };

class DataFiles {
 public:
  explicit DataFiles(DataFileContext context);

  const std::string& PluFileName() const { return pluFileName_; }
  const std::string& MessageFileName() const { return messageFileName_; }
  bool PluFileIsCsv() const { return pluFileIsCsv_; }
  bool MessageFileIsCsv() const { return messageFileIsCsv_; }

  // ---- Loading ----

  // A CSV data file into the table its first line names: 1 PLU table loaded, 2 message table
  // loaded, 0 nothing loaded (the file was unreadable or not a data file; an error box told the
  // operator). A load empties the table's copy buffer, resets its grid's sort toggles and
  // remembers that the table's file is a CSV file; the Open command does the rest.
  int LoadCsvFile(const std::string& path);
  // A native PLU file (".plw") / native message file (".msw"); false when nothing was loaded
  // (an error box told the operator).
  bool LoadPluFile(const std::string& path);
  bool LoadMessageFile(const std::string& path);

  // ---- Commands ----

  // Open: offers to save what has changed, asks for a file with the open dialog and loads it by
  // the filter chosen (not by the file's extension): data file, PLU file or message file.
  void OpenClick();

  // SaveData, the one routine behind every save. The three flags select the parts (totals
  // report, message table, PLU table); each part's flag is cleared once that part was written.
  //   alwaysAsk  show the save dialog even for a table with a remembered file
  //   askFirst   ask "Сохранить введенные данные?" before anything
  // Returns false when writing a file failed (the operator was told), true otherwise, also when
  // the operator declined or cancelled.
  bool SaveData(bool alwaysAsk, bool askFirst, bool& totals, bool& messages, bool& plu);

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
  // SaveData on the real modified flags (those selected), bringing them into line afterwards.
  bool SaveModified(bool alwaysAsk, bool askFirst, bool totals, bool messages, bool plu);
  // Writes one part with "Saving..." / "Done." and LinkBusy held.
  bool WritePart(const std::string& path, const std::function<std::string()>& produce);
  bool ReadFile(const std::string& path, std::string& bytes);
  void ShowError(const std::string& text);
  void ShowFormatError();
  bool ConfirmPlwWithoutLogo();
  void ShowActivity(const char* text, bool repaintNow = false);
  void ShowPluCount();
  void ShowMessageCount();

  DataFileContext c_;
  std::string pluFileName_;
  std::string messageFileName_;
  bool pluFileIsCsv_ = false;
  bool messageFileIsCsv_ = false;
  std::function<ReportMoment()> clock_;
};

}  // namespace qm
