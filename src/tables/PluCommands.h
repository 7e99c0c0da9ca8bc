// The row commands of the PLU table (the buttons under the row editor and F1..F7): Write, Add,
// Ins, Clear, Del, Copy, Paste, with the one-row copy buffer; and the header-click sort
// directions of the PLU grid.
//
// The commands work on the PLU grid (a TextGrid of the 14 PLU columns) and keep the exact order
// of their steps here. The row editor itself (its fields, the commit of its fields into a row,
// the reload of the editor and the message preview) belongs to the window and is reached through
// PluEditorHooks, so tests drive the commands with a fake editor.
//
// All of this runs on the window thread.
#pragma once

#include <array>

#include "tables/GridSort.h"
#include "tables/TextGrid.h"

namespace qm {

class ModifiedFlags;
class StatusView;

// What the commands need from the row editor.
class PluEditorHooks {
 public:
  virtual ~PluEditorHooks() = default;
  // The commit (PLUWriteClick): clears PluDirty, marks the PLU table modified, stores the
  // editor's fields into the grid's current row and normalises it, force-refreshes the row,
  // shows the row count on the panel and honours AdvanceOnWrite.
  virtual void Commit() = 0;
  // The forced refresh of the current row: the editor and the message preview reload from it.
  virtual void Refresh() = 0;
  // While set, a change of the grid's current row does not reload the editor.
  virtual bool SuppressRowLoad() const = 0;
  virtual void SetSuppressRowLoad(bool suppress) = 0;
  // PluDirty <- false: the editor holds no unwritten keystrokes.
  virtual void ClearPluDirty() = 0;
};

// The number of sort directions remembered (columns "Товар №" .. "Сообщение №").
inline constexpr int kPluRememberedSortColumns = 9;

class PluCommands {
 public:
  // None of the references is owned; all must outlive this object. `view` may be null.
  PluCommands(TextGrid& grid, ModifiedFlags& flags, StatusView* view, PluEditorHooks& editor);

  // F1: the editor's commit into the current row.
  void Write();
  // F2: appends the editor's contents as a new last row, which becomes current. The row that
  // was current before is not changed.
  void Add();
  // F3: inserts the editor's contents as a new row in front of the current row; the new row is
  // current.
  void Ins();
  // F4: copies the current row into the buffer, then empties its 14 cells (the row stays).
  void Clear();
  // F5: copies the current row into the buffer, then removes it; the row that followed becomes
  // current (the new last row when the last was removed). The only row is emptied instead.
  void Del();
  // F6: the buffer <- the current row's 14 cells. Nothing else changes.
  void Copy();
  // F7: inserts the buffer as a new row in front of the current row (the buffer keeps it). With
  // an empty buffer no row changes, but the table is still marked modified.
  void Paste();

  // PLUKeyDown: key codes 112..118 (F1..F7) run Write, Add, Ins, Clear, Del, Copy, Paste.
  // Returns whether the key was one of them.
  bool FunctionKey(int keyCode);

  // PluBuffer: empty at start; emptied when a PLU table is created or loaded.
  const Cells& Buffer() const { return buffer_; }
  void ClearBuffer() { buffer_.clear(); }

  // Status panel 5 <- the number of data rows followed by " PLU".
  void ShowCount();

  // PLUSortGridClickSort, the handler a title click calls before the grid sorts by `column`:
  // letters are compared without regard to case and the style stays as given (automatic).
  // Columns 0..8 take their direction from a remembered toggle (0 ascending, 1 descending),
  // which then flips, so clicks alternate starting with ascending. The other five columns keep
  // no state: they sort descending when the column is already in ascending order and ascending
  // otherwise, which alternates the same way without remembering anything.
  void ClickSort(int column, TSortOptions& options);
  // A whole title click: the options a click starts with, ClickSort, then the sort with events.
  bool TitleClick(int column, bool rightButton, SortHooks& hooks);

  int SortToggle(int column) const;
  // Matching sets the toggle of column 0 to 1; loading a PLU file resets all to 0.
  void SetSortToggle(int column, int value);
  void ResetSortToggles() { toggles_.fill(0); }

 private:
  void BeginCommand();
  int Current() const { return grid_.CurrentRow(); }

  TextGrid& grid_;
  ModifiedFlags& flags_;
  StatusView* view_;
  PluEditorHooks& editor_;
  Cells buffer_;
  std::array<int, kPluRememberedSortColumns> toggles_{};
};

}  // namespace qm
