// What the core asks of the window layer when it must talk to the operator: message boxes, the
// one-line number input, the progress window and the file choices. The program implements it
// with Qt; the tests implement it with a script that answers from a queue and fails on any box
// it did not expect. All texts are Windows-1251.
#pragma once

#include <optional>
#include <string>

namespace qm {

enum class DialogIcon { None, Error, Warning, Question, Information };

// Buttons of a message box; a box offers a set of them (bit flags) and answers with one.
enum DialogButton : int {
  kButtonNone = 0,
  kButtonOk = 1,
  kButtonCancel = 2,
  kButtonYes = 4,
  kButtonNo = 8,
};

struct MessageBoxRequest {
  std::string text;
  std::string caption;
  DialogIcon icon = DialogIcon::None;
  int buttons = kButtonOk;                   // set of DialogButton
  DialogButton defaultButton = kButtonNone;  // kButtonNone: the first offered
};

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  std::string title;
  std::string filter;      // "Description|*.ext|Description|*.ext", Windows-1251
  int filterIndex = 1;     // 1-based, as the choice starts
  std::string defaultExt;  // without the dot
  std::string fileName;    // proposed file name or path
};

struct FileDialogAnswer {
  std::string path;  // in the file system's own encoding
  int filterIndex = 1;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Shows a modal message box; returns the button pressed (closing the box counts as Cancel when
  // offered, otherwise as No, otherwise as OK).
  virtual DialogButton ShowMessage(const MessageBoxRequest& request) = 0;

  // A modal one-line input box with OK and Cancel; the text entered, or nothing on Cancel.
  virtual std::optional<std::string> InputLine(const std::string& caption,
                                               const std::string& prompt,
                                               const std::string& defaultText) = 0;

  // The progress window: shown without being modal; StepProgress lets the window system run and
  // reports whether the operator asked to cancel since the window was shown.
  virtual void ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                            int start) = 0;
  virtual bool StepProgress(int position) = 0;
  virtual void HideProgress() = 0;

  // The common open and save dialogs; nothing when the operator cancelled.
  virtual std::optional<FileDialogAnswer> ChooseFile(const FileDialogRequest& request) = 0;
};

// Dialogs that pass every call on to other dialogs, the target; a subclass overrides the calls
// it changes and may change the target.
class ForwardingDialogs : public Dialogs {
 public:
  explicit ForwardingDialogs(Dialogs& target) : target_(&target) {}

  DialogButton ShowMessage(const MessageBoxRequest& request) override {
    return target_->ShowMessage(request);
  }
  std::optional<std::string> InputLine(const std::string& caption, const std::string& prompt,
                                       const std::string& defaultText) override {
    return target_->InputLine(caption, prompt, defaultText);
  }
  void ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                    int start) override {
    target_->ShowProgress(title, doneLabel, total, start);
  }
  bool StepProgress(int position) override { return target_->StepProgress(position); }
  void HideProgress() override { target_->HideProgress(); }
  std::optional<FileDialogAnswer> ChooseFile(const FileDialogRequest& request) override {
    return target_->ChooseFile(request);
  }

 protected:
  void Retarget(Dialogs& target) { target_ = &target; }

 private:
  Dialogs* target_;
};

}  // namespace qm
