#include "transfer/TransferSupport.h"

#include "base/Captions.h"
#include "base/RunState.h"
#include "tables/Validation.h"
#include "transfer/TransferTexts.h"

namespace qm {

bool ScaleReady(ScaleLink& link) {
  std::int32_t value = NoAnswer;
  return link.SelectScale(value) && value == NoAnswer;
}

void ShowErrorBox(Dialogs& dialogs, const std::string& text) {
  dialogs.ShowMessage({text, kErrorCaption, DialogIcon::Error, kButtonOk, kButtonOk});
}

void ShowDoneBox(Dialogs& dialogs, const std::string& text) {
  dialogs.ShowMessage({text, kDoneCaption, DialogIcon::Information, kButtonOk, kButtonOk});
}

void FinishTableRead(const TransferContext& c, bool wasConnected, bool single,
                     const ReadOutcome& outcome, int countPanel, const std::string& countText,
                     const std::string& doneText) {
  c.dialogs.HideProgress();
  c.status.SetStatusText(kPanelActivity, kDoneStatus);
  c.status.SetStatusText(countPanel, countText);
  if (!single && !outcome.cancelled && outcome.stored) ShowDoneBox(c.dialogs, doneText);
  c.link.EndExchange(wasConnected);
}

void FinishTableWrite(const TransferContext& c, bool wasConnected, bool success,
                      const std::string& doneText) {
  c.dialogs.HideProgress();
  c.status.SetStatusText(kPanelActivity, kDoneStatus);
  if (success) ShowDoneBox(c.dialogs, doneText);
  c.link.EndExchange(wasConnected);
}

bool AskYes(Dialogs& dialogs, const std::string& question, DialogButton defaultButton) {
  return dialogs.ShowMessage({question, kConfirmCaption, DialogIcon::Question,
                              kButtonYes | kButtonNo, defaultButton}) == kButtonYes;
}

bool AskGoOnDespiteFindings(Dialogs& dialogs, int errors, int warnings) {
  return dialogs.ShowMessage({CheckResultQuestion(errors, warnings), kCheckResultCaption,
                              DialogIcon::Error, kButtonYes | kButtonNo, kButtonNo}) == kButtonYes;
}

bool CheckedBeforeWrite(const TransferContext& c, bool checkPlu, bool single) {
  c.status.SetStatusText(kPanelActivity, kTestingStatus, true);
  ValidationOptions options;
  options.checkPlu = checkPlu;
  options.checkMessages = !checkPlu;
  options.silent = true;
  options.currentOnly = single;
  const ValidationResult check =
      ValidateData(options, c.plu, c.messages, c.state.CurrentScale, nullptr, nullptr);
  c.status.SetStatusText(kPanelActivity, kDoneStatus);
  return (check.errors == 0 && check.warnings == 0) ||
         AskGoOnDespiteFindings(c.dialogs, check.errors, check.warnings);
}

int AnswerByte(std::int32_t result) {
  return result == kAnswerZeroByte ? 0 : (result & 0xFF);
}

}  // namespace qm
