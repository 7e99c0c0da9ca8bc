// The PLU row editor on the "Товар" page: eleven fields for one row of the PLU table, the
// seven command buttons, the read-only sales box "Итог продаж" and the message preview.
//
// Fields and their tags (low byte: place in the Enter order; high byte: character class, 0 any
// text, 1 digits only, 2 digits and "."), maximum lengths and columns:
//   PNMemo 257 (4, PluNo)  ICMemo 258 (6, ItemCode)  GCMemo 259 (6, GroupCode)
//   INEdit1 4 (28, Name1)  INEdit2 5 (28, Name2)     UPMemo 518 (7, Price)
//   SLMemo 519 (10, ShelfLife)  TWMemo 520 (5, Tare) MIMemo 265 (10, MessageNo)
//   LogoComboBox 10 (the logo digit of Logo)         SOMemo 11 (10, the code part of Logo)
// Typed characters are filtered by the class; accepted ones set PluDirty. Pasted text passes the
// same filter and is refused whole, with a beep, when one character would be; the editing
// commands (Ctrl+A, Ctrl+C, Ctrl+X, Ctrl+Z, ...) are not characters and always work. Any other
// change of a field's text by the operator (the Delete key, pasting, cutting) sets PluDirty as
// well, so the exit question always guards unwritten edits. Enter moves along the Enter order and
// ends on Write (same PLU number as the current row) or Add (a new number), each step showing the
// focus as Tab shows it; Escape undoes the field's last change. F1..F7 in any field or on any of
// the buttons run the row commands.
//
// The editor is the PluEditorHooks of the row commands: Commit is PLUWriteClick, Refresh the
// forced reload of the current row (PLUSortGridSelectCell with the force marker). It follows
// the PLU grid's current row: a change of row reloads the editor unless SuppressRowLoad is set.
// The message preview is brought up to date only while the "Товар" page is shown (see
// ShowRowMessage); switching to that page force-refreshes the row.
//
// The table rules behind the logo fields and the end of the Enter order (the store code cut to
// the model, the Logo cell, Write or Add) are plain functions in tables/PluRowRules.h; this
// class keeps the widgets, the focus, the Enter order and the key filters.
//
// Texts: widgets hold QString; cells are Windows-1251 and converted with QtText.h. Window
// thread only. The widgets are children of the page; this object is owned by the window.
#pragma once

#include <QApplication>
#include <QObject>
#include <array>
#include <functional>
#include <vector>

#include "tables/PluCommands.h"
#include "tables/TextGrid.h"
#include "ui/tables/EditorKeys.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qm {

class Dialogs;
class MessageCommands;
class ModifiedFlags;
class StatusView;
struct RunState;

class PluRowEditor : public QObject, public PluEditorHooks, private GridObserver {
  Q_OBJECT

 public:
  // The column value that forces PLUSortGridSelectCell to reload the current row.
  static constexpr int kForceRefresh = 2147483647;

  // `logo` is the window's logo selector; it is moved into the editor. None of the references
  // is owned; `dialogs` is asked for the window's dialogs whenever a box is shown.
  PluRowEditor(QWidget* page, QComboBox* logo, TextGrid& grid, ModifiedFlags& flags,
               StatusView& status, RunState& state, std::function<Dialogs&()> dialogs,
               FocusBounce& bounce);
  ~PluRowEditor() override;

  // Wiring that exists only after the commands and the message editor were made.
  // `messageName` is the message editor's name field, emptied when a row has no message.
  void Attach(PluCommands* commands, MessageCommands* messages, QLineEdit* messageName);

  // ---- Widgets ----
  QLineEdit* PNMemo = nullptr;
  QLineEdit* ICMemo = nullptr;
  QLineEdit* GCMemo = nullptr;
  QLineEdit* INEdit1 = nullptr;
  QLineEdit* INEdit2 = nullptr;
  QLineEdit* UPMemo = nullptr;
  QLineEdit* SLMemo = nullptr;
  QLineEdit* TWMemo = nullptr;
  QLineEdit* MIMemo = nullptr;
  QComboBox* LogoComboBox = nullptr;
  QLineEdit* SOMemo = nullptr;
  QGroupBox* SalesBox = nullptr;  // "Итог продаж"
  QLineEdit* CNMemo = nullptr;    // SalesCount, "шт."
  QLineEdit* CSMemo = nullptr;    // SalesAmount, "руб."
  QLineEdit* CWMemo = nullptr;    // SalesWeight, "кг."
  QGroupBox* MsgShowBox = nullptr;
  QPlainTextEdit* MsgShowRichEdit = nullptr;
  QPushButton* PLUWrite = nullptr;
  QPushButton* PLUAdd = nullptr;
  QPushButton* PLUIns = nullptr;
  QPushButton* PLUClear = nullptr;
  QPushButton* PLUDel = nullptr;
  QPushButton* PLUCopy = nullptr;
  QPushButton* PLUPaste = nullptr;

  // ---- State ----
  bool PluDirty() const { return pluDirty_; }
  bool AdvanceOnWrite() const { return advanceOnWrite_; }

  // ---- PluEditorHooks ----
  void Commit() override { PLUWriteClick(); }
  void Refresh() override;
  bool SuppressRowLoad() const override { return suppressRowLoad_; }
  void SetSuppressRowLoad(bool suppress) override { suppressRowLoad_ = suppress; }
  void ClearPluDirty() override { pluDirty_ = false; }

  // ---- Operations ----
  // The commit of the editor into the current row.
  void PLUWriteClick();
  void LoadPluRowToEditor(int row);
  void StorePluEditorToRow(int row);
  // Reloads the editor and the message preview from `row` when the row differs from the one
  // shown or `column` is kForceRefresh, unless SuppressRowLoad is set. Never refuses.
  void PLUSortGridSelectCell(int column, int row);
  // Focuses the field of a PLU column 0..8; other columns do nothing.
  void FocusPluField(int column);
  // The message preview of the current row again, the fields left as they are (the message
  // table was replaced under the row).
  void ShowCurrentRowMessage() { ShowRowMessage(grid_.CurrentRow()); }
  // The preview of message `lines` named `name` (the message editor's preview hook).
  void ShowPreview(const std::vector<std::string>& lines, const std::string& name);

  // ---- Focus ----
  // The eleven fields and the buttons Write, Add, Ins, Clear, Del, Paste: leaving one of them
  // for a control outside this set with unwritten changes asks the exit question.
  bool InEditorSet(const QWidget* widget) const;
  // PLURowEditExit: the focus moved from `leaving` to `receiving`; `toPluGrid` when the
  // receiver is the PLU grid.
  void PLURowEditExit(QWidget* leaving, QWidget* receiving, bool toPluGrid);
  // The message grid handed the focus straight to MIMemo: its current message number is put
  // into MIMemo, PluDirty and SuppressRowLoad are set.
  void TakeMessageNumber(const std::string& number);

  // What a refused paste sounds (the desktop's beep; tests count it).
  void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }

  // Every editor field and button, for the function keys (tests use the list too).
  const std::vector<QWidget*>& Fields() const { return fields_; }
  // The order Tab goes in, as the screen reads (which is also the Enter order): the fields, then
  // the buttons from Write to Paste.
  std::vector<QWidget*> TabOrder() const;

 signals:
  // The page that holds the fields must be shown before one of them can take the focus.
  void ShowPageRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build(QWidget* page);
  void CurrentCellChanged(int column, int row) override;
  void RowsInserted(int, int) override { shownRow_ = -1; }
  void RowsRemoved(int, int) override { shownRow_ = -1; }
  void Reset() override { shownRow_ = -1; }
  void ShowRowMessage(int row);
  bool FieldKeyPress(QWidget* field, QKeyEvent* event);
  // True when every character of `text` passes the filter of `charClass`; beeps otherwise.
  bool PasteAccepted(int charClass, const QString& text);
  bool ButtonKey(QWidget* button, QKeyEvent* event);
  void EnterNext(QWidget* field);
  void FocusByEnter(QWidget* target);
  void FinishStep();
  QWidget* FieldWithOrder(int order) const;

  QWidget* page_;  // the "Товар" page
  TextGrid& grid_;
  ModifiedFlags& flags_;
  StatusView& status_;
  RunState& state_;
  std::function<Dialogs&()> dialogs_;
  FocusBounce& bounce_;
  PluCommands* commands_ = nullptr;
  MessageCommands* messages_ = nullptr;
  QLineEdit* messageName_ = nullptr;

  std::vector<QWidget*> fields_;   // the eleven fields, in Enter order
  std::vector<QWidget*> buttons_;  // Write, Add, Ins, Clear, Del, Copy, Paste
  bool pluDirty_ = false;
  bool suppressRowLoad_ = false;
  bool advanceOnWrite_ = false;
  bool loading_ = false;               // the fields are being filled from a row
  QWidget* enterPressedOn_ = nullptr;  // the button the last press of Enter landed on
  int shownRow_ = -1;                  // the grid row the editor last followed
  std::function<void()> beep_ = [] { QApplication::beep(); };
};

}  // namespace qm
