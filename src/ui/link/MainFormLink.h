// The scale link in the main window: the window's one serial port `ComPort` (COM2, 9600 baud,
// 8-N-1, every event, its events handed to the window's thread through the hidden notification
// object), the link and the live poll over it, the commands of the tool buttons
// `SelectComPort`, `SelectScaleAddr` and `Connect`, and the four live display panels over the
// page pane's tab row.
//
// The window creates it once its creation sequence has read the settings: the window's line
// settings go into the port then, and from that moment the port is where they live. They are
// brought back in step with the port after the port dialog and at close, so what the window
// writes to the settings is always the port's current values.
//
// Every 100 ms tick of the window's timer (TimerTick) drives the live poll (which also counts
// down the link's reply time-out). Exceptions of the port that reach a handler here are shown as
// the program's error report (the message, the program's title as caption, the error icon).
//
// Threads: the UI thread only (the port's event thread reaches it through QtUiDispatcher).
#pragma once

#include <QObject>
#include <array>
#include <exception>
#include <functional>
#include <memory>

#include "app/ConnectionCommands.h"
#include "port/ComPort.h"
#include "link/LivePoll.h"
#include "link/ScaleLink.h"
#include "session/ScaleSession.h"
#include "ui/link/QtUiDispatcher.h"

class QLabel;
class QWidget;

namespace qm {

class EventPump;
class StatusView;
struct PortLineSettings;
struct RunState;

class MainFormLink : public QObject {
  Q_OBJECT

 public:
  // Display panels in design coordinates of the window's client area (the tool bar takes its
  // top 30): PLU number, weight, unit price, total price.
  struct PanelPlace {
    int left, width;
  };
  static constexpr int kDisplayTop = 30;
  static constexpr int kDisplayHeight = 18;
  static constexpr std::array<PanelPlace, 4> kDisplayPlaces = {
      {{231, 50}, {282, 100}, {383, 75}, {459, 75}}};
  static constexpr int kDisplayFontSize = 10;  // points at the design font

  // Builds the display panels on `client` (the window's central widget), sets the port up to
  // hand its events over `dispatcher` and puts `line` into it; `line` follows the port from then
  // on. `session` is the window's core session over that port. All must outlive this object.
  MainFormLink(QWidget* client, TComPort& port, QtUiDispatcher& dispatcher, ScaleSession& session,
               RunState& state, PortLineSettings& line, StatusView& status, Dialogs& dialogs);
  ~MainFormLink() override;

  TComPort& ComPort() { return port_; }
  ScaleLink& Link() { return session_.Link(); }
  LivePoll& Poll() { return session_.Poll(); }

  // PLU number, weight, unit price, total price.
  const std::array<QLabel*, 4>& DisplayPanels() const { return display_; }

  // The window is closing and its timer has stopped: aborts pending transfers, closes the port
  // and leaves the port's line settings in the window's line settings to be written.
  void CloseForExit();

 public slots:
  void SelectComPortClick();
  void SelectScaleAddrClick();
  void ConnectClick();
  // One tick of the window's timer. Connected queued: see TMainForm.
  void TimerTick();

 private:
  void BuildDisplayPanels();
  // Runs `command`; an exception it raises goes to the error report.
  void Guarded(const std::function<void()>& command);
  void ReportError(std::exception_ptr error);
  // Shows the Connect button as the port is (after commands that might leave it out of step).
  void ShowConnectState();
  ConnectionSeams Seams();

  QWidget* client_;
  RunState& state_;
  PortLineSettings& line_;
  StatusView& status_;
  Dialogs& dialogs_;
  TComPort& port_;
  QtUiDispatcher& dispatcher_;
  ScaleSession& session_;
  std::array<QLabel*, 4> display_{};
};

}  // namespace qm
