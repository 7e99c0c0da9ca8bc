// Data validation: compares the PLU table and the message table with the limits of a scale model
// before data goes to a scale. It never changes the tables. A check yields its findings one at a
// time, each with its place (the PLU row and column, or the message number) and the exact text
// the operator is shown; the window's interactive check and qmctl are built on the same scan.
//
// Every cell is read as it stands (not normalised first); a cell that cannot be parsed is a
// finding, never an exception. Finding texts are Windows-1251.
//
// One thread at a time; the tables must outlive a scan and must not be restructured during it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "base/ScaleParams.h"
#include "tables/TextGrid.h"

namespace qm {

class MessageTable;

enum class FindingKind { Error, Warning };

// The column of a finding about the size of the PLU table rather than one of its cells.
inline constexpr int kSizeFinding = -1;

struct Finding {
  std::string text;  // Windows-1251
  FindingKind kind = FindingKind::Error;
  int column = kSizeFinding;  // PLU column 0..8, or kSizeFinding
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
  bool silent = false;       // kept for the callers that count only; every run here is silent
  bool currentOnly = false;  // the current PLU row / current message only; no size checks
};

enum class FindingTable { Plu, Messages };

// One finding of a check, with its place as the window points at it.
struct DataFinding {
  FindingTable table = FindingTable::Plu;
  // PLU: the grid row (for the size of the table, the first row the run checks). Messages: the
  // message number, 0 for the size of the table.
  int row = 0;
  // PLU: the column 0..8, or kSizeFinding for the size of the table. Messages: kSizeFinding.
  int column = kSizeFinding;
  FindingKind kind = FindingKind::Error;
  std::string text;  // Windows-1251, as the finding's box shows it
};

// ValidateData as a scan: the PLU rows (whole table or the grid's current row), then the
// messages (whole table, or the message whose number is in the message grid's current row).
// Each Next() examines the tables as far as the next finding and returns it; nothing once the
// run is through. A cell is read when the scan reaches it, and the current message is taken when
// the message part begins, so a caller that acts on a finding (for example the operator writing
// the editor's row back) is seen by the rest of the run. `limits` is copied; today's date is
// Today() at construction.
class FindingScan {
 public:
  FindingScan(const ValidationOptions& options, const TextGrid& pluGrid,
              const MessageTable& messages, const TScaleParams& limits);
  std::optional<DataFinding> Next();

 private:
  std::optional<DataFinding> NextPlu();
  std::optional<DataFinding> NextMessage();

  ValidationOptions options_;
  const TextGrid& plu_;
  const MessageTable& messages_;
  TScaleParams limits_;
  std::optional<PluRowChecker> pluChecker_;
  std::optional<MessageChecker> messageChecker_;
  std::optional<int> onlyMessage_;
  int first_ = 1, last_ = 0, row_ = 1, column_ = 0;
  bool pluDone_ = false;
};

struct ValidationResult {
  bool completed = false;  // false only when the operator stopped an interactive run
  int errors = 0;
  int warnings = 0;
};

// Every finding of a whole run, in the order the run meets them, and their counts.
struct FindingList {
  std::vector<DataFinding> findings;
  int errors = 0;
  int warnings = 0;
};
FindingList FindAll(const ValidationOptions& options, const TextGrid& pluGrid,
                    const MessageTable& messages, const TScaleParams& limits);

// The counts alone (completed is always true): the check a write runs before it starts.
ValidationResult ValidateData(const ValidationOptions& options, const TextGrid& pluGrid,
                              const MessageTable& messages, const TScaleParams& limits);
// The same, in the form the write commands call it (no window to point at anything).
inline ValidationResult ValidateData(const ValidationOptions& options, const TextGrid& pluGrid,
                                     const MessageTable& messages, const TScaleParams& limits,
                                     std::nullptr_t, std::nullptr_t) {
  return ValidateData(options, pluGrid, messages, limits);
}

}  // namespace qm
