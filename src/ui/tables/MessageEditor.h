// The message editor on the "Сообщение" page: the text area `MsgRichEdit` (plain text, one
// message line per text line, both scroll bars, no wrapping, no length limit), the name field
// `MsgNameEdit` (at most 28 characters) and the seven command buttons. F1..F7 in the text
// area, the name field or on a button run the message commands.
//
// Typing a character sets MessageDirty; so does any other change of the text by the operator
// (the Delete key, pasting, cutting), so the exit question guards every unwritten edit. Escape
// undoes the field's last change. Enter on a button clicks it.
//
// The editor is the MessageEditorHooks of the message commands. The PLU tab's preview belongs
// to the row editor and is reached through it. Window thread only; the widgets are children of
// the page.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "tables/MessageCommands.h"
#include "ui/tables/EditorKeys.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace qm {

class Dialogs;
class PluRowEditor;

class MessageEditor : public QObject, public MessageEditorHooks {
  Q_OBJECT

 public:
  // `pages` is the page control (the PLU tab is page 0). Not owned.
  MessageEditor(QWidget* page, QTabWidget* pages, std::function<Dialogs&()> dialogs,
                FocusBounce& bounce);

  void Attach(MessageCommands* commands, PluRowEditor* pluEditor);

  QPlainTextEdit* MsgRichEdit = nullptr;
  QLineEdit* MsgNameEdit = nullptr;
  QPushButton* MsgWrite = nullptr;
  QPushButton* MsgAdd = nullptr;
  QPushButton* MsgIns = nullptr;
  QPushButton* MsgClear = nullptr;
  QPushButton* MsgDel = nullptr;
  QPushButton* MsgCopy = nullptr;
  QPushButton* MsgPaste = nullptr;

  bool MessageDirty() const { return dirty_; }

  // ---- MessageEditorHooks ----
  std::vector<std::string> EditorLines() const override;
  std::string EditorName() const override;
  void ShowInEditor(const std::vector<std::string>& lines, const std::string& name) override;
  void ShowInPreview(const std::vector<std::string>& lines, const std::string& name) override;
  bool PluTabShown() const override;
  void ClearMessageDirty() override { dirty_ = false; }
  void RefreshPluRow() override;
  void ShowPluRowMessage() override;

  // ---- Focus ----
  // The order Tab goes in: the text, its name, then the buttons from the top.
  std::vector<QWidget*> TabOrder() const;
  // The text area, the name field and the buttons Write, Add, Ins, Clear, Del, Paste.
  bool InEditorSet(const QWidget* widget) const;
  // MsgRichEditExit: the focus moved from `leaving` to `receiving`.
  void MsgRichEditExit(QWidget* leaving, QWidget* receiving);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build(QWidget* page);

  QTabWidget* pages_;
  std::function<Dialogs&()> dialogs_;
  FocusBounce& bounce_;
  MessageCommands* commands_ = nullptr;
  PluRowEditor* pluEditor_ = nullptr;
  std::vector<QPushButton*> buttons_;
  bool dirty_ = false;
  bool loading_ = false;  // the fields are being filled by the program
};

}  // namespace qm
