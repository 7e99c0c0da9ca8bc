#include "ctl/ConsoleDialogs.h"

#include "base/Captions.h"

#include <algorithm>
#include <ostream>

#include "base/Cp1251.h"
#include "link/ScaleLink.h"

namespace qm::ctl {

namespace {

const std::string kCheckResultCaption = Win1251("Результат проверки");

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

ConsoleDialogs::ConsoleDialogs(std::ostream& out, std::ostream& err, bool progress)
    : out_(out), err_(err), progress_(progress), completion_(&out) {}

BoxKind ConsoleDialogs::Classify(const MessageBoxRequest& r) {
  if (r.caption == kCheckResultCaption) return BoxKind::CheckResult;
  if (r.caption == kDoneCaption) return BoxKind::Completion;
  if (r.caption == kConfirmCaption) return BoxKind::Question;
  if ((r.buttons & kButtonCancel) && (r.caption == kErrorCaption || r.caption == kWarningCaption))
    return BoxKind::Finding;
  if (r.text == kLinkErrorText || StartsWith(r.text, kCannotOpenPortText))
    return BoxKind::LinkFailure;
  if (r.caption == kErrorCaption) return BoxKind::Error;
  return BoxKind::Other;
}

bool ConsoleDialogs::Saw(BoxKind kind) const {
  return Count(kind) > 0;
}

int ConsoleDialogs::Count(BoxKind kind) const {
  return static_cast<int>(std::count_if(boxes_.begin(), boxes_.end(),
                                        [kind](const RecordedBox& b) { return b.kind == kind; }));
}

DialogButton ConsoleDialogs::ShowMessage(const MessageBoxRequest& request) {
  if (progressShown_) err_ << '\n';
  progressShown_ = false;
  RecordedBox box{request, Classify(request), kButtonOk};
  const bool yesNo = (request.buttons & kButtonYes) != 0;
  switch (box.kind) {
    case BoxKind::Question:
      // The command line asked for the action itself: it is confirmed.
      box.answer = yesNo ? kButtonYes : kButtonOk;
      break;
    case BoxKind::CheckResult:
      if (yesNo) {
        box.answer = goOnAfterFindings_ ? kButtonYes : kButtonNo;
        err_ << Utf8(request.text) << (goOnAfterFindings_ ? " --force" : "") << '\n';
      } else {
        out_ << Utf8(request.text) << '\n';
      }
      break;
    case BoxKind::Finding:
      err_ << findingPrefix_ << Utf8(request.caption) << ": " << Utf8(request.text) << '\n';
      box.answer = kButtonOk;
      break;
    case BoxKind::Completion:
      *completion_ << Utf8(request.text) << '\n';
      break;
    case BoxKind::LinkFailure:
    case BoxKind::Error:
    case BoxKind::Other: {
      std::string cp = request.text;
      if (!portPath_.empty() && StartsWith(cp, kCannotOpenPortText)) {
        // "Не могу открыть порт COMn." names the port the operator gave instead.
        const std::size_t numberStart = kCannotOpenPortText.size() - 3;  // the "COM"
        const std::size_t dot = cp.find('.', kCannotOpenPortText.size());
        if (dot != std::string::npos) cp.replace(numberStart, dot - numberStart, portPath_);
      }
      std::string text = Utf8(cp);
      std::replace(text.begin(), text.end(), '\n', ' ');
      err_ << "qmctl: " << text << '\n';
      box.answer =
          yesNo ? kButtonNo : (request.buttons & kButtonCancel ? kButtonCancel : kButtonOk);
      break;
    }
  }
  boxes_.push_back(box);
  return box.answer;
}

std::optional<std::string> ConsoleDialogs::InputLine(const std::string&, const std::string&,
                                                     const std::string&) {
  if (numbers_.empty()) return std::nullopt;
  std::string answer = numbers_.front();
  numbers_.erase(numbers_.begin());
  return answer;
}

void ConsoleDialogs::ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                                  int start) {
  progressTitle_ = Utf8(title);
  progressLabel_ = Utf8(doneLabel);
  progressTotal_ = total;
  StepProgress(start);
}

bool ConsoleDialogs::StepProgress(int position) {
  if (progress_) {
    err_ << '\r' << progressTitle_ << ' ' << progressLabel_ << ' ' << position << " / "
         << progressTotal_ << "   " << std::flush;
    progressShown_ = true;
  }
  return false;  // nobody presses Cancel here; an interrupt ends the program
}

void ConsoleDialogs::HideProgress() {
  if (progressShown_) err_ << '\n' << std::flush;
  progressShown_ = false;
}

std::optional<FileDialogAnswer> ConsoleDialogs::ChooseFile(const FileDialogRequest&) {
  return std::nullopt;  // files are named on the command line
}

}  // namespace qm::ctl
