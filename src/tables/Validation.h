// Data validation: compares the PLU table and the message table with the limits of a scale model
// before data goes to a scale. It never changes the tables. Findings are reported one at a time;
// a non-silent run shows each in a box and points the window at the offending field, and the
// operator goes on (OK) or stops the whole run (Cancel, the default button).
//
// Every cell is read as it stands (not normalised first); a cell that cannot be parsed is a
// finding, never an exception. Finding texts are Windows-1251.
//
// Window thread only. A run keeps no state after it returns.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "base/ScaleParams.h"
#include "tables/TextGrid.h"

namespace qm {

class Dialogs;
class MessageTable;

enum class FindingKind { Error, Warning };

// The column of a finding about the size of the PLU table rather than one of its cells.
inline constexpr int kSizeFinding = -1;

struct Finding {
  std::string text;  // Windows-1251
  FindingKind kind = FindingKind::Error;
  int column = kSizeFinding;  // PLU column 0..8, or kSizeFinding
};

// What a non-silent run asks of the main window. The window layer implements it.
class ValidationView {
 public:
  virtual ~ValidationView() = default;
  // The page control shows the "Товар" tab.
  virtual void ShowPluPage() = 0;
  // Makes `row` the PLU grid's current row (the row editor loads it) and selects `column` in
  // the grid.
  virtual void SelectPluCell(int column, int row) = 0;
  // Focuses the row editor's field of a column 0..8 (0 is PNMemo); other columns do nothing.
  virtual void FocusPluField(int column) = 0;
  // The page control shows the "Сообщение" tab.
  virtual void ShowMessagePage() = 0;
  // Makes the message with this number current and loads it into the editor and the preview;
  // false, changing nothing, when there is no such message.
  virtual bool SelectMessage(int number) = 0;
  // Focuses the message editor's text area.
  virtual void FocusMessageText() = 0;
};

// The checks of PLU rows within one run: the limits, the number of messages in the message
// table, today's date, the duplicate markers (one per PLU number 1..MaxPluNo, clear at the
// start) and the pending size check.
class PluRowChecker {
 public:
  PluRowChecker(const TScaleParams& limits, int messageCount, Date today);

  // A whole-table run: the size (`dataRowCount` data rows) is examined once, before the columns
  // of the next row checked.
  void ArmSizeCheck(int dataRowCount);

  // CheckPluRow: examines columns `fromColumn`..8 of `row` (columns 9..13 are never examined)
  // and returns the first finding, or nothing when the rest of the row passes. A pending size
  // check comes first and leaves the row's columns unexamined; within a column the first
  // failing condition is the finding and the column is examined no further.
  std::optional<Finding> CheckPluRow(const Cells& row, int fromColumn);

 private:
  std::optional<Finding> CheckColumn(const Cells& row, int column);

  TScaleParams limits_;
  int messageCount_;
  Date today_;
  std::vector<bool> marked_;  // index: PLU number
  std::optional<int> pendingSize_;
  // The limits as the finding texts write them.
  std::string maxPriceText_, maxTareText_, tareDivisionText_;
  std::optional<long long> divisionThousandths_;  // nothing: no multiple test
};

// A finding about the messages: the size of the table (number 0) or message `number`.
struct MessageFinding {
  std::string text;  // Windows-1251; always an error
  int number = 0;
};

// The checks of the message table within one run.
class MessageChecker {
 public:
  MessageChecker(const TScaleParams& limits, const MessageTable& table);

  // A whole-table run: the number of messages is examined once, before the first message.
  void ArmSizeCheck() { sizePending_ = true; }

  // CheckMessages: examines the messages from the next one on, in number order 1..N (or only
  // message `only` when given), and returns the first finding; nothing when all are done.
  // Each message is examined once: the next call resumes with the message after it.
  std::optional<MessageFinding> CheckMessages(std::optional<int> only = std::nullopt);

 private:
  std::optional<std::string> CheckOne(int number) const;

  TScaleParams limits_;
  const MessageTable& table_;
  bool sizePending_ = false;
  int next_ = 1;
};

struct ValidationOptions {
  bool checkPlu = false;
  bool checkMessages = false;
  bool silent = false;       // count only: no box, no focusing
  bool currentOnly = false;  // the current PLU row / current message only; no size checks
};

struct ValidationResult {
  bool completed = false;  // false only when the operator stopped the run with Cancel
  int errors = 0;
  int warnings = 0;
};

// ValidateData: the PLU rows (whole table or the grid's current row), then the messages (whole
// table, or the message whose number is in the message grid's current row). `limits` is the
// run's own copy of the model's limits; today's date is Today(). `dialogs` and `view` are used
// only when not silent and may then be null.
ValidationResult ValidateData(const ValidationOptions& options, const TextGrid& pluGrid,
                              const MessageTable& messages, const TScaleParams& limits,
                              Dialogs* dialogs, ValidationView* view);

}  // namespace qm
