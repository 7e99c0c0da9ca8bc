// The file commands in the main window: the tool buttons New ("Новый набор данных"), Open
// ("Открыть файл") and Save ("Сохранить данные", disabled until data changes), placed first on
// the tool bar in front of TablesWindow::FileButtonsPlace(); the "&Файл" entries "&Новый" (with
// "&Набор данных", "&Таблица товаров", "Таблица &сообщений"), "&Открыть" and "&Сохранить      "
// (with "&Все данные" 0, "&Таблицу товаров" 1, "Таблицу &сообщений" 2, "&Общий итог продаж" 3)
// in front of "&Выход"; and the one FileFlows object of the window behind them.
//
// The Save button follows the three modified flags: it is attached to the status view, which
// the flags drive on every change, and set again from them after every command here.
//
// The totals report is written from the totals page as the transfers show it
// (TMainForm::Transfers().Totals()).
//
// Commands that save (Save, the Save menu) do nothing while LinkBusy is set, like Open and the
// New commands: a save running inside a long load, save or transfer would write a half-built
// table or start a second write of a file that is being written.
//
// Window thread only. Owned by the main window; must be destroyed before its tables.
#pragma once

#include <QObject>
#include <array>
#include <memory>

#include "app/FileFlows.h"
#include "files/FileLayouts.h"

class QAction;
class QMenu;

namespace qm {

class TMainForm;

class MainFormFiles : public QObject, public FileFlowHooks {
  Q_OBJECT

 public:
  // Builds the buttons and the menu entries on `form`, whose tables, tool bar, menus and status
  // bar must exist.
  explicit MainFormFiles(TMainForm& form);
  ~MainFormFiles() override;

  FileFlows& Files() { return *files_; }

  QAction* New = nullptr;                 // tool button "Новый набор данных", tag 0
  QAction* Open = nullptr;                // tool button "Открыть файл", tag 0
  QAction* Save = nullptr;                // tool button "Сохранить данные", tag 0
  QMenu* NewMenu = nullptr;               // "&Новый"
  std::array<QAction*, 3> NewEntries{};   // data set, PLU table, message table; tag 0
  QAction* OpenEntry = nullptr;           // "&Открыть", tag 0
  QMenu* SaveMenu = nullptr;              // "&Сохранить      "
  std::array<QAction*, 4> SaveEntries{};  // tags 0..3 (SaveMenuTag)

  // The close, after the port was closed: offers to save everything unsaved. False when a file
  // could not be written; the window should then stay open.
  bool SaveOnClose();

 public slots:
  void NewClick();
  void NewPluClick();
  void NewMsgClick();
  void OpenClick();
  void SaveClick();
  void SaveMenuClick(int tag);

 public:
  // ---- FileFlowHooks ----
  void ShowPluPage() override;
  void ShowMessagePage() override;
  void ShowCurrentPluRow() override;
  TotalsPage TotalsShown() const override;

 private:
  void BuildToolButtons();
  void BuildMenu();
  // The Save button as the three modified flags say.
  void ShowSaveState();

  TMainForm& form_;
  std::unique_ptr<Dialogs> dialogs_;  // forwards to the window's current dialogs
  std::unique_ptr<FileFlows> files_;
};

}  // namespace qm
