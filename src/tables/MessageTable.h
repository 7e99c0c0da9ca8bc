// The message table: the list grid (number and name of each message) and the message texts.
//
// The grid has two columns, 0 `MsgNo` ("№", the number as decimal text; the fixed column, never
// current) and 1 `MsgName` ("Название"), with data rows 1..N. It may be sorted by either column,
// so row position and number differ after sorting: a message is found by its number, never by
// its row. `MessageTexts` entry k (from 0) is the text of message number k + 1, held as comma
// text (CommaText.h). Cells and texts are Windows-1251.
//
// The commands keep N >= 1, numbers exactly 1..N and N texts. Loaders may store what a file
// holds; every routine here stays safe when a file broke those rules (a number cell that is not
// a number, a number without a text): it never reads or writes outside the lists.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/TextGrid.h"

namespace qm {

enum MessageColumn : int { kMsgNo = 0, kMsgName = 1 };
inline constexpr int kMessageColumnCount = 2;

// The highest message number any scale model holds (the 4000-PLU version's MaxMessages). A file
// that numbers a message above it is refused, so no table is ever sized by a number from a file.
inline constexpr int kMaxMessageNumber = 1000;

// "Список " followed by `number`, Windows-1251.
std::string DefaultMessageName(int number);

// The name trimmed of blanks and control characters at both ends; when nothing is left,
// "Список " followed by `dataRowCount` (the grid's current number of data rows).
std::string MessageNameOrDefault(std::string_view name, int dataRowCount);

// PLU `MessageNo` renumbering (column 8 of `pluGrid`), so that items keep pointing at the same
// texts. Both return whether any PLU cell changed.
// After inserting message n: every `MessageNo` (integer, 0 if not a number) >= n gets one more.
bool RenumberPluMessagesAfterInsert(TextGrid& pluGrid, int n);
// After deleting message d: every `MessageNo` (integer, 1 if not a number) above d gets one
// less, and one equal to d becomes "0" (the item no longer prints a message).
bool RenumberPluMessagesAfterDelete(TextGrid& pluGrid, int d);

class MessageTable {
 public:
  // A fresh table (see Reset).
  MessageTable();

  TextGrid& Grid() { return grid_; }
  const TextGrid& Grid() const { return grid_; }
  // MessageTexts, for loaders and transfers: entry k is the comma text of message k + 1.
  std::vector<std::string>& Texts() { return texts_; }
  const std::vector<std::string>& Texts() const { return texts_; }

  // N, the number of data rows.
  int Count() const { return grid_.DataRowCount(); }

  // The fresh table: one message, number "1", name "Список 1", empty text; row 1 current.
  void Reset();

  // The number in a row's `MsgNo` cell read as an integer, `fallback` if it is not one.
  int NumberAt(int row, int fallback) const;
  // The number of the current row (1 if its cell is not a number).
  int CurrentNumber() const { return NumberAt(grid_.CurrentRow(), 1); }

  // The comma text of message `number`; empty when there is no such entry.
  const std::string& TextOf(int number) const;
  // Stores the text of message `number` (>= 1), adding empty entries when the list is shorter.
  // A number below 1 names no entry and stores nothing.
  void SetTextOf(int number, std::string commaText);
  // Inserts a text so that it becomes the text of message `number` (>= 1), the later entries
  // moving up by one; empty entries are added first when the list is shorter than number - 1.
  void InsertTextOf(int number, std::string commaText);
  // The lines of message `number`.
  std::vector<std::string> LinesOf(int number) const;

  // The first row from the top whose number is `number`; none when `number` is below 1 or
  // above N, or when no row carries it.
  std::optional<int> FindRow(int number) const;

  // While set, a change of the grid's current row does not load the editor or the preview.
  bool SuppressMsgSelect() const { return suppressSelect_; }
  void SetSuppressMsgSelect(bool suppress) { suppressSelect_ = suppress; }

  // The core of SelectMessage: fails (changing nothing) when FindRow finds no row; otherwise
  // makes that row current with SuppressMsgSelect set (restored afterwards) and succeeds. The
  // caller then shows the message (LinesOf, the row's name).
  bool SelectMessage(int number);

  // InsertMessage: inserts a message that takes number `n` (brought into 1..N+1) with
  // `commaText`, the messages from n on moving up by one: the text goes to position n - 1, every
  // grid number >= n gets one more, an empty grid row is inserted at row position n (whatever
  // the sort order) and becomes current with number n and, when `name` is given, that name;
  // then every PLU `MessageNo` >= n gets one more. Returns whether a PLU row changed.
  // SuppressMsgSelect is not touched (the commands set it around this).
  bool InsertMessage(int n, std::string commaText, const std::optional<std::string>& name,
                     TextGrid& pluGrid);

  // The grid part of deleting the current message with number `d`: removes text entry d - 1
  // (entry 0 when d is below 1), removes the current row (the one below becomes current) and
  // lowers every grid number above d by one. With one data row the table becomes fresh instead.
  void RemoveCurrentMessage(int d);

 private:
  // Moves the cursor to `row`, always in the name column (the number column is never current).
  void MoveToRow(int row);

  TextGrid grid_;
  std::vector<std::string> texts_;
  bool suppressSelect_ = false;
};

}  // namespace qm
