// The command line's answer to the core's dialogs: no question is put to anyone. The command
// decides the answers before it starts (a write is confirmed by being asked for; findings go on
// only with --force; record numbers come from the options), every box is written to the
// terminal and kept, so the command can tell afterwards what happened.
//
// Texts of the core are Windows-1251; they are written as UTF-8.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "base/Dialogs.h"

namespace qm::ctl {

// What kind of box a text stands for, so the command can pick its exit code.
enum class BoxKind {
  Question,  // a confirmation (Yes/No)
  CheckResult,  // "Результат проверки": the summary or the question to go on after findings
  Finding,      // a validation finding (OK/Cancel)
  LinkFailure,  // "Ошибка связи с весами." or a port that cannot be opened
  Error,        // any other error box (a refusal by the scale, a file error)
  Completion,   // "Завершено"
  Other,
};

struct RecordedBox {
  MessageBoxRequest request;  // Windows-1251, as the core showed it
  BoxKind kind = BoxKind::Other;
  DialogButton answer = kButtonNone;
};

class ConsoleDialogs : public Dialogs {
 public:
  // `out` takes completion texts (results); `err` takes errors, findings and progress.
  // `progress`: show the progress window as a line on `err` (when it is a terminal).
  ConsoleDialogs(std::ostream& out, std::ostream& err, bool progress);

  // The answer to the question that follows validation findings ("... Продолжить?").
  void SetGoOnAfterFindings(bool goOn) { goOnAfterFindings_ = goOn; }
  // Findings are written by whoever runs the visible check; the silent boxes are not echoed.
  // Answer for the next number inputs, in order.
  void QueueNumber(int number) { numbers_.push_back(std::to_string(number)); }
  // Where completion texts go when they are not the command's result (verify).
  void SendCompletionsTo(std::ostream& stream) { completion_ = &stream; }
  // A port given as a device path: named in "cannot open" texts instead of the COM number.
  void SetPortPath(std::string path) { portPath_ = std::move(path); }
  // Called before each finding box is written, for the location prefix.
  void SetFindingPrefix(std::string prefix) { findingPrefix_ = std::move(prefix); }

  const std::vector<RecordedBox>& Boxes() const { return boxes_; }
  bool Saw(BoxKind kind) const;
  int Count(BoxKind kind) const;
  void ClearRecord() { boxes_.clear(); }

  DialogButton ShowMessage(const MessageBoxRequest& request) override;
  std::optional<std::string> InputLine(const std::string& caption, const std::string& prompt,
                                       const std::string& defaultText) override;
  void ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                    int start) override;
  bool StepProgress(int position) override;
  void HideProgress() override;
  std::optional<FileDialogAnswer> ChooseFile(const FileDialogRequest& request) override;

 private:
  static BoxKind Classify(const MessageBoxRequest& request);

  std::ostream& out_;
  std::ostream& err_;
  bool progress_;
  bool progressShown_ = false;
  std::string progressTitle_, progressLabel_;
  int progressTotal_ = 0;
  bool goOnAfterFindings_ = false;
  std::vector<std::string> numbers_;
  std::string findingPrefix_;
  std::string portPath_;
  std::ostream* completion_;
  std::vector<RecordedBox> boxes_;
};

}  // namespace qm::ctl
