#include "ui/window/QtEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace qm {

void QtEventPump::ProcessPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtEventPump::ProcessQueuedEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace qm
