// The terminal's side of a running transfer: the progress line (when the errors go to a terminal),
// what stopped the transfer, and its completion text, where the window shows the progress window
// and boxes. Texts of the core are Windows-1251; they are written as UTF-8.
//
// The progress line is redrawn at most once per ProgressInterval: a fast line delivers thousands
// of records a second, and a redraw per record would cost a write to the terminal each, and the
// terminal's own work, on the path between one exchange and the next. The newest position is
// drawn before the line ends, so the line always ends on where the transfer got to.
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

#include "session/TransferReport.h"

namespace qm::ctl {

// A text of the core (Windows-1251) as one line of the terminal.
std::string OneLine(const std::string& cp1251);

class ConsoleObserver : public TransferObserver {
 public:
  // `single`: one record, no progress line, and a read writes no completion text. `write`: the
  // completion text follows only a write that went through entirely. `title`, `label` and
  // `doneText` are the window's texts (Windows-1251).
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration ProgressInterval = std::chrono::milliseconds(100);

  // `now` tells the time the redraws are spaced by (the steady clock unless given).
  ConsoleObserver(std::ostream& err, bool progress, bool single, bool write,
                  const std::string& title, const std::string& label, std::ostream& completion,
                  const std::string& doneText, std::function<Clock::time_point()> now = {});

  void Started(int first, int last) override;
  // Cancels only when StopRequested(): a fleet was interrupted (elsewhere an interrupt ends the
  // program).
  bool Step(int position) override;
  void Stopped(const TransferReport& report, bool rowStillValid) override;
  void Finishing(const TransferReport& report) override;
  void Finished(const TransferReport& report) override;

  // Ends the progress line (drawing the newest position first) before anything else is written.
  void EndLine();

  bool stopped = false;    // the scale's side stopped the transfer, and it was said
  bool completed = false;  // the completion text was written
  std::string stoppedText;     // what stopped it, as it was said (UTF-8), when stopped
  std::string completionText;  // the completion text as it was written (UTF-8), when completed

 private:
  void Draw(int position);

  std::ostream& err_;
  bool progress_;
  bool single_;
  bool write_;
  std::string title_, label_;
  int total_ = 0;
  bool shown_ = false;
  Clock::time_point drawnAt_{};
  int undrawn_ = -1;  // a position stepped to since the last redraw, or -1
  std::ostream& completion_;
  std::string doneText_;  // Windows-1251
  std::function<Clock::time_point()> now_;
};

}  // namespace qm::ctl
