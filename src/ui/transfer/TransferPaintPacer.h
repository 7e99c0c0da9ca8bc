// Paces the repainting of the program's windows while a transfer runs.
//
// A transfer waits for the scale in nested event loops, and every record it reads or writes
// changes something on screen: a row appended to the grid, the progress window's count. Left to
// itself, Qt repaints every window that changed after each record, which costs far more than the
// exchange with the scale (on a 4000-PLU table the painting took over nine tenths of the time).
// While a pacer exists, a window repaints at most once per `interval`: a repaint asked for sooner
// is held back and done when the interval is over, so what the operator sees is at most one
// frame behind. When the pacer ends, every window with a repaint held back gets it at once.
//
// Only the repaints the windows ask for themselves are paced; a window's first paint, its
// expose events, input and timers go on as before.
//
// Window thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <vector>

class QWidget;

namespace qm {

class TransferPaintPacer : public QObject {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kDefaultInterval{40};  // 25 frames a second

  explicit TransferPaintPacer(std::chrono::milliseconds interval = kDefaultInterval);
  ~TransferPaintPacer() override;
  TransferPaintPacer(const TransferPaintPacer&) = delete;
  TransferPaintPacer& operator=(const TransferPaintPacer&) = delete;

  // Repaints held back so far (for the tests and the curious).
  int HeldBack() const { return heldBack_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using Clock = std::chrono::steady_clock;
  struct Window {
    QPointer<QWidget> widget;
    Clock::time_point lastPaint;
    bool held = false;
  };

  Window& Find(QWidget* window);
  void ReleaseHeld(bool all);

  std::chrono::milliseconds interval_;
  std::vector<Window> windows_;
  QTimer timer_;
  int heldBack_ = 0;
};

}  // namespace qm
