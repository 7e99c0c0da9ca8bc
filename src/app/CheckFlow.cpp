#include "app/CheckFlow.h"

#include <string>

#include "base/Captions.h"
#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "tables/BusyScope.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

// Shows one finding; true when the operator chose to go on.
bool Report(Dialogs& dialogs, const DataFinding& finding) {
  MessageBoxRequest box;
  box.text = finding.text;
  const bool warning = finding.kind == FindingKind::Warning;
  box.caption = warning ? kWarningCaption : kErrorCaption;
  box.icon = warning ? DialogIcon::Warning : DialogIcon::Error;
  box.buttons = kButtonOk | kButtonCancel;
  box.defaultButton = kButtonCancel;
  return dialogs.ShowMessage(box) == kButtonOk;
}

void PointAt(ValidationView& view, const DataFinding& finding) {
  if (finding.table == FindingTable::Plu) {
    const bool onSize = finding.column == kSizeFinding;
    view.ShowPluPage();
    view.SelectPluCell(onSize ? 0 : finding.column, finding.row);
    view.FocusPluField(onSize ? kPluNo : finding.column);
    return;
  }
  view.ShowMessagePage();
  if (finding.row > 0) view.SelectMessage(finding.row);
  view.FocusMessageText();
}

}  // namespace

ValidationResult CheckInteractively(const ValidationOptions& options, const TextGrid& pluGrid,
                                    const MessageTable& messages, const TScaleParams& limits,
                                    Dialogs& dialogs, ValidationView& view) {
  ValidationResult result;
  FindingScan scan(options, pluGrid, messages, limits);
  while (auto finding = scan.Next()) {
    PointAt(view, *finding);
    ++(finding->kind == FindingKind::Warning ? result.warnings : result.errors);
    if (!Report(dialogs, *finding)) return result;
  }
  result.completed = true;
  return result;
}

void TestDataClick(int tag, CheckCommandContext& c) {
  if (c.state.LinkBusy) return;
  ValidationOptions options;
  options.checkPlu = tag != kCheckMessagesOnly;
  options.checkMessages = tag != kCheckPluOnly;

  BusyScope busy(c.state, c.status, "Testing...");
  const TScaleParams limits = c.state.CurrentScale;
  const ValidationResult result =
      CheckInteractively(options, c.pluGrid, c.messages, limits, c.dialogs, c.view);
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
