// The main window. It owns everything for the whole run: the run-time state, the line settings
// for the port, the settings store, the status bar, the 100 ms timer, the dialogs, the auxiliary
// windows, the command map and the panels that fill the window. The handlers here are thin calls
// into the core.
//
// The panels, made in this order, each given what it works on:
// - Tables(): the PLU and message tables with their grids, editors, commands, copy buffers and
//   modified flags, the check and match commands and the focus rules (TablesWindow.h);
// - LinkControls(): the serial port, the scale link, the live poll and the live display panels;
// - Transfers(): the scale transfers and the "Общий итог" page with the totals it shows;
// - FileControls(): the file commands and their operator flows (FileFlows);
// - FontLayoutControls(): the font-driven layout, the window's resize handling and the start-up
//   steps ApplySavedFont, ApplySavedSize.
// The window takes them down in the reverse order, after the command map, so that no command
// runs on a panel that is gone and no panel outlives what it was given.
//
// Commands() holds the tool bar and the menus with every action (CommandMap.h). Line() holds
// the port and line settings read at start-up and written at close; once the window is created
// they live in the serial port, and Line() is brought back in step with it after the port dialog
// and at close. Dialogs reach every panel through one forwarding object (WindowDialogs.h); tests
// put their own in its place with SetDialogs().
//
// TimerTick() is emitted on every 100 ms tick, from creation until the close is accepted.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "app/FontValues.h"
#include "app/PortLineSettings.h"
#include "base/RunState.h"
#include "port/ComPort.h"
#include "ui/link/QtUiDispatcher.h"
#include "ui/window/MainPages.h"

namespace qm {

class CommandMap;
class Dialogs;
class FontLayoutHost;
class MainFormFiles;
class MainFormLink;
class MainFormTransfers;
class ScaleSession;
class QtDialogs;
class QtEventPump;
class QtSettingsStore;
class QtStatusView;
class TAboutBox;
class TProgressBox;
class TablesWindow;
class TickSource;
class WindowDialogs;

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
  QtStatusView& StatusBarView() { return *status_; }
  // Replaces the dialogs (tests); nullptr returns to the window's own. Not owned.
  void SetDialogs(Dialogs* dialogs);
  QTimer& Timer() { return timer_; }
  // Tests: where the timer's ticks come from in windows created from now on (nullptr: every
  // 100 ms of real time). With a source the timer looks every millisecond and ticks when the
  // source says so. Not owned; must outlive those windows.
  static void SetTicksForTesting(TickSource* ticks);
  TProgressBox* ProgressBox() const;
  MainPages& Pages() { return pages_; }
  CommandMap& Commands() { return *commands_; }
  TablesWindow& Tables() { return *tables_; }
  MainFormLink& LinkControls() { return *link_; }
  // The core session: the window's tables, and the link and live poll over its port.
  ScaleSession& Session() { return *session_; }
  MainFormTransfers& Transfers() { return *transfers_; }
  MainFormFiles& FileControls() { return *files_; }
  FontLayoutHost& FontLayoutControls() { return *fontLayout_; }

 signals:
  void TimerTick();

 public slots:
  void ExitClick();
  void AboutClick();
  // The scale-type drop-down's entry `tag` (0..2).
  void ScaleTypeItemClick(int tag);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void FormCreate();
  // The panels after the tables, the map's handlers bound to them, the layout at design size.
  void CreatePanels();
  void TimerTimer();
  // The close sequence; false when unsaved data could not be written (the window stays open).
  bool FormClose();
  void ApplyReadPlacement(int left, int top);
  // A close was accepted while an exchange ran; the window closes once LinkBusy is clear.
  bool ClosePending() const { return closeConfirmed_ && !closed_; }

  RunState state_;
  PortLineSettings line_;
  TFontValues dialogFont_;
  std::unique_ptr<QtSettingsStore> store_;
  std::unique_ptr<QtDialogs> qtDialogs_;
  std::unique_ptr<WindowDialogs> dialogs_;
  std::unique_ptr<QtEventPump> pump_;
  // The serial port hands its events to the window thread through the dispatcher, which must
  // outlive every open of the port; the session works over both.
  QtUiDispatcher dispatcher_;
  TComPort port_;
  QTimer timer_;
  TickSource* ticks_ = nullptr;  // nullptr: the timer's own interval
  std::unique_ptr<CommandMap> commands_;
  MainPages pages_;
  std::unique_ptr<QtStatusView> status_;
  QPointer<TAboutBox> aboutBox_;
  QPointer<TProgressBox> progressBox_;
  bool closeConfirmed_ = false;  // Yes was answered; waiting for a running exchange to end
  bool closing_ = false;         // the close sequence runs (it may handle events)
  bool closed_ = false;          // the close sequence has run
  // Made once the status bar exists; goes after the panels that work on it.
  std::unique_ptr<ScaleSession> session_;
  // The panels (see the top of this file); ~TMainForm takes them down.
  std::unique_ptr<TablesWindow> tables_;
  std::unique_ptr<MainFormLink> link_;
  std::unique_ptr<MainFormTransfers> transfers_;
  std::unique_ptr<MainFormFiles> files_;
  std::unique_ptr<FontLayoutHost> fontLayout_;
};

}  // namespace qm
