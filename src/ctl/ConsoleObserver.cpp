#include "ctl/ConsoleObserver.h"

#include <algorithm>
#include <ostream>

#include "base/Cp1251.h"
#include "ctl/Qmctl.h"

namespace qm::ctl {

std::string OneLine(const std::string& cp1251) {
  std::string text = Utf8(cp1251);
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

ConsoleObserver::ConsoleObserver(std::ostream& err, bool progress, bool single, bool write,
                                 const std::string& title, const std::string& label,
                                 std::ostream& completion, const std::string& doneText,
                                 std::function<Clock::time_point()> now)
    : err_(err),
      progress_(progress),
      single_(single),
      write_(write),
      title_(Utf8(title)),
      label_(Utf8(label)),
      completion_(completion),
      doneText_(doneText),
      now_(now ? std::move(now) : [] { return Clock::now(); }) {}

void ConsoleObserver::Started(int first, int last) {
  if (single_) return;
  total_ = last;
  Step(first);
}

bool ConsoleObserver::Step(int position) {
  if (StopRequested() && FleetRunning()) return true;  // an interrupted fleet
  if (single_ || !progress_) return false;
  const Clock::time_point now = now_();
  if (shown_ && now - drawnAt_ < ProgressInterval) {
    undrawn_ = position;
    return false;
  }
  drawnAt_ = now;
  Draw(position);
  return false;
}

void ConsoleObserver::Draw(int position) {
  err_ << '\r' << title_ << ' ' << label_ << ' ' << position << " / " << total_ << "   "
       << std::flush;
  shown_ = true;
  undrawn_ = -1;
}

void ConsoleObserver::EndLine() {
  if (undrawn_ >= 0) Draw(undrawn_);
  if (shown_) err_ << '\n' << std::flush;
  shown_ = false;
}

void ConsoleObserver::Stopped(const TransferReport& report, bool) {
  EndLine();
  stoppedText = OneLine(report.message);
  err_ << "qmctl: " << stoppedText << '\n';
  stopped = true;
}

void ConsoleObserver::Finishing(const TransferReport&) {
  EndLine();
}

void ConsoleObserver::Finished(const TransferReport& report) {
  // A write of changed records that found nothing to send went through as well.
  completed = write_ ? report.status == TransferStatus::Done &&
                           (report.stored > 0 || report.unchanged > 0)
                     : !single_ && !report.Stopped() && report.stored > 0;
  if (!completed) return;
  completionText = Utf8(doneText_);
  completion_ << completionText << '\n';
}

}  // namespace qm::ctl
