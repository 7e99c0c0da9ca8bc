// The scale transfers in the main window: the tool buttons and the menus "&Чтение" and
// "&Запись" that start them, the "Общий итог" page they fill, and the window's side of the
// transfers (TransferView). The window owns one instance for the whole run
// (TMainForm::Transfers()), created after the tables and the link it works on.
//
// Tool bar, placed right after the link's Connect button and its divider (the font button
// follows):
//   ReadOnePlu "Чтение данных PLU" 1, ReadAllPLU "Чтение таблицы товаров" 0,
//   WriteOnePLU "Запись данных PLU" 1, WriteAllPLU "Запись таблицы товаров" 0, divider,
//   ReadOneMessage "Чтение текущего сообщения" 1, ReadAllMessages "Чтение всех сообщений" 0,
//   WriteOneMessage "Запись текущего сообщения" 1, WriteAllMessages "Запись всех сообщений" 0,
//   divider, ReadGTD "Считать общий итог" 0, ClearGTD "Стереть общий итог" 0, divider.
// Menus, after "&Проверка" and before "&Информация" (captions keep their trailing blanks):
//   "&Чтение": "&Товаров       " {"Всей &таблицы" 0, "Текущей &строки" 1},
//              "&Сообщений      " {"&Всех" 0, "&Текущего" 1}
//   "&Запись": "&Товаров   " {"&Всей таблицы" 0, "&Текущей строки" 1},
//              "&Сообщений      " {"&Всех" 0, "&Текущего" 1}
// Every button and entry carries its tag in QAction::data(); the handler takes the tag from
// there (1 the current record, 0 the whole table).
//
// While a transfer runs, the main window takes no operator input (WindowInputHold);
// the progress window, message boxes and the number input stay usable. A close request
// accepted during a transfer makes the progress window report Cancel at the next step, so a
// table transfer ends early and the window closes once it has let go of the link.
//
// Exceptions of the port that end a transfer are shown as the program's error report (message,
// the program's title as caption, error icon), after the transfer's own finish has run.
//
// Window thread only.
#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <memory>

#include "app/TransferView.h"
#include "files/FileLayouts.h"

class QAction;
class QMenu;

namespace qm {

class Dialogs;
class TMainForm;
class TotalsView;
class TransferFlows;
class WindowInputHold;

class MainFormTransfers : public QObject, public TransferView {
  Q_OBJECT

 public:
  // Builds the buttons, menus and the totals page on `form`, whose tables and link must exist.
  explicit MainFormTransfers(TMainForm& form);
  ~MainFormTransfers() override;

  // What the totals read calls before it reads: offers to save the totals shown (the file
  // commands' DataFiles::SaveBeforeTotalsRead, which asks "Сохранить введенные данные?" when
  // TotalsModified is set). False when saving failed; the read then keeps the shown totals and
  // does not go to the scale. Unset (the default) nothing is offered.
  void SetSaveTotalsBeforeRead(std::function<bool()> save);

  // The totals the page shows (Windows-1251), for the totals report of the file commands.
  const TotalsPage& Totals() const { return totals_; }
  TotalsView& TotalsControls() { return *totalsView_; }
  TransferFlows& Commands() { return *flows_; }

  // ---- Tool buttons and menu entries ----
  QAction* ReadOnePlu = nullptr;
  QAction* ReadAllPLU = nullptr;
  QAction* WriteOnePLU = nullptr;
  QAction* WriteAllPLU = nullptr;
  QAction* ReadOneMessage = nullptr;
  QAction* ReadAllMessages = nullptr;
  QAction* WriteOneMessage = nullptr;
  QAction* WriteAllMessages = nullptr;
  QAction* ReadGTD = nullptr;
  QAction* ClearGTD = nullptr;
  QMenu* ReadMenu = nullptr;      // "&Чтение"
  QMenu* ReadPluMenu = nullptr;   // "&Товаров       "
  QMenu* ReadMsgMenu = nullptr;   // "&Сообщений      "
  QMenu* WriteMenu = nullptr;     // "&Запись"
  QMenu* WritePluMenu = nullptr;  // "&Товаров   "
  QMenu* WriteMsgMenu = nullptr;  // "&Сообщений      "
  // Entries in menu order: whole table (0), then current (1).
  std::array<QAction*, 2> ReadPluEntries{};
  std::array<QAction*, 2> ReadMsgEntries{};
  std::array<QAction*, 2> WritePluEntries{};
  std::array<QAction*, 2> WriteMsgEntries{};

  // ---- Handlers (the tag selects the current record, 1, or the whole table, 0) ----
  void ReadPluClick(int tag);
  void WritePLUClick(int tag);
  void ReadMessageClick(int tag);
  void WriteMessagesClick(int tag);
  void ReadGTDClick();
  void ClearGTDClick();

  // ---- TransferView ----
  void ShowPage(int page) override;
  void SettlePluEditor() override;
  void SettleMessageEditor() override;
  void ClearMessageDirty() override;
  void ResetPluSortDirections() override;
  void ResetMessageSortDirections() override;
  void ShowTotals(const TotalsPage& page) override;

 private:
  class CommandDialogs;
  void BuildToolButtons();
  void BuildMenus();
  // Runs a transfer command; reports an exception it raised.
  void Run(const std::function<void()>& command);

  TMainForm& form_;
  TotalsPage totals_;
  std::unique_ptr<TotalsView> totalsView_;
  std::unique_ptr<CommandDialogs> dialogs_;
  std::unique_ptr<WindowInputHold> hold_;
  std::unique_ptr<TransferFlows> flows_;
};

}  // namespace qm
