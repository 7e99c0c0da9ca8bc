#include "ui/tables/MessageEditor.h"

#include "base/Captions.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "ui/tables/EditorButtons.h"
#include "ui/tables/PluRowEditor.h"
#include "ui/window/QtText.h"

namespace qm {

MessageEditor::MessageEditor(QWidget* page, QTabWidget* pages, std::function<Dialogs&()> dialogs,
                             FocusBounce& bounce)
    : QObject(page), pages_(pages), dialogs_(std::move(dialogs)), bounce_(bounce) {
  Build(page);
}

void MessageEditor::Attach(MessageCommands* commands, PluRowEditor* pluEditor) {
  commands_ = commands;
  pluEditor_ = pluEditor;
}

void MessageEditor::Build(QWidget* page) {
  MsgRichEdit = new QPlainTextEdit(page);
  MsgRichEdit->setObjectName(QStringLiteral("MsgRichEdit"));
  MsgRichEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  MsgRichEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MsgRichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MsgRichEdit->setTabChangesFocus(true);
  MsgRichEdit->setGeometry(4, 4, 440, 168);
  connect(MsgRichEdit, &QPlainTextEdit::textChanged, this, [this] {
    if (!loading_) dirty_ = true;
  });

  MsgNameEdit = new QLineEdit(page);
  MsgNameEdit->setObjectName(QStringLiteral("MsgNameEdit"));
  MsgNameEdit->setMaxLength(28);
  MsgNameEdit->setGeometry(4, 176, 240, 21);
  connect(MsgNameEdit, &QLineEdit::textEdited, this, [this] {
    if (!loading_) dirty_ = true;
  });

  const EditorButtonRow buttons{
      {&MsgWrite, &MsgAdd, &MsgIns, &MsgClear, &MsgDel, &MsgCopy, &MsgPaste},
      {"Записать сообщение   F1", "Добавить сообщение   F2", "Вставить сообщение   F3",
       "Стереть текст   F4", "Удалить сообщение  F5", "Скопировать в буфер   F6",
       "Вставить из буфера   F7"}};
  buttons_ = MakeEditorButtons(page, "Msg", buttons, QRect(452, 4, 72, 23), QPoint(0, 25));
  for (QPushButton* b : buttons_) b->installEventFilter(this);
  ConnectEditorButtons(this, buttons_, [this] { return commands_; });

  MsgRichEdit->installEventFilter(this);
  MsgNameEdit->installEventFilter(this);
}

std::vector<QWidget*> MessageEditor::TabOrder() const {
  std::vector<QWidget*> order = {MsgRichEdit, MsgNameEdit};
  order.insert(order.end(), buttons_.begin(), buttons_.end());
  return order;
}

std::vector<std::string> MessageEditor::EditorLines() const {
  std::vector<std::string> lines;
  const QString text = MsgRichEdit->toPlainText();
  if (text.isEmpty()) return lines;  // no lines at all
  for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(FromQString(line));
  return lines;
}

std::string MessageEditor::EditorName() const {
  return FromQString(MsgNameEdit->text());
}

void MessageEditor::ShowInEditor(const std::vector<std::string>& lines, const std::string& name) {
  QStringList text;
  for (const std::string& line : lines) text << ToQString(line);
  loading_ = true;
  MsgRichEdit->setPlainText(text.join(QLatin1Char('\n')));
  MsgNameEdit->setText(ToQString(name));
  loading_ = false;
}

void MessageEditor::ShowInPreview(const std::vector<std::string>& lines, const std::string& name) {
  if (pluEditor_) pluEditor_->ShowPreview(lines, name);
}

bool MessageEditor::PluTabShown() const {
  return pages_->currentIndex() == 0;
}

void MessageEditor::RefreshPluRow() {
  if (pluEditor_) pluEditor_->Refresh();
}

void MessageEditor::ShowPluRowMessage() {
  if (pluEditor_) pluEditor_->ShowCurrentRowMessage();
}

bool MessageEditor::InEditorSet(const QWidget* widget) const {
  if (!widget) return false;
  return widget == MsgRichEdit || MsgRichEdit->isAncestorOf(widget) || widget == MsgNameEdit ||
         widget == MsgWrite || widget == MsgAdd || widget == MsgIns || widget == MsgClear ||
         widget == MsgDel || widget == MsgPaste;
}

void MessageEditor::MsgRichEditExit(QWidget* leaving, QWidget* receiving) {
  const bool fromField =
      leaving == MsgNameEdit || leaving == MsgRichEdit || MsgRichEdit->isAncestorOf(leaving);
  if (!dirty_ || !fromField || InEditorSet(receiving)) return;
  static const std::string kText = Win1251("Сообщение было изменено, сохранить?");
  switch (dialogs_().ShowMessage(
      {kText, kConfirmCaption, DialogIcon::Question, kButtonYes | kButtonNo | kButtonCancel})) {
    case kButtonYes:
      commands_->Write();
      break;
    case kButtonNo:
      dirty_ = false;  // the editor keeps showing the unwritten text
      break;
    default:
      bounce_.To(leaving);
      break;
  }
}

bool MessageEditor::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (StepPageByKey(pages_, *key)) return true;
  // MsgKeyDown: F1..F7 from the text area, the name field and the buttons.
  if (const int code = FunctionKeyCode(*key); code != 0 && commands_) {
    commands_->FunctionKey(code);
    return true;
  }
  if (auto* button = qobject_cast<QPushButton*>(watched)) {
    if (!IsEnterKey(*key)) return false;
    if (!key->isAutoRepeat()) button->click();
    return true;
  }
  // MsgRichEditKeyPress: Escape undoes the last change; every character marks the message.
  if (key->key() == Qt::Key_Escape) {
    loading_ = true;
    if (watched == MsgRichEdit) {
      MsgRichEdit->undo();
    } else {
      MsgNameEdit->undo();
    }
    loading_ = false;
    return true;
  }
  if (IsTabKey(*key)) return false;  // moves the focus (with Ctrl: the page), types nothing
  if (!key->text().isEmpty()) dirty_ = true;
  return false;
}

}  // namespace qm
