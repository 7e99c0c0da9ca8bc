// The main window. It owns everything for the whole run: the run-time state, the line settings
// for the port, the settings store, the status bar, the 100 ms timer, the dialogs and the
// auxiliary windows. Menus, tool bar, pages and status bar are built in their own files; the
// handlers here are thin calls into the core.
//
// Hooks for the parts built on top of it:
// - TimerTick() is emitted on every 100 ms tick, from creation until the close is accepted.
// - Menus(), ToolBar(), Pages() give the places to add entries, buttons and page contents.
// - Status() is the StatusView of the whole program; GetDialogs() the Dialogs to use (tests
//   replace it with SetDialogs()); Pump() the event pump for waiting on the scale.
// - Tables() holds the PLU and message tables with their grids, editors, commands, copy
//   buffers and modified flags (TablesWindow.h); the file commands and the transfers work on
//   them, and New/Open/Save go in front of Tables().FileButtonsPlace() on the tool bar.
// - Line() holds the port and line settings read at start-up and written at close. Once the
//   window is created they live in the serial port (LinkControls().ComPort()); Line() is brought
//   back in step with it after the port dialog and at close.
// - FileControls() is the file commands: New, Open and Save on the tool bar and in "&Файл",
//   and the window's DataFiles (FileControls().Files()).
// - LinkControls() is the scale link: the port, the link, the live poll, the port, address and
//   Connect buttons and the live display panels.
// - Transfers() is the scale transfers: their tool buttons, the menus "&Чтение" and "&Запись",
//   the "Общий итог" page and the totals it shows.
// - ClosePending() tells a running command that the operator asked to close the window: the
//   close waits for the command to let go of the link, and the command should stop early.
// - FontLayoutControls() is the font-driven layout: the font button at the end of the tool bar,
//   the window's resize handling and the start-up steps ApplySavedFont, ApplySavedSize.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "app/FontValues.h"
#include "app/PortLineSettings.h"
#include "base/RunState.h"
#include "ui/window/MainMenus.h"
#include "ui/window/MainPages.h"
#include "ui/window/MainToolBar.h"

namespace qm {

class Dialogs;
class EventPump;
class FontLayoutHost;
class MainFormFiles;
class MainFormLink;
class MainFormTransfers;
class ScaleSession;
class QtDialogs;
class QtEventPump;
class QtSettingsStore;
class QtStatusView;
class StatusView;
class TAboutBox;
class TProgressBox;
class TablesWindow;
class TickSource;

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kDesignWidth = 640;
  static constexpr int kDesignHeight = 480;
  static constexpr int kTimerInterval = 100;  // ms

  // Runs the creation sequence, reading the settings when their key exists.
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // Start-up, after the window: the about and progress windows (owned by this window).
  void CreateAuxWindows();
  // Start-up, after the about and progress windows: the font the settings name (DialogFont();
  // the design font when it is out of bounds), with the layout rescaled to it.
  void ApplySavedFont();
  // Start-up, after the saved font: the saved width, then the saved height, through the resize
  // handling (raised to the minimum size, cut to the screen).
  void ApplySavedSize();

  RunState& State() { return state_; }
  PortLineSettings& Line() { return line_; }
  // The font the settings name (the font dialog's font); the design font without settings.
  TFontValues& DialogFont() { return dialogFont_; }
  StatusView& Status();
  QtStatusView& StatusBarView() { return *status_; }
  Dialogs& GetDialogs();
  // Replaces the dialogs (tests); nullptr returns to the window's own. Not owned.
  void SetDialogs(Dialogs* dialogs) { injectedDialogs_ = dialogs; }
  EventPump& Pump();
  QTimer& Timer() { return timer_; }
  // Tests: where the timer's ticks come from in windows created from now on (nullptr: every
  // 100 ms of real time). With a source the timer looks every millisecond and ticks when the
  // source says so. Not owned; must outlive those windows.
  static void SetTicksForTesting(TickSource* ticks);
  TProgressBox* ProgressBox() const;
  TAboutBox* AboutBox() const;
  MainMenus& Menus() { return menus_; }
  MainToolBar& ToolBar() { return toolBar_; }
  MainPages& Pages() { return pages_; }
  TablesWindow& Tables() { return *tables_; }
  MainFormLink& LinkControls() { return *link_; }
  // The core session (made by the link controls, over the window's port and tables).
  ScaleSession& Session();
  MainFormFiles& FileControls() { return *files_; }
  MainFormTransfers& Transfers() { return *transfers_; }
  // A close was accepted while an exchange ran; the window closes once LinkBusy is clear.
  bool ClosePending() const { return closeConfirmed_ && !closed_; }
  FontLayoutHost& FontLayoutControls() { return *fontLayout_; }

 signals:
  void TimerTick();

 public slots:
  void ExitClick();
  void AboutClick();
  void ScaleTypeItemClick(QAction* entry);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void FormCreate();
  void TimerTimer();
  // The close sequence; false when unsaved data could not be written (the window stays open).
  bool FormClose();
  void ApplyReadPlacement(int left, int top);

  RunState state_;
  PortLineSettings line_;
  TFontValues dialogFont_;
  std::unique_ptr<QtSettingsStore> store_;
  std::unique_ptr<QtStatusView> status_;
  std::unique_ptr<QtDialogs> dialogs_;
  std::unique_ptr<QtEventPump> pump_;
  Dialogs* injectedDialogs_ = nullptr;
  QTimer timer_;
  TickSource* ticks_ = nullptr;  // nullptr: the timer's own interval
  MainMenus menus_;
  MainToolBar toolBar_;
  MainPages pages_;
  QPointer<TAboutBox> aboutBox_;
  QPointer<TProgressBox> progressBox_;
  bool closeConfirmed_ = false;  // Yes was answered; waiting for a running exchange to end
  bool closing_ = false;         // the close sequence runs (it may handle events)
  bool closed_ = false;          // the close sequence has run
  // Last, so that it goes first: its grids and editors observe the tables it holds.
  std::unique_ptr<TablesWindow> tables_;
  // Works on the tables above, so it goes before them.
  std::unique_ptr<MainFormFiles> files_;
  // Last: it uses the state, status bar, dialogs and pump above and lets go of them first.
  std::unique_ptr<MainFormLink> link_;
  // Last of all: it works on the tables and the link.
  std::unique_ptr<MainFormTransfers> transfers_;
  // Made after everything it lays out; holds the widgets only weakly.
  std::unique_ptr<FontLayoutHost> fontLayout_;
};

}  // namespace qm
