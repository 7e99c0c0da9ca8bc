// The commands of the message editor (the "Сообщение" tab, F1..F7): Write, Add, Ins, Clear, Del,
// Copy, Paste with the message copy buffer; the reaction to a change of the message grid's
// current row; the message grid's title-click directions; the message-count panel.
//
// Ins, Paste and Del renumber the `MessageNo` cells of the PLU table so that items keep
// pointing at the same texts. When that changes a PLU row, the PLU table is marked modified
// too, so that a later save does not write the old references next to the new messages.
//
// The editor's widgets (text area, name field, the PLU tab's preview) belong to the window and
// are reached through MessageEditorHooks. Window thread only.
//
// Wiring: the window observes the message grid and calls SelectCell on every CurrentCellChanged
// notice; the commands and SelectMessage set SuppressMsgSelect around the moves that must not
// reload the editor, and SelectCell honours it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tables/GridSort.h"
#include "tables/MessageTable.h"

namespace qm {

class ModifiedFlags;
class StatusView;

// MsgBufferType: the copy buffer of one message. Texts are Windows-1251; `text` is comma text.
struct MessageBuffer {
  std::string name;
  std::string text;
  friend bool operator==(const MessageBuffer&, const MessageBuffer&) = default;
};

// What the commands need from the window's message editor.
class MessageEditorHooks {
 public:
  virtual ~MessageEditorHooks() = default;
  // The lines of the text area `MsgRichEdit` and the text of the name field `MsgNameEdit`.
  virtual std::vector<std::string> EditorLines() const = 0;
  virtual std::string EditorName() const = 0;
  // Loads the text area with `lines` and the name field with `name`.
  virtual void ShowInEditor(const std::vector<std::string>& lines, const std::string& name) = 0;
  // Loads the PLU tab's preview with `lines` and its box caption with `name`; the preview's
  // background colour is left as it is.
  virtual void ShowInPreview(const std::vector<std::string>& lines, const std::string& name) = 0;
  // The page control shows the "Товар" tab.
  virtual bool PluTabShown() const = 0;
  // MessageDirty <- false.
  virtual void ClearMessageDirty() = 0;
  // The forced refresh of the PLU row editor's current row, so that the editor and the message
  // preview follow renumbered references. (It usually selects the row's message again.)
  virtual void RefreshPluRow() = 0;
  // The PLU tab's preview follows the current PLU row's message number again, after the message
  // table was replaced under it; the row editor's fields are left as they are.
  virtual void ShowPluRowMessage() {}
};

class MessageCommands {
 public:
  // None of the references is owned; all must outlive this object. `view` may be null.
  MessageCommands(MessageTable& table, TextGrid& pluGrid, ModifiedFlags& flags, StatusView* view,
                  MessageEditorHooks& editor);

  // F1: the editor's text becomes the text of the current message; its name becomes the
  // current row's name (MessageNameOrDefault).
  void Write();
  // F2: the editor's contents as a new last message, which becomes current.
  void Add();
  // F3: the editor's contents as a new message taking the current message's number; the
  // messages from that number on, and the PLU references to them, move up by one.
  void Ins();
  // F4: empties the editor's text and name only.
  void Clear();
  // F5: copies the current message into the buffer and deletes it; the later numbers and the
  // PLU references to them move down by one, references to the deleted one become "0". The only
  // message is emptied instead (to "1" / "Список 1", references untouched).
  void Del();
  // F6: the buffer <- the current row's name and its message's text.
  void Copy();
  // F7: inserts the buffer as a new message taking the current message's number (as Ins does),
  // named exactly as the buffer's name; the editor shows it. Nothing is checked: the buffer as
  // at start gives an empty message "Список 0".
  void Paste();

  // MsgKeyDown: key codes 112..118 (F1..F7) run Write, Add, Ins, Clear, Del, Copy, Paste.
  bool FunctionKey(int keyCode);

  // MsgSortGridSelectCell: the grid's current row became `row`. Nothing while
  // SuppressMsgSelect is set; otherwise the row's message is shown in the preview when the PLU
  // tab is shown, else in the editor.
  void SelectCell(int row);
  // The refresh of the current row (the same as SelectCell of the current row).
  void RefreshCurrent() { SelectCell(table_.Grid().CurrentRow()); }

  // SelectMessage: makes the message with this number current (see MessageTable::SelectMessage)
  // and shows its text in the preview and the editor and its name in the editor's name field.
  // Returns false, showing nothing, when there is no such message.
  bool SelectMessage(int number);

  // MsgSortGridSetEditText: a name cell was typed into in place.
  void NameCellEdited();

  // Status panel 6 <- N followed by " MSG".
  void ShowCount();

  // MessageBuffer: ("Список 0", empty) at start and after ResetBuffer.
  const MessageBuffer& Buffer() const { return buffer_; }
  void ResetBuffer();

  // The fresh message table of a New command: the table as at start, the editor emptied, the
  // buffer reset, the message table's modified flag cleared and panel 6 showing "1 MSG".
  void NewTable();

  // MsgSortGridClickSort: the direction comes from the column's toggle, which then flips;
  // letters are compared without regard to case. Column 0 ("№") starts at 1, because the table
  // starts in ascending number order, column 1 ("Название") at 0.
  void ClickSort(int column, TSortOptions& options);
  bool TitleClick(int column, bool rightButton, SortHooks& hooks);
  int SortToggle(int column) const;
  // Loading a message table sets the toggles back to 1 and 0.
  void ResetSortToggles() { toggles_ = {1, 0}; }

 private:
  std::string EditorText() const;
  void BeginChange();
  // Inserts a message at the current message's number with SuppressMsgSelect set; returns its
  // number.
  int InsertAtCurrent(std::string commaText, const std::string& name);

  MessageTable& table_;
  TextGrid& pluGrid_;
  ModifiedFlags& flags_;
  StatusView* view_;
  MessageEditorHooks& editor_;
  MessageBuffer buffer_;
  std::array<int, kMessageColumnCount> toggles_{1, 0};
};

}  // namespace qm
