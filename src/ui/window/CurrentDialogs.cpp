#include "ui/window/CurrentDialogs.h"

#include "ui/window/MainForm.h"

namespace qm {

DialogButton CurrentDialogs::ShowMessage(const MessageBoxRequest& request) {
  return form_.GetDialogs().ShowMessage(request);
}

std::optional<std::string> CurrentDialogs::InputLine(const std::string& caption,
                                                     const std::string& prompt,
                                                     const std::string& defaultText) {
  return form_.GetDialogs().InputLine(caption, prompt, defaultText);
}

void CurrentDialogs::ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                                  int start) {
  form_.GetDialogs().ShowProgress(title, doneLabel, total, start);
}

bool CurrentDialogs::StepProgress(int position) {
  return form_.GetDialogs().StepProgress(position);
}

void CurrentDialogs::HideProgress() {
  form_.GetDialogs().HideProgress();
}

std::optional<FileDialogAnswer> CurrentDialogs::ChooseFile(const FileDialogRequest& request) {
  return form_.GetDialogs().ChooseFile(request);
}

}  // namespace qm
