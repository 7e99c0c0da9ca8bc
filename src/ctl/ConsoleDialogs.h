// The console's answer to the boxes of a visible check: every finding is written as one line,
// prefixed with where it was found (FindingLocator), and answered OK so the check goes on. Nothing
// is ever asked on the command line; number inputs and file choices answer "cancelled".
//
// Texts of the core are Windows-1251; they are written as UTF-8.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "base/Dialogs.h"

namespace qm::ctl {

class ConsoleDialogs : public Dialogs {
 public:
  // Findings go to `err`; `out` and `progress` are kept for the callers that name them.
  ConsoleDialogs(std::ostream& out, std::ostream& err, bool progress);

  // Written before each finding's caption, for the location prefix.
  void SetFindingPrefix(std::string prefix) { findingPrefix_ = std::move(prefix); }

  DialogButton ShowMessage(const MessageBoxRequest& request) override;
  std::optional<std::string> InputLine(const std::string& caption, const std::string& prompt,
                                       const std::string& defaultText) override;
  void ShowProgress(const std::string&, const std::string&, int, int) override {}
  bool StepProgress(int) override { return false; }
  void HideProgress() override {}
  std::optional<FileDialogAnswer> ChooseFile(const FileDialogRequest& request) override;

 private:
  std::ostream& err_;
  std::string findingPrefix_;
};

}  // namespace qm::ctl
