// Small helpers for the window tests.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <functional>

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

// The settings file of this test run, removed so that every test starts without the key.
inline QString FreshSettingsFile() {
  const QString path = qm::QtSettingsStore::Location();
  QFile::remove(path);
  QDir().mkpath(QFileInfo(path).path());
  return path;
}

}  // namespace qmtest
