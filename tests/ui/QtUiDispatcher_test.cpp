// The hand-off of the serial port's events to the window's thread: it runs there, wakes a loop
// that waits for events, holds the event thread until it ran, and gives way to a stop request.
#include "ui/link/QtUiDispatcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "UiTestHelpers.h"
#include "port/ComPort.h"
#include "support/PtyPair.h"

namespace qm {
namespace {

// Wakes the window's loop after a long time so that a hand-off that never wakes it fails the
// test instead of hanging it.
class Watchdog {
 public:
  Watchdog()
      : thread_([this](std::stop_token stop) {
          std::unique_lock lock(mutex_);
          if (!wake_.wait_for(lock, stop, std::chrono::seconds(10), [] { return false; })) {
            if (!stop.stop_requested()) {
              fired_ = true;
              QMetaObject::invokeMethod(
                  QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
            }
          }
        }) {}
  bool Fired() const { return fired_; }

 private:
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::atomic<bool> fired_{false};
  std::jthread thread_;
};

TEST(QtUiDispatcher, HandOffRunsOnTheWindowThreadAndWakesAWaitingLoop) {
  QtUiDispatcher dispatcher;
  Watchdog watchdog;
  std::atomic<bool> ran{false};
  std::atomic<bool> returned{false};
  std::atomic<bool> result{false};
  QThread* ranOn = nullptr;
  std::stop_source stop;
  std::jthread worker([&] {
    result = dispatcher.RunAndWait(
        [&] {
          ranOn = QThread::currentThread();
          // The event thread is still held while the handler runs.
          EXPECT_FALSE(returned.load());
          ran = true;
        },
        stop.get_token());
    returned = true;
  });
  // Nothing else wakes this loop: no timer runs in this test.
  while (!ran && !watchdog.Fired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  EXPECT_FALSE(watchdog.Fired());
  worker.join();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(result);
  EXPECT_EQ(ranOn, QThread::currentThread());
}

TEST(QtUiDispatcher, StopBeforeTheWindowThreadTookItWithdrawsTheHandOff) {
  QtUiDispatcher dispatcher;
  std::atomic<int> ran{0};
  // The stop lands before or after the hand-off was posted, as it happens; both must end the
  // same way.
  for (int round = 0; round < 20; ++round) {
    std::stop_source stop;
    std::atomic<bool> result{true};
    std::atomic<bool> entered{false};
    std::jthread worker([&] {
      entered = true;
      entered.notify_one();
      result = dispatcher.RunAndWait([&] { ++ran; }, stop.get_token());
    });
    entered.wait(false);
    // The window thread is busy elsewhere (it is closing the port): it requests the stop and
    // joins without handling events. This must not deadlock.
    stop.request_stop();
    worker.join();
    EXPECT_FALSE(result);
  }
  // Handled later, the withdrawn calls do nothing.
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, 0);
}

TEST(QtUiDispatcher, StoppedHandOffIsNotPostedAndAStartedOneIsWaitedFor) {
  QtUiDispatcher dispatcher;
  std::stop_source stopped;
  stopped.request_stop();
  int ran = 0;
  EXPECT_FALSE(dispatcher.RunAndWait([&] { ++ran; }, stopped.get_token()));
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, 0);

  // A stop requested while the handler runs does not release the event thread early.
  std::stop_source stop;
  std::atomic<bool> returned{false};
  std::atomic<bool> result{false};
  std::atomic<bool> inHandler{false};
  std::jthread worker([&] {
    result = dispatcher.RunAndWait(
        [&] {
          inHandler = true;
          stop.request_stop();
          // Give the worker every chance to return too early.
          qmtest::PumpUntil([] { return false; }, 100);
          EXPECT_FALSE(returned.load());
        },
        stop.get_token());
    returned = true;
  });
  ASSERT_TRUE(qmtest::PumpUntil([&] { return inHandler.load(); }));
  worker.join();
  EXPECT_TRUE(result);
}

TEST(QtUiDispatcher, HandlerExceptionGoesToTheErrorReportAfterReleasingTheEventThread) {
  QtUiDispatcher dispatcher;
  std::string reported;
  std::atomic<bool> returned{false};
  bool releasedBeforeReport = false;
  dispatcher.SetErrorHandler([&](std::exception_ptr error) {
    // The event thread is no longer held when the report shows.
    releasedBeforeReport = qmtest::PumpUntil([&] { return returned.load(); });
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      reported = e.what();
    }
  });
  std::stop_source stop;
  std::atomic<bool> result{false};
  std::jthread worker([&] {
    result = dispatcher.RunAndWait([] { throw std::runtime_error("Operation aborted: error 5."); },
                                   stop.get_token());
    returned = true;
  });
  ASSERT_TRUE(qmtest::PumpUntil([&] { return !reported.empty(); }));
  worker.join();
  EXPECT_TRUE(result);
  EXPECT_TRUE(releasedBeforeReport);
  EXPECT_EQ(reported, "Operation aborted: error 5.");
}

// The window's loop hears the port's bell and runs the receive handler itself, once per arrival;
// a handler may close the port from inside the notification that runs it.
TEST(QtUiDispatcher, ArrivalsRunTheReceiveHandlerOnTheWindowThreadAndMayCloseThePort) {
  QtUiDispatcher dispatcher;
  qmtest::PtyPair pty;
  TComPort port;
  port.SetDeviceResolver([&](TPortType) { return pty.Path(); });
  port.SetDispatcher(&dispatcher);
  port.SetSyncMethod(TSyncMethod::smWindow);
  std::vector<std::int32_t> inQues;
  bool onWindowThread = true;
  bool closeInHandler = false;
  port.OnRxChar = [&](TComPort& sender, std::int32_t inQue) {
    inQues.push_back(inQue);
    onWindowThread = onWindowThread && QThread::currentThread() == qApp->thread();
    if (closeInHandler) sender.Close();
  };
  port.Open();
  pty.Send("abc");
  ASSERT_TRUE(qmtest::PumpUntil([&] { return inQues.size() == 1; }));
  EXPECT_EQ(inQues[0], 3);
  qmtest::PumpUntil([] { return false; }, 200);  // unread bytes ring once
  EXPECT_EQ(inQues.size(), 1u);
  closeInHandler = true;
  pty.Send("d");
  ASSERT_TRUE(qmtest::PumpUntil([&] { return !port.Connected(); }));
  EXPECT_EQ(inQues.back(), 4);
  qmtest::PumpUntil([] { return false; }, 100);  // the silenced notifier goes quietly
  EXPECT_TRUE(onWindowThread);
}

}  // namespace
}  // namespace qm
