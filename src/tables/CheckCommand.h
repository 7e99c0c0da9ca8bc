// The check command (TestDataClick): the toolbar button "Проверка правильности данных" and the
// three entries of the check menu run the whole-table validation with boxes and then sum it up.
// Window thread only.
#pragma once

namespace qm {

class Dialogs;
class MessageTable;
class StatusView;
class TextGrid;
class ValidationView;
struct RunState;

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

// Runs ValidateData (not silent, whole tables) over the tables the tag selects (an unknown tag
// checks both) with LinkBusy held and "Testing..." in status panel 0; when the run was not
// stopped with Cancel, shows "Ошибок: E,   Предупреждений: W." (caption "Результат проверки").
// Panel 0 then reads "Done." and LinkBusy is cleared, whatever way the command ends. When
// LinkBusy is already held (a transfer or another long operation is running) nothing happens.
void TestDataClick(int tag, CheckCommandContext& context);

}  // namespace qm
