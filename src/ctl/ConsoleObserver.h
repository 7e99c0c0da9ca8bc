// The terminal's side of a running transfer: the progress line (when the errors go to a terminal),
// what stopped the transfer, and its completion text, where the window shows the progress window
// and boxes. Texts of the core are Windows-1251; they are written as UTF-8.
#pragma once

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
  ConsoleObserver(std::ostream& err, bool progress, bool single, bool write,
                  const std::string& title, const std::string& label, std::ostream& completion,
                  const std::string& doneText);

  void Started(int first, int last) override;
  bool Step(int position) override;  // never cancels: an interrupt ends the program
  void Stopped(const TransferReport& report, bool rowStillValid) override;
  void Finishing(const TransferReport& report) override;
  void Finished(const TransferReport& report) override;

  // Ends the progress line before anything else is written.
  void EndLine();

  bool stopped = false;    // the scale's side stopped the transfer, and it was said
  bool completed = false;  // the completion text was written

 private:
  std::ostream& err_;
  bool progress_;
  bool single_;
  bool write_;
  std::string title_, label_;
  int total_ = 0;
  bool shown_ = false;
  std::ostream& completion_;
  std::string doneText_;  // Windows-1251
};

}  // namespace qm::ctl
