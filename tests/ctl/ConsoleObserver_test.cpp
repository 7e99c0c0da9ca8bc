// The progress line of a transfer on a terminal: redrawn at most once per interval however fast
// the records come, and always ending on the newest position, whether the transfer finishes or
// the scale's side stops it. The clock is virtual.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "ctl/ConsoleObserver.h"

namespace qmtest {
namespace {

using qm::ctl::ConsoleObserver;
using namespace std::chrono_literals;

struct ProgressLine {
  std::ostringstream err, out;
  ConsoleObserver::Clock::time_point now{};
  ConsoleObserver console{err,  true, false, false, "Read", "PLU", out, "Done.",
                          [this] { return now; }};

  // The positions drawn so far, in order.
  std::vector<std::string> Drawn() const {
    std::vector<std::string> drawn;
    std::istringstream lines(err.str());
    std::string part;
    while (std::getline(lines, part, '\r')) {
      const auto at = part.find("PLU ");
      if (at != std::string::npos) drawn.push_back(part.substr(at + 4, part.find(" /") - at - 4));
    }
    return drawn;
  }
};

TEST(ConsoleProgress, RecordsFasterThanTheIntervalAreDrawnOncePerInterval) {
  ProgressLine line;
  line.console.Started(1, 4000);
  for (int k = 1; k <= 3990; ++k) {
    line.now += 50us;  // 20,000 records a second
    line.console.Step(k);
  }
  line.console.Finishing({});
  // The start, one redraw per 100 ms, and the last position before the line ends.
  EXPECT_EQ(line.Drawn(), (std::vector<std::string>{"1", "2000", "3990"}));
  EXPECT_EQ(line.err.str().back(), '\n');
}

TEST(ConsoleProgress, AStopDrawsTheNewestPositionBeforeItsMessage) {
  ProgressLine line;
  line.console.Started(1, 10);
  line.now += 1ms;
  line.console.Step(1);
  line.now += 1ms;
  line.console.Step(2);
  qm::TransferReport report;
  report.message = "No such PLU";
  line.console.Stopped(report, false);
  const std::string text = line.err.str();
  EXPECT_EQ(line.Drawn().back(), "2");
  EXPECT_NE(text.find("2 / 10   \nqmctl: No such PLU\n"), std::string::npos) << text;
}

TEST(ConsoleProgress, SlowRecordsAreEachDrawnAndNothingIsDrawnOffATerminal) {
  ProgressLine line;
  line.console.Started(1, 3);
  for (int k = 1; k <= 3; ++k) {
    line.now += 150ms;
    line.console.Step(k);
  }
  EXPECT_EQ(line.Drawn(), (std::vector<std::string>{"1", "1", "2", "3"}));

  std::ostringstream err, out;
  ConsoleObserver quiet(err, false, false, false, "Read", "PLU", out, "Done.");
  quiet.Started(1, 3);
  quiet.Step(2);
  quiet.Finishing({});
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace qmtest
