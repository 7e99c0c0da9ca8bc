#include "ui/window/WindowDialogs.h"

namespace qm {

DialogButton WindowDialogs::ShowMessage(const MessageBoxRequest& request) {
  return current_->ShowMessage(request);
}

std::optional<std::string> WindowDialogs::InputLine(const std::string& caption,
                                                    const std::string& prompt,
                                                    const std::string& defaultText) {
  return current_->InputLine(caption, prompt, defaultText);
}

void WindowDialogs::ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                                 int start) {
  current_->ShowProgress(title, doneLabel, total, start);
}

bool WindowDialogs::StepProgress(int position) {
  // The step is shown first either way, so the progress window stays in step with the work.
  const bool cancelled = current_->StepProgress(position);
  return cancelled || (closePending_ && closePending_());
}

void WindowDialogs::HideProgress() {
  current_->HideProgress();
}

std::optional<FileDialogAnswer> WindowDialogs::ChooseFile(const FileDialogRequest& request) {
  return current_->ChooseFile(request);
}

}  // namespace qm
