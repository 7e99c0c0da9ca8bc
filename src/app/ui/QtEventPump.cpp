#include "app/ui/QtEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace qm {

void QtEventPump::ProcessPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace qm
