// Small helpers for the window tests.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <functional>

#include "base/TickSource.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtSettingsStore.h"

namespace qmtest {

// Handles events until `done` holds or a generous bound passes; returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, int boundMs = 5000) {
  QDeadlineTimer deadline(boundMs);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return done();
}

// Virtual time for the main windows created while it lives: their timer ticks as soon as the far
// end (`quiet`, e.g. VirtualScale::Quiet) has nothing on its way. Declare it before the windows.
class WindowTicks : public qm::VirtualTicks {
 public:
  explicit WindowTicks(std::function<bool()> quiet) : qm::VirtualTicks(std::move(quiet)) {
    qm::TMainForm::SetTicksForTesting(this);
  }
  ~WindowTicks() override { qm::TMainForm::SetTicksForTesting(nullptr); }
  WindowTicks(const WindowTicks&) = delete;
  WindowTicks& operator=(const WindowTicks&) = delete;
};

// The settings file of this test run, removed so that every test starts without the key.
inline QString FreshSettingsFile() {
  const QString path = qm::QtSettingsStore::Location();
  QFile::remove(path);
  QDir().mkpath(QFileInfo(path).path());
  return path;
}

}  // namespace qmtest
