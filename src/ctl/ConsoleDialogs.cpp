#include "ctl/ConsoleDialogs.h"

#include <ostream>

#include "base/Cp1251.h"

namespace qm::ctl {

ConsoleDialogs::ConsoleDialogs(std::ostream&, std::ostream& err, bool) : err_(err) {}

DialogButton ConsoleDialogs::ShowMessage(const MessageBoxRequest& request) {
  err_ << findingPrefix_ << Utf8(request.caption) << ": " << Utf8(request.text) << '\n';
  return kButtonOk;
}

std::optional<std::string> ConsoleDialogs::InputLine(const std::string&, const std::string&,
                                                     const std::string&) {
  return std::nullopt;
}

std::optional<FileDialogAnswer> ConsoleDialogs::ChooseFile(const FileDialogRequest&) {
  return std::nullopt;  // files are named on the command line
}

}  // namespace qm::ctl
