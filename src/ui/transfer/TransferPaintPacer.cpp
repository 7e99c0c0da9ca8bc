#include "ui/transfer/TransferPaintPacer.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace qm {

TransferPaintPacer::TransferPaintPacer(std::chrono::milliseconds interval) : interval_(interval) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { ReleaseHeld(false); });
  qApp->installEventFilter(this);
}

TransferPaintPacer::~TransferPaintPacer() {
  qApp->removeEventFilter(this);
  ReleaseHeld(true);
}

TransferPaintPacer::Window& TransferPaintPacer::Find(QWidget* window) {
  for (Window& w : windows_) {
    if (w.widget == window) return w;
  }
  // Windows closed meanwhile leave their slot to the new one.
  auto gone =
      std::find_if(windows_.begin(), windows_.end(), [](const Window& w) { return !w.widget; });
  if (gone == windows_.end()) gone = windows_.insert(windows_.end(), Window{});
  *gone = Window{window, Clock::time_point::min(), false};
  return *gone;
}

// Qt asks a window to repaint what changed with one UpdateRequest event, posted when the first
// change comes and not again until the window has repainted. Holding that event back therefore
// gathers every later change into the one repaint that is asked for again when the time comes.
bool TransferPaintPacer::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::UpdateRequest) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || !widget->isWindow()) return false;
  Window& window = Find(widget);
  const Clock::time_point now = Clock::now();
  if (window.lastPaint == Clock::time_point::min() || now - window.lastPaint >= interval_) {
    window.lastPaint = now;
    window.held = false;
    return false;
  }
  const Clock::duration since = now - window.lastPaint;
  if (!window.held) ++heldBack_;
  window.held = true;
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(interval_ - since);
  if (!timer_.isActive() || timer_.remainingTimeAsDuration() > wait) timer_.start(wait);
  return true;
}

// Asks again for the repaints held back: those whose interval is over, or all of them.
void TransferPaintPacer::ReleaseHeld(bool all) {
  const Clock::time_point now = Clock::now();
  std::chrono::milliseconds next = interval_;
  bool more = false;
  for (Window& w : windows_) {
    if (!w.held || !w.widget) continue;
    const Clock::duration since = now - w.lastPaint;
    if (all || since >= interval_) {
      w.held = false;
      if (all) w.lastPaint = Clock::time_point::min();
      QCoreApplication::postEvent(w.widget, new QEvent(QEvent::UpdateRequest),
                                  Qt::LowEventPriority);
    } else {
      more = true;
      next = std::min(next, std::chrono::ceil<std::chrono::milliseconds>(interval_ - since));
    }
  }
  if (more && !all) timer_.start(next);
}

}  // namespace qm
