// The pacing of repaints during a transfer: changes made in quick succession are painted once
// per interval, the last of them always, and nothing is held back once the pacer ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <memory>

#include "ui/transfer/TransferPaintPacer.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

// A window whose paint events are counted, with the value they showed.
class CountingWindow : public QWidget {
 public:
  int paints = 0;
  int value = 0;
  int painted = -1;

 protected:
  void paintEvent(QPaintEvent*) override {
    ++paints;
    painted = value;
    QPainter(this).drawText(rect(), QString::number(value));
  }
};

// Shows the window and lets its first paints happen.
void ShowSettled(CountingWindow& w) {
  w.resize(120, 40);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QCoreApplication::processEvents();
  w.paints = 0;
}

// `steps` changes, each followed by the event processing a transfer step does.
void Change(CountingWindow& w, int steps) {
  for (int i = 0; i < steps; ++i) {
    ++w.value;
    w.update();
    QCoreApplication::processEvents();
  }
}

TEST(TransferPaintPacerTest, ManyChangesWithinAnIntervalPaintOnceAndTheLastComesWhenThePacerEnds) {
  CountingWindow w;
  ShowSettled(w);
  auto pacer = std::make_unique<TransferPaintPacer>(1h);
  Change(w, 50);
  EXPECT_EQ(w.paints, 1) << "the first change paints at once, the rest wait";
  EXPECT_EQ(w.painted, 1);
  EXPECT_EQ(pacer->HeldBack(), 1) << "held changes gather into one repaint";

  // A synchronous repaint is paced too.
  w.repaint();
  EXPECT_EQ(w.paints, 1);

  pacer.reset();
  QCoreApplication::processEvents();
  EXPECT_EQ(w.paints, 2);
  EXPECT_EQ(w.painted, 50) << "the end shows the last state";

  Change(w, 3);
  EXPECT_EQ(w.paints, 5) << "without a pacer every change paints";
}

TEST(TransferPaintPacerTest, AHeldRepaintComesByItselfOnceTheIntervalIsOver) {
  CountingWindow w;
  ShowSettled(w);
  TransferPaintPacer pacer(20ms);
  Change(w, 10);
  ASSERT_LT(w.painted, 10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.painted == 10; }, 2000))
      << "the held repaint is asked for again when its interval ends";
}

TEST(TransferPaintPacerTest, EachWindowIsPacedOnItsOwnAndAClosedOneIsLetGo) {
  CountingWindow a;
  ShowSettled(a);
  auto b = std::make_unique<CountingWindow>();
  ShowSettled(*b);
  auto pacer = std::make_unique<TransferPaintPacer>(1h);
  Change(a, 2);
  Change(*b, 1);
  EXPECT_EQ(a.paints, 1);
  EXPECT_EQ(b->paints, 1) << "a's paint does not use up b's";
  Change(*b, 2);
  b.reset();  // closed with a repaint held back
  pacer.reset();
  QCoreApplication::processEvents();
  EXPECT_EQ(a.painted, 2);
}

}  // namespace
}  // namespace qm
