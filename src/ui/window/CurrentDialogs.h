// The dialogs of the main window as the parts built on it see them: every call goes to the
// dialogs the window uses at that moment (TMainForm::GetDialogs()), so a part built once keeps
// working when the dialogs are replaced later (the tests script them).
#pragma once

#include "base/Dialogs.h"

namespace qm {

class TMainForm;

class CurrentDialogs : public Dialogs {
 public:
  explicit CurrentDialogs(TMainForm& form) : form_(form) {}

  DialogButton ShowMessage(const MessageBoxRequest& request) override;
  std::optional<std::string> InputLine(const std::string& caption, const std::string& prompt,
                                       const std::string& defaultText) override;
  void ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                    int start) override;
  bool StepProgress(int position) override;
  void HideProgress() override;
  std::optional<FileDialogAnswer> ChooseFile(const FileDialogRequest& request) override;

 protected:
  TMainForm& Form() const { return form_; }

 private:
  TMainForm& form_;
};

}  // namespace qm
