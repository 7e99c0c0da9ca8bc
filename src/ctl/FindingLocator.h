// Where the check points at a finding, as a prefix of the finding's line on the console: the
// file, then the row and the column title, or the message number. The dialogs must outlive it.
#pragma once

#include <string>

#include "ctl/ConsoleDialogs.h"
#include "tables/Validation.h"

namespace qm::ctl {

class FindingLocator : public ValidationView {
 public:
  FindingLocator(ConsoleDialogs& dialogs, std::string file)
      : dialogs_(dialogs), file_(std::move(file)) {}
  void ShowPluPage() override;
  void SelectPluCell(int column, int row) override;
  void FocusPluField(int) override {}
  void ShowMessagePage() override;
  bool SelectMessage(int number) override;
  void FocusMessageText() override {}

 private:
  ConsoleDialogs& dialogs_;
  std::string file_;
};

}  // namespace qm::ctl
