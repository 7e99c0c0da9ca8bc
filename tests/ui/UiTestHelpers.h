// Small helpers for the window tests.
#pragma once

#include "support/LineTicks.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>
#include <functional>
#include <ostream>
#include <string>

#include "base/TickSource.h"
#include "sim/VirtualScale.h"
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
// end (`quiet`, e.g. VirtualScale::Quiet) has nothing on its way and Qt's own queue of posted
// events has run empty since the last look. The window hands work on through that queue (the
// tick reaches the link as a posted call, and so do the live poll, the port's hand-offs and a
// close waiting for an exchange), and the far end cannot see it: on a loaded machine the
// window's thread can find several timer periods due at once, and a tick given while such a call
// still waits would come ahead of work that real time lets run first. Declare it before the
// windows.
class WindowTicks : public qm::VirtualTicks {
 public:
  explicit WindowTicks(std::function<bool()> quiet)
      : qm::VirtualTicks([this] { return Settled(); }, kTestBackstop), quiet_(std::move(quiet)) {
    qm::TMainForm::SetTicksForTesting(this);
  }
  ~WindowTicks() override { qm::TMainForm::SetTicksForTesting(nullptr); }
  WindowTicks(const WindowTicks&) = delete;
  WindowTicks& operator=(const WindowTicks&) = delete;

 private:
  // An event posted behind everything already waiting (low priority): when it is delivered, the
  // queue ahead of it has been handled.
  class QueueProbe : public QObject {
   public:
    static QEvent::Type Type() {
      static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
      return type;
    }
    bool event(QEvent* e) override {
      if (e->type() != Type()) return QObject::event(e);
      pending = false;
      return true;
    }
    bool pending = false;
  };

  // The window's thread, at each look of its timer.
  bool Settled() {
    const bool farEndQuiet = !quiet_ || quiet_();
    const bool queueRanEmpty = posted_ && !probe_.pending;
    if (!probe_.pending) {
      probe_.pending = true;
      posted_ = true;
      QCoreApplication::postEvent(&probe_, new QEvent(QueueProbe::Type()), Qt::LowEventPriority);
    }
    return farEndQuiet && queueRanEmpty;
  }

  std::function<bool()> quiet_;
  QueueProbe probe_;
  bool posted_ = false;
};

// The program's ports lead where the test says (QM_PORTS), for this process only.
class PortMapping {
 public:
  explicit PortMapping(const std::string& mapping) { qputenv("QM_PORTS", mapping.c_str()); }
  ~PortMapping() { qunsetenv("QM_PORTS"); }
  PortMapping(const PortMapping&) = delete;
  PortMapping& operator=(const PortMapping&) = delete;
};

// The virtual scale behind the window's COM2, with the windows' virtual time waiting for it. A
// base of the window tests' fixtures, so that it is there before their windows and gone after.
struct WindowScale {
  qmsim::VirtualScale scale;
  WindowTicks ticks_{[this] { return scale.Quiet(); }};
  PortMapping mapping{"COM2=" + scale.SlavePath()};
};

// The settings file of this test run, removed so that every test starts without the key.
inline QString FreshSettingsFile() {
  const QString path = qm::QtSettingsStore::Location();
  QFile::remove(path);
  QDir().mkpath(QFileInfo(path).path());
  return path;
}

}  // namespace qmtest
