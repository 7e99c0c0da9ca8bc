// Small helpers for the window tests.
#pragma once

#include "support/LineTicks.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>
#include <functional>
#include <ostream>

#include "base/TickSource.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtSettingsStore.h"

// Readable failures: Qt's strings and geometry as text, not bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QSize& s, std::ostream* os) {
  *os << s.width() << "x" << s.height();
}
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

namespace qmtest {

// Handles events until `done` holds or a generous bound passes; returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, int boundMs = 5000) {
  QDeadlineTimer deadline(boundMs);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return done();
}

// Acts on the next modal dialog of type T once it is up, from inside its own event loop (the
// call that shows it does not return before the dialog closes).
template <typename T>
void WhenShown(std::function<void(T&)> act) {
  auto* poll = new QTimer;
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(*dialog);
  });
  poll->start();
}

// Virtual time for the main windows created while it lives: their timer ticks as soon as the far
// end (`quiet`, e.g. VirtualScale::Quiet) has nothing on its way. Declare it before the windows.
class WindowTicks : public qm::VirtualTicks {
 public:
  explicit WindowTicks(std::function<bool()> quiet)
      : qm::VirtualTicks(std::move(quiet), kTestBackstop) {
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
