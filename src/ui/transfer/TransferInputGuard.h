// Keeps the operator's hands off the main window while a transfer runs.
//
// A transfer waits for the scale in nested event loops, so every window event runs inside it.
// While a guard exists, mouse, wheel, key, shortcut and context-menu input meant for the main
// window (its menu bar and drop-down menus, tool bar, grids, editors and pages) is swallowed
// before it reaches the widget. Everything else goes on: painting, timer ticks, the port's
// notifications, the close request, and input to other windows - the progress window (its
// Cancel button), message boxes and the number input.
//
// Nothing is disabled, so nothing flickers; the guard exists only while a transfer command runs,
// not during the live display's short exchanges, so typing is never lost between polls.
//
// Window thread only. Guards may nest (the inner one does nothing extra).
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

#include "link/LinkExchange.h"

class QWidget;

namespace qm {

class TransferInputGuard : public QObject {
  Q_OBJECT

 public:
  // Starts swallowing the input of `window` (the main window).
  explicit TransferInputGuard(QWidget* window);
  ~TransferInputGuard() override;
  TransferInputGuard(const TransferInputGuard&) = delete;
  TransferInputGuard& operator=(const TransferInputGuard&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool MeantForWindow(QObject* target) const;

  QPointer<QWidget> window_;
};

// The session's hold on the window during a transfer: a TransferInputGuard from the first
// exchange to the end. `window` must outlive the hold.
class WindowInputHold : public ExchangeHold {
 public:
  explicit WindowInputHold(QWidget* window) : window_(window) {}
  void Hold() override;
  void Release() override;

 private:
  QWidget* window_;
  std::vector<std::unique_ptr<TransferInputGuard>> guards_;  // nested holds
};

}  // namespace qm
