// The file commands in the main window, behind the tool buttons New, Open and Save and the
// "&Файл" entries "&Новый", "&Открыть" and "&Сохранить      " (the Save menu's tag says what is
// saved: SaveMenuTag), and the one FileFlows object of the window.
//
// The Save button follows the three modified flags through the status view, which the flags
// drive on every change; the status view is set again from them after every command here.
//
// The totals report is written from the totals page as the transfers show it.
//
// Commands that save (Save, the Save menu) do nothing while LinkBusy is set, like Open and the
// New commands: a save running inside a long load, save or transfer would write a half-built
// table or start a second write of a file that is being written.
//
// Window thread only. Owned by the main window; must be destroyed before the tables and the
// totals it was given.
#pragma once

#include <QObject>
#include <array>
#include <memory>

#include "app/FileFlows.h"
#include "files/FileLayouts.h"

namespace qm {

class EventPump;
class TablesWindow;

class MainFormFiles : public QObject, public FileFlowHooks {
  Q_OBJECT

 public:
  // Works on the tables of `tables`; `totalsShown` is the totals page as the window shows it.
  // All must outlive this object.
  MainFormFiles(TablesWindow& tables, RunState& state, StatusView& status, Dialogs& dialogs,
                EventPump& pump, const TotalsPage& totalsShown);
  ~MainFormFiles() override;

  FileFlows& Files() { return *files_; }

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
  // The Save button as the three modified flags say.
  void ShowSaveState();

  TablesWindow& tables_;
  RunState& state_;
  StatusView& status_;
  const TotalsPage& totalsShown_;
  std::unique_ptr<FileFlows> files_;
};

}  // namespace qm
