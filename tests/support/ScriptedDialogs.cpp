#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include "base/Cp1251.h"

namespace qmtest {

ScriptedDialogs::~ScriptedDialogs() {
  VerifyDone();
}

void ScriptedDialogs::VerifyDone() {
  for (const Step& s : script_) ADD_FAILURE() << "expected dialog never shown: " << s.text;
  script_.clear();
}

ScriptedDialogs& ScriptedDialogs::ExpectMessage(std::string text, qm::DialogButton answer,
                                                std::optional<std::string> caption) {
  Step s{Step::Message, std::move(text), std::move(caption), answer};
  script_.push_back(std::move(s));
  return *this;
}

ScriptedDialogs& ScriptedDialogs::ExpectInput(std::string prompt,
                                              std::optional<std::string> answer) {
  Step s{Step::Input, std::move(prompt)};
  s.inputAnswer = std::move(answer);
  script_.push_back(std::move(s));
  return *this;
}

ScriptedDialogs& ScriptedDialogs::ExpectFile(qm::FileDialogKind kind,
                                             std::optional<qm::FileDialogAnswer> answer) {
  Step s{Step::File, kind == qm::FileDialogKind::Open ? "<open file>" : "<save file>"};
  s.fileKind = kind;
  s.fileAnswer = std::move(answer);
  script_.push_back(std::move(s));
  return *this;
}

qm::DialogButton ScriptedDialogs::ShowMessage(const qm::MessageBoxRequest& request) {
  const std::string text = qm::Utf8(request.text);
  const std::string caption = qm::Utf8(request.caption);
  shown_.push_back({text, caption, request.icon, request.buttons, request.defaultButton});
  if (onMessage) onMessage();
  if (script_.empty() || script_.front().kind != Step::Message) {
    ADD_FAILURE() << "unexpected message box: [" << caption << "] " << text;
    return (request.buttons & qm::kButtonCancel) ? qm::kButtonCancel
           : (request.buttons & qm::kButtonNo)   ? qm::kButtonNo
                                                 : qm::kButtonOk;
  }
  Step s = std::move(script_.front());
  script_.pop_front();
  EXPECT_EQ(s.text, text) << "message box text";
  if (s.caption) {
    EXPECT_EQ(*s.caption, caption) << "message box caption of: " << text;
  }
  EXPECT_TRUE(request.buttons & s.answer) << "answer not offered by: " << text;
  return s.answer;
}

std::optional<std::string> ScriptedDialogs::InputLine(const std::string& caption,
                                                      const std::string& prompt,
                                                      const std::string& defaultText) {
  lastInputDefault = qm::Utf8(defaultText);
  lastInputCaption = qm::Utf8(caption);
  const std::string p = qm::Utf8(prompt);
  if (script_.empty() || script_.front().kind != Step::Input) {
    ADD_FAILURE() << "unexpected input box: " << p;
    return std::nullopt;
  }
  Step s = std::move(script_.front());
  script_.pop_front();
  EXPECT_EQ(s.text, p) << "input prompt";
  if (!s.inputAnswer) return std::nullopt;
  return qm::Win1251(*s.inputAnswer);
}

void ScriptedDialogs::ShowProgress(const std::string& title, const std::string& doneLabel,
                                   int total, int start) {
  progress_.push_back({ProgressEvent::Show, qm::Utf8(title), qm::Utf8(doneLabel), total, start});
  progressVisible_ = true;
  cancelled_ = false;
}

bool ScriptedDialogs::StepProgress(int position) {
  progress_.push_back({ProgressEvent::Step, {}, {}, position, 0});
  if (onStep) onStep(position);
  if (cancelAt_ && *cancelAt_ == position) cancelled_ = true;
  return cancelled_;
}

void ScriptedDialogs::HideProgress() {
  progress_.push_back({ProgressEvent::Hide});
  progressVisible_ = false;
}

std::optional<qm::FileDialogAnswer> ScriptedDialogs::ChooseFile(
    const qm::FileDialogRequest& request) {
  fileRequests_.push_back(request);
  if (script_.empty() || script_.front().kind != Step::File ||
      script_.front().fileKind != request.kind) {
    ADD_FAILURE() << "unexpected file dialog: " << qm::Utf8(request.title);
    return std::nullopt;
  }
  Step s = std::move(script_.front());
  script_.pop_front();
  return s.fileAnswer;
}

}  // namespace qmtest
