// The interactive check: one box per finding, the window pointed at the finding's field, and the
// check command behind the toolbar button "Проверка правильности данных" and the three entries
// of the check menu. Window thread only.
#pragma once

#include "tables/Validation.h"

namespace qm {

class Dialogs;
class MessageTable;
class StatusView;
class TextGrid;
struct RunState;

// What the interactive check asks of the main window to show a finding's place. The window
// layer implements it.
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

// The run with boxes: for each finding in the order of FindingScan, the window is pointed at
// it (a PLU finding: the "Товар" page, the cell, the field -- the size of the table points at
// the first row's number; a message finding: the "Сообщение" page, the message when it has a
// number, the text area), then the finding's box asks (caption "Ошибка" or "Предупреждение",
// their icon, OK/Cancel with Cancel the default). OK goes on; Cancel stops the whole run and
// the result is not completed. `options.silent` is ignored.
ValidationResult CheckInteractively(const ValidationOptions& options, const TextGrid& pluGrid,
                                    const MessageTable& messages, const TScaleParams& limits,
                                    Dialogs& dialogs, ValidationView& view);

// The tag of the menu entry: which tables the command checks.
enum CheckTag : int {
  kCheckAll = 0,           // "Всех &данных" and the toolbar button
  kCheckPluOnly = 1,       // "Только &товаров"
  kCheckMessagesOnly = 2,  // "Только &сообщений"
};

// None of the references is owned.
struct CheckCommandContext {
  RunState& state;  // LinkBusy and CurrentScale (the run takes its own copy of the limits)
  StatusView& status;
  Dialogs& dialogs;
  ValidationView& view;
  const TextGrid& pluGrid;
  const MessageTable& messages;
};

// TestDataClick: the interactive check (whole tables) over the tables the tag selects (an
// unknown tag checks both) with LinkBusy held and "Testing..." in status panel 0; when the run
// was not stopped with Cancel, shows "Ошибок: E,   Предупреждений: W." (caption "Результат
// проверки"). Panel 0 then reads "Done." and LinkBusy is cleared, whatever way the command ends.
// When LinkBusy is already held (a transfer or another long operation is running) nothing
// happens.
void TestDataClick(int tag, CheckCommandContext& context);

}  // namespace qm
