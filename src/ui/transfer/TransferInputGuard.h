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

class QAction;
class QWidget;

namespace qm {

class TransferPaintPacer;

class TransferInputGuard : public QObject {
  Q_OBJECT

 public:
  // Starts swallowing the input of `window` (the main window), except what goes to the actions
  // `passing` (their shortcuts, the tool buttons that show them).
  explicit TransferInputGuard(QWidget* window, std::vector<QPointer<QAction>> passing = {});
  ~TransferInputGuard() override;
  TransferInputGuard(const TransferInputGuard&) = delete;
  TransferInputGuard& operator=(const TransferInputGuard&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool MeantForWindow(QObject* target) const;
  bool Passes(QObject* target) const;

  QPointer<QWidget> window_;
  std::vector<QPointer<QAction>> passing_;
};

// The session's hold on the window during a transfer, from the first exchange to the end: a
// TransferInputGuard, and a TransferPaintPacer so that painting does not cost more than the
// transfer. `window` must outlive the hold.
class WindowTransferHold : public ExchangeHold {
 public:
  explicit WindowTransferHold(QWidget* window);
  ~WindowTransferHold() override;
  void Hold() override;
  void Release() override;
  // `action` stays usable while a transfer runs (holds begun from now on).
  void LetThrough(QAction* action);

 private:
  QWidget* window_;
  std::vector<QPointer<QAction>> passing_;
  std::vector<std::unique_ptr<TransferInputGuard>> guards_;  // nested holds
  std::unique_ptr<TransferPaintPacer> pacer_;                // while any hold lasts
};

}  // namespace qm
