#include "tables/CheckCommand.h"

#include <string>

#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "tables/BusyScope.h"
#include "tables/MessageTable.h"
#include "tables/Validation.h"

namespace qm {

void TestDataClick(int tag, CheckCommandContext& c) {
  if (c.state.LinkBusy) return;
  ValidationOptions options;
  options.checkPlu = tag != kCheckMessagesOnly;
  options.checkMessages = tag != kCheckPluOnly;

  BusyScope busy(c.state, c.status, "Testing...");
  const TScaleParams limits = c.state.CurrentScale;
  const ValidationResult result =
      ValidateData(options, c.pluGrid, c.messages, limits, &c.dialogs, &c.view);
  if (!result.completed) return;

  static const std::string kErrors = Win1251("Ошибок: ");
  static const std::string kWarnings = Win1251(",   Предупреждений: ");
  static const std::string kCaption = Win1251("Результат проверки");
  MessageBoxRequest box;
  box.text =
      kErrors + std::to_string(result.errors) + kWarnings + std::to_string(result.warnings) + ".";
  box.caption = kCaption;
  box.icon = DialogIcon::Information;
  box.buttons = kButtonOk;
  c.dialogs.ShowMessage(box);
}

}  // namespace qm
