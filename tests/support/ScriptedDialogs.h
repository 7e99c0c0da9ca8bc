// A Dialogs implementation for tests: every box a command shows must have been expected, in
// order, and is answered from the script. Texts in expectations are UTF-8 (as the test source
// is); the core's Windows-1251 texts are converted before comparing. An unexpected box, or an
// expectation left over when the script is destroyed, fails the test.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Dialogs.h"

namespace qmtest {

struct ShownBox {
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  qm::DialogIcon icon;
  int buttons;
  qm::DialogButton defaultButton;
};

struct ProgressEvent {
  enum Kind { Show, Step, Hide } kind;
  std::string title;  // UTF-8, for Show
  std::string label;  // UTF-8, for Show
  int a = 0;          // total (Show) or position (Step)
  int b = 0;          // start (Show)
};

class ScriptedDialogs : public qm::Dialogs {
 public:
  ~ScriptedDialogs() override;

  // A message box with exactly this text (and caption, when given), answered with `answer`.
  ScriptedDialogs& ExpectMessage(std::string text, qm::DialogButton answer,
                                 std::optional<std::string> caption = std::nullopt);
  // The number input with this prompt; answered with the text, or cancelled when nothing.
  ScriptedDialogs& ExpectInput(std::string prompt, std::optional<std::string> answer);
  // A file dialog of this kind; answered with the path (UTF-8) and filter index, or cancelled.
  ScriptedDialogs& ExpectFile(qm::FileDialogKind kind, std::optional<qm::FileDialogAnswer> answer);

  // The progress window reports a cancel request at the step with this position.
  void CancelProgressAt(int position) { cancelAt_ = position; }
  // Runs during every StepProgress, as the window system would run pending events there.
  std::function<void(int position)> onStep;
  // Runs while a message box is shown, as events the window system delivers meanwhile would.
  std::function<void()> onMessage;

  // Fails the test when expectations are left over.
  void VerifyDone();
  bool AllConsumed() const { return script_.empty(); }

  const std::vector<ShownBox>& Shown() const { return shown_; }
  const std::vector<ProgressEvent>& Progress() const { return progress_; }
  // Every file dialog shown, in order, with its texts as the core passed them (Windows-1251).
  const std::vector<qm::FileDialogRequest>& FileRequests() const { return fileRequests_; }
  bool ProgressVisible() const { return progressVisible_; }

  qm::DialogButton ShowMessage(const qm::MessageBoxRequest& request) override;
  std::optional<std::string> InputLine(const std::string& caption, const std::string& prompt,
                                       const std::string& defaultText) override;
  void ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                    int start) override;
  bool StepProgress(int position) override;
  void HideProgress() override;
  std::optional<qm::FileDialogAnswer> ChooseFile(const qm::FileDialogRequest& request) override;

  // The default text that the last number input offered (UTF-8).
  std::string lastInputDefault;
  std::string lastInputCaption;

 private:
  struct Step {
    enum Kind { Message, Input, File } kind;
    std::string text;
    std::optional<std::string> caption;
    qm::DialogButton answer = qm::kButtonNone;
    std::optional<std::string> inputAnswer;
    qm::FileDialogKind fileKind = qm::FileDialogKind::Open;
    std::optional<qm::FileDialogAnswer> fileAnswer;
  };
  std::deque<Step> script_;
  std::vector<ShownBox> shown_;
  std::vector<ProgressEvent> progress_;
  std::vector<qm::FileDialogRequest> fileRequests_;
  bool progressVisible_ = false;
  bool cancelled_ = false;
  std::optional<int> cancelAt_;
};

}  // namespace qmtest
