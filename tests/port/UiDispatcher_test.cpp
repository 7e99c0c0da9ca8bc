// The queue through which the event thread hands calls to the UI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "port/UiDispatcher.h"

namespace {

using namespace std::chrono_literals;

TEST(QueuedDispatcher, WorkerWaitsUntilTheUiThreadRanTheCall) {
  qm::QueuedDispatcher ui;
  std::atomic<int> wakeups{0};
  ui.SetWakeup([&] { ++wakeups; });
  std::atomic<bool> returned{false};
  std::thread::id ranOn;
  std::stop_source stop;
  std::thread worker([&] {
    EXPECT_TRUE(ui.RunAndWait([&] { ranOn = std::this_thread::get_id(); }, stop.get_token()));
    returned = true;
  });
  ASSERT_TRUE(ui.WaitForPending(5s));
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(returned);  // still blocked: nobody ran it yet
  EXPECT_EQ(ui.RunPending(), 1u);
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(wakeups, 1);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(QueuedDispatcher, StopWithdrawsACallNotYetTaken) {
  qm::QueuedDispatcher ui;
  std::stop_source stop;
  bool ran = false;
  std::thread worker([&] { EXPECT_FALSE(ui.RunAndWait([&] { ran = true; }, stop.get_token())); });
  ASSERT_TRUE(ui.WaitForPending(5s));
  stop.request_stop();
  worker.join();
  EXPECT_EQ(ui.RunPending(), 0u);
  EXPECT_FALSE(ran);
  // Once stopped, nothing more is queued.
  EXPECT_FALSE(ui.RunAndWait([&] { ran = true; }, stop.get_token()));
  EXPECT_EQ(ui.QueuedCount(), 0u);
}

TEST(QueuedDispatcher, StopDuringARunningCallWaitsForItsEnd) {
  qm::QueuedDispatcher ui;
  std::stop_source stop;
  std::atomic<bool> finished{false};
  std::atomic<bool> workerSawEnd{false};
  std::thread worker([&] {
    EXPECT_TRUE(ui.RunAndWait(
        [&] {
          stop.request_stop();  // the stop comes while the handler runs
          std::this_thread::sleep_for(50ms);
          finished = true;
        },
        stop.get_token()));
    workerSawEnd = finished.load();
  });
  ASSERT_TRUE(ui.WaitForPending(5s));
  ui.RunPending();
  worker.join();
  EXPECT_TRUE(workerSawEnd);
}

TEST(QueuedDispatcher, AFailingCallReleasesTheWorkerAndReachesTheUiThread) {
  qm::QueuedDispatcher ui;
  std::stop_source stop;
  std::thread worker([&] {
    EXPECT_TRUE(
        ui.RunAndWait([] { throw std::runtime_error("handler failed"); }, stop.get_token()));
  });
  ASSERT_TRUE(ui.WaitForPending(5s));
  EXPECT_THROW(ui.RunPending(), std::runtime_error);
  worker.join();
}

}  // namespace
