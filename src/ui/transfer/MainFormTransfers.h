// The scale transfers in the main window: the commands behind the transfer tool buttons and the
// menus "&Чтение" and "&Запись", the "Общий итог" page they fill, and the window's side of the
// transfers (TransferView). The window owns one instance for the whole run
// (TMainForm::Transfers()), created after the tables and the link it works on. The tag of the
// button or entry selects the current record (1) or the whole table (0).
//
// While a transfer runs, the main window takes no operator input but the Connect button and its
// key, and the windows repaint at a paced rate (WindowTransferHold); the progress window,
// message boxes and the number input stay usable. Connect closes the port, which ends the
// transfer at its next look at the line as a lost link ends it. A close request
// accepted during a transfer makes the progress window report Cancel at the next step (the
// window's dialogs see to it), so a table transfer ends early and the window closes once it has
// let go of the link.
//
// Exceptions of the port that end a transfer are shown as the program's error report by the
// command map (CommandMap), after the transfer's own finish has run.
//
// Window thread only.
#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <memory>

#include "app/TransferView.h"
#include "files/FileLayouts.h"
#include "ui/window/MainPages.h"

class QAction;
class QWidget;

namespace qm {

class Dialogs;
class ScaleSession;
class TablesWindow;
class TotalsView;
class TransferFlows;
class WindowTransferHold;

class MainFormTransfers : public QObject, public TransferView {
  Q_OBJECT

 public:
  // Builds the totals page on `pages`; transfers run as operations of `session` (whose tables
  // are those of `tables`), with the input of `window` (the main window) held off while an
  // exchange runs. All must outlive this object.
  MainFormTransfers(QWidget* window, const MainPages& pages, TablesWindow& tables,
                    ScaleSession& session, Dialogs& dialogs);
  ~MainFormTransfers() override;

  // What the totals read calls before it reads: offers to save the totals shown (the file
  // commands' FileFlows::SaveBeforeTotalsRead, which asks "Сохранить введенные данные?" when
  // TotalsModified is set). False when saving failed; the read then keeps the shown totals and
  // does not go to the scale. Unset (the default) nothing is offered.
  void SetSaveTotalsBeforeRead(std::function<bool()> save);

  // `action` (the Connect button) stays usable while a transfer holds the window's input: the
  // operator can always cut the line, also while a busy scale keeps the transfer waiting.
  void LetThroughDuringTransfers(QAction* action);

  // The totals the page shows (Windows-1251), for the totals report of the file commands.
  const TotalsPage& Totals() const { return totals_; }
  TotalsView& TotalsControls() { return *totalsView_; }
  // The transfer commands (ReadPluClick, WritePLUClick, ...): the command map runs them.
  TransferFlows& Commands() { return *flows_; }

  // ---- TransferView ----
  void ShowPage(int page) override;
  void SettlePluEditor() override;
  void SettleMessageEditor() override;
  void ClearMessageDirty() override;
  void ResetPluSortDirections() override;
  void ResetMessageSortDirections() override;
  void ShowTotals(const TotalsPage& page) override;

 private:
  QWidget* window_;
  MainPages pages_;
  TablesWindow& tables_;
  Dialogs& dialogs_;
  TotalsPage& totals_;  // the session's
  std::unique_ptr<TotalsView> totalsView_;
  std::unique_ptr<WindowTransferHold> hold_;
  ScaleSession& session_;
  std::unique_ptr<TransferFlows> flows_;
};

}  // namespace qm
